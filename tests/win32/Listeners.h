#pragma once

// TCP listeners on loopback addresses for the tests: open, silent, and ports known to be closed.

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>
#include <vector>

#include "platform/win32/Handle.h"

namespace orvane::testing::listeners {

inline void CloseSocket(SOCKET s) {
    closesocket(s);
}
using unique_socket = win32::unique_any<SOCKET, CloseSocket, ~std::uintptr_t{0}>;

struct Winsock {
    Winsock() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
};

inline sockaddr_in Loopback(const char* address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, address, &a.sin_addr);
    return a;
}

// A socket bound to ADDRESS and PORT (0: one the system picks, written back); listening with
// BACKLOG when asked. Empty when the port is taken.
inline unique_socket Bound(const char* address, uint16_t& port, int backlog = -1) {
    unique_socket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in a = Loopback(address, port);
    if (bind(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0) return {};
    int size = sizeof(a);
    getsockname(s.get(), reinterpret_cast<sockaddr*>(&a), &size);
    port = ntohs(a.sin_port);
    if (backlog >= 0 && listen(s.get(), backlog) != 0) return {};
    return s;
}

// A listener that never accepts: its queue is filled first, so that later connections wait unanswered.
struct SilentListener {
    unique_socket listener;
    std::vector<unique_socket> queued;
    uint16_t port = 0;

    explicit SilentListener(const char* address, uint16_t wanted = 0) : port(wanted) {
        listener = Bound(address, port, 0);
        for (int i = 0; i < 8; ++i) {
            unique_socket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
            u_long nonBlocking = 1;
            ioctlsocket(s.get(), FIONBIO, &nonBlocking);
            sockaddr_in a = Loopback(address, port);
            connect(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof(a));
            fd_set writable;
            FD_ZERO(&writable);
            FD_SET(s.get(), &writable);
            timeval wait{0, 200 * 1000};
            const bool answered = select(0, nullptr, &writable, nullptr, &wait) == 1;
            queued.push_back(std::move(s));
            if (!answered) break;  // the queue is full
        }
    }
};

}  // namespace orvane::testing::listeners
