#include "restarter/HelperParameters.h"

#include "core/Text.h"

namespace orvane {

std::vector<std::wstring> SplitHelperCommandLine(std::wstring_view commandLine) {
    std::vector<std::wstring> parts;
    std::wstring current;
    bool inPart = false, quoted = false;
    for (const wchar_t c : commandLine) {
        if (c == L'"') {
            quoted = !quoted;
            inPart = true;  // "" is an empty parameter
        } else if ((c == L' ' || c == L'\t') && !quoted) {
            if (inPart) parts.push_back(std::move(current));
            current.clear();
            inPart = false;
        } else {
            current += c;
            inPart = true;
        }
    }
    if (inPart) parts.push_back(std::move(current));
    return parts;
}

std::vector<std::wstring> HelperArguments(std::wstring_view processCommandLine) {
    std::vector<std::wstring> parts = SplitHelperCommandLine(processCommandLine);
    if (!parts.empty()) parts.erase(parts.begin());
    return parts;
}

std::optional<THelperParameters> ParseHelperParameters(const std::vector<std::wstring>& arguments) {
    if (arguments.size() < 5) return std::nullopt;
    const std::wstring& id = arguments[0];
    if (id.empty() || id.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (const wchar_t c : id) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + std::uint64_t(c - L'0');
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    THelperParameters p;
    p.processId = std::uint32_t(value);
    p.log = arguments[1] == L"L";
    p.application = arguments[2];
    p.applicationParameters = arguments[3];
    p.workFolder = WithBackslash(arguments[4]);
    p.files.assign(arguments.begin() + 5, arguments.end());
    return p;
}

}  // namespace orvane
