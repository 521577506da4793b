#pragma once

// One Orvane started for a test, driven through its window, closed (or killed) at the end.

#include <windows.h>

#include <string>

namespace orvane::testing {

class TOrvaneProcess {
public:
    // Starts bin/orvane.exe (next to the test program) and waits for its main window.
    TOrvaneProcess();
    ~TOrvaneProcess();
    TOrvaneProcess(const TOrvaneProcess&) = delete;
    TOrvaneProcess& operator=(const TOrvaneProcess&) = delete;

    HWND Main() const { return main_; }
    HWND Control(int id) const;
    DWORD Pid() const { return pid_; }
    // Presses "&Fermer" and waits for the process to end; its exit code, or -1 if it did not end.
    long CloseAndWait();

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

std::wstring ProgramFolder();

} // namespace orvane::testing
