#include <cstdio>
#include <cstring>

#include "Inspect.h"

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
};

int Usage() {
    std::fputs("usage: orvane-inspect COMMAND ARGS\n", stderr);
    for (const Entry& e : kCommands) std::fprintf(stderr, "  %s\n", e.usage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    for (const Entry& e : kCommands)
        if (std::strcmp(argv[1], e.name) == 0) return e.run({argv + 2, argv + argc});
    return Usage();
}
