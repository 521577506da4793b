#include "platform/win32/ProfileReader_win32.h"

#include <windows.h>

#include "core/Error.h"

namespace orvane::win32 {

namespace {

// Far beyond any INI file; only guards against a profile function that never reports a fit.
constexpr DWORD kMaxChars = DWORD{1} << 26;

// The profile string for KEY, or the double-null-separated key names when KEY is null.
std::wstring ProfileString(const std::wstring& path, const std::wstring& section, const wchar_t* key) {
    for (DWORD size = 1024;; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = GetPrivateProfileStringW(section.c_str(), key, L"", buffer.data(), size, path.c_str());
        // A cut-off result comes back as size - 1 (a value) or size - 2 (a list of names).
        if (length + 2 < size) {
            buffer.resize(length);
            return buffer;
        }
        if (size >= kMaxChars) throw AppError(L"Valeur trop longue dans " + path);
    }
}

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> TWin32ProfileReader::ReadSection(const std::wstring& path,
                                                                                    const std::wstring& section) const {
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    const std::wstring names = ProfileString(path, section, nullptr);
    for (size_t start = 0; start < names.size();) {
        size_t end = names.find(L'\0', start);
        if (end == std::wstring::npos) end = names.size();
        std::wstring key = names.substr(start, end - start);
        if (!key.empty()) {
            std::wstring value = ProfileString(path, section, key.c_str());
            entries.emplace_back(std::move(key), std::move(value));
        }
        start = end + 1;
    }
    return entries;
}

}  // namespace orvane::win32
