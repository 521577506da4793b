#include "crash/win32/MapiMail_win32.h"

#include <mapi.h>

#include <vector>

#include "platform/win32/Handle.h"

namespace orvane::crash {

namespace {

// The wide forms of Simple MAPI's records (the SDK headers here carry only the 8-bit ones).
struct MapiRecipDescW {
    ULONG ulReserved, ulRecipClass;
    PWSTR lpszName, lpszAddress;
    ULONG ulEIDSize;
    void* lpEntryID;
};
struct MapiFileDescW {
    ULONG ulReserved, flFlags, nPosition;
    PWSTR lpszPathName, lpszFileName;
    void* lpFileType;
};
struct MapiMessageW {
    ULONG ulReserved;
    PWSTR lpszSubject, lpszNoteText, lpszMessageType, lpszDateReceived, lpszConversationID;
    FLAGS flFlags;
    MapiRecipDescW* lpOriginator;
    ULONG nRecipCount;
    MapiRecipDescW* lpRecips;
    ULONG nFileCount;
    MapiFileDescW* lpFiles;
};
using SendMailW = ULONG(WINAPI*)(LHANDLE, ULONG_PTR, MapiMessageW*, FLAGS, ULONG);

// Windows names the default mail client here; with none, mapi32 has no one to hand the message to
// (and some stand-ins would open a browser instead).
bool HasDefaultMailClient() {
    for (const HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        win32::unique_hkey key;
        if (RegOpenKeyExW(hive, L"SOFTWARE\\Clients\\Mail", 0, KEY_READ, key.put()) != ERROR_SUCCESS) continue;
        wchar_t name[256] = {};
        DWORD size = sizeof(name) - sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(name), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ && name[0] != L'\0')
            return true;
    }
    return false;
}

}  // namespace

IMailClient::Result TMapiMailClient::Send(const TMailMessage& message) {
    if (!HasDefaultMailClient()) return Result::NoClient;
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return Result::NoClient;
    win32::unique_hmodule mapi(LoadLibraryExW((std::wstring(folder, length) + L"\\mapi32.dll").c_str(), nullptr, 0));
    if (!mapi) return Result::NoClient;
    const auto send = reinterpret_cast<SendMailW>(reinterpret_cast<void*>(GetProcAddress(mapi.get(), "MAPISendMailW")));
    if (!send) return Result::NoClient;

    std::wstring to = L"SMTP:" + message.to, subject = message.subject, body = message.body;
    MapiRecipDescW recipient{};
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = to.data() + 5;
    recipient.lpszAddress = to.data();
    std::vector<std::wstring> paths = message.attachments;
    std::vector<std::wstring> names;
    std::vector<MapiFileDescW> files(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        names.push_back(paths[i].substr(paths[i].find_last_of(L'\\') + 1));
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        files[i].nPosition = static_cast<ULONG>(-1);
        files[i].lpszPathName = paths[i].data();
        files[i].lpszFileName = names[i].data();
    }
    MapiMessageW mail{};
    mail.lpszSubject = subject.data();
    mail.lpszNoteText = body.data();
    mail.nRecipCount = 1;
    mail.lpRecips = &recipient;
    mail.nFileCount = static_cast<ULONG>(files.size());
    mail.lpFiles = files.empty() ? nullptr : files.data();
    const ULONG status = send(0, reinterpret_cast<ULONG_PTR>(owner_), &mail, MAPI_DIALOG | MAPI_LOGON_UI, 0);
    if (status == SUCCESS_SUCCESS) return Result::Sent;
    if (status == MAPI_USER_ABORT) return Result::Cancelled;
    return Result::Failed;
}

}  // namespace orvane::crash
