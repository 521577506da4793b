#include <cstdio>

#include "Inspect.h"

namespace orvane::inspect {

int Landscape(const std::vector<std::string>& args) {
    std::fputs("orvane-inspect: landscape is not available in this build\n", stderr);
    return 2;
}

} // namespace orvane::inspect
