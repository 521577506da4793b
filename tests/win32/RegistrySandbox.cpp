#include "RegistrySandbox.h"

#include <sddl.h>

#include <stdexcept>
#include <vector>

namespace orvane::testing {

namespace {

HKEY Create(HKEY parent, const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(parent, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create a sandbox key");
    return handle;
}

void ApplyDacl(HKEY parent, const std::wstring& key, const wchar_t* sddl) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(parent, key.c_str(), 0, WRITE_DAC, &handle) != ERROR_SUCCESS)
        throw std::runtime_error("cannot change a sandbox key's security");
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr);
    RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    RegCloseKey(handle);
}

// Restores full access below the sandbox so that it can be deleted.
void Unlock(HKEY key) {
    ApplyDacl(key, L"", L"D:(A;OICI;KA;;;WD)");
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        ApplyDacl(key, name, L"D:(A;OICI;KA;;;WD)");
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_ALL_ACCESS, &child) == ERROR_SUCCESS) {
            Unlock(child);
            RegCloseKey(child);
        }
    }
}

} // namespace

RegistrySandbox::RegistrySandbox() {
    root_ = L"Software\\OrvaneTests\\" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    sandbox_ = Create(HKEY_CURRENT_USER, root_);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, sandbox_);
}

RegistrySandbox::~RegistrySandbox() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    Unlock(sandbox_);
    RegCloseKey(sandbox_);
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
}

void RegistrySandbox::CreateKey(const std::wstring& key) { RegCloseKey(Create(sandbox_, key)); }

void RegistrySandbox::SetBytes(const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
                               DWORD size) {
    const HKEY handle = Create(sandbox_, key);
    RegSetValueExW(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
}

void RegistrySandbox::SetString(const std::wstring& key, const std::wstring& name, const std::wstring& value,
                                DWORD type) {
    SetBytes(key, name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegistrySandbox::SetDword(const std::wstring& key, const std::wstring& name, DWORD value) {
    SetBytes(key, name, REG_DWORD, &value, sizeof(value));
}

void RegistrySandbox::MakeReadOnly(const std::wstring& key) { ApplyDacl(sandbox_, key, L"D:P(A;;KR;;;WD)"); }

} // namespace orvane::testing
