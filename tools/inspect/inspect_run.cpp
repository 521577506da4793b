#include <cstdio>
#include <string>

#include "Inspect.h"
#include "UpdateEngine.h"
#include "core/Error.h"
#include "core/Text.h"

namespace orvane::inspect {

namespace {

int Update(const TCommandLine& line) {
#ifdef _WIN32
    TWin32UpdateServices win32;
    TConsoleLog console;
    TWebUpdateServices services = win32.Services();
    services.files = &console;
    const std::optional<std::string> app = line.Value("app-folder");
    TScriptEngine engine(services, app ? std::optional<std::wstring>(FromUtf8(*app)) : std::nullopt);
    engine.Logging = true;
    engine.URL = FromUtf8(line.operands[0]);
    try {
        engine.DoUpdate(false);
    } catch (const AppError& e) {
        std::fprintf(stderr, "orvane-inspect: %s\n", ToUtf8(e.Message()).c_str());
        return 1;
    }
    // Every file is in place when the control file was read and no entry failed (none may have been due).
    const bool inPlace = engine.controlResult == 0 && engine.updatesResult.value_or(0) == 0 && !engine.Cancelled();
    return inPlace ? 0 : 1;
#else
    (void)line;
    std::fputs("orvane-inspect: update needs the Windows build, where the update transport lives\n", stderr);
    return 1;
#endif
}

}  // namespace

const TCommand& UpdateCommand() {
    static const TCommand command{
        {"update",
         "URL",
         "run a whole update without questions, printing its log; 0 when every file is in place",
         {{"app-folder", true, "DIR  the folder {APP} stands for (this tool's own)"}},
         1,
         1},
        Update};
    return command;
}

}  // namespace orvane::inspect
