#include <cstdio>
#include <map>
#include <string>

#include "Inspect.h"
#include "core/Error.h"
#include "core/Text.h"

#ifdef _WIN32
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"
#endif

namespace orvane::inspect {

namespace {

constexpr char kUsage[] =
    "usage: orvane-inspect fetch [--type http|ftp|file] [--host HOST] [--port N] [--passive] [--ftp-dir DIR]\n"
    "         [--proxy HOST:PORT] [--proxy-user U] [--proxy-password P] [--user U] [--password P]\n"
    "         [--auth never|always|auto] [--cert-check on|off] [--uncompress] URL FOLDER\n";

int UsageError(const std::string& why) {
    std::fprintf(stderr, "orvane-inspect fetch: %s\n%s", why.c_str(), kUsage);
    return 2;
}

struct TFetchOptions {
    std::map<std::string, std::string> values;
    bool passive = false;
    bool uncompress = false;
    std::vector<std::string> positional;
};

}  // namespace

#ifdef _WIN32

namespace {

// The log's lines go to standard output instead of a file, exactly as the engine writes them.
class TConsoleLog : public IFileWriter {
public:
    bool FolderExists(const std::wstring&) const override { return true; }
    bool CreateFolder(const std::wstring&) override { return true; }
    bool AppendToExisting(const std::wstring&, std::string_view bytes) override {
        while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.remove_suffix(1);
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        return true;
    }
    bool CreateWith(const std::wstring& path, std::string_view bytes) override { return AppendToExisting(path, bytes); }
};

int RunFetch(const TFetchOptions& o) {
    const auto value = [&o](const char* name) {
        const auto it = o.values.find(name);
        return it == o.values.end() ? std::wstring() : FromUtf8(it->second);
    };
    TWin32UpdateServices win32;
    TConsoleLog console;
    TWebUpdateServices services = win32.Services();
    services.files = &console;
    TWebUpdate engine(services);
    // The program's own settings, then what the options say.
    engine.Agent = L"TWebUpdate";
    engine.ExtractCAB = true;
    engine.Logging = true;
    engine.UpdateUpdate = TWebUpdateUpdate::wuuSilent;
    const std::wstring url = FromUtf8(o.positional[0]);
    engine.URL = url;
    const std::wstring type = value("type");
    engine.UpdateType = type == L"ftp"    ? TWebUpdateType::ftpUpdate
                        : type == L"file" ? TWebUpdateType::fileUpdate
                                          : TWebUpdateType::httpUpdate;
    engine.Host = value("host");
    if (!value("port").empty()) engine.Port = std::stoi(value("port"));
    engine.FTPPassive = o.passive;
    engine.FTPDirectory = value("ftp-dir");
    engine.Proxy = value("proxy");
    engine.ProxyUserID = value("proxy-user");
    engine.ProxyPassword = value("proxy-password");
    engine.UserID = value("user");
    engine.Password = value("password");
    const std::wstring auth = value("auth");
    engine.Authenticate = auth == L"always" ? TWebUpdateAuthentication::waAlways
                          : auth == L"auto" ? TWebUpdateAuthentication::waAuto
                                            : TWebUpdateAuthentication::waNever;
    engine.CertCheck = value("cert-check") == L"off" ? TWebUpdateCertCheck::ccDisable : TWebUpdateCertCheck::ccEnable;
    // Status lines without a handler would also raise message boxes; a console tool has none.
    engine.OnStatus = [](TWebUpdate&, const std::wstring&, int, int) {};

    std::wstring folder = FromUtf8(o.positional[1]);
    if (engine.UpdateType != TWebUpdateType::fileUpdate || !folder.empty()) folder = WithBackslash(folder);
    bool fetched = false;
    try {
        if (engine.StartConnection() != 0) return 1;
        if (engine.UpdateType == TWebUpdateType::ftpUpdate && engine.FTPConnect() != 0) {
            engine.Error();
            engine.StopConnection();
            return 1;
        }
        fetched = engine.URLGetFile(engine.HintConnect(), url, folder, o.uncompress);
        engine.StopConnection();
    } catch (const AppError& e) {
        std::fprintf(stderr, "orvane-inspect fetch: %s\n", ToUtf8(e.Message()).c_str());
        return 1;
    }
    return fetched ? 0 : 1;
}

}  // namespace

#endif

int Fetch(const std::vector<std::string>& args) {
    static const char* const kWithValue[] = {"type", "host", "port", "ftp-dir", "proxy", "proxy-user",
                                             "proxy-password", "user", "password", "auth", "cert-check"};
    TFetchOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0 || a == "--") {
            o.positional.push_back(a);
            continue;
        }
        const std::string name = a.substr(2);
        if (name == "passive") {
            o.passive = true;
            continue;
        }
        if (name == "uncompress") {
            o.uncompress = true;
            continue;
        }
        bool known = false;
        for (const char* k : kWithValue) known = known || name == k;
        if (!known) return UsageError("unknown option " + a);
        if (i + 1 >= args.size()) return UsageError(a + " needs a value");
        o.values[name] = args[++i];
    }
    if (o.positional.size() != 2) return UsageError("expected URL and FOLDER");
    const auto oneOf = [&o](const char* name, std::initializer_list<const char*> allowed) {
        const auto it = o.values.find(name);
        if (it == o.values.end()) return true;
        for (const char* a : allowed)
            if (it->second == a) return true;
        return false;
    };
    if (!oneOf("type", {"http", "ftp", "file"})) return UsageError("--type is http, ftp or file");
    if (!oneOf("auth", {"never", "always", "auto"})) return UsageError("--auth is never, always or auto");
    if (!oneOf("cert-check", {"on", "off"})) return UsageError("--cert-check is on or off");
    if (o.values.count("port")) {
        const std::string& p = o.values["port"];
        if (p.empty() || p.size() > 5 || p.find_first_not_of("0123456789") != std::string::npos || std::stoi(p) > 65535)
            return UsageError("--port is a number from 0 to 65535");
    }
#ifdef _WIN32
    return RunFetch(o);
#else
    std::fputs("orvane-inspect fetch: the update transport exists only in the Windows build\n", stderr);
    return 1;
#endif
}

}  // namespace orvane::inspect
