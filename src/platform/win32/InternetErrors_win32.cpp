#include "platform/win32/InternetErrors_win32.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

namespace orvane::win32 {

namespace {

constexpr DWORD kTextLimit = 2050;

}  // namespace

std::uint32_t TWin32InternetErrors::LastError() const {
    return GetLastError();
}

std::wstring TWin32InternetErrors::Message(std::uint32_t code) const {
    // The program imports the Internet library, so its module (and message table) is loaded.
    const HMODULE wininet = GetModuleHandleW(L"wininet.dll");
    if (!wininet) return {};
    std::vector<wchar_t> buffer(kTextLimit + 1);
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, wininet, code, 0,
                                        buffer.data(), kTextLimit, nullptr);
    std::wstring text(buffer.data(), length);
    // The table's texts end with a line break, which would split the log line in two.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return text;
}

std::wstring TWin32InternetErrors::LastResponse() const {
    DWORD error = 0, length = 0;
    if (!InternetGetLastResponseInfoW(&error, nullptr, &length) && length == 0) return {};
    if (length == 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    length = static_cast<DWORD>(buffer.size());
    if (!InternetGetLastResponseInfoW(&error, buffer.data(), &length)) return {};
    std::wstring text(buffer.data(), std::min<DWORD>(length, static_cast<DWORD>(buffer.size() - 1)));
    if (text.size() > kTextLimit) text.resize(kTextLimit);
    return text;
}

}  // namespace orvane::win32
