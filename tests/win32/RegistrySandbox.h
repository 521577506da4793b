#pragma once

// Gives a test its own HKEY_LOCAL_MACHINE: a private key under HKEY_CURRENT_USER that the process
// sees in place of the real hive, removed afterwards. Tests running in parallel never meet.

#include <windows.h>

#include <string>

namespace orvane::testing {

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    void SetString(const std::wstring& key, const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ);
    void SetBytes(const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD size);
    void SetDword(const std::wstring& key, const std::wstring& name, DWORD value);
    void CreateKey(const std::wstring& key);
    // Leaves KEY readable but not writable by anyone, as HKLM keys are for a standard user.
    void MakeReadOnly(const std::wstring& key);

private:
    std::wstring root_;
    HKEY sandbox_ = nullptr;
};

} // namespace orvane::testing
