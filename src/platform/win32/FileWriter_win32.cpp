#include "platform/win32/FileWriter_win32.h"

#include <windows.h>

#include "platform/win32/Handle.h"

namespace orvane::win32 {

namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool TWin32FileWriter::FolderExists(const std::wstring& path) const {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TWin32FileWriter::CreateFolder(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

AppendResult TWin32FileWriter::AppendToExisting(const std::wstring& path, std::string_view bytes) {
    // Append-only access: every write lands at the end even when another writer has the file open.
    unique_hfile file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return AppendResult::NotOpened;
    return WriteAll(file.get(), bytes) ? AppendResult::Appended : AppendResult::WriteFailed;
}

bool TWin32FileWriter::CreateWith(const std::wstring& path, std::string_view bytes) {
    unique_hfile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAll(file.get(), bytes);
}

}  // namespace orvane::win32
