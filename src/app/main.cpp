#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "crash/win32/CrashHandler_win32.h"
#include "shell/win32/MainWindow.h"
#include "update/HostProbes.h"
#include "update/WebUpdate.h"
#include "platform/win32/Worker_win32.h"
#include "update/win32/UpdateServices_win32.h"
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

// Where the update engine writes its log: the name it was given, in the documents folder unless it
// names a folder itself.
std::wstring UpdateLogPath() {
    std::wstring name = orvane::ProcessLogFileName();
    if (name.empty()) name = L"WUPDATE.LOG";
    if (name.find_first_of(L"\\/:") != std::wstring::npos) return name;
    const orvane::win32::TWin32SystemVersion system;
    const orvane::win32::TWin32KnownFolders folders(orvane::UpdateKnownFolderRoute(system));
    return orvane::WithTrailingBackslash(orvane::DocumentsFolder(folders)) + name;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    orvane::crash::TCrashSettings crash;
    crash.mailTo = ORVANE_CRASH_MAIL_TO;
    crash.updateLogPath = UpdateLogPath;
    orvane::crash::InstallCrashHandler(std::move(crash));
    orvane::win32::SetWorkerLastChance(orvane::crash::ReportCurrentExceptionAndExit);
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
