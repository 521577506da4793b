#include "platform/win32/WorkstationIdentity_win32.h"

#include <windows.h>

namespace orvane::win32 {

std::wstring TWin32WorkstationIdentity::ComputerName() const {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

std::wstring TWin32WorkstationIdentity::UserName() const {
    wchar_t name[257] = L"";  // UNLEN + 1
    DWORD size = 257;
    return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

}  // namespace orvane::win32
