#pragma once

#include <string>
#include <string_view>

namespace orvane {

// TEXT as a JSON string literal in UTF-8, quotes included; control characters escaped.
std::string JsonString(std::wstring_view text);

} // namespace orvane
