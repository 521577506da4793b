#include "platform/win32/KnownFolders_win32.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

namespace orvane::win32 {

namespace {

struct CoTaskText {
    wchar_t* text = nullptr;
    ~CoTaskText() { CoTaskMemFree(text); }
};

struct CoTaskIdList {
    PIDLIST_ABSOLUTE list = nullptr;
    ~CoTaskIdList() { CoTaskMemFree(list); }
};

std::wstring ByCsidl(int csidl) {
    CoTaskIdList items;
    if (FAILED(SHGetFolderLocation(nullptr, csidl, nullptr, 0, &items.list)) || !items.list) return {};
    wchar_t path[MAX_PATH] = {};
    return SHGetPathFromIDListW(items.list, path) ? std::wstring(path) : std::wstring();
}

std::wstring ByFolderId(const wchar_t* folderId) {
    GUID id;
    if (FAILED(CLSIDFromString(folderId, &id))) return {};
    CoTaskText path;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, &path.text)) || !path.text) return {};
    return path.text;
}

// Asks with a growing buffer for functions that answer the length they need.
template <typename Query>
std::wstring GrowingText(Query query) {
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = query(text.data(), static_cast<DWORD>(text.size()));
        if (length == 0) return {};
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(length + 1);
    }
}

std::wstring ExecutableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // truncated: the name did not fit
    }
    const size_t cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

}  // namespace

std::wstring TWin32KnownFolders::Path(KnownFolder folder) const {
    switch (folder) {
        case KnownFolder::Windows:
            return GrowingText([](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); });
        case KnownFolder::System:
            return GrowingText([](wchar_t* b, DWORD n) { return GetSystemDirectoryW(b, n); });
        case KnownFolder::Temp:
            return GrowingText([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); });
        case KnownFolder::Application:
            return ExecutableFolder();
        default:
            break;
    }
    const KnownFolderRequest request = route_ ? route_(folder) : KnownFolderRequest{};
    switch (request.kind) {
        case KnownFolderRequest::Kind::Csidl:
            return ByCsidl(request.csidl);
        case KnownFolderRequest::Kind::FolderId:
            return request.folderId ? ByFolderId(request.folderId) : std::wstring();
        case KnownFolderRequest::Kind::None:
            break;
    }
    return {};
}

}  // namespace orvane::win32
