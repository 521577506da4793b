// The update wizard's real window, walked through window messages with a scripted engine.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>

#include "core/Error.h"
#include "fakes/FakeWizard.h"
#include "wizard/win32/WebUpdateWizard.h"

namespace orvane {
namespace {

using C = TWizardControl;
using fakes::File;

std::function<void()> pendingScript;

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto script = std::move(pendingScript);
    if (script) script();
}

// Runs SCRIPT inside the wizard's own message loop, once the window is up.
void Execute(TWebUpdateWizard& wizard, std::function<void(TWUWIZWindow&)> script) {
    wizard.OnWindowReady = [&](TWUWIZWindow& window) {
        pendingScript = [&window, script] { script(window); };
        SetTimer(nullptr, 0, 50, RunScript);
    };
    wizard.Execute(false);
    wizard.OnWindowReady = nullptr;
}

std::wstring Text(HWND hwnd) {
    wchar_t text[1024] = L"";
    GetWindowTextW(hwnd, text, 1024);
    return text;
}

bool Visible(TWUWIZWindow& w, C control) {
    return IsWindowVisible(w.Control(control)) != 0;
}

void Click(TWUWIZWindow& w, C control) {
    SendMessageW(w.Control(control), BM_CLICK, 0, 0);
}

bool Checked(HWND list, int item) {
    return ListView_GetCheckState(list, item) != 0;
}

void ClickCheckBox(HWND list, int item) {
    RECT r{};
    ListView_GetItemRect(list, item, &r, LVIR_BOUNDS);
    LVHITTESTINFO hit{};
    for (int x = r.left; x < r.left + 30 && !(hit.flags & LVHT_ONITEMSTATEICON); ++x) {
        hit = {};
        hit.pt = POINT{x, (r.top + r.bottom) / 2};
        ListView_HitTest(list, &hit);
    }
    ASSERT_TRUE(hit.flags & LVHT_ONITEMSTATEICON);
    const LPARAM at = MAKELPARAM(hit.pt.x, hit.pt.y);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
}

void PressSpace(HWND list, int item) {
    ListView_SetItemState(list, item, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
}

struct Hooks {
    std::vector<std::wstring> messages, opened;
    Hooks() {
        WizardWindowHooks.messageBox = [this](HWND, const std::wstring& text) { messages.push_back(text); };
        WizardWindowHooks.open = [this](const std::wstring& path) { opened.push_back(path); };
    }
    ~Hooks() { WizardWindowHooks = {}; }
};

TEST(WizardWindow, FrenchWalkThroughEveryPage) {
    Hooks hooks;
    fakes::ScriptedEngine engine;
    engine.versionCheck = 8;
    engine.whatsNew = "Nouvelle version\r\nCorrections";
    engine.eula = "Conditions";
    engine.files = {File(L"Programme"), File(L"Noyau", true, false), File(L"Aide", false, false)};
    int appProgress = 0;
    engine.OnFileProgress = [&](TWebUpdate&, const std::wstring&, std::int64_t, std::int64_t) { ++appProgress; };
    std::wstring fileLabel;
    engine.duringDownload = [&](fakes::ScriptedEngine& e) {
        e.Block(L"C:\\Temp\\programme.exe", 40, 100);
        fileLabel = Text(GetDlgItem(GetParent(GetFocus()), WizardControlId(C::FileLabel)));
    };
    const TWebUpdateWizardFrench french = ConfiguredFrenchLanguage();
    TWebUpdateWizard wizard;
    wizard.SetWebUpdate(&engine);
    wizard.SetLanguage(&french);
    wizard.Caption = L"Mise à jour de l'application";
    wizard.Font.Height = 12;
    bool walked = false;
    Execute(wizard, [&](TWUWIZWindow& w) {
        EXPECT_EQ(Text(w.Handle()), L"Mise à jour de l'application");
        RECT client{};
        GetClientRect(w.Handle(), &client);
        EXPECT_EQ(client.right, 474);
        EXPECT_EQ(client.bottom, 284);
        EXPECT_TRUE(Visible(w, C::StartButton));
        EXPECT_EQ(Text(w.Control(C::StartButton)), L"Vérifier");
        EXPECT_EQ(Text(w.Control(C::WelcomeLabel)),
                  L"Cliquez sur Vérifier pour rechercher d'éventuelles mises à jour ...");

        Click(w, C::StartButton);
        EXPECT_TRUE(Visible(w, C::VersionInfoLabel));
        EXPECT_FALSE(Visible(w, C::StartButton));
        EXPECT_EQ(Text(w.Control(C::VersionInfoLabel)), L"Nouvelle version disponible.");
        EXPECT_EQ(Text(w.Control(C::ControlButton)), L"Mettre à jour");

        Click(w, C::ControlButton);
        EXPECT_TRUE(Visible(w, C::WhatsNewMemo));
        EXPECT_FALSE(Visible(w, C::WhatsNewRichEdit));
        EXPECT_EQ(Text(w.Control(C::Label1)), L"Nouveautés");
        EXPECT_EQ(Text(w.Control(C::WhatsNewMemo)), L"Nouvelle version\r\nCorrections");

        Click(w, C::NewButton);
        EXPECT_TRUE(Visible(w, C::EULAMemo));
        EXPECT_FALSE(IsWindowEnabled(w.Control(C::EULAButton)));
        EXPECT_EQ(Text(w.Control(C::RAccept)), L"J'accepte");
        Click(w, C::RAccept);
        EXPECT_TRUE(IsWindowEnabled(w.Control(C::EULAButton)));
        EXPECT_EQ(Text(w.Control(C::EULAButton)), L"Suivant");

        Click(w, C::EULAButton);
        const HWND list = w.Control(C::CheckListBox1);
        ASSERT_TRUE(IsWindowVisible(list));
        ASSERT_EQ(ListView_GetItemCount(list), 3);
        EXPECT_TRUE(Checked(list, 0));
        EXPECT_TRUE(Checked(list, 1));  // mandatory: checked although not preselected
        EXPECT_FALSE(Checked(list, 2));
        ClickCheckBox(list, 2);
        EXPECT_TRUE(Checked(list, 2));  // an enabled item follows the mouse
        ClickCheckBox(list, 2);
        EXPECT_FALSE(Checked(list, 2));
        PressSpace(list, 2);
        EXPECT_TRUE(Checked(list, 2));  // and Space
        PressSpace(list, 2);
        EXPECT_FALSE(Checked(list, 2));
        ClickCheckBox(list, 1);
        EXPECT_TRUE(Checked(list, 1));  // the disabled one follows neither
        PressSpace(list, 1);
        EXPECT_TRUE(Checked(list, 1));

        Click(w, C::FilesButton);
        EXPECT_TRUE(Visible(w, C::RestartButton));
        EXPECT_EQ(Text(w.Control(C::RestartButton)), L"Quitter");
        EXPECT_EQ(Text(w.Control(C::Label8)), L"");
        EXPECT_EQ(Text(w.Control(C::Label7)), L"Mise à jour terminée");
        EXPECT_EQ(SendMessageW(w.Control(C::TotalProgress), PBM_GETPOS, 0, 0), 40);
        walked = true;
        Click(w, C::RestartButton);
    });
    EXPECT_TRUE(walked);
    EXPECT_EQ(fileLabel, L"programme.exe");
    EXPECT_EQ(engine.FileList().Count(), 2u);      // "Aide" left out, the mandatory one kept
    EXPECT_EQ(engine.Count("StopConnection"), 2);  // after the download, and on the way out
    EXPECT_EQ(appProgress, 0);
    engine.DoFileProgress(L"x", 1, 2);
    EXPECT_EQ(appProgress, 1);  // the application's handler is back
    EXPECT_TRUE(hooks.messages.empty());
    EXPECT_EQ(wizard.Window(), nullptr);
}

TEST(WizardWindow, ClosingDuringADownloadOnlyCancels) {
    Hooks hooks;
    fakes::ScriptedEngine engine;
    engine.files = {File(L"A")};
    engine.SetRestart(true, false);
    TWebUpdateWizard wizard;
    wizard.SetWebUpdate(&engine);
    bool stillOpen = false;
    engine.duringDownload = [&](fakes::ScriptedEngine& e) {
        PostMessageW(wizard.Window()->Handle(), WM_CLOSE, 0, 0);
        e.Block(L"a.dll", 10, 100);  // the progress report pumps the close
        stillOpen = IsWindowVisible(wizard.Window()->Handle()) != 0;
        EXPECT_TRUE(e.Cancelled());
        wizard.CloseWizard();  // the same from the program
        stillOpen = stillOpen && IsWindowVisible(wizard.Window()->Handle()) != 0;
    };
    Execute(wizard, [&](TWUWIZWindow& w) {
        EXPECT_EQ(Text(w.Control(C::StartButton)), L"Start");
        Click(w, C::StartButton);
        Click(w, C::ControlButton);
        Click(w, C::FilesButton);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(engine.Count("DoRestart"), 0);
    EXPECT_EQ(engine.Count("UpdateActions"), 1);
    EXPECT_GE(engine.Count("StopConnection"), 1);
    EXPECT_FALSE(engine.OnFileProgress);  // the application had none, and has none again
}

TEST(WizardWindow, EnterPressesThePageButtonAndEscapeCloses) {
    fakes::ScriptedEngine engine;
    engine.versionCheck = 7;
    TWebUpdateWizard wizard;
    wizard.SetWebUpdate(&engine);
    std::wstring label;
    Execute(wizard, [&](TWUWIZWindow& w) {
        SetFocus(w.Control(C::StartButton));
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        pendingScript = [&] {
            label = Text(w.Control(C::VersionInfoLabel));
            PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
        };
        SetTimer(nullptr, 0, 200, RunScript);
    });
    EXPECT_EQ(label, L"No new version available.");
    EXPECT_EQ(engine.Count("StartConnection"), 1);
    EXPECT_EQ(engine.Count("StopConnection"), 1);
}

TEST(WizardWindow, ViewInNotepadSavesTheTextInTheWorkingFolder) {
    Hooks hooks;
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    fakes::ScriptedEngine engine;
    engine.TempDirectory = temp;
    engine.whatsNew = "caf\xE9\r\nline two";
    TWebUpdateWizard wizard;
    wizard.SetWebUpdate(&engine);
    Execute(wizard, [&](TWUWIZWindow& w) {
        Click(w, C::StartButton);
        Click(w, C::ControlButton);
        w.Logic().Click(C::ViewinNotepad1);  // the memo's menu item
        EXPECT_EQ(w.Caption(C::ViewinNotepad1), L"View in Notepad");
        w.RequestClose();
    });
    const std::wstring path = std::wstring(temp) + L"whatsnew.txt";
    EXPECT_EQ(hooks.opened, std::vector<std::wstring>{path});
    const win32::unique_hfile file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    char bytes[64] = {};
    DWORD read = 0;
    ReadFile(file.get(), bytes, sizeof bytes, &read, nullptr);
    EXPECT_EQ(std::string(bytes, read),
              "\xEF\xBB\xBF"
              "caf\xC3\xA9\r\nline two");
}

TEST(WizardWindow, FollowsANewDpi) {
    fakes::ScriptedEngine engine;
    TWebUpdateWizard wizard;
    wizard.SetWebUpdate(&engine);
    RECT button{};
    Execute(wizard, [&](TWUWIZWindow& w) {
        RECT suggested{100, 100, 100 + 711, 100 + 426};
        SendMessageW(w.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(w.Control(C::StartButton), &button);
        MapWindowPoints(nullptr, w.Handle(), reinterpret_cast<POINT*>(&button), 2);
        w.RequestClose();
    });
    EXPECT_EQ(button.left, MulDiv(136 + 224, 144, 96));
    EXPECT_EQ(button.top, MulDiv(8 + 224, 144, 96));
    EXPECT_EQ(button.right - button.left, MulDiv(91, 144, 96));
}

TEST(WizardWindow, BorderlessSizeAndMissingEngine) {
    fakes::ScriptedEngine engine;
    TWebUpdateWizard wizard;
    try {
        wizard.Execute(false);
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"No WebUpdate component assigned");
    }
    wizard.SetWebUpdate(&engine);
    wizard.BorderStyle = TFormBorderStyle::bsNone;
    RECT size{};
    wizard.OnWindowReady = [&](TWUWIZWindow& w) {
        GetWindowRect(w.Handle(), &size);
        wizard.CloseWizard();
    };
    wizard.Execute(false);
    EXPECT_EQ(size.right - size.left, 473);
    EXPECT_EQ(size.bottom - size.top, 283);
    wizard.Notification(&engine);
    EXPECT_THROW(wizard.Execute(false), AppError);

    // The built-in billboard is the program's own resource, of the billboard's size.
    const win32::unique_hgdiobj picture(
        LoadImageW(GetModuleHandleW(nullptr), L"ORVANE_WIZARD_BILLBOARD", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_TRUE(picture);
    BITMAP bm{};
    GetObjectW(picture.get(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 116);
    EXPECT_EQ(bm.bmHeight, 201);
}

}  // namespace
}  // namespace orvane
