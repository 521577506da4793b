#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "restarter/HelperSystem.h"

namespace orvane {

struct THelperBounds {
    unsigned waitMs = 2 * 60 * 1000;  // for the application to end
    unsigned runMs = 10 * 60 * 1000;  // for a delivered program to finish
    unsigned retries = 10;            // for a file that is locked
    unsigned retryDelayMs = 300;
};

// The defaults, shortened by [BOUNDS] WAITMS and RUNMS of a settings file; never lengthened.
THelperBounds ShortenedBounds(std::string_view settings, const IAnsiCodePage& ansi);

// The helper's whole run, from its parameters (without the program name).
void RunHelper(const std::vector<std::wstring>& arguments, IHelperSystem& system, const THelperBounds& bounds);

}  // namespace orvane
