#include "platform/win32/FileOperations_win32.h"

#include <windows.h>

#include "platform/win32/Handle.h"

namespace orvane::win32 {

namespace {

class TReadableFile : public IReadableFile {
public:
    explicit TReadableFile(unique_hfile file) : file_(std::move(file)) {}
    std::optional<std::uint64_t> Size() override {
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(file_.get(), &size)) return std::nullopt;
        return static_cast<std::uint64_t>(size.QuadPart);
    }
    std::optional<std::uint32_t> Read(void* buffer, std::uint32_t size) override {
        DWORD got = 0;
        if (!ReadFile(file_.get(), buffer, size, &got, nullptr)) return std::nullopt;
        return got;
    }

private:
    unique_hfile file_;
};

class TWritableFile : public IWritableFile {
public:
    explicit TWritableFile(unique_hfile file) : file_(std::move(file)) {}
    std::optional<std::uint32_t> Write(const void* data, std::uint32_t size) override {
        DWORD written = 0;
        if (!WriteFile(file_.get(), data, size, &written, nullptr)) return std::nullopt;
        return written;
    }

private:
    unique_hfile file_;
};

}  // namespace

std::optional<std::wstring> TWin32FileOperations::TempFileName(const std::wstring& folder, const std::wstring& prefix) {
    wchar_t name[MAX_PATH + 1] = {};
    if (GetTempFileNameW(folder.c_str(), prefix.c_str(), 0, name) == 0) return std::nullopt;
    return std::wstring(name);
}

bool TWin32FileOperations::FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<IReadableFile> TWin32FileOperations::OpenRead(const std::wstring& path) {
    unique_hfile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return nullptr;
    return std::make_unique<TReadableFile>(std::move(file));
}

std::unique_ptr<IWritableFile> TWin32FileOperations::Create(const std::wstring& path) {
    unique_hfile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<TWritableFile>(std::move(file));
}

bool TWin32FileOperations::Delete(const std::wstring& path) {
    return DeleteFileW(path.c_str()) != FALSE;
}

void TWin32FileOperations::ClearReadOnlyHidden(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    if (cleared == 0) cleared = FILE_ATTRIBUTE_NORMAL;
    if (cleared != attributes) SetFileAttributesW(path.c_str(), cleared);
}

bool TWin32FileOperations::MoveReplace(const std::wstring& source, const std::wstring& target) {
    return MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace orvane::win32
