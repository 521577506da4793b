#include <cstdio>
#include <string>

#include "Inspect.h"
#include "UpdateEngine.h"
#include "core/Error.h"
#include "core/Json.h"
#include "core/Text.h"

namespace orvane::inspect {

namespace {

#ifdef _WIN32
std::string DateText(TDateTime value) {
    if (value == 0) return "null";  // no date was compared
    const DateParts p = DecodeDateTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return std::string("\"") + text + "\"";
}
#endif

int Check(const TCommandLine& line) {
#ifdef _WIN32
    TWin32UpdateServices win32;
    const std::optional<std::string> app = line.Value("app-folder");
    TScriptEngine engine(win32.Services(), app ? std::optional<std::wstring>(FromUtf8(*app)) : std::nullopt);
    engine.URL = FromUtf8(line.operands[0]);
    int versionCheck = -1;
    try {
        if (engine.StartConnection() != 0) {
            std::fputs("orvane-inspect: no Internet connection\n", stderr);
            return 1;
        }
        if (engine.GetControlFile() == 0) {
            versionCheck = engine.DoVersionCheck();
            if (engine.GetFileDetails() > 0) engine.ProcessFileDetails();
        }
        engine.StopConnection();
    } catch (const AppError& e) {
        std::fprintf(stderr, "orvane-inspect: %s\n", ToUtf8(e.Message()).c_str());
        return 1;
    }
    std::string out = "{\n  \"controlFile\": " + std::to_string(engine.controlResult.value_or(4)) +
                      ",\n  \"versionCheck\": " + (versionCheck < 0 ? "null" : std::to_string(versionCheck)) +
                      ",\n  \"newVersion\": " + JsonString(engine.NewVersionInfo()) +
                      ",\n  \"currentVersion\": " + JsonString(engine.CurVersionInfo()) +
                      ",\n  \"newDate\": " + DateText(engine.NewVersionDate()) +
                      ",\n  \"currentDate\": " + DateText(engine.CurVersionDate()) + ",\n  \"files\": [";
    const TFileList& files = engine.FileList();
    for (size_t i = 0; i < files.Count(); ++i) {
        const TFileDescription& f = files[i];
        out += std::string(i ? "," : "") + "\n    {\"url\": " + JsonString(f.URL) +
               ", \"targetDir\": " + JsonString(f.TargetDir) + ", \"localVersion\": " + JsonString(f.LocalVersion) +
               ", \"newVersion\": " + JsonString(f.NewVersion) + ", \"description\": " + JsonString(f.Description) +
               ", \"compressed\": " + (f.Compressed ? "true" : "false") +
               ", \"mandatory\": " + (f.Mandatory ? "true" : "false") + "}";
    }
    out += files.Count() ? "\n  ]\n}\n" : "]\n}\n";
    std::fputs(out.c_str(), stdout);
    return engine.controlResult == 0 ? 0 : 1;
#else
    (void)line;
    std::fputs("orvane-inspect: check needs the Windows build, where the update transport lives\n", stderr);
    return 1;
#endif
}

}  // namespace

const TCommand& CheckCommand() {
    static const TCommand command{{"check",
                                   "URL",
                                   "fetch a control file and print, as JSON, what the update engine decides",
                                   {{"app-folder", true, "DIR  the folder {APP} stands for (this tool's own)"}},
                                   1,
                                   1},
                                  Check};
    return command;
}

}  // namespace orvane::inspect
