#pragma once

// TCP connections on Windows: Winsock, non-blocking connects watched together by select.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/TcpConnector.h"

namespace orvane::win32 {

// A socket address's bytes (a sockaddr_storage), kept out of this header so that window code need
// not include Winsock before <windows.h>.
struct TSocketAddress {
    std::array<unsigned char, 128> bytes{};
    int length = 0;
};

// Fills ADDRESS for HOST and PORT; 0, or the Winsock error of the look-up.
using TTcpResolver = std::function<int(const std::wstring& host, uint16_t port, TSocketAddress& address)>;

// GetAddrInfoW; an IPv4 address is preferred when the name has both kinds.
int ResolveTcpAddress(const std::wstring& host, uint16_t port, TSocketAddress& address);

// Every connection runs on one worker thread; the calling thread only waits, calling back now and
// then. Names are looked up one after another before the connections start.
class TWin32TcpConnector : public ITcpConnector {
public:
    explicit TWin32TcpConnector(TTcpResolver resolve = ResolveTcpAddress);
    std::vector<TTcpResult> TryConnect(const std::vector<TTcpTarget>& targets, uint32_t timeoutMs,
                                       const std::function<void()>& whileWaiting) override;

private:
    TTcpResolver resolve_;
};

}  // namespace orvane::win32
