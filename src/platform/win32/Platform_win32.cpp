#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "core/Error.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Platform.h"

namespace orvane::win32 {

HKEY HiveHandle(RegHive hive) {
    switch (hive) {
        case RegHive::CurrentUser: return HKEY_CURRENT_USER;
        case RegHive::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RegHive::LocalMachine: break;
    }
    return HKEY_LOCAL_MACHINE;
}

RegText TWin32Registry::ReadText(RegHive hive, const std::wstring& key, const std::wstring& name) const {
    unique_hkey handle;
    if (RegOpenKeyExW(HiveHandle(hive), key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS)
        return {RegText::State::NoKey, {}};

    DWORD type = 0, size = 0;
    if (RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {RegText::State::NoValue, {}};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {RegText::State::OtherType, {}};

    // The value may grow between the two calls; ask again until it fits.
    std::vector<BYTE> data;
    LONG status;
    do {
        data.resize(size + sizeof(wchar_t));
        size = static_cast<DWORD>(data.size());
        status = RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, data.data(), &size);
    } while (status == ERROR_MORE_DATA);
    if (status != ERROR_SUCCESS) return {RegText::State::NoValue, {}};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {RegText::State::OtherType, {}};

    const auto* chars = reinterpret_cast<const wchar_t*>(data.data());
    const size_t count = size / sizeof(wchar_t);
    size_t length = 0;
    while (length < count && chars[length] != L'\0') ++length;  // stored data need not be terminated
    return {RegText::State::Text, std::wstring(chars, length)};
}

bool TWin32Registry::KeyExists(RegHive hive, const std::wstring& key) const {
    unique_hkey handle;
    return RegOpenKeyExW(HiveHandle(hive), key.c_str(), 0, KEY_READ, handle.put()) == ERROR_SUCCESS;
}

std::optional<std::vector<std::wstring>> TWin32Registry::ReadMultiText(RegHive hive, const std::wstring& key,
                                                                       const std::wstring& name) const {
    unique_hkey handle;
    if (RegOpenKeyExW(HiveHandle(hive), key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return std::nullopt;
    std::vector<BYTE> data;
    LONG status;
    do {
        data.resize(size + 2 * sizeof(wchar_t));
        size = static_cast<DWORD>(data.size());
        status = RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, data.data(), &size);
    } while (status == ERROR_MORE_DATA);
    if (status != ERROR_SUCCESS || type != REG_MULTI_SZ) return std::nullopt;

    // Stored data need not end in the two NULs the type promises.
    const auto* chars = reinterpret_cast<const wchar_t*>(data.data());
    const size_t count = size / sizeof(wchar_t);
    std::vector<std::wstring> strings;
    size_t start = 0;
    for (size_t i = 0; i <= count; ++i) {
        if (i == count || chars[i] == L'\0') {
            if (i > start) strings.emplace_back(chars + start, i - start);
            start = i + 1;
        }
    }
    return strings;
}

std::optional<std::wstring> TWin32Environment::Get(const std::wstring& name) const {
    std::wstring value(256, L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::wstring();
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // LENGTH counts the terminating NUL here
    }
}

bool TWin32FileSystem::FileExists(const std::wstring& path) const {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TWin32FileSystem::FolderExists(const std::wstring& path) const {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void TWin32Shell::Open(const std::wstring& path) {
    ShellExecuteW(owner_, L"Open", path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

void TWin32Dialogs::ShowError(const std::wstring& text) {
    wchar_t title[256] = L"";
    if (owner_) GetWindowTextW(GetAncestor(owner_, GA_ROOT), title, 256);
    MessageBoxW(owner_, text.c_str(), title, MB_OK | MB_ICONERROR);
}

bool TWin32Dialogs::AskYesNo(const std::wstring& text) {
    wchar_t title[256] = L"";
    if (owner_) GetWindowTextW(GetAncestor(owner_, GA_ROOT), title, 256);
    return MessageBoxW(owner_, text.c_str(), title, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::optional<TVersionBlock> TWin32VersionResource::Read(const std::wstring& path) const {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return std::nullopt;

    TVersionBlock block;
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", &value, &length) && value && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
        block.fixedInfo = TFixedFileInfo{fixed.dwSignature,      fixed.dwStrucVersion,     fixed.dwFileVersionMS,
                                         fixed.dwFileVersionLS,  fixed.dwProductVersionMS, fixed.dwProductVersionLS,
                                         fixed.dwFileFlagsMask,  fixed.dwFileFlags,        fixed.dwFileOS,
                                         fixed.dwFileType,       fixed.dwFileSubtype,      fixed.dwFileDateMS,
                                         fixed.dwFileDateLS};
    }
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) && value) {
        const auto* pairs = static_cast<const WORD*>(value);
        for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2) block.translations.push_back({pairs[i], pairs[i + 1]});
    }
    return block;
}

std::wstring TWin32VersionResource::OwnExecutablePath() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string TWin32TextFileReader::ReadAll(const std::wstring& path) const {
    unique_hfile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) ThrowWin32Error();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) ThrowWin32Error();
    std::string bytes;
    bytes.reserve(static_cast<size_t>(size.QuadPart));
    // Read to the end rather than trusting the size: the file may still be growing.
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) ThrowWin32Error();
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return bytes;
}

int CompareUserLocaleNoCase(const std::wstring& a, const std::wstring& b) {
    const int result = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                                       b.c_str(), static_cast<int>(b.size()), nullptr, nullptr, 0);
    if (result == 0) return a.compare(b);  // cannot happen with valid arguments; stay total anyway
    return result - CSTR_EQUAL;
}

} // namespace orvane::win32
