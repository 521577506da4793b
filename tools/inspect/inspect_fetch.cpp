#include <cstdio>
#include <optional>
#include <string>

#include "Inspect.h"
#include "core/Error.h"
#include "core/Text.h"

#ifdef _WIN32
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"
#include "UpdateEngine.h"
#endif

namespace orvane::inspect {

namespace {

// A value that must be one of a few words; a TUsageError otherwise.
std::string OneOf(const TCommandLine& line, const char* name, std::initializer_list<const char*> allowed,
                  const char* fallback) {
    const std::string value = line.Value(name).value_or(fallback);
    for (const char* a : allowed)
        if (value == a) return value;
    std::string words;
    for (const char* a : allowed) words += std::string(words.empty() ? "" : ", ") + a;
    throw TUsageError(std::string("--") + name + " is one of " + words);
}

int Fetch(const TCommandLine& line) {
    std::string type, auth, certCheck;
    std::optional<std::int64_t> port;
    try {
        type = OneOf(line, "type", {"http", "ftp", "file"}, "http");
        auth = OneOf(line, "auth", {"never", "always", "auto"}, "never");
        certCheck = OneOf(line, "cert-check", {"on", "off"}, "on");
        port = line.Integer("port", 0, 65535);
    } catch (const TUsageError& e) {
        std::fprintf(stderr, "orvane-inspect: %s\n%s", e.what(), UsageText(FetchCommand().spec).c_str());
        return 2;
    }
#ifdef _WIN32
    const auto value = [&line](const char* name) { return FromUtf8(line.Value(name).value_or("")); };
    TWin32UpdateServices win32;
    TConsoleLog console;
    TWebUpdateServices services = win32.Services();
    services.files = &console;
    TWebUpdate engine(services);
    // The program's own settings, then what the options say.
    engine.Agent = L"TWebUpdate";
    engine.ExtractCAB = true;
    engine.Logging = true;
    const std::wstring url = FromUtf8(line.operands[0]);
    engine.URL = url;
    engine.UpdateType = type == "ftp"    ? TWebUpdateType::ftpUpdate
                        : type == "file" ? TWebUpdateType::fileUpdate
                                         : TWebUpdateType::httpUpdate;
    engine.Host = value("host");
    if (port) engine.Port = static_cast<int>(*port);
    engine.FTPPassive = line.Has("passive");
    engine.FTPDirectory = value("ftp-dir");
    engine.Proxy = value("proxy");
    engine.ProxyUserID = value("proxy-user");
    engine.ProxyPassword = value("proxy-password");
    engine.UserID = value("user");
    engine.Password = value("password");
    engine.Authenticate = auth == "always" ? TWebUpdateAuthentication::waAlways
                          : auth == "auto" ? TWebUpdateAuthentication::waAuto
                                           : TWebUpdateAuthentication::waNever;
    engine.CertCheck = certCheck == "off" ? TWebUpdateCertCheck::ccDisable : TWebUpdateCertCheck::ccEnable;
    // A handler, so that system errors are reported in the output and never in a message box.
    engine.OnStatus = [](TWebUpdate&, const std::wstring&, int, int) {};

    std::wstring folder = FromUtf8(line.operands[1]);
    if (engine.UpdateType != TWebUpdateType::fileUpdate || !folder.empty()) folder = WithBackslash(folder);
    try {
        if (engine.StartConnection() != 0) return 1;
        if (engine.UpdateType == TWebUpdateType::ftpUpdate && engine.FTPConnect() != 0) {
            engine.Error();
            engine.StopConnection();
            return 1;
        }
        const bool fetched = engine.URLGetFile(engine.HintConnect(), url, folder, line.Has("uncompress"));
        engine.StopConnection();
        return fetched ? 0 : 1;
    } catch (const AppError& e) {
        std::fprintf(stderr, "orvane-inspect: %s\n", ToUtf8(e.Message()).c_str());
        return 1;
    }
#else
    std::fputs("orvane-inspect: fetch needs the Windows build, where the update transport lives\n", stderr);
    return 1;
#endif
}

}  // namespace

const TCommand& FetchCommand() {
    static const TCommand command{{"fetch",
                                   "URL FOLDER",
                                   "fetch one file into FOLDER as the update engine does, printing its log",
                                   {{"type", true, "http|ftp|file  the transport (http also carries https)"},
                                    {"host", true, "HOST  the FTP server"},
                                    {"port", true, "N  the FTP port (21)"},
                                    {"passive", false, "passive FTP"},
                                    {"ftp-dir", true, "DIR  the FTP folder to change to first"},
                                    {"proxy", true, "HOST:PORT  the proxy to go through"},
                                    {"proxy-user", true, "USER  put into http:// URLs for the proxy"},
                                    {"proxy-password", true, "PASSWORD  with --proxy-user"},
                                    {"user", true, "USER  FTP log-on and HTTP Basic authentication"},
                                    {"password", true, "PASSWORD  with --user"},
                                    {"auth", true, "never|always|auto  when the log-on dialog is shown"},
                                    {"cert-check", true, "on|off  off tolerates certificate errors"},
                                    {"uncompress", false, "unpack a cabinet or an LZ file once fetched"}},
                                   2,
                                   2},
                                  Fetch};
    return command;
}

}  // namespace orvane::inspect
