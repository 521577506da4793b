// wusetup.exe: started by the update engine with its parameter text, it waits for the application to
// end, installs the delivered files and starts the application again. No window, nothing asked.

#include <windows.h>

#include "restarter/Helper.h"
#include "restarter/HelperParameters.h"
#include "restarter/win32/HelperSystem_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // It runs from the download folder: DLLs come from the system folder only.
    SetDllDirectoryW(L"");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    if (const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"))))
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    try {
        orvane::TWin32HelperSystem system;
        orvane::RunHelper(orvane::HelperArguments(GetCommandLineW()), system,
                          orvane::HelperBoundsBeside(orvane::OwnFolder()));
    } catch (...) {
        // Nothing to show: the helper has no window, and the log may be what failed.
    }
    return 0;
}
