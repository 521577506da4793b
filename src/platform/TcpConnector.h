#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvane {

struct TTcpTarget {
    std::wstring host;  // a name or an address
    uint16_t port = 0;
};

enum class TTcpOutcome { Open, Refused, TimedOut, NameUnknown, Failed };

struct TTcpResult {
    TTcpOutcome outcome = TTcpOutcome::Failed;
    int32_t error = 0;  // the system's error number when the outcome is Failed
};

// Opens a TCP connection to every target at once and closes it as soon as it is known whether the
// server took it; a target that has not answered within TIMEOUTMS counts as timed out. WHILEWAITING
// runs on the calling thread now and then until every target is settled (the window's messages).
// One result per target, in the targets' order.
class ITcpConnector {
public:
    virtual ~ITcpConnector() = default;
    virtual std::vector<TTcpResult> TryConnect(const std::vector<TTcpTarget>& targets, uint32_t timeoutMs,
                                               const std::function<void()>& whileWaiting) = 0;
};

}  // namespace orvane
