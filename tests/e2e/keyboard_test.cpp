// The main window without a mouse: real keystrokes through the system's input queue, and the
// control that has the focus read back from the window's thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "GuiDriver.h"
#include "OrvaneProcess.h"
#include "shell/ControlIds.h"

namespace orvane {
namespace {

using testing::TOrvaneProcess;

// Presses Tab (or Shift+Tab) COUNT times and returns the identifier of each control reached.
std::vector<int> TabWalk(const TOrvaneProcess& app, size_t count, bool backwards) {
    std::vector<int> reached;
    for (size_t i = 0; i < count; ++i) {
        const HWND before = gui::FocusedControl(app.Main());
        gui::PressKey(app.Main(), VK_TAB, backwards ? std::initializer_list<WORD>{VK_SHIFT} : std::initializer_list<WORD>{});
        gui::WaitFor([&] { return gui::FocusedControl(app.Main()) != before; });
        reached.push_back(GetDlgCtrlID(gui::FocusedControl(app.Main())));
    }
    return reached;
}

void CtrlTab(const TOrvaneProcess& app, bool backwards) {
    const HWND tabs = app.Control(ids::pgMain);
    const int before = gui::SelectedTab(tabs);
    gui::PressKey(app.Main(), VK_TAB, backwards ? std::initializer_list<WORD>{VK_CONTROL, VK_SHIFT}
                                                : std::initializer_list<WORD>{VK_CONTROL});
    gui::WaitFor([&] { return gui::SelectedTab(tabs) != before; });
    gui::WaitIdle(app.Main());
}

TEST(Keyboard, TabReachesEveryControlOfTheVisiblePageAndCtrlTabChangesThePage) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    using namespace ids;
    const std::vector<int> bottom = {bbtAbout, bbtClose, pgMain};
    struct Page {
        int tab;
        std::vector<int> stops;  // after the bottom bar and the tab strip
    };
    const Page pages[] = {
        {0, {bbtGetVersions, memVersions}},
        {1, {bbtGetEnvVar, vlEnvVar}},
        {2, {bbtSearchFiles, pgFile, edtFileFirst, synMemFirst}},
        {3, {bbtPing, vlPing}},
        {4, {bbtOpenFolder1, bbtOpenFolder2, bbtOpenFolder3, bbtOpenFolder4, bbtNwCheckWorkstation}},
    };
    for (const Page& page : pages) {
        if (page.tab > 0) CtrlTab(app, false);
        ASSERT_EQ(gui::SelectedTab(app.Control(pgMain)), page.tab);
        std::vector<int> cycle = bottom;
        cycle.insert(cycle.end(), page.stops.begin(), page.stops.end());
        // Once round and on to the first again: the walk starts wherever the focus was.
        std::vector<int> walk = TabWalk(app, 2 * cycle.size(), false);
        const auto start = std::find(walk.begin(), walk.end(), bbtAbout);
        ASSERT_NE(start, walk.end()) << "tab " << page.tab;
        EXPECT_EQ(std::vector<int>(start, start + cycle.size()), cycle) << "tab " << page.tab;
        // Shift+Tab goes the same way back.
        const std::vector<int> back = TabWalk(app, cycle.size(), true);
        std::vector<int> reversed(cycle.rbegin(), cycle.rend());
        const int focus = GetDlgCtrlID(gui::FocusedControl(app.Main()));
        EXPECT_EQ(back.back(), focus);
        std::rotate(reversed.begin(), std::find(reversed.begin(), reversed.end(), back.front()), reversed.end());
        EXPECT_EQ(back, reversed) << "tab " << page.tab;
    }
    // Ctrl+Tab wraps from the last page to the first; Ctrl+Shift+Tab goes back.
    CtrlTab(app, false);
    EXPECT_EQ(gui::SelectedTab(app.Control(pgMain)), 0);
    EXPECT_TRUE(gui::IsVisible(app.Control(memVersions)));
    CtrlTab(app, true);
    EXPECT_EQ(gui::SelectedTab(app.Control(pgMain)), 4);
    EXPECT_TRUE(gui::IsVisible(app.Control(bbtOpenFolder1)));
    CtrlTab(app, true);
    EXPECT_EQ(gui::SelectedTab(app.Control(pgMain)), 3);
}

// The focus on a page that Ctrl+Tab hides does not stay there; the mnemonic of "&Fermer" closes.
TEST(Keyboard, FocusLeavesAHiddenPageAndAltFCloses) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    TabWalk(app, 4, false);  // bbtAbout, bbtClose, pgMain, bbtGetVersions
    ASSERT_EQ(GetDlgCtrlID(gui::FocusedControl(app.Main())), ids::bbtGetVersions);
    CtrlTab(app, false);
    EXPECT_TRUE(gui::WaitFor([&] { return gui::IsVisible(gui::FocusedControl(app.Main())); }));

    gui::PressKey(app.Main(), 'F', {VK_MENU});
    DWORD pid = app.Pid();
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    ASSERT_TRUE(process);
    EXPECT_EQ(WaitForSingleObject(process, 15000), WAIT_OBJECT_0) << "Alt+F did not close Orvane";
    CloseHandle(process);
}

} // namespace
} // namespace orvane
