#pragma once

#include <winsock2.h>

#include "platform/win32/Win32Error.h"

namespace orvane::win32 {

// Winsock started for the lifetime of the object (a ping run, a batch of port checks).
class TWinsock {
public:
    TWinsock() {
        WSADATA data;
        const int error = WSAStartup(MAKEWORD(2, 2), &data);
        if (error) ThrowWin32Error(static_cast<DWORD>(error));
    }
    ~TWinsock() { WSACleanup(); }
    TWinsock(const TWinsock&) = delete;
    TWinsock& operator=(const TWinsock&) = delete;
};

}  // namespace orvane::win32
