#pragma once

// A stand-in for TCP connections: scripted outcomes per host and port.

#include <map>
#include <utility>
#include <vector>

#include "platform/TcpConnector.h"

namespace orvane::fakes {

class FakeTcpConnector : public ITcpConnector {
public:
    // Targets never scripted time out.
    void Answer(const std::wstring& host, uint16_t port, TTcpResult result) { results_[{host, port}] = result; }

    std::vector<TTcpResult> TryConnect(const std::vector<TTcpTarget>& targets, uint32_t timeoutMs,
                                       const std::function<void()>& whileWaiting) override {
        ++calls;
        asked.insert(asked.end(), targets.begin(), targets.end());
        timeouts.push_back(timeoutMs);
        if (whileWaiting) whileWaiting();
        std::vector<TTcpResult> out;
        for (const TTcpTarget& t : targets) {
            const auto it = results_.find({t.host, t.port});
            out.push_back(it == results_.end() ? TTcpResult{TTcpOutcome::TimedOut, 0} : it->second);
        }
        return out;
    }

    int calls = 0;
    std::vector<TTcpTarget> asked;
    std::vector<uint32_t> timeouts;

private:
    std::map<std::pair<std::wstring, uint16_t>, TTcpResult> results_;
};

}  // namespace orvane::fakes
