#pragma once

#include "platform/FileWriter.h"

namespace orvane::win32 {

// Files are opened for each write and closed again, sharing reads and writes, so that several
// writers of one log interleave whole lines.
class TWin32FileWriter : public IFileWriter {
public:
    bool FolderExists(const std::wstring& path) const override;
    bool CreateFolder(const std::wstring& path) override;
    AppendResult AppendToExisting(const std::wstring& path, std::string_view bytes) override;
    bool CreateWith(const std::wstring& path, std::string_view bytes) override;
};

}  // namespace orvane::win32
