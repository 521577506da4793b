#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "shell/win32/MainWindow.h"
#include "winui/Dpi.h"

namespace {

// COM for the main thread, apartment-threaded (the ping talks to WMI). Only what succeeded is undone.
class ScopedCom {
public:
    ScopedCom() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ScopedCom() {
        if (initialised_) CoUninitialize();
    }
    ScopedCom(const ScopedCom&) = delete;
    ScopedCom& operator=(const ScopedCom&) = delete;

private:
    bool initialised_;
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    ScopedCom com;
    orvane::winui::EnableDpiAwareness();
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES |
                                                              ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    orvane::TfrmMain frmMain;
    const HWND window = frmMain.Create(showCommand);
    if (!window) return 1;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Ctrl+Tab changes the tab; Tab, arrow keys and Alt+letter mnemonics move between the controls.
        if (frmMain.TranslateKeys(message)) continue;
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
