#pragma once

#include "platform/FileOperations.h"

namespace orvane::win32 {

class TWin32FileOperations : public IFileOperations {
public:
    std::optional<std::wstring> TempFileName(const std::wstring& folder, const std::wstring& prefix) override;
    bool FileExists(const std::wstring& path) override;
    std::unique_ptr<IReadableFile> OpenRead(const std::wstring& path) override;
    std::unique_ptr<IWritableFile> Create(const std::wstring& path) override;
    bool Delete(const std::wstring& path) override;
    void ClearReadOnlyHidden(const std::wstring& path) override;
    bool MoveReplace(const std::wstring& source, const std::wstring& target) override;
};

}  // namespace orvane::win32
