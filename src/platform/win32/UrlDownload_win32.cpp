#include "platform/win32/UrlDownload_win32.h"

#include <windows.h>
#include <urlmon.h>
#include <wininet.h>

namespace orvane::win32 {

std::wstring TWin32UrlDownload::MakeTempFileName(const std::wstring& prefix, bool keep) {
    wchar_t folder[MAX_PATH + 1] = L"";
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return {};
    wchar_t name[MAX_PATH] = L"";
    if (!GetTempFileNameW(folder, prefix.c_str(), 0, name)) return {};
    if (!keep) DeleteFileW(name);
    return name;
}

bool TWin32UrlDownload::DownloadURLToFile(const std::wstring& url, const std::wstring& fileName) {
    // The download goes through the Internet cache, which may still hold an older copy of the file.
    DeleteUrlCacheEntryW(url.c_str());
    if (FAILED(URLDownloadToFileW(nullptr, url.c_str(), fileName.c_str(), 0, nullptr))) return false;
    const DWORD attributes = GetFileAttributesW(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring TWin32UrlDownload::ReadIniValue(const std::wstring& fileName, const std::wstring& section,
                                             const std::wstring& key) {
    wchar_t value[2048] = L"";
    const DWORD length =
        GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value, 2048, fileName.c_str());
    return std::wstring(value, length);
}

void TWin32UrlDownload::RemoveFile(const std::wstring& fileName) { DeleteFileW(fileName.c_str()); }

}  // namespace orvane::win32
