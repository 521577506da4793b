#pragma once

#include "platform/ProcessControl.h"

namespace orvane::win32 {

class TWin32ModuleResources : public IModuleResources {
public:
    std::optional<std::string> Find(const std::wstring& name) override;
    std::wstring ModulePath() override;
};

class TWin32ProcessControl : public IProcessControl {
public:
    std::uint32_t CurrentProcessId() override;
    std::wstring CurrentFolder() override;
    std::intptr_t ShellOpen(const std::wstring& file, const std::wstring& parameters) override;
    void RequestQuit() override;
};

class TWin32ProfileWriter : public IProfileWriter {
public:
    bool WriteString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override;
};

}  // namespace orvane::win32
