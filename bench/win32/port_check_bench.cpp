// The port checks of the "Serveurs" tab on 50 servers of which half never answer: listeners on
// loopback addresses, 25 taking connections and 25 with a full queue. Prints the time from the
// first connection to the last answer, against the time-out and against checking one after another.
#include "Listeners.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/TcpConnector_win32.h"
#include "probes/PortCheck.h"

using namespace orvane;
using namespace orvane::testing::listeners;

int main() {
    Winsock winsock;
    constexpr int kEach = 25;
    std::vector<unique_socket> open;
    std::vector<std::unique_ptr<SilentListener>> silent;
    std::vector<std::optional<TTcpTarget>> targets;
    for (int i = 1; i <= kEach; ++i) {
        const std::string openAddress = "127.0.2." + std::to_string(i), silentAddress = "127.0.3." + std::to_string(i);
        uint16_t port = 0;
        open.push_back(Bound(openAddress.c_str(), port, SOMAXCONN));
        targets.push_back(TTcpTarget{std::wstring(openAddress.begin(), openAddress.end()), port});
        silent.push_back(std::make_unique<SilentListener>(silentAddress.c_str()));
        targets.push_back(TTcpTarget{std::wstring(silentAddress.begin(), silentAddress.end()), silent.back()->port});
        if (!open.back() || !silent.back()->listener) {
            std::fprintf(stderr, "cannot listen on %s or %s\n", openAddress.c_str(), silentAddress.c_str());
            return 1;
        }
    }

    std::printf("%zu servers, %d taking connections, %d never answering, time-out %u ms each\n", targets.size(), kEach,
                kEach, kPortCheckTimeoutMs);
    for (int round = 1; round <= 3; ++round) {
        win32::TWin32TcpConnector tcp;
        int opened = 0, timedOut = 0, other = 0, waits = 0;
        const auto start = std::chrono::steady_clock::now();
        CheckServerPorts(
            tcp, targets, [&] { ++waits; },
            [&](size_t, const TPortCheckCells& cells) {
                if (cells.tcp == L"ouvert")
                    ++opened;
                else if (cells.tcp == L"délai dépassé")
                    ++timedOut;
                else
                    ++other;
            });
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf(
            "round %d: %.0f ms for all (%.2f time-outs; one after another would take %u ms), "
            "%d open, %d timed out, %d other, window served %d times\n",
            round, ms, ms / kPortCheckTimeoutMs, kEach * kPortCheckTimeoutMs, opened, timedOut, other, waits);
    }
    return 0;
}
