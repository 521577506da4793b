// The four computing tabs and the folder buttons on the sample workstation (sample/), end to end.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <vector>

#include "GuiDriver.h"
#include "OrvaneProcess.h"
#include "platform/win32/Handle.h"
#include "core/Text.h"
#include "shell/ControlIds.h"

namespace orvane {
namespace {

using testing::TOrvaneProcess;

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstringstream in(text);
    for (std::wstring line; std::getline(in, line);) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

struct WindowSearch {
    DWORD pid;
    const std::wstring& part;
    HWND found = nullptr;
};

BOOL CALLBACK MatchOtherProcessWindow(HWND window, LPARAM data) {
    auto& s = *reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == s.pid || owner == GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    if (gui::Text(window).find(s.part) == std::wstring::npos) return TRUE;
    s.found = window;
    return FALSE;
}

// A visible top-level window of another process than PID whose title contains PART.
HWND WaitForOtherProcessWindow(DWORD pid, const std::wstring& part, DWORD timeoutMs) {
    const DWORD deadline = GetTickCount() + timeoutMs;
    do {
        WindowSearch search{pid, part};
        EnumWindows(MatchOtherProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(100);
    } while (static_cast<LONG>(deadline - GetTickCount()) > 0);
    return nullptr;
}

// Ends the program that owns WINDOW, kindly first.
void EndProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    win32::unique_handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (process && WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
}

const wchar_t* const kSampleReport[] = {
    L"",
    L"SAP Setup",
    L"---------",
    L"Path = C:\\SAP\\SapSetup\\setup\\",
    L"NwSapSetup.exe = 9.0.88.0",
    L"",
    L"Business Explorer",
    L"-----------------",
    L"Path = c:\\Program Files (x86)\\SAP\\Business Explorer\\BI\\",
    L"Fichier \"BExAnalyzer.exe\" introuvable.",
    L"",
    L"SAP GUI for Windows",
    L"-------------------",
    L"Path = C:\\Program Files (x86)\\SAP\\FrontEnd\\SAPgui\\",
    L"saplogon.exe = 7400.3.10.1127",
    L"saplgpad.exe = 7400.3.10.1127",
    L"SAP Logon for Windows 740 Patch Level 10 Level 1",
    L"",
    L"SAP NetWeaver Business Client 4",
    L"-------------------------------",
    L"Path = c:\\Program Files (x86)\\SAP\\NWBC40\\",
    L"Fichier \"NWBC.exe\" introuvable.",
    L"",
    L"SAP NetWeaver Business Client 5",
    L"-------------------------------",
    L"Path = c:\\Program Files (x86)\\SAP\\NWBC50\\",
    L"NWBC.exe = 5000.999.1.1",
    L"",
    L"",
    L"SAP Business Client 6",
    L"---------------------",
    L"Path = C:\\Program Files (x86)\\SAP\\NWBC65\\",
    L"NWBC.exe = 60000.1604.14078.18017",
    L"SAP NetWeaver Business Client 6.0 Final Release PL 3",
    L"",
    L"SAP 3D Visual Entreprise Viewer",
    L"-------------------------------",
    L"Path = c:\\Program Files (x86)\\SAP\\SAP 3D Visual Enterprise Viewer\\",
    L"Fichier \"VEViewer.exe\" introuvable.",
    L"",
    L"Engineering Client Viewer",
    L"-------------------------",
    L"Path = c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\Program\\",
    L"WebViewer2D.dll = 8.2.0.14321",
    L"ECL Viewer 7.0 Patch Level 19",
    L"",
    L"SAP Secure Login Client",
    L"-----------------------",
    L"Path = c:\\Program Files (x86)\\SAP\\FrontEnd\\SecureLogin\\",
    L"sbus.exe = 3.0.2.6",
    L"sbusagent.exe = 3.0.2.6",
    L"sapcrypto.dll = 8.5.48.0",
    L"sbussto.dll = Fichier non trouvé.",
    L"Path = c:\\Program Files\\SAP\\FrontEnd\\SecureLogin\\",
    L"Fichier \"lib\\sapcrypto.dll\" introuvable.",
    L"",
    L"SNC Client Encryption",
    L"---------------------",
    L"Path = c:\\Program Files (x86)\\SAP\\FrontEnd\\SAPgui\\Encryption\\",
    L"Fichier \"seccrypt.dll\" introuvable.",
    L"",
    L"Kerberos DLL",
    L"------------",
    L"Path = c:\\Program Files (x86)\\SAP\\Kerberos\\",
    L"gsskrb5.dll = 1.0.11.0",
    L"gssntlm.dll = 0.0.0.0",
    L"Path = c:\\Program Files\\SAP\\Kerberos\\",
    L"Fichier \"gx64krb5.dll\" introuvable.",
};

TEST(VersionsTab, ReportsTheSampleWorkstationOnceAndShowsItsTop) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    const HWND memo = app.Control(ids::memVersions);
    for (int press = 0; press < 2; ++press) {
        gui::ClickAndWait(app.Control(ids::bbtGetVersions));
        const std::vector<std::wstring> lines = Lines(gui::Text(memo));
        ASSERT_EQ(lines.size(), std::size(kSampleReport)) << "press " << press;
        for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], kSampleReport[i]) << "line " << i + 1;
    }
    EXPECT_EQ(SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    DWORD start = 1, end = 1;
    SendMessageW(memo, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    EXPECT_EQ(gui::WaitForMessageBox(app.Pid(), 0), nullptr);
}

// A folder value of the wrong type ends the report with the error; what was written stays and the
// window goes on answering.
TEST(VersionsTab, ANonTextFolderValueEndsTheReportWithItsError) {
    const wchar_t* key = L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared\\SAP_NWBC40";
    win32::unique_hkey handle;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.put(), nullptr),
              ERROR_SUCCESS);
    const DWORD number = 40;
    RegSetValueExW(handle.get(), L"SAPDestDir", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    struct Cleanup {
        const wchar_t* key;
        ~Cleanup() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, key); }
    } cleanup{key};

    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    gui::Click(app.Control(ids::bbtGetVersions));
    const HWND box = gui::WaitForMessageBox(app.Pid(), 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(gui::MessageBoxText(box), L"Type de données incorrect pour 'SAPDestDir'");
    gui::PressOk(box);
    gui::WaitIdle(app.Main());

    const std::vector<std::wstring> lines = Lines(gui::Text(app.Control(ids::memVersions)));
    ASSERT_EQ(lines.size(), 20u) << "the report stops where the folder is asked";
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], kSampleReport[i]) << "line " << i + 1;

    gui::SelectTab(app.Control(ids::pgMain), 1);
    gui::ClickAndWait(app.Control(ids::bbtGetEnvVar));
    EXPECT_EQ(gui::ListViewRows(app.Control(ids::vlEnvVar)).size(), 6u) << "the window stays usable";
    EXPECT_EQ(app.CloseAndWait(), 0);
}

