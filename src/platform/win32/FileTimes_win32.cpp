#include "platform/win32/FileTimes_win32.h"

#include <windows.h>

namespace orvane::win32 {

std::optional<double> TWin32FileTimes::LastWriteLocal(const std::wstring& path) const {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc)) return std::nullopt;
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return std::nullopt;
    FILETIME localTicks;
    if (!SystemTimeToFileTime(&local, &localTicks)) return std::nullopt;
    // Days from 1601-01-01 (the FILETIME origin) to 1899-12-30 (day 0 of a date-time).
    constexpr double kDaysTo1899 = 109205.0, kTicksPerDay = 864000000000.0;
    const ULONGLONG ticks = (static_cast<ULONGLONG>(localTicks.dwHighDateTime) << 32) | localTicks.dwLowDateTime;
    return static_cast<double>(ticks) / kTicksPerDay - kDaysTo1899;
}

}  // namespace orvane::win32
