// The About box and the news window in the real orvane.exe, reached through "A propos de...": the
// policy value points the program at the loopback server's control file.

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "GuiDriver.h"
#include "LoopbackServers.h"
#include "OrvaneProcess.h"
#include "about/About.h"
#include "about/AboutIds.h"
#include "core/Text.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WorkstationIdentity_win32.h"
#include "shell/ControlIds.h"
#include "update/UpdatePolicy.h"

namespace orvane {
namespace {

using testing::TOrvaneProcess;
using testservers::LoopbackServers;
namespace aid = about::ids;

// The policy value for the test's run, removed afterwards.
class PolicyUrl {
public:
    explicit PolicyUrl(const std::wstring& url) {
        HKEY key = nullptr;
        EXPECT_EQ(
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUpdatePolicyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        RegSetValueExW(key, kUpdatePolicyValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(url.c_str()),
                       static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    ~PolicyUrl() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUpdatePolicyKey); }
};

std::string UpdateLog() {
    wchar_t documents[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents);
    std::ifstream in(std::filesystem::path(documents) / L"WUPDATE.LOG", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

HWND OpenAbout(const TOrvaneProcess& app) {
    gui::Click(app.Control(ids::bbtAbout));
    return gui::WaitForWindowOfClass(aid::kAboutClass, app.Pid(), 30000);
}

bool Closed(HWND window) {
    return gui::WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 10000);
}

TEST(AboutBox, ShowsTheProgramAndWorkstationAndTheNewsOfThePolicysControlFile) {
    const auto& servers = LoopbackServers::Get();
    const std::string token = LoopbackServers::UniqueToken();
    const std::filesystem::path folder = servers.Root() / "scratch" / ("about-" + token);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "ORVANE.INF", std::ios::binary)
        << "[update]\r\nversion=9.0.0.0\r\ndescr=Version 2\\nCorrections\r\n";
    const std::wstring url =
        servers.Url("http", L"/files/scratch/about-" + std::wstring(token.begin(), token.end()) + L"/ORVANE.INF");
    const PolicyUrl policy(url);

    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    const HWND box = OpenAbout(app);
    ASSERT_TRUE(box);
    const auto ctl = [&](int id) { return gui::FindById(box, id); };
    EXPECT_EQ(gui::Text(box), L"A propos de...");
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 474);
    EXPECT_EQ(client.bottom, 360);
    EXPECT_FALSE(IsWindowEnabled(app.Main()));  // modal

    const auto exeVersion = win32::TWin32VersionResource().Read(testing::ProgramFolder() + L"orvane.exe");
    ASSERT_TRUE(exeVersion && exeVersion->fixedInfo);
    EXPECT_EQ(gui::Text(ctl(aid::lblVersion)), about::FileVersionText(*exeVersion->fixedInfo));
    EXPECT_EQ(gui::Text(ctl(aid::lblApplication)), L"Orvane");
    EXPECT_TRUE(
        std::regex_match(gui::Text(ctl(aid::lblCompilerVersion)), std::wregex(L"Compiler & RTL: [0-9]+\\.[0-9]{2}  ")));
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(gui::Text(ctl(aid::lblIdentityFirst + 2 * row)), about::kIdentityCaptions[row]);
    EXPECT_TRUE(std::regex_match(gui::Text(ctl(aid::lblIdentityFirst + 2 * 2 + 1)),
                                 std::wregex(L"[^ ]+  \\(([0-9]{1,3}\\.){3}[0-9]{1,3}\\)")))
        << ToUtf8(gui::Text(ctl(aid::lblIdentityFirst + 5)));
    EXPECT_TRUE(
        std::regex_match(gui::Text(ctl(aid::lblIdentityFirst + 2 * 1 + 1)), std::wregex(L"([0-9]+ x [0-9]+)?")));
    EXPECT_EQ(gui::Text(ctl(aid::lblIdentityFirst + 2 * 3 + 1)), win32::TWin32WorkstationIdentity().UserName());
    EXPECT_EQ(gui::Text(ctl(aid::lblAvertissement)), about::kLegalNotice);
    EXPECT_EQ(gui::Text(ctl(aid::lblWebSite)).rfind(L"http", 0), 0u);

