#include "restarter/win32/HelperSystem_win32.h"

#include <windows.h>

#include <lzexpand.h>
#include <shlobj.h>

#include "core/Text.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Platform.h"
#include "update/PathHelpers.h"
#include "update/Szdd.h"
#include "update/win32/Cabinet_win32.h"

namespace orvane {

namespace {

using win32::unique_handle;
using win32::unique_hfile;
using win32::unique_hfind;
using win32::unique_hkey;
using win32::unique_hmodule;

unsigned long long AsNumber(const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

unsigned long long CreationTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return AsNumber(created);
}

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(buffer, n);
}

// The command line of a program: its quoted path, then its arguments. A path with blanks is never
// split at "C:\Program".
std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments) {
    std::wstring line = L"\"" + program + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    return line;
}

struct TProcess {
    unique_handle process, thread;
};

std::optional<TProcess> Create(const std::wstring& program, const std::wstring& arguments, WORD show) {
    std::wstring line = CommandLine(program, arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &info))
        return std::nullopt;
    TProcess p;
    p.process.reset(info.hProcess);
    p.thread.reset(info.hThread);
    return p;
}

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The system's LZ32 by its full path, never one beside the helper in the download folder.
class TLz32 {
public:
    TLz32() : module_(LoadLibraryExW((SystemFolder() + L"\\lz32.dll").c_str(), nullptr, 0)) {
        if (!module_) return;
        init = Lookup<decltype(&LZInit)>(module_.get(), "LZInit");
        copy = Lookup<decltype(&LZCopy)>(module_.get(), "LZCopy");
        close = Lookup<decltype(&LZClose)>(module_.get(), "LZClose");
    }
    bool ok() const { return init && copy && close; }

    decltype(&LZInit) init = nullptr;
    decltype(&LZCopy) copy = nullptr;
    decltype(&LZClose) close = nullptr;

private:
    unique_hmodule module_;
};

// An LZ handle, closed through the library that opened it.
class TLzHandle {
public:
    TLzHandle(const TLz32& lz, INT handle) : lz_(lz), handle_(handle) {}
    ~TLzHandle() {
        if (handle_ >= 0) lz_.close(handle_);
    }
    TLzHandle(const TLzHandle&) = delete;
    TLzHandle& operator=(const TLzHandle&) = delete;
    INT get() const { return handle_; }

private:
    const TLz32& lz_;
    INT handle_;
};

void ListInto(const std::wstring& folder, const std::wstring& relative, std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW data;
    unique_hfind find(FindFirstFileExW((folder + relative + L"*").c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ListInto(folder, relative + name + L"\\", out);
        } else {
            out.push_back(relative + name);
        }
    } while (FindNextFileW(find.get(), &data));
}

}  // namespace

TWin32HelperSystem::TWin32HelperSystem() : ownCreation_(CreationTime(GetCurrentProcess())) {}

LocalTime TWin32HelperSystem::Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

void TWin32HelperSystem::Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

IHelperSystem::TWait TWin32HelperSystem::WaitForProcess(std::uint32_t processId, unsigned timeoutMs) {
    unique_handle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) process.reset(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return TWait::wEnded;
    // The id of an ended application may already belong to a newer process: not ours to wait for.
    const unsigned long long created = CreationTime(process.get());
    if (created != 0 && ownCreation_ != 0 && created > ownCreation_) return TWait::wEnded;
    // Waiting on the handle, not trusting the open: a process that has just ended can still be opened.
    return WaitForSingleObject(process.get(), timeoutMs) == WAIT_TIMEOUT ? TWait::wTimedOut : TWait::wEnded;
}

std::optional<std::uint32_t> TWin32HelperSystem::RunAndWait(const std::wstring& program, const std::wstring& arguments,
                                                            unsigned timeoutMs) {
    const auto p = Create(program, arguments, SW_HIDE);
    if (!p) return std::nullopt;
    if (WaitForSingleObject(p->process.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;  // left running
    DWORD code = 0;
    if (!GetExitCodeProcess(p->process.get(), &code)) return std::nullopt;
    return code;
}

bool TWin32HelperSystem::Start(const std::wstring& program, const std::wstring& arguments) {
    return Create(program, arguments, SW_SHOW).has_value();
}

std::wstring TWin32HelperSystem::CurrentFolder() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(n, L'\0');
    const DWORD written = GetCurrentDirectoryW(n, folder.data());
    folder.resize(written < n ? written : 0);
    return folder;
}

std::wstring TWin32HelperSystem::DocumentsFolder() {
    // Without the folder there is no settings file and no log: a failed look-up is tried again for
    // a moment (a busy system has been seen to fail it once) rather than logging nowhere.
    wchar_t path[MAX_PATH];
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
            return path;
        ::Sleep(50);
    }
    return {};
}

