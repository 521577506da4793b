// The port checks on the "Serveurs" tab against listeners this test opens where the sample's
// landscape points: 127.0.0.1:3200 takes connections, 127.0.0.2:3200 never answers, 127.0.0.3:3600
// and LOCALHOST:3201 refuse.

#include "Listeners.h"

#include <gtest/gtest.h>

#include <regex>
#include <vector>

#include "GuiDriver.h"
#include "OrvaneProcess.h"
#include "core/Text.h"
#include "shell/ControlIds.h"

namespace orvane {
namespace {

using namespace testing::listeners;
using testing::TOrvaneProcess;

TEST(ServersTab, PortColumnsForOpenClosedAndSilentPorts) {
    Winsock winsock;
    uint16_t openPort = 3200;
    const unique_socket open = Bound("127.0.0.1", openPort, SOMAXCONN);
    ASSERT_TRUE(open) << "127.0.0.1:3200 is taken on this machine";
    const SilentListener silent("127.0.0.2", 3200);
    ASSERT_TRUE(silent.listener) << "127.0.0.2:3200 is taken on this machine";

    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    gui::SelectTab(app.Control(ids::pgMain), 3);
    gui::ClickAndWait(app.Control(ids::bbtPing), 120000);

    const std::vector<std::vector<std::wstring>> rows = gui::ListViewCells(app.Control(ids::vlPing));
    const struct {
        const wchar_t* name;
        const wchar_t* port;
        const wchar_t* tcp;
    } expected[] = {
        {L"127.0.0.1", L"3200", L"ouvert"},
        {L"127.0.0.2", L"3200", L"délai dépassé"},
        {L"127.0.0.3", L"3600", L"refusé"},
        {L"localhost", L"3201", L"refusé"},
    };
    ASSERT_EQ(rows.size(), std::size(expected));
    for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 4u);
        EXPECT_EQ(rows[i][0], expected[i].name);
        EXPECT_TRUE(std::regex_match(rows[i][1], std::wregex(L"Reply from [0-9.]+: bytes=32 time=.*")))
            << ToUtf8(rows[i][1]);
        EXPECT_EQ(rows[i][2], expected[i].port) << ToUtf8(rows[i][0]);
        EXPECT_EQ(rows[i][3], expected[i].tcp) << ToUtf8(rows[i][0]);
    }
    EXPECT_EQ(gui::WaitForMessageBox(app.Pid(), 0), nullptr);
    EXPECT_EQ(app.CloseAndWait(), 0);
}

}  // namespace
}  // namespace orvane