TEST(EnvironmentTab, ListsTheSixVariablesInOrderSetOrNot) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    gui::SelectTab(app.Control(ids::pgMain), 1);
    gui::ClickAndWait(app.Control(ids::bbtGetEnvVar));
    gui::ClickAndWait(app.Control(ids::bbtGetEnvVar));
    const std::vector<std::wstring> expected = {
        L"SNC_LIB=C:\\Program Files (x86)\\SAP\\FrontEnd\\SecureLogin\\lib\\sapcrypto.dll",
        L"SNC_LIB_64=",
        L"SSF_LIBRARY_PATH=C:\\Program Files (x86)\\SAP\\FrontEnd\\SecureLogin\\lib\\sapcrypto.dll",
        L"SSF_LIBRARY_PATH_64=",
        L"SAPLOGON_INI_FILE=",
        L"SAPLOGON_LSXML_FILE=",
    };
    EXPECT_EQ(gui::ListViewRows(app.Control(ids::vlEnvVar)), expected);
}

TEST(FilesTab, FindsEachFileWhereTheSampleKeepsIt) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    gui::SelectTab(app.Control(ids::pgMain), 2);
    gui::SelectTab(app.Control(ids::pgFile), 3);
    gui::ClickAndWait(app.Control(ids::bbtSearchFiles));
    EXPECT_EQ(gui::SelectedTab(app.Control(ids::pgFile)), 3) << "the search leaves the selected file tab alone";

    struct Tab {
        const wchar_t* path;
        const wchar_t* excerpt;  // a piece of the file's text, accents decoded
    };
    const std::wstring gui = L"C:\\Program Files (x86)\\SAP\\FrontEnd\\SAPgui\\";
    const Tab tabs[] = {
        {L"saplogon.ini", L"Item1=DEV - Développement"},  // Windows-1252 file
        {nullptr, nullptr},                                // no sapmsg.ini on the sample
        {L"saproute.ini", L"Route1=/H/127.0.0.1/S/3299"},
        {L"SAPlogontree.xml", L"<Item name=\"QAS - Qualité\""},  // UTF-8 file
        {L"C:\\windows\\System32\\drivers\\etc\\services", L"\r\n"},
        {L"C:\\SAP\\Landscape\\SAPUILandscape.xml", L"name=\"SBX - Bac à sable\""},
    };
    for (int i = 0; i < ids::kFileTabCount; ++i) {
        const std::wstring pathBox = gui::Text(app.Control(ids::edtFileFirst + i));
        const std::wstring text = gui::Text(app.Control(ids::synMemFirst + i));
        if (!tabs[i].path) {
            EXPECT_EQ(pathBox, L"Fichier non trouvé.") << i;
            EXPECT_EQ(text, L"") << i;
            continue;
        }
        const std::wstring path = tabs[i].path;
        EXPECT_EQ(pathBox, path.find(L'\\') == std::wstring::npos ? gui + path : path) << i;
        EXPECT_NE(text.find(tabs[i].excerpt), std::wstring::npos) << i;
    }
}

