#include <cstdio>
#include <fstream>

#include "Inspect.h"
#include "core/Paths.h"
#include "core/Text.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#endif

namespace orvane::inspect {

namespace {

std::vector<const TCommand*> Commands() {
    return {
        &LandscapeCommand(),
        &ChecksumCommand(),
        &ControlCommand(),
        &FetchCommand(),
        &CheckCommand(), &UpdateCommand(),
        &PublishCommand(),
#ifdef _WIN32
        &CabinetCommand(),
        &ReportCommand(),
        &VerifyCommand(),
#endif
    };
}

void ListCommands(std::FILE* out) {
    std::fputs("usage: orvane-inspect COMMAND [OPTIONS] ARGS\n", out);
    for (const TCommand* c : Commands()) {
        const std::string synopsis = c->spec.name + " " + c->spec.operands;
        std::fprintf(out, "  %-20s %s\n", synopsis.c_str(), c->spec.summary.c_str());
    }
}

// "--help" anywhere before a "--".
bool AsksForHelp(const std::vector<std::string>& words) {
    for (const std::string& w : words) {
        if (w == "--") return false;
        if (w == "--help") return true;
    }
    return false;
}

}  // namespace

const IAnsiCodePage& SystemAnsiCodePage() {
#ifdef _WIN32
    static const win32::TWin32AnsiCodePage codePage;
#else
    static const TWindows1252 codePage;
#endif
    return codePage;
}

std::filesystem::path PathOf(const std::string& utf8) {
    return NativePath(FromUtf8(utf8));
}

bool IsReadableFile(const std::string& utf8) {
    std::error_code ec;
    return std::filesystem::is_regular_file(PathOf(utf8), ec) && std::ifstream(PathOf(utf8), std::ios::binary).good();
}

int RunInspect(const std::vector<std::string>& words) {
    if (words.empty() || words[0] == "--help") {
        ListCommands(words.empty() ? stderr : stdout);
        return words.empty() ? 2 : 0;
    }
    for (const TCommand* c : Commands()) {
        if (words[0] != c->spec.name) continue;
        const std::vector<std::string> rest(words.begin() + 1, words.end());
        if (AsksForHelp(rest)) {
            std::fputs(UsageText(c->spec).c_str(), stdout);
            return 0;
        }
        // A command may find its line wrong too (a missing or malformed option): also a usage error.
        try {
            return c->run(ParseCommandLine(c->spec, rest));
        } catch (const TUsageError& e) {
            std::fprintf(stderr, "orvane-inspect: %s\n%s", e.what(), UsageText(c->spec).c_str());
            return 2;
        }
    }
    std::fprintf(stderr, "orvane-inspect: unknown command %s\n", words[0].c_str());
    ListCommands(stderr);
    return 2;
}

}  // namespace orvane::inspect

#ifdef _WIN32
// Arguments arrive as UTF-16 and are handed on as UTF-8, so paths with any characters work.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(orvane::ToUtf8(argv[i]));
    return orvane::inspect::RunInspect(args);
}
#else
int main(int argc, char** argv) {
    return orvane::inspect::RunInspect({argv + 1, argv + argc});
}
#endif
