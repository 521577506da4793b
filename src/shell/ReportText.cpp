#include "shell/ReportText.h"

namespace orvane {

std::wstring TabSeparatedLines(const std::vector<std::vector<std::wstring>>& rows) {
    std::wstring out;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r) out += L"\r\n";
        for (size_t c = 0; c < rows[r].size(); ++c) {
            if (c) out += L'\t';
            out += rows[r][c];
        }
    }
    return out;
}

}  // namespace orvane
