#include "OrvaneProcess.h"

#include <gtest/gtest.h>

#include "GuiDriver.h"
#include "shell/ControlIds.h"

namespace orvane::testing {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

TOrvaneProcess::TOrvaneProcess() {
    const std::wstring exe = ProgramFolder() + L"orvane.exe";
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start orvane.exe, error " << GetLastError();
        return;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    main_ = gui::WaitForWindow(L"Orvane", pid_, 60000);
    if (!main_) ADD_FAILURE() << "the Orvane window did not appear (is DISPLAY set to a running X server?)";
    else gui::WaitIdle(main_);
}

TOrvaneProcess::~TOrvaneProcess() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
    }
    CloseHandle(process_);
}

HWND TOrvaneProcess::Control(int id) const { return main_ ? gui::FindById(main_, id) : nullptr; }

long TOrvaneProcess::CloseAndWait() {
    gui::Click(Control(ids::bbtClose));
    if (WaitForSingleObject(process_, 30000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<long>(code);
}

} // namespace orvane::testing
