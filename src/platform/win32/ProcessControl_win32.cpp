#include "platform/win32/ProcessControl_win32.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/Handle.h"

namespace orvane::win32 {

std::wstring TWin32ModuleResources::ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::optional<std::string> TWin32ModuleResources::Find(const std::wstring& name) {
    HRSRC found = FindResourceW(nullptr, name.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return std::nullopt;
    // A loaded resource belongs to the module and is never freed by hand.
    HGLOBAL loaded = LoadResource(nullptr, found);
    const DWORD size = SizeofResource(nullptr, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes && size != 0) return std::nullopt;
    return std::string(static_cast<const char*>(bytes), size);
}

std::uint32_t TWin32ProcessControl::CurrentProcessId() {
    return GetCurrentProcessId();
}

std::wstring TWin32ProcessControl::CurrentFolder() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return {};
    std::wstring folder(n, L'\0');
    const DWORD written = GetCurrentDirectoryW(n, folder.data());
    folder.resize(written < n ? written : 0);
    return folder;
}

std::intptr_t TWin32ProcessControl::ShellOpen(const std::wstring& file, const std::wstring& parameters) {
    return reinterpret_cast<std::intptr_t>(
        ShellExecuteW(nullptr, L"open", file.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
}

void TWin32ProcessControl::RequestQuit() {
    PostQuitMessage(0);
}

bool TWin32ProfileWriter::WriteString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                                      const std::wstring& value) {
    // The system writes a new INI file in the 8-bit code page, losing what it cannot show (a user
    // folder in another script); a file that starts as UTF-16 is kept in UTF-16.
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const unique_hfile created(
            CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (created) WriteFile(created.get(), "\xFF\xFE", 2, &written, nullptr);
    }
    if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str())) return false;
    // The system caches INI files; flushing makes the value visible to the next process at once.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    return true;
}

}  // namespace orvane::win32