THelperFolders TWin32HelperSystem::Folders() {
    THelperFolders f;
    wchar_t buffer[MAX_PATH + 1];
    UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) f.windows.assign(buffer, n);
    f.system = SystemFolder();
    f.application = CurrentFolder();
    n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n > 0 && n <= MAX_PATH) f.temporary = WithBackslash(std::wstring(buffer, n));
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_QUERY_VALUE,
                      key.put()) == ERROR_SUCCESS) {
        wchar_t value[MAX_PATH] = {};
        DWORD size = sizeof value - sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(key.get(), L"ProgramFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ))
            f.programFiles = value;
    }
    return f;
}

std::optional<std::string> TWin32HelperSystem::ReadFile(const std::wstring& path) {
    unique_hfile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (256 << 20)) return std::nullopt;
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size()))
        return std::nullopt;
    return bytes;
}

bool TWin32HelperSystem::Exists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool TWin32HelperSystem::Delete(const std::wstring& path) {
    return DeleteFileW(path.c_str()) != 0;
}

bool TWin32HelperSystem::CopyNew(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) return false;
    unique_hfile written(
        CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return written && FlushFileBuffers(written.get());
}

bool TWin32HelperSystem::Rename(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), 0) != 0;
}

bool TWin32HelperSystem::MoveReplace(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool TWin32HelperSystem::CreateFolders(const std::wstring& folder) {
    std::wstring path = folder;
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    if (path.empty()) return true;
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring parent = DirectoryPart(path);
    if (!parent.empty() && parent != path && !(parent.size() == 2 && parent[1] == L':')) CreateFolders(parent);
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<std::wstring> TWin32HelperSystem::ListFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    ListInto(WithBackslash(folder), L"", names);
    return names;
}

void TWin32HelperSystem::RemoveTree(const std::wstring& folder) {
    const std::wstring root = WithBackslash(folder);
    for (const std::wstring& name : ListFiles(root)) {
        SetFileAttributesW((root + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((root + name).c_str());
    }
    // Deepest folders first: a folder's path is longer than its parent's.
    std::vector<std::wstring> folders;
    std::vector<std::wstring> pending{root};
    while (!pending.empty()) {
        const std::wstring current = pending.back();
        pending.pop_back();
        folders.push_back(current);
        WIN32_FIND_DATAW data;
        unique_hfind find(
            FindFirstFileExW((current + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
        if (!find) continue;
        do {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L".." && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                pending.push_back(current + name + L"\\");
        } while (FindNextFileW(find.get(), &data));
    }
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryW(it->c_str());
}

// The files are opened here with the wide functions and handed to LZ32 as handles: its own opening
// goes through 8-bit paths of at most 128 characters, which a user folder outside the code page (or a
// deep one) does not survive. The expanded name comes from the header the same way.
std::optional<IHelperSystem::TExpanded> TWin32HelperSystem::LzExpand(const std::wstring& source,
                                                                     const std::wstring& folder) {
    const TLz32 lz;
    if (!lz.ok()) return std::nullopt;
    const auto bytes = ReadFile(source);
    if (!bytes) return std::nullopt;
    std::wstring name = FileNamePart(source);
    if (const auto header = ParseSzddHeader(*bytes)) {
        const auto expanded = SzddExpandedName(name, header->missingChar);
        if (!expanded) return std::nullopt;
        name = *expanded;
    }
    unique_hfile in(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in) return std::nullopt;
    const INT lzIn = lz.init(static_cast<HFILE>(reinterpret_cast<INT_PTR>(in.get())));
    if (lzIn < 0) return std::nullopt;
    in.release();  // LZ32 owns it now and closes it with its handle
    const TLzHandle reader(lz, lzIn);
    const std::wstring target = WithBackslash(folder) + name;
    const unique_hfile out(
        CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return std::nullopt;
    const LONG size = lz.copy(reader.get(), static_cast<HFILE>(reinterpret_cast<INT_PTR>(out.get())));
    if (size < 0) return std::nullopt;
    return TExpanded{name, std::uint64_t(size)};
}

bool TWin32HelperSystem::ExtractCabinet(const std::wstring& cabinet, const std::wstring& folder) {
    return orvane::ExtractCabinet(cabinet, WithBackslash(folder)) == 0;
}

void TWin32HelperSystem::AppendLog(const std::wstring& path, const std::wstring& line) {
    unique_hfile file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::string bytes = ansi_.Encode(line) + "\r\n";
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return DirectoryPart(path) + L"\\";
}

THelperBounds HelperBoundsBeside(const std::wstring& helperFolder) {
    TWin32HelperSystem sys;
    const auto bytes = sys.ReadFile(helperFolder + L"wusetup.bounds.ini");
    return bytes ? ShortenedBounds(*bytes, win32::TWin32AnsiCodePage()) : THelperBounds();
}

}  // namespace orvane
