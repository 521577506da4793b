#pragma once

#include <string>

namespace orvane {

// A URL fetched into a file of the temporary folder, and that file read as INI text.
class IUrlDownload {
public:
    virtual ~IUrlDownload() = default;
    // A unique name in the user's temporary folder starting with PREFIX; the empty file the system
    // creates stays only when KEEP is true. Empty on failure.
    virtual std::wstring MakeTempFileName(const std::wstring& prefix, bool keep) = 0;
    // True when the download reports success and the file exists afterwards. Never a cached copy.
    virtual bool DownloadURLToFile(const std::wstring& url, const std::wstring& fileName) = 0;
    // One INI value as the system's profile reader gives it, at most 2047 characters; empty when missing.
    virtual std::wstring ReadIniValue(const std::wstring& fileName, const std::wstring& section,
                                      const std::wstring& key) = 0;
    virtual void RemoveFile(const std::wstring& fileName) = 0;
};

}  // namespace orvane
