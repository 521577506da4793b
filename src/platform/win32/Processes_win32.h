#pragma once

#include <windows.h>

#include "platform/CurrentFolder.h"
#include "platform/Processes.h"

namespace orvane::win32 {

class TWin32ProcessLauncher : public IProcessLauncher {
public:
    bool ShellOpen(const std::wstring& file, const std::wstring& parameters, bool normalShow) override;
    bool Exec(const std::string& commandLine) override;
    TRun RunAndWait(const std::wstring& commandLine, bool showWindow) override;
};

class TWin32CurrentFolder : public ICurrentFolder {
public:
    std::wstring Get() const override;
    bool Set(const std::wstring& folder) override;
};

}  // namespace orvane::win32
