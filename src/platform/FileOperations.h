#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orvane {

// A file open for reading from its start.
class IReadableFile {
public:
    virtual ~IReadableFile() = default;
    virtual std::optional<std::uint64_t> Size() = 0;
    // Bytes read (0 at the end); empty on a read error.
    virtual std::optional<std::uint32_t> Read(void* buffer, std::uint32_t size) = 0;
};

// A file open for writing from its start.
class IWritableFile {
public:
    virtual ~IWritableFile() = default;
    // Bytes written; fewer than asked is a short write.
    virtual std::optional<std::uint32_t> Write(const void* data, std::uint32_t size) = 0;
};

// The file operations a download needs. Paths are Windows paths.
class IFileOperations {
public:
    virtual ~IFileOperations() = default;
    // A new empty file with a unique name ("WUPxxxx.TMP" for prefix "WUPD") in the folder.
    virtual std::optional<std::wstring> TempFileName(const std::wstring& folder, const std::wstring& prefix) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    // Others may read but not write while it is open.
    virtual std::unique_ptr<IReadableFile> OpenRead(const std::wstring& path) = 0;
    // Creates or empties the file.
    virtual std::unique_ptr<IWritableFile> Create(const std::wstring& path) = 0;
    virtual bool Delete(const std::wstring& path) = 0;
    // Removes the read-only and hidden attributes.
    virtual void ClearReadOnlyHidden(const std::wstring& path) = 0;
    // Puts source in target's place in one step, replacing it (copying across volumes, written through);
    // on failure target is unchanged.
    virtual bool MoveReplace(const std::wstring& source, const std::wstring& target) = 0;
};

}  // namespace orvane
