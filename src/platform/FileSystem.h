#pragma once

#include <string>

namespace orvane {

// File-system queries. Paths are Windows paths.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // True only for an existing file (not a folder).
    virtual bool FileExists(const std::wstring& path) const = 0;
    // True only for an existing folder.
    virtual bool FolderExists(const std::wstring& path) const = 0;
};

} // namespace orvane
