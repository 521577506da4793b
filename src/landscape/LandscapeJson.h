#pragma once

#include <string>
#include <string_view>

#include "core/Json.h"
#include "landscape/LandscapeTypes.h"

namespace orvane {

// The whole record as indented JSON text in UTF-8: every field under its model name, each flagged
// field X followed by its flag _X, enumerations by name, arrays of records as arrays of objects.
std::string LandscapeToJson(const tyLandscape& landscape);

} // namespace orvane
