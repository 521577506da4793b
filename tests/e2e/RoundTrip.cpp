#include "RoundTrip.h"

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/Text.h"
#include "update/Checksum.h"
#include "update/Szdd.h"

namespace orvane::roundtrip {

fs::path BinFolder() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return fs::path(std::wstring(path, n)).parent_path();
}

fs::path DocumentsFolder() {
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

fs::path TempFolder() {
    wchar_t path[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, path);
    return fs::path(std::wstring(path, n));
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::wstring FileVersion(const fs::path& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        fixed->dwSignature != 0xFEEF04BD)
        return {};
    wchar_t text[64];
    swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
             HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    return text;
}

std::string Fingerprint(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec) return "(absent)";
    return std::to_string(size) + " bytes, crc " + std::to_string(FileCRC32(file.wstring()));
}

std::vector<std::wstring> FileNames(const fs::path& folder) {
    std::vector<std::wstring> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file()) names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveAll(const fs::path& folder) {
    std::error_code ec;
    for (int i = 0; i < 50 && fs::exists(folder); ++i) {
        fs::remove_all(folder, ec);
        if (ec) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

TRun Run(const std::wstring& commandLine, const std::wstring& folder, DWORD timeoutMs) {
    TRun run;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readRaw = nullptr, writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0)) return run;
    win32::unique_handle readEnd(readRaw), writeEnd(writeRaw);
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring line = commandLine;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return run;
    win32::unique_handle process(info.hProcess), thread(info.hThread);
    writeEnd.reset();
    // Read while it runs, never up to the pipe's end: a service the child starts in the prefix (the
    // desktop, on first use) inherits the pipe and holds it open for as long as it lives.
    const auto drain = [&] {
        DWORD available = 0;
        char buffer[4096];
        while (PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available) {
            DWORD got = 0;
            if (!ReadFile(readEnd.get(), buffer, std::min<DWORD>(available, sizeof(buffer)), &got, nullptr) || !got)
                break;
            run.output.append(buffer, got);
        }
    };
    const DWORD start = GetTickCount();
    for (;;) {
        drain();
        if (WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) {
            drain();
            GetExitCodeProcess(process.get(), &run.code);
            break;
        }
        if (GetTickCount() - start > timeoutMs) break;
    }
    return run;
}

TRun RunInspect(const std::wstring& args) {
    std::wstring exe = L"Z:" + FromUtf8(ORVANE_INSPECT_EXE);
    std::replace(exe.begin(), exe.end(), L'/', L'\\');
    return Run(L"\"" + exe + L"\" " + args);
}

TProgram::TProgram(const fs::path& exe, const std::wstring& args) {
    std::wstring line = L"\"" + exe.wstring() + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const std::wstring folder = exe.parent_path().wstring();
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info))
        return;
    win32::unique_handle thread(info.hThread);
    process_.reset(info.hProcess);
    pid_ = info.dwProcessId;
}

TProgram::~TProgram() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 10000);
    }
}

DWORD TProgram::WaitForEnd(DWORD timeoutMs) {
    DWORD code = 0xFFFFFFFF;
    if (process_ && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process_.get(), &code);
    return code;
}

namespace {

std::wstring WithoutAmpersands(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;  // "&&" shows one ampersand
        out += text[i];
    }
    return out;
}

struct CaptionSearch {
    const std::wstring* caption;
    bool shownOnly;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<CaptionSearch*>(param);
    wchar_t text[512];
    GetWindowTextW(window, text, 512);
    if (search->shownOnly && !(IsWindowVisible(window) && IsWindowEnabled(window))) return TRUE;
    if (WithoutAmpersands(text) == *search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindCaption(HWND root, const std::wstring& caption) {
    CaptionSearch search{&caption, false, nullptr};
    if (root) EnumChildWindows(root, MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindShown(HWND root, const std::wstring& caption) {
    CaptionSearch search{&caption, true, nullptr};
    if (root) EnumChildWindows(root, MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

struct ClassSearch {
    const std::wstring* name;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    wchar_t name[256];
    GetClassNameW(window, name, 256);
    if (std::wstring(name).rfind(*search->name, 0) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindClass(HWND root, const std::wstring& className) {
    ClassSearch search{&className, nullptr};
    if (root) EnumChildWindows(root, MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

namespace {
constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Orvane";
}

bool SetPolicyUpdateUrl(const std::wstring& url) {
    const TRun run =
        Run(L"reg.exe add \"HKLM\\" + std::wstring(kPolicyKey) + L"\" /v UpdateURL /t REG_SZ /d \"" + url + L"\" /f");
    return run.code == 0;
}

bool SetPolicyPublicKeys(const std::vector<std::string>& pems) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const win32::unique_hkey owned(key);
    if (pems.empty()) {
        const LSTATUS gone = RegDeleteValueW(key, L"UpdatePublicKeys");
        return gone == ERROR_SUCCESS || gone == ERROR_FILE_NOT_FOUND;
    }
    std::wstring multi;
    for (const std::string& pem : pems) multi += FromUtf8(pem) + L'\0';
    multi += L'\0';
    return RegSetValueExW(key, L"UpdatePublicKeys", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.data()),
                          static_cast<DWORD>(multi.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring PolicyUpdateUrl() {
    wchar_t value[2048];
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kPolicyKey, L"UpdateURL", RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return {};
    return value;
}

bool ExtractCarriedHelper(const fs::path& program, const fs::path& folder) {
    const win32::unique_hmodule module(
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) return false;
    HRSRC found = FindResourceW(module.get(), L"UPD", MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module.get(), found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return false;
    const TSzddResult helper =
        SzddDecompress(std::string_view(static_cast<const char*>(bytes), SizeofResource(module.get(), found)));
    if (!helper.ok()) return false;
    WriteAll(folder / L"wusetup.exe", helper.data);
    return ReadAll(folder / L"wusetup.exe") == helper.data;
}

}  // namespace orvane::roundtrip
