#include <cwchar>

#include "winui/Dpi.h"

namespace orvane::winui {

namespace {

UINT OverrideDpi() {
    wchar_t value[16] = L"";
    if (!GetEnvironmentVariableW(L"ORVANE_DPI", value, 16)) return 0;
    const long dpi = std::wcstol(value, nullptr, 10);
    return dpi >= 48 && dpi <= 960 ? static_cast<UINT>(dpi) : 0;
}

} // namespace

UINT WindowDpi(HWND window) {
    static const UINT forced = OverrideDpi();
    if (forced) return forced;
    // GetDpiForWindow exists from Windows 10 1607 on; older systems have one DPI for all monitors.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void EnableDpiAwareness() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    const auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is (HANDLE)-4; an error just means the manifest already did it.
    if (setContext && setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) return;
    SetProcessDPIAware();
}

} // namespace orvane::winui
