#include "platform/win32/UrlDownload_win32.h"

#include <windows.h>

#include <urlmon.h>
#include <wininet.h>

namespace orvane::win32 {

namespace {

// Asks for the server's current copy: the download reloads past the Internet cache and tells
// proxies not to answer from theirs. Lives on the caller's stack for one download.
class TNewestVersion : public IBindStatusCallback {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
            *object = static_cast<IBindStatusCallback*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override {
        if (!flags || !info) return E_INVALIDARG;
        *flags = BINDF_GETNEWESTVERSION | BINDF_RESYNCHRONIZE | BINDF_PRAGMA_NO_CACHE;
        const ULONG size = info->cbSize;
        ZeroMemory(info, size);
        info->cbSize = size;
        info->dwBindVerb = BINDVERB_GET;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }
};

}  // namespace

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
    // An older copy in the Internet cache would otherwise show yesterday's news.
    DeleteUrlCacheEntryW(url.c_str());
    TNewestVersion newest;
    if (FAILED(URLDownloadToFileW(nullptr, url.c_str(), fileName.c_str(), 0, &newest))) return false;
    const DWORD attributes = GetFileAttributesW(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring TWin32UrlDownload::ReadIniValue(const std::wstring& fileName, const std::wstring& section,
                                             const std::wstring& key) {
    wchar_t value[2048] = L"";
    const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value, 2048, fileName.c_str());
    return std::wstring(value, length);
}

void TWin32UrlDownload::RemoveFile(const std::wstring& fileName) {
    DeleteFileW(fileName.c_str());
}

}  // namespace orvane::win32
