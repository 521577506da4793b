#pragma once

#include <windows.h>

#include <string>

namespace orvane::win32 {

// The system's text for an error code, without the trailing line break.
std::wstring SystemMessage(DWORD code);

// Raises AppError with the system's text for CODE (default: the calling thread's last error).
[[noreturn]] void ThrowWin32Error(DWORD code = GetLastError());

} // namespace orvane::win32
