// Every read-only display copies what is chosen in it: real keystrokes (Ctrl+A, Ctrl+C) and the
// right-click menu, the clipboard read back from this process.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GuiDriver.h"
#include "OrvaneProcess.h"
#include "core/Text.h"
#include "shell/ControlIds.h"

namespace orvane {
namespace {

using testing::TOrvaneProcess;

const std::wstring kMarker = L"(nothing copied)";

// Tabs until the control ID has the focus.
bool FocusByTab(const TOrvaneProcess& app, int id) {
    for (int i = 0; i < 12; ++i) {
        if (GetDlgCtrlID(gui::FocusedControl(app.Main())) == id) return true;
        const HWND before = gui::FocusedControl(app.Main());
        gui::PressKey(app.Main(), VK_TAB);
        gui::WaitFor([&] { return gui::FocusedControl(app.Main()) != before; });
    }
    return GetDlgCtrlID(gui::FocusedControl(app.Main())) == id;
}

// Ctrl+A then Ctrl+C in the focused display; the clipboard's text once it changed. The clipboard is
// watched by its sequence number, so this process never holds it while Orvane writes.
std::wstring SelectAllAndCopy(const TOrvaneProcess& app) {
    gui::SetClipboard(kMarker);
    const DWORD marked = GetClipboardSequenceNumber();
    gui::PressKey(app.Main(), 'A', {VK_CONTROL});
    gui::WaitIdle(app.Main());
    gui::PressKey(app.Main(), 'C', {VK_CONTROL});
    gui::WaitFor([&] { return GetClipboardSequenceNumber() != marked; });
    return gui::ClipboardText();
}

// What a spreadsheet would take: the cells of every row, tabs between them, CR LF between rows.
std::wstring Tabbed(const std::vector<std::vector<std::wstring>>& rows) {
    std::wstring out;
    for (const auto& row : rows) {
        if (!out.empty()) out += L"\r\n";
        for (size_t c = 0; c < row.size(); ++c) out += (c ? L"\t" : L"") + row[c];
    }
    return out;
}

std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            out += L"\r\n";
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

TEST(Copy, EachKindOfDisplayCopiesEverythingAfterCtrlA) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    using namespace ids;
    struct Display {
        int tab;
        int button;
        int display;
        bool grid;
    };
    for (const Display& d : {Display{0, bbtGetVersions, memVersions, false}, Display{1, bbtGetEnvVar, vlEnvVar, true},
                             Display{2, bbtSearchFiles, synMemFirst, false},
                             Display{2, bbtSearchFiles, edtFileFirst, false}, Display{3, bbtPing, vlPing, true}}) {
        gui::SelectTab(app.Control(pgMain), d.tab);
        gui::ClickAndWait(app.Control(d.button), 120000);
        ASSERT_TRUE(FocusByTab(app, d.display)) << d.display;
        const HWND display = app.Control(d.display);
        const std::wstring expected = d.grid ? Tabbed(gui::ListViewCells(display)) : WithCrLf(gui::Text(display));
        ASSERT_FALSE(expected.empty()) << d.display;
        EXPECT_EQ(SelectAllAndCopy(app), expected) << d.display;
    }
    EXPECT_EQ(app.CloseAndWait(), 0);
}

// Nothing chosen copies nothing; one chosen row copies that row alone.
TEST(Copy, AGridCopiesOnlyItsChosenRows) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    gui::SelectTab(app.Control(ids::pgMain), 1);
    gui::ClickAndWait(app.Control(ids::bbtGetEnvVar));
    ASSERT_TRUE(FocusByTab(app, ids::vlEnvVar));
    const HWND grid = app.Control(ids::vlEnvVar);
    gui::SetClipboard(kMarker);
    gui::PressKey(app.Main(), 'C', {VK_CONTROL});
    gui::WaitIdle(app.Main());
    EXPECT_EQ(gui::ClipboardText(), kMarker);

    gui::PressKey(app.Main(), VK_END);  // moves the selection to the last row
    gui::WaitIdle(app.Main());
    const DWORD marked = GetClipboardSequenceNumber();
    gui::PressKey(app.Main(), 'C', {VK_CONTROL});
    gui::WaitFor([&] { return GetClipboardSequenceNumber() != marked; });
    const auto rows = gui::ListViewCells(grid);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(gui::ClipboardText(), Tabbed({rows.back()}));
}

// The right-click menu: "Tout sélectionner" (its last item) then "Copier" (its first).
TEST(Copy, TheContextMenuSelectsAllAndCopies) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    gui::ClickAndWait(app.Control(ids::bbtGetVersions));
    const HWND memo = app.Control(ids::memVersions);
    gui::SetClipboard(kMarker);
    const DWORD marked = GetClipboardSequenceNumber();
    const auto choose = [&](WORD key) {
        PostMessageW(memo, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(memo), -1);
        ASSERT_NE(gui::WaitForWindowOfClass(L"#32768", app.Pid(), 10000), nullptr) << "no menu";
        gui::PressKey(app.Main(), key);
        gui::PressKey(app.Main(), VK_RETURN);
        gui::WaitFor([&] { return gui::WaitForWindowOfClass(L"#32768", app.Pid(), 0) == nullptr; });
        gui::WaitIdle(app.Main());
    };
    choose(VK_UP);  // from no item, Up reaches the last one
    choose(VK_DOWN);
    gui::WaitFor([&] { return GetClipboardSequenceNumber() != marked; });
    EXPECT_EQ(gui::ClipboardText(), WithCrLf(gui::Text(memo)));
}

}  // namespace
}  // namespace orvane
