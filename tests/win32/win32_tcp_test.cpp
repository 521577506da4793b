// TCP connections against listeners this test opens on loopback addresses: open, closed and silent
// ports, and a name that does not resolve (a scripted look-up, never a real one).

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Listeners.h"
#include "core/Error.h"
#include "platform/win32/TcpConnector_win32.h"
#include "probes/PortCheck.h"

namespace orvane {
namespace {

using win32::TWin32TcpConnector;
using namespace testing::listeners;

TEST(TcpConnector, OpenClosedSilentAndUnknownPorts) {
    Winsock winsock;
    uint16_t openPort = 0, closedPort = 0;
    const unique_socket open = Bound("127.0.0.1", openPort, SOMAXCONN);
    ASSERT_TRUE(open);
    {
        const unique_socket closed = Bound("127.0.0.2", closedPort);  // free once closed
        ASSERT_TRUE(closed);
    }
    const SilentListener silent("127.0.0.3");
    ASSERT_TRUE(silent.listener);

    // Only "nowhere.invalid" is scripted; the rest goes to the system's look-up of literal addresses.
    TWin32TcpConnector tcp([](const std::wstring& host, uint16_t port, win32::TSocketAddress& address) {
        if (host == L"nowhere.invalid") return int{WSAHOST_NOT_FOUND};
        if (host == L"broken.invalid") return int{WSANO_RECOVERY + 100};
        return win32::ResolveTcpAddress(host, port, address);
    });
    const std::vector<TTcpTarget> targets = {{L"127.0.0.1", openPort},
                                             {L"127.0.0.2", closedPort},
                                             {L"127.0.0.3", silent.port},
                                             {L"nowhere.invalid", 3200},
                                             {L"broken.invalid", 3200}};
    int waits = 0;
    const ULONGLONG start = GetTickCount64();
    const std::vector<TTcpResult> results = tcp.TryConnect(targets, 700, [&] { ++waits; });
    const ULONGLONG took = GetTickCount64() - start;

    ASSERT_EQ(results.size(), targets.size());
    const std::vector<std::wstring> expected = {L"ouvert", L"refusé", L"délai dépassé", L"nom inconnu",
                                                L"erreur " + std::to_wstring(WSANO_RECOVERY + 100)};
    for (size_t i = 0; i < targets.size(); ++i) EXPECT_EQ(TcpOutcomeText(results[i]), expected[i]) << i;
    EXPECT_GE(took, 650u) << "the silent port is given its whole time";
    EXPECT_LT(took, 3000u);
    EXPECT_GT(waits, 10) << "the caller is called back while it waits";
}

// Silent servers wait together: many of them take about one time-out, not one each.
TEST(TcpConnector, SilentServersWaitTogether) {
    Winsock winsock;
    const char* addresses[] = {"127.0.0.11", "127.0.0.12", "127.0.0.13", "127.0.0.14", "127.0.0.15", "127.0.0.16"};
    std::vector<std::unique_ptr<SilentListener>> silent;
    std::vector<TTcpTarget> targets;
    for (const char* address : addresses) {
        silent.push_back(std::make_unique<SilentListener>(address));
        ASSERT_TRUE(silent.back()->listener) << address;
        const std::string a = address;
        targets.push_back({std::wstring(a.begin(), a.end()), silent.back()->port});
    }
    TWin32TcpConnector tcp;
    const ULONGLONG start = GetTickCount64();
    const std::vector<TTcpResult> results = tcp.TryConnect(targets, 500, {});
    const ULONGLONG took = GetTickCount64() - start;
    for (const TTcpResult& r : results) EXPECT_EQ(r.outcome, TTcpOutcome::TimedOut);
    EXPECT_LT(took, 1500u) << "six silent servers, 500 ms each";
}

TEST(TcpConnector, AnErrorWhileWaitingStillEndsTheBatch) {
    Winsock winsock;
    const SilentListener silent("127.0.0.4");
    TWin32TcpConnector tcp;
    EXPECT_THROW(tcp.TryConnect({{L"127.0.0.4", silent.port}}, 300, [] { throw AppError(L"boom"); }), AppError);
}

TEST(TcpConnector, NothingToTry) {
    TWin32TcpConnector tcp;
    EXPECT_TRUE(tcp.TryConnect({}, 2000, {}).empty());
}

}  // namespace
}  // namespace orvane
