#include "platform/win32/RegistryStore_win32.h"

#include <windows.h>

#include "platform/win32/Handle.h"
#include "platform/win32/Win32Platform.h"

namespace orvane::win32 {

namespace {

std::wstring SubkeyPath(const std::wstring& key, const std::wstring& section) {
    std::wstring path = key;
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path.empty() ? section : path + L'\\' + section;
}

}  // namespace

std::optional<std::wstring> TWin32RegistryStore::ReadText(RegHive hive, const std::wstring& key,
                                                          const std::wstring& section, const std::wstring& name) const {
    const RegText value = TWin32Registry().ReadText(hive, SubkeyPath(key, section), name);
    if (value.state != RegText::State::Text) return std::nullopt;
    return value.text;
}

bool TWin32RegistryStore::WriteText(RegHive hive, const std::wstring& key, const std::wstring& section,
                                    const std::wstring& name, const std::wstring& value) {
    unique_hkey handle;
    if (RegCreateKeyExW(HiveHandle(hive), SubkeyPath(key, section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, handle.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(handle.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
           ERROR_SUCCESS;
}

}  // namespace orvane::win32
