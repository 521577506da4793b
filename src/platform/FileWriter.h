#pragma once

#include <string>
#include <string_view>

namespace orvane {

enum class AppendResult {
    Appended,
    NotOpened,    // missing, or refused for writing
    WriteFailed,  // opened, but the bytes could not all be written
};

// Folder creation and whole-line appends, for the update log.
class IFileWriter {
public:
    virtual ~IFileWriter() = default;
    virtual bool FolderExists(const std::wstring& path) const = 0;
    // Creates one folder whose parent exists; true when it was created.
    virtual bool CreateFolder(const std::wstring& path) = 0;
    // Appends to an existing file.
    virtual AppendResult AppendToExisting(const std::wstring& path, std::string_view bytes) = 0;
    // Creates (or empties) the file and writes the bytes; false when that fails.
    virtual bool CreateWith(const std::wstring& path, std::string_view bytes) = 0;
};

}  // namespace orvane