// The sample names only loopback servers, in both files, in several spellings: each is pinged once,
// in sorted order, and answers.
TEST(ServersTab, PingsEveryServerOfBothFilesOnce) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    gui::SelectTab(app.Control(ids::pgMain), 3);
    for (int press = 0; press < 2; ++press) {
        gui::ClickAndWait(app.Control(ids::bbtPing), 120000);
        const std::vector<std::wstring> rows = gui::ListViewRows(app.Control(ids::vlPing));
        const std::vector<std::pair<std::wstring, std::wstring>> expected = {
            {L"127.0.0.1", L"127.0.0.1"}, {L"127.0.0.2", L"127.0.0.2"}, {L"127.0.0.3", L"127.0.0.3"},
            {L"localhost", L"127.0.0.1"}};
        ASSERT_EQ(rows.size(), expected.size()) << "press " << press;
        // Names and addresses match literally: "127.0.0.1" must not match "127x0y0z1".
        const auto literal = [](const std::wstring& text) {
            return std::regex_replace(text, std::wregex(LR"([.^$|()\[\]{}*+?\\])"), L"\\$&");
        };
        for (size_t i = 0; i < rows.size(); ++i) {
            const std::wregex reply(literal(expected[i].first) + L"=Reply from " + literal(expected[i].second) +
                                    L": bytes=32 time=(<1|[0-9]+)ms TTL=[0-9]+");
            EXPECT_TRUE(std::regex_match(rows[i], reply)) << ToUtf8(rows[i]);
        }
    }
    EXPECT_EQ(gui::WaitForMessageBox(app.Pid(), 0), nullptr);
    EXPECT_EQ(gui::Text(app.Control(ids::edtFileFirst)), L"C:\\Program Files (x86)\\SAP\\FrontEnd\\SAPgui\\saplogon.ini")
        << "the ping runs the file search first";
}

// An existing folder goes to the shell (no message); a missing one is reported with its path.
TEST(FoldersTab, OpensExistingFoldersAndReportsMissingOnes) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    gui::SelectTab(app.Control(ids::pgMain), 4);

    gui::Click(app.Control(ids::bbtOpenFolder4));
    HWND box = gui::WaitForMessageBox(app.Pid(), 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(gui::MessageBoxText(box), L"Le répertoire \"D:\\Users\\All Users\\SAP\\\" n'existe pas.");
    gui::PressOk(box);
    gui::WaitIdle(app.Main());

    gui::ClickAndWait(app.Control(ids::bbtOpenFolder1));  // C:\SAP\SapSetup\LOGs exists on the sample
    const HWND shellWindow = WaitForOtherProcessWindow(app.Pid(), L"LOGs", 30000);
    EXPECT_NE(shellWindow, nullptr) << "the shell shows the folder";
    EXPECT_EQ(gui::WaitForMessageBox(app.Pid(), 0), nullptr);
    if (shellWindow) EndProcessOf(shellWindow);
    EXPECT_EQ(app.CloseAndWait(), 0);
}

} // namespace
} // namespace orvane
