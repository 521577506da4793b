#include "platform/win32/SystemVersion_win32.h"

#include <windows.h>

namespace orvane::win32 {

std::optional<OSVersionRecord> TWin32SystemVersion::Reported() const {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    // The reported (possibly compatibility-shimmed) version is what the name table is keyed on.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return std::nullopt;
#pragma GCC diagnostic pop
    OSVersionRecord record;
    switch (info.dwPlatformId) {
        case VER_PLATFORM_WIN32s:
            record.platform = OSVersionRecord::Platform::Win32s;
            break;
        case VER_PLATFORM_WIN32_WINDOWS:
            record.platform = OSVersionRecord::Platform::Windows9x;
            break;
        case VER_PLATFORM_WIN32_NT:
            record.platform = OSVersionRecord::Platform::WindowsNT;
            break;
        default:
            record.platform = OSVersionRecord::Platform::Other;
            break;
    }
    record.major = info.dwMajorVersion;
    record.minor = info.dwMinorVersion;
    record.productType = info.wProductType;
    // The 9x family keeps its version in the high word of the build number.
    record.build =
        record.platform == OSVersionRecord::Platform::Windows9x ? LOWORD(info.dwBuildNumber) : info.dwBuildNumber;
    info.szCSDVersion[127] = L'\0';
    record.servicePack = info.szCSDVersion;
    return record;
}

std::optional<OSVersionNumber> TWin32SystemVersion::Refined() const {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return std::nullopt;
    const auto rtlGetVersion =
        reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (!rtlGetVersion) return std::nullopt;
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (rtlGetVersion(&info) != 0) return std::nullopt;
    return OSVersionNumber{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

bool TWin32SystemVersion::HasLocaleInfoEx() const {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    return kernel32 && GetProcAddress(kernel32, "GetLocaleInfoEx") != nullptr;
}

}  // namespace orvane::win32
