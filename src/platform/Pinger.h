#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// What one echo request brought back, as the system's ping status reports it.
struct TPingReply {
    std::optional<int32_t> statusCode;  // an IP_STATUS value; none when the request was not processed
    std::wstring protocolAddress;       // the address that answered
    uint32_t replySize = 0;
    uint32_t responseTime = 0;  // milliseconds
    uint32_t timeToLive = 0;
};

// Sends one ICMP echo with a BUFFERSIZE-byte payload to ADDRESS (a name or an address) and waits for
// the answer. Nothing when the system gives no result at all; raises AppError when it fails.
class IPinger {
public:
    virtual ~IPinger() = default;
    virtual std::optional<TPingReply> Ping(const std::wstring& address, uint16_t bufferSize) = 0;
};

} // namespace orvane
