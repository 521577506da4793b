#pragma once

#include "platform/UrlDownload.h"

namespace orvane::win32 {

// GetTempFileNameW in the user's temporary folder, URLDownloadToFileW past the Internet cache, and
// GetPrivateProfileStringW with a 2048-character buffer.
class TWin32UrlDownload : public IUrlDownload {
public:
    std::wstring MakeTempFileName(const std::wstring& prefix, bool keep) override;
    bool DownloadURLToFile(const std::wstring& url, const std::wstring& fileName) override;
    std::wstring ReadIniValue(const std::wstring& fileName, const std::wstring& section,
                              const std::wstring& key) override;
    void RemoveFile(const std::wstring& fileName) override;
};

}  // namespace orvane::win32
