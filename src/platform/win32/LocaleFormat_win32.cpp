#include "platform/win32/LocaleFormat_win32.h"

#include <windows.h>

namespace orvane::win32 {

namespace {

using GetLocaleInfoExFn = int(WINAPI*)(LPCWSTR, LCTYPE, LPWSTR, int);

// GetLocaleInfoEx where kernel32 has it (looked up, so older systems still start), else the
// LCID-based query.
std::wstring LocaleText(LCTYPE type) {
    static const auto getLocaleInfoEx = [] {
        const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
        return kernel32 ? reinterpret_cast<GetLocaleInfoExFn>(
                              reinterpret_cast<void*>(GetProcAddress(kernel32, "GetLocaleInfoEx")))
                        : nullptr;
    }();
    wchar_t buffer[128] = {};
    const int length = getLocaleInfoEx ? getLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 128)
                                       : GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
    return length > 0 ? std::wstring(buffer) : std::wstring();
}

wchar_t FirstOr(const std::wstring& text, wchar_t fallback) {
    return text.empty() ? fallback : text.front();
}

}  // namespace

wchar_t TWin32LocaleFormat::DateSeparator() const {
    return FirstOr(LocaleText(LOCALE_SDATE), L'/');
}

wchar_t TWin32LocaleFormat::TimeSeparator() const {
    return FirstOr(LocaleText(LOCALE_STIME), L':');
}

std::wstring TWin32LocaleFormat::LongTimeFormat() const {
    const std::wstring picture = LocaleText(LOCALE_STIMEFORMAT);
    return picture.empty() ? L"HH:mm:ss" : picture;
}

std::wstring TWin32LocaleFormat::AmDesignator() const {
    return LocaleText(LOCALE_S1159);
}

std::wstring TWin32LocaleFormat::PmDesignator() const {
    return LocaleText(LOCALE_S2359);
}

std::wstring TWin32LocaleFormat::ShortDateFormat() const {
    const std::wstring picture = LocaleText(LOCALE_SSHORTDATE);
    return picture.empty() ? L"dd/MM/yyyy" : picture;
}

}  // namespace orvane::win32
