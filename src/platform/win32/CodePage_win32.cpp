// The ANSI code page on its own: the restart helper needs it without the rest of the platform, whose
// imports (version.dll among them) would be looked for beside it in the download folder.

#include <windows.h>

#include "platform/win32/Win32Platform.h"

namespace orvane::win32 {

std::wstring TWin32AnsiCodePage::Decode(std::string_view bytes) const {
    if (bytes.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

std::string TWin32AnsiCodePage::Encode(std::wstring_view text) const {
    if (text.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
    return bytes;
}

}  // namespace orvane::win32
