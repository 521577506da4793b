#include "platform/win32/MessagePump_win32.h"

#include <windows.h>

namespace orvane::win32 {

void TWin32MessagePump::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The loop that owns the thread must still see it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void TWin32MessagePump::DebugOutput(const std::wstring& text) {
    // Only a debugger reads these lines; without one each call would still cost an exception.
    if (IsDebuggerPresent()) OutputDebugStringW(text.c_str());
}

}  // namespace orvane::win32
