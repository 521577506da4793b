#pragma once

// Files and folders the restart tests share: the test program's own folder, whole-file reads and
// writes, and the documents folder where the helper's settings file lives.

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orvane::restarttest {

inline std::filesystem::path BinFolder() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return std::filesystem::path(std::wstring(path, n)).parent_path();
}

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::filesystem::path DocumentsFolder() {
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

}  // namespace orvane::restarttest
