// select() watches at most FD_SETSIZE sockets; a server list is far shorter than this.
#define FD_SETSIZE 1024
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/TcpConnector_win32.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "core/Error.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Winsock_win32.h"

namespace orvane::win32 {

namespace {

void CloseSocket(SOCKET s) {
    closesocket(s);
}
using unique_socket = unique_any<SOCKET, CloseSocket, ~std::uintptr_t{0}>;

struct TFreeAddrInfo {
    void operator()(ADDRINFOW* info) const { FreeAddrInfoW(info); }
};

TTcpResult Settled(int error) {
    switch (error) {
        case 0:
            return {TTcpOutcome::Open, 0};
        case WSAECONNREFUSED:
            return {TTcpOutcome::Refused, error};
        case WSAETIMEDOUT:
            return {TTcpOutcome::TimedOut, error};
        case WSAHOST_NOT_FOUND:
        case WSANO_DATA:
        case WSANO_RECOVERY:
            return {TTcpOutcome::NameUnknown, error};
        default:
            return {TTcpOutcome::Failed, error};
    }
}

struct TPending {
    size_t index;
    unique_socket socket;
};

void ConnectAll(const std::vector<TTcpTarget>& targets, uint32_t timeoutMs, const TTcpResolver& resolve,
                std::vector<TTcpResult>& results) {
    std::vector<TPending> pending;
    for (size_t i = 0; i < targets.size(); ++i) {
        TSocketAddress address;
        if (const int error = resolve(targets[i].host, targets[i].port, address)) {
            results[i] = Settled(error);
            continue;
        }
        const auto* name = reinterpret_cast<const sockaddr*>(address.bytes.data());
        unique_socket s(socket(name->sa_family, SOCK_STREAM, IPPROTO_TCP));
        if (!s) {
            results[i] = Settled(WSAGetLastError());
            continue;
        }
        u_long nonBlocking = 1;
        ioctlsocket(s.get(), FIONBIO, &nonBlocking);
        if (connect(s.get(), name, address.length) == 0) {
            results[i] = Settled(0);
            continue;
        }
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) {
            results[i] = Settled(error);
            continue;
        }
        pending.push_back({i, std::move(s)});
    }

    // Every connection has the same time from the moment the last one started: the look-ups come first.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!pending.empty()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        for (const TPending& p : pending) {
            FD_SET(p.socket.get(), &writable);
            FD_SET(p.socket.get(), &failed);
        }
        const ULONGLONG left = deadline - now;
        timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
        const int ready = select(0, nullptr, &writable, &failed, &wait);
        if (ready == SOCKET_ERROR) {
            const int error = WSAGetLastError();
            for (const TPending& p : pending) results[p.index] = Settled(error);
            pending.clear();
            break;
        }
        if (ready == 0) continue;
        const auto settled = [&](TPending& p) {
            if (FD_ISSET(p.socket.get(), &failed)) {
                int error = 0;
                int size = sizeof(error);
                getsockopt(p.socket.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
                results[p.index] = Settled(error ? error : WSAECONNREFUSED);
                return true;
            }
            if (FD_ISSET(p.socket.get(), &writable)) {
                results[p.index] = Settled(0);
                return true;
            }
            return false;
        };
        pending.erase(std::remove_if(pending.begin(), pending.end(), settled), pending.end());
    }
    for (const TPending& p : pending) results[p.index] = {TTcpOutcome::TimedOut, 0};
}

}  // namespace

int ResolveTcpAddress(const std::wstring& host, uint16_t port, TSocketAddress& address) {
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* raw = nullptr;
    const std::wstring service = std::to_wstring(port);
    if (const int error = GetAddrInfoW(host.c_str(), service.c_str(), &hints, &raw)) return error;
    const std::unique_ptr<ADDRINFOW, TFreeAddrInfo> found(raw);
    const ADDRINFOW* chosen = found.get();
    for (const ADDRINFOW* a = found.get(); a; a = a->ai_next)
        if (a->ai_family == AF_INET) {
            chosen = a;
            break;
        }
    if (!chosen || chosen->ai_addrlen > address.bytes.size()) return WSANO_DATA;
    memcpy(address.bytes.data(), chosen->ai_addr, chosen->ai_addrlen);
    address.length = static_cast<int>(chosen->ai_addrlen);
    return 0;
}

TWin32TcpConnector::TWin32TcpConnector(TTcpResolver resolve) : resolve_(std::move(resolve)) {}

std::vector<TTcpResult> TWin32TcpConnector::TryConnect(const std::vector<TTcpTarget>& targets, uint32_t timeoutMs,
                                                       const std::function<void()>& whileWaiting) {
    std::vector<TTcpResult> results(targets.size());
    if (targets.empty()) return results;
    TWinsock winsock;
    std::atomic<bool> done{false};
    std::wstring failure;
    std::thread worker([&] {
        try {
            ConnectAll(targets, timeoutMs, resolve_, results);
        } catch (const AppError& e) {
            failure = e.Message();
        } catch (...) {
            failure = L"Erreur inattendue.";
        }
        done = true;
    });
    // The worker owns nothing the callback touches; an error there still waits for the worker.
    try {
        while (!done) {
            if (whileWaiting) whileWaiting();
            if (!done) Sleep(15);
        }
    } catch (...) {
        worker.join();
        throw;
    }
    worker.join();
    if (!failure.empty()) throw AppError(failure);
    return results;
}

}  // namespace orvane::win32
