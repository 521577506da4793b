#include "platform/win32/Clock_win32.h"

#include <windows.h>

namespace orvane::win32 {

LocalTime TWin32Clock::Now() const {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

}  // namespace orvane::win32
