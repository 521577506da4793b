#pragma once

#include <string>
#include <vector>

namespace orvane {

// Rows as a spreadsheet takes them from the clipboard: cells joined by tabs, rows by CR LF.
std::wstring TabSeparatedLines(const std::vector<std::vector<std::wstring>>& rows);

}  // namespace orvane