    struct Button {
        int id;
        const wchar_t* caption;
        RECT place;  // in the client area: the panel starts right of the 101-pixel strip
    };
    for (const Button& b : {Button{aid::bbtUpdate, L"Mise à jour du programme", {117, 328, 275, 353}},
                            Button{aid::bbtNews, L"Nouveautés", {281, 328, 377, 353}},
                            Button{aid::bbtClose, L"&Fermer", {383, 328, 458, 353}}}) {
        EXPECT_EQ(gui::Text(ctl(b.id)), b.caption);
        EXPECT_TRUE(gui::IsVisible(ctl(b.id))) << b.id;
        const RECT r = gui::ClientRectIn(ctl(b.id), box);
        EXPECT_TRUE(EqualRect(&r, &b.place))
            << b.id << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    EXPECT_EQ(gui::FocusedControl(box), ctl(aid::bbtClose));

    gui::Click(ctl(aid::bbtNews));
    const HWND news = gui::WaitForWindowOfClass(aid::kNewsClass, app.Pid(), 30000);
    ASSERT_TRUE(news);
    EXPECT_EQ(gui::Text(news), L"Nouveautés !");
    const HWND memo = gui::FindById(news, aid::memNews);
    EXPECT_EQ(gui::Text(memo), L"Version 2\r\nCorrections");
    EXPECT_EQ(SendMessageW(memo, EM_GETLINECOUNT, 0, 0), 2);
    EXPECT_TRUE(GetWindowLongW(memo, GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(GetWindowLongW(memo, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL));
    EXPECT_EQ(gui::Text(gui::FindById(news, aid::bbtClose)), L"&Fermer");
    gui::Click(gui::FindById(news, aid::bbtClose));
    EXPECT_TRUE(Closed(news));

    // Opening the box wrote nothing; the update's start tells the log where the policy sent it.
    const std::string logLine = "Update URL from policy: " + ToUtf8(url);
    EXPECT_EQ(UpdateLog().find(logLine), std::string::npos);
    // The update button opens the wizard in French over the box; closing it leaves the box.
    gui::Click(ctl(aid::bbtUpdate));
    const HWND wizard = gui::WaitForWindowOfClass(L"OrvaneUpdateWizard", app.Pid(), 30000);
    ASSERT_TRUE(wizard);
    EXPECT_EQ(gui::Text(wizard), L"Mise à jour de l'application");
    EXPECT_TRUE(gui::FindByCaption(wizard, L"Vérifier"));
    EXPECT_NE(UpdateLog().find(logLine), std::string::npos);
    PostMessageW(wizard, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Closed(wizard));

    gui::Click(ctl(aid::bbtClose));
    EXPECT_TRUE(Closed(box));
    EXPECT_TRUE(gui::WaitFor([&] { return IsWindowEnabled(app.Main()) != FALSE; }));
    std::filesystem::remove_all(folder);
    EXPECT_EQ(app.CloseAndWait(), 0);
}

TEST(AboutBox, EscapeAndAltFClose) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    struct Key {
        WORD key;
        bool alt;
    };
    for (const Key& k : {Key{VK_ESCAPE, false}, Key{'F', true}}) {
        const HWND box = OpenAbout(app);
        ASSERT_TRUE(box);
        if (k.alt)
            gui::PressKey(box, k.key, {VK_MENU});
        else
            gui::PressKey(box, k.key);
        EXPECT_TRUE(Closed(box)) << k.key;
        gui::WaitFor([&] { return IsWindowEnabled(app.Main()) != FALSE; });
    }
    EXPECT_EQ(app.CloseAndWait(), 0);
}

TEST(AboutBox, ScalesWithTheDisplaysDpi) {
    SetEnvironmentVariableW(L"ORVANE_DPI", L"144");
    TOrvaneProcess app;
    SetEnvironmentVariableW(L"ORVANE_DPI", nullptr);
    ASSERT_TRUE(app.Main());
    const HWND box = OpenAbout(app);
    ASSERT_TRUE(box);
    const auto S = [](int units) { return MulDiv(units, 144, 96); };
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, S(474));
    EXPECT_EQ(client.bottom, S(360));
    const RECT close = gui::ClientRectIn(gui::FindById(box, aid::bbtClose), box);
    const RECT expected{S(101 + 282), S(328), S(101 + 282) + S(75), S(328) + S(25)};
    EXPECT_TRUE(EqualRect(&close, &expected))
        << close.left << "," << close.top << "," << close.right << "," << close.bottom;
    gui::Click(gui::FindById(box, aid::bbtClose));
    EXPECT_TRUE(Closed(box));
    EXPECT_EQ(app.CloseAndWait(), 0);
}

}  // namespace
}  // namespace orvane
