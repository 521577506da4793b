#pragma once

// The Win32 implementations of the platform interfaces.

#include <windows.h>

#include "platform/CodePage.h"
#include "platform/Dialogs.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/TextFileReader.h"
#include "platform/VersionResource.h"

namespace orvane::win32 {

// Keys are opened for reading only (KEY_READ, no view flag): a standard user or a process that is
// not elevated must see the same folders as an administrator.
class TWin32Registry : public IRegistry {
public:
    RegText ReadText(RegHive hive, const std::wstring& key, const std::wstring& name) const override;
    bool KeyExists(RegHive hive, const std::wstring& key) const override;
    std::optional<std::vector<std::wstring>> ReadMultiText(RegHive hive, const std::wstring& key,
                                                           const std::wstring& name) const override;
};

HKEY HiveHandle(RegHive hive);

class TWin32Environment : public IEnvironment {
public:
    std::optional<std::wstring> Get(const std::wstring& name) const override;
};

class TWin32FileSystem : public IFileSystem {
public:
    bool FileExists(const std::wstring& path) const override;
    bool FolderExists(const std::wstring& path) const override;
};

class TWin32Shell : public IShell {
public:
    explicit TWin32Shell(HWND owner) : owner_(owner) {}
    void Open(const std::wstring& path) override;

private:
    HWND owner_;
};

class TWin32Dialogs : public IDialogs {
public:
    explicit TWin32Dialogs(HWND owner) : owner_(owner) {}
    void ShowError(const std::wstring& text) override;
    bool AskYesNo(const std::wstring& text) override;

private:
    HWND owner_;
};

class TWin32VersionResource : public IVersionResource {
public:
    std::optional<TVersionBlock> Read(const std::wstring& path) const override;
    std::wstring OwnExecutablePath() const override;
};

// Opens with read access and read sharing only: a file another program holds open for writing
// cannot be opened, and the error says so.
class TWin32TextFileReader : public ITextFileReader {
public:
    std::string ReadAll(const std::wstring& path) const override;
};

// The system's ANSI code page (CP_ACP).
class TWin32AnsiCodePage : public IAnsiCodePage {
public:
    std::wstring Decode(std::string_view bytes) const override;
    std::string Encode(std::wstring_view text) const override;
};

// The user's locale collation, ignoring case: how the server list sorts its names.
int CompareUserLocaleNoCase(const std::wstring& a, const std::wstring& b);

} // namespace orvane::win32
