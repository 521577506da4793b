#include <cstdio>

#include "Inspect.h"

namespace orvane::inspect {

int Checksum(const std::vector<std::string>& args) {
    std::fputs("orvane-inspect: checksum is not available in this build\n", stderr);
    return 2;
}

int Control(const std::vector<std::string>& args) {
    std::fputs("orvane-inspect: control is not available in this build\n", stderr);
    return 2;
}

} // namespace orvane::inspect
