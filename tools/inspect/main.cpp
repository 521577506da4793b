#include <cstdio>
#include <cstring>

#include "Inspect.h"
#include "core/Text.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#endif

namespace {

struct Entry {
    const char* name;
    const char* usage;
    orvane::inspect::Command run;
};

constexpr Entry kCommands[] = {
    {"landscape", "landscape FILE   what the landscape reader reads, as JSON", orvane::inspect::Landscape},
    {"checksum", "checksum FILE    the update engine's checksums of a file", orvane::inspect::Checksum},
    {"control", "control FILE     what the update engine reads from a control file, as JSON", orvane::inspect::Control},
    {"fetch", "fetch [options] URL FOLDER   fetches one file as the update engine does", orvane::inspect::Fetch},
};

int Usage() {
    std::fputs("usage: orvane-inspect COMMAND ARGS\n", stderr);
    for (const Entry& e : kCommands) std::fprintf(stderr, "  %s\n", e.usage);
    return 2;
}

} // namespace

namespace orvane::inspect {

const IAnsiCodePage& SystemAnsiCodePage() {
#ifdef _WIN32
    static const win32::TWin32AnsiCodePage codePage;
#else
    static const TWindows1252 codePage;
#endif
    return codePage;
}

} // namespace orvane::inspect

static int Run(const std::vector<std::string>& args) {
    if (args.empty()) return Usage();
    for (const Entry& e : kCommands)
        if (args[0] == e.name) return e.run({args.begin() + 1, args.end()});
    return Usage();
}

#ifdef _WIN32
// Arguments arrive as UTF-16 and are handed on as UTF-8, so paths with any characters work.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(orvane::ToUtf8(argv[i]));
    return Run(args);
}
#else
int main(int argc, char** argv) { return Run({argv + 1, argv + argc}); }
#endif
