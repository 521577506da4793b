#include "platform/win32/Processes_win32.h"

#include <shellapi.h>

#include <vector>

#include "platform/win32/Handle.h"

namespace orvane::win32 {

bool TWin32ProcessLauncher::ShellOpen(const std::wstring& file, const std::wstring& parameters, bool normalShow) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", file.c_str(),
                                                                parameters.empty() ? nullptr : parameters.c_str(),
                                                                nullptr, normalShow ? SW_SHOWNORMAL : SW_SHOWDEFAULT));
    return result > 32;
}

bool TWin32ProcessLauncher::Exec(const std::string& commandLine) {
    return WinExec(commandLine.c_str(), SW_SHOWNORMAL) > 31;
}

IProcessLauncher::TRun TWin32ProcessLauncher::RunAndWait(const std::wstring& commandLine, bool showWindow) {
    TRun run;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showWindow ? SW_SHOWNORMAL : SW_HIDE;
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &info))
        return run;
    run.started = true;
    DWORD error = 0;
    {
        const unique_handle process(info.hProcess), thread(info.hThread);
        DWORD code = 0;
        if (WaitForSingleObject(info.hProcess, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(info.hProcess, &code)) {
            run.exitCode = code;
            if (code != 0) error = code + 8192;
        }
    }
    // Closing the handles must not lose the exit code's error for the caller.
    if (error) SetLastError(error);
    return run;
}

std::wstring TWin32CurrentFolder::Get() const {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    const DWORD got = GetCurrentDirectoryW(size, folder.data());
    folder.resize(got < size ? got : 0);
    return folder;
}

bool TWin32CurrentFolder::Set(const std::wstring& folder) {
    return SetCurrentDirectoryW(folder.c_str()) != 0;
}

}  // namespace orvane::win32
