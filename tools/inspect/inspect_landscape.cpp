#include <cstdio>
#include <exception>

#include "Inspect.h"
#include "core/Error.h"
#include "core/Text.h"
#include "landscape/LandscapeJson.h"
#include "landscape/LandscapeReader.h"
#include "landscape/StdTextFileReader.h"
#include "platform/CodePage.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace orvane::inspect {

namespace {

int Landscape(const TCommandLine& line) {
    const std::vector<std::string>& args = line.operands;
#ifdef _WIN32
    // UTF-8 bytes exactly as built, without CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    tyLandscape landscape;
    try {
        ReadLandscape(FromUtf8(args[0]), landscape, TStdTextFileReader(), SystemAnsiCodePage());
    } catch (const AppError& e) {
        const std::string text = ToUtf8(e.Message());
        std::fprintf(stderr, "%s\n", text.c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const std::string json = LandscapeToJson(landscape);
    std::fwrite(json.data(), 1, json.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

const TCommand& LandscapeCommand() {
    static const TCommand command{{"landscape", "FILE", "what the landscape reader reads, as JSON", {}, 1, 1},
                                  Landscape};
    return command;
}

}  // namespace orvane::inspect
