// "Enregistrer le rapport...": Ctrl+S, the system's save dialog, and the file it writes compared
// line by line with what the window's displays show.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "GuiDriver.h"
#include "OrvaneProcess.h"
#include "core/Text.h"
#include "shell/ControlIds.h"

namespace orvane {
namespace {

using testing::TOrvaneProcess;

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The report's sections by heading: a heading is underlined with "=", and a section ends with the
// empty line before the next heading.
std::map<std::wstring, std::vector<std::wstring>> Sections(const std::vector<std::wstring>& lines) {
    std::map<std::wstring, std::vector<std::wstring>> sections;
    std::vector<size_t> headings;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (!lines[i].empty() && lines[i + 1] == std::wstring(lines[i].size(), L'=')) headings.push_back(i);
    for (size_t h = 0; h < headings.size(); ++h) {
        const size_t begin = headings[h] + 2, end = h + 1 < headings.size() ? headings[h + 1] - 1 : lines.size();
        sections[lines[headings[h]]] = {lines.begin() + static_cast<long>(begin),
                                        lines.begin() + static_cast<long>(end)};
    }
    return sections;
}

std::vector<std::wstring> Tabbed(const std::vector<std::vector<std::wstring>>& rows) {
    std::vector<std::wstring> out;
    for (const auto& row : rows) {
        std::wstring line;
        for (size_t c = 0; c < row.size(); ++c) line += (c ? L"\t" : L"") + row[c];
        out.push_back(line);
    }
    return out;
}

// Types PATH into the save dialog and confirms it.
bool SaveAs(DWORD pid, const std::wstring& path) {
    const HWND dialog = gui::WaitForWindow(L"Enregistrer le rapport", pid, 30000);
    if (!dialog) return false;
    HWND name = nullptr;
    for (const int id : {0x47c, 0x480})  // the name box: a combo box (its edit follows), or a plain edit
        if ((name = gui::FindById(dialog, id))) break;
    if (!name) return false;
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    // The dialog's list view also has the identifier 1: OK goes to the dialog itself.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
}

TEST(SavedReport, CtrlSWritesWhatTheWindowShows) {
    namespace fs = std::filesystem;
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const fs::path file = fs::path(temp) / L"orvane rapport é.txt";
    fs::remove(file);

    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    using namespace ids;
    const struct { int tab, button; } commands[] = {{0, bbtGetVersions}, {1, bbtGetEnvVar}, {3, bbtPing}};
    for (const auto& c : commands) {
        gui::SelectTab(app.Control(pgMain), c.tab);
        gui::ClickAndWait(app.Control(c.button), 120000);
    }
    gui::PressKey(app.Main(), 'S', {VK_CONTROL});
    ASSERT_TRUE(SaveAs(app.Pid(), file.wstring()));
    ASSERT_TRUE(gui::WaitFor([&] { return fs::exists(file) && fs::file_size(file) > 0; }, 30000));
    gui::WaitIdle(app.Main());

    std::string bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with its mark";
    const std::vector<std::wstring> lines = SplitLines(FromUtf8(bytes.substr(3)));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind(L"Orvane 1.0.0.0 - ", 0), 0u) << ToUtf8(lines[0]);
    auto sections = Sections(lines);

    std::vector<std::wstring> memo = SplitLines(gui::Text(app.Control(memVersions)));
    EXPECT_EQ(sections[L"Versions"], memo);
    EXPECT_EQ(sections[L"Variables d'environnement"], Tabbed(gui::ListViewCells(app.Control(vlEnvVar))));
    EXPECT_EQ(sections[L"Serveurs"], Tabbed(gui::ListViewCells(app.Control(vlPing))));
    ASSERT_EQ(sections[L"Fichiers"].size(), static_cast<size_t>(kFileTabCount));
    for (int i = 0; i < kFileTabCount; ++i)
        EXPECT_EQ(sections[L"Fichiers"][i],
                  gui::TabCaption(app.Control(pgFile), i) + L"\t" + gui::Text(app.Control(edtFileFirst + i)));

    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(computer, &size);
    wchar_t user[257];
    DWORD userSize = 257;
    GetUserNameW(user, &userSize);
    const auto& workstation = sections[L"Poste de travail"];
    ASSERT_EQ(workstation.size(), 3u);
    EXPECT_GT(workstation[0].size(), std::wstring(L"Système\t").size());
    EXPECT_EQ(workstation[1], std::wstring(L"Ordinateur\t") + computer);
    EXPECT_EQ(workstation[2], std::wstring(L"Utilisateur\t") + user);

    // The saved copy of saplogon.ini, as its viewer shows it.
    const std::wstring iniHeading = L"SAPLOGON.INI (" + gui::Text(app.Control(edtFileFirst)) + L")";
    ASSERT_TRUE(sections.count(iniHeading)) << ToUtf8(iniHeading);
    std::vector<std::wstring> viewer = SplitLines(gui::Text(app.Control(synMemFirst)));
    EXPECT_EQ(sections[iniHeading], viewer);

    EXPECT_EQ(gui::WaitForMessageBox(app.Pid(), 0), nullptr);
    EXPECT_EQ(app.CloseAndWait(), 0);
    fs::remove(file);
}

}  // namespace
}  // namespace orvane
