// The update wizard's pages and handlers against a scripted engine and a recording view.

#include <gtest/gtest.h>

#include "core/Error.h"
#include "fakes/FakeUpdate.h"
#include "fakes/FakeWizard.h"
#include "update/DateTime.h"
#include "wizard/WuWiz.h"

namespace orvane {
namespace {

using C = TWizardControl;
using P = TWizardPage;
using fakes::File;

struct Wizard {
    fakes::ScriptedEngine engine;
    fakes::FakeWizardView view;
    fakes::FakeLocale locale;
    TWUWIZ wiz{view, &locale};

    explicit Wizard(const TWebUpdateWizardLanguage& set = TWebUpdateWizardLanguage()) {
        // The design state of the buttons that start disabled.
        view.enabled[C::ControlButton] = false;
        view.enabled[C::EULAButton] = false;
        wiz.FormCreate();
        wiz.InitLanguage(set);
        wiz.AttachEngine(&engine);
    }
    void Start() {
        wiz.FormActivate();
        wiz.Click(C::StartButton);
    }
    // Welcome, version check, then the get-update button.
    void ToUpdate() {
        Start();
        wiz.Click(C::ControlButton);
    }
    void Choose(C radio) {
        view.radios = {{C::RAccept, radio == C::RAccept}, {C::RNoAccept, radio == C::RNoAccept}};
        wiz.Click(radio);
    }
    std::vector<std::wstring> ItemTexts() const {
        std::vector<std::wstring> texts;
        for (const auto& i : view.items) texts.push_back(i.text);
        return texts;
    }
    std::vector<std::wstring> ListDescriptions() const {
        std::vector<std::wstring> d;
        for (size_t i = 0; i < engine.FileList().Count(); ++i) d.push_back(engine.FileList()[i].Description);
        return d;
    }
};

TEST(WizardLanguage, SetsAndAssign) {
    const TWebUpdateWizardLanguage english;
    const TWebUpdateWizardFrench french;
    const TWebUpdateWizardFrench configured = ConfiguredFrenchLanguage();
    EXPECT_EQ(english.Welcome, L"Press start to start checking for available application updates ...");
    EXPECT_EQ(english.CannotConnect, L"Could not connect to update server or");
    EXPECT_EQ(french.Welcome, L"Cliquez sur Vérifier pour rechercher d'éventuelles mises à jour ...");
    EXPECT_EQ(french.NoFilesFound, L"pas de mises à jour disponible");
    // Created in code, the French set keeps three English texts; the configured one has them French.
    EXPECT_EQ(french.FailedDownload, L"Failed to download updates");
    EXPECT_EQ(french.WhatsNewPopup, L"View in Notepad");
    EXPECT_EQ(french.LicensePopup, L"View in Notepad");
    EXPECT_EQ(configured.FailedDownload, L"Erreur de téléchargement de la mise à jour");
    EXPECT_EQ(configured.WhatsNewPopup, L"Voir dans le bloc notes");
    EXPECT_EQ(configured.LicensePopup, L"Voir dans le bloc notes");

    TWebUpdateWizardLanguage copy;
    copy.Assign(configured);
    Wizard a(copy), b(configured);
    EXPECT_EQ(a.view.captions, b.view.captions);
    EXPECT_EQ(a.wiz.FFailedDownload, L"Erreur de téléchargement de la mise à jour");
    EXPECT_EQ(a.wiz.FStrLicensePopup, L"Voir dans le bloc notes");
}

TEST(WizardLanguage, TextsReachTheirControlsAndFields) {
    Wizard w(ConfiguredFrenchLanguage());
    const std::pair<C, const wchar_t*> controls[] = {
        {C::WelcomeLabel, L"Cliquez sur Vérifier pour rechercher d'éventuelles mises à jour ..."},
        {C::StartButton, L"Vérifier"},
        {C::NewButton, L"Suivant"},
        {C::EULAButton, L"Suivant"},
        {C::FilesButton, L"Suivant"},
        {C::RestartButton, L"Redémarrer"},
        {C::CancelButton, L"Annuler"},
        {C::ControlButton, L"Mettre à jour"},
        {C::Label1, L"Nouveautés"},
        {C::Label2, L"Informations de license"},
        {C::RAccept, L"J'accepte"},
        {C::RNoAccept, L"Je refuse"},
        {C::Label3, L"Composants d'application disponible"},
        {C::Label4, L"Téléchargement des fichiers"},
        {C::Label5, L"Progression du fichier"},
        {C::Label6, L"Progression totale"},
        {C::Label7, L"Mise à jour terminée"},
        {C::Label8, L"Cliquez sur Redémarrer pour lancer la nouvelle version"},
    };
    for (const auto& [control, text] : controls) EXPECT_EQ(w.view.Caption(control), text) << static_cast<int>(control);
    EXPECT_EQ(w.wiz.FStrNext, L"Suivant");
    EXPECT_EQ(w.wiz.FStrExit, L"Quitter");
    EXPECT_EQ(w.wiz.FStrGetUpdate, L"Mettre à jour");
    EXPECT_EQ(w.wiz.FStrNoUpdate, L"Aucune mise à jour disponible ...");
    EXPECT_EQ(w.wiz.FStrCurVersion, L"Version actuelle");
    EXPECT_EQ(w.view.pages, std::vector<P>{P::TabSheet1});
}

TEST(WizardVersionCheck, ResultTexts) {
    const TDateTime cur = *EncodeDate(2024, 3, 5);
    const TDateTime noon = *EncodeDate(2025, 11, 20) + *EncodeTime(14, 5, 9);
    const TDateTime midnight = *EncodeDate(2025, 11, 20);
    const TDateTime unknown = *EncodeDate(1980, 1, 1);
    struct Case {
        const char* name;
        int result;
        TDateTime cur, next;
        std::wstring label, button;
    };
    const Case cases[] = {
        {"date with time", 6, cur, noon,
         L"New version found :\rCurrent version : 05/03/2024\rNew version : 20/11/2025 14:05:09\r\rFixes",
         L"Get update"},
        {"date at midnight", 6, cur, midnight,
         L"New version found :\rCurrent version : 05/03/2024\rNew version : 20/11/2025\r\rFixes", L"Get update"},
        {"no current date", 6, unknown, midnight, L"New version found :\r\rNew version : 20/11/2025\r\rFixes",
         L"Get update"},
        {"no new version", 7, cur, noon, L"No new version available.", L"Exit"},
        {"version based", 11, cur, noon, L"New version found :\rCurrent version : 1.0\rNew version : 2.0\r\rFixes",
         L"Get update"},
        {"unconditional", 8, cur, noon, L"New version available.", L"Get update"},
        {"size based", 9, cur, noon, L"New version available.", L"Get update"},
        {"checksum based", 10, cur, noon, L"New version available.", L"Get update"},
        {"custom", 12, cur, noon, L"New version available.", L"Get update"},
        {"other result", 0, cur, noon, L"", L"Get update"},
    };
    for (const Case& c : cases) {
        Wizard w;
        w.engine.versionCheck = c.result;
        w.engine.SetVersions(c.cur, c.next, L"1.0", L"2.0", L"Fixes");
        w.Start();
        EXPECT_EQ(w.view.Caption(C::VersionInfoLabel), c.label) << c.name;
        EXPECT_EQ(w.view.Caption(C::ControlButton), c.button) << c.name;
        EXPECT_EQ(w.view.widths[C::VersionInfoLabel], 300) << c.name;
        EXPECT_TRUE(w.view.enabled[C::ControlButton]) << c.name;
        EXPECT_EQ(w.view.focus, C::ControlButton) << c.name;
        EXPECT_EQ(w.view.Page(), P::TabSheet2) << c.name;
        EXPECT_EQ(w.engine.UpdateUpdate, TWebUpdateUpdate::wuuSilent) << c.name;
    }
}

TEST(WizardVersionCheck, DatesFollowTheUserLocale) {
    Wizard w;
    w.locale.shortDate = L"yyyy-MM-dd";
    w.locale.longTime = L"h:mm:ss tt";
    w.engine.SetVersions(*EncodeDate(2024, 3, 5), *EncodeDate(2025, 11, 20) + *EncodeTime(14, 5, 9), L"", L"", L"");
    w.Start();
    EXPECT_EQ(w.view.Caption(C::VersionInfoLabel),
              L"New version found :\rCurrent version : 2024-03-05\rNew version : 2025-11-20 2:05:09 PM\r\r");
}

TEST(WizardVersionCheck, ConnectionFailures) {
    {
        Wizard w;
        w.engine.startConnection = 1;
        w.Start();
        EXPECT_EQ(w.view.closes, 1);
        EXPECT_EQ(w.engine.calls, (std::vector<std::string>{"StartConnection", "StopConnection"}));
        EXPECT_TRUE(w.view.messages.empty());
        EXPECT_FALSE(w.view.busy);
    }
    {
        Wizard w;
        w.engine.controlFile = 1;
        w.engine.UpdateType = TWebUpdateType::ftpUpdate;
        w.Start();
        EXPECT_EQ(w.engine.calls, (std::vector<std::string>{"StartConnection", "FTPConnect", "GetControlFile"}));
        EXPECT_EQ(w.view.Caption(C::VersionInfoLabel),
                  L"Could not connect to update server or\rNo update found on server ...");
        EXPECT_EQ(w.view.Caption(C::ControlButton), L"Exit");
        EXPECT_TRUE(w.view.enabled[C::ControlButton]);
        w.wiz.Click(C::ControlButton);
        EXPECT_EQ(w.view.closes, 1);
        EXPECT_EQ(w.engine.Count("StopConnection"), 1);
        EXPECT_EQ(w.engine.Count("HandleActions"), 0);
    }
}

TEST(WizardFlow, NoNewVersionExits) {
    Wizard w;
    w.engine.versionCheck = 7;
    w.Start();
    EXPECT_EQ(w.view.Caption(C::ControlButton), L"Exit");
    w.wiz.Click(C::ControlButton);
    EXPECT_EQ(w.view.closes, 1);
    EXPECT_EQ(w.engine.Count("StopConnection"), 1);
    EXPECT_EQ(w.engine.Count("HandleActions"), 0);
    EXPECT_TRUE(w.wiz.FormCloseQuery());  // the window's own close that follows
}

TEST(WizardFlow, HandleActionsFailureCloses) {
    Wizard w;
    w.engine.handleActions = 2;
    w.ToUpdate();
    EXPECT_EQ(w.view.closes, 1);
    EXPECT_EQ(w.engine.Count("GetWhatsNewStream"), 0);
}

TEST(WizardFlow, WhatsNewPage) {
    struct Case {
        const char* name;
        std::string stream;
        int handlerRes;  // what the handler leaves in Res; 0 = no handler
        bool changeLines;
        bool richShown, handlerCalled, pageShown;
        std::wstring memo;
    };
    const Case cases[] = {
        {"plain", "one\r\ntwo", 0, false, false, false, true, L"one\r\ntwo"},
        {"plain, handler keeps 1", "one\ntwo", 1, false, false, true, true, L"one\r\ntwo"},
        {"plain, handler changes lines", "one\r\ntwo", 1, true, false, true, true, L"one\r\ntwo\r\nadded"},
        {"plain, handler skips the page", "one", 2, false, false, true, false, L""},
        {"formatted, mixed case", "{\\Rtf1\\ansi x}", 1, false, true, false, true, L""},
        {"formatted, lower case", "{\\rtf1 x}", 1, false, true, false, true, L""},
        {"western bytes", "caf\xE9", 0, false, false, false, true, L"café"},
        {"empty stream counts as none", "", 1, false, false, false, false, L""},
    };
    for (const Case& c : cases) {
        Wizard w;
        w.engine.whatsNew = c.stream;
        w.engine.files = {File(L"Main")};
        bool called = false;
        if (c.handlerRes)
            w.engine.OnDownloadedWhatsNew = [&](TWebUpdate&, std::vector<std::wstring>& lines, int& res) {
                called = true;
                EXPECT_EQ(res, 1);
                if (c.changeLines) lines.push_back(L"added");
                res = c.handlerRes;
            };
        w.ToUpdate();
        EXPECT_EQ(called, c.handlerCalled) << c.name;
        EXPECT_EQ(w.view.Shown(P::TabSheet3), c.pageShown) << c.name;
        if (!c.pageShown) {
            EXPECT_EQ(w.view.Page(), P::TabSheet5) << c.name;  // straight on to the components
            continue;
        }
        EXPECT_EQ(w.view.Page(), P::TabSheet3) << c.name;
        EXPECT_EQ(w.view.visible[C::WhatsNewRichEdit], c.richShown) << c.name;
        EXPECT_EQ(w.view.visible[C::WhatsNewMemo], !c.richShown) << c.name;
        if (c.richShown)
            EXPECT_EQ(w.view.rich[C::WhatsNewRichEdit], c.stream) << c.name;
        else
            EXPECT_EQ(w.view.Caption(C::WhatsNewMemo), c.memo) << c.name;
        EXPECT_TRUE(w.view.enabled[C::NewButton]) << c.name;
        EXPECT_EQ(w.view.focus, C::NewButton) << c.name;
        w.wiz.Click(C::NewButton);
        EXPECT_EQ(w.view.Page(), P::TabSheet5) << c.name;
    }
}

TEST(WizardFlow, LicenceChoices) {
    struct Case {
        const char* name;
        C choice;  // StartButton: neither chosen
        P page;
        int closes;
        std::wstring button;
    };
    const Case cases[] = {
        {"accept", C::RAccept, P::TabSheet5, 0, L"Next"},
        {"refuse", C::RNoAccept, P::TabSheet4, 1, L"Exit"},
    };
    for (const Case& c : cases) {
        Wizard w;
        w.engine.eula = "Terms";
        w.engine.files = {File(L"Main")};
        int res = 0;
        w.engine.OnDownloadedEULA = [&](TWebUpdate&, std::vector<std::wstring>& lines, int& r) {
            res = r;
            lines.push_back(L"signed");
        };
        w.ToUpdate();
        EXPECT_EQ(res, 4) << c.name;
        EXPECT_EQ(w.view.Page(), P::TabSheet4) << c.name;
        EXPECT_EQ(w.view.Caption(C::EULAMemo), L"Terms\r\nsigned") << c.name;
        EXPECT_FALSE(w.view.enabled[C::EULAButton]) << c.name;
        w.wiz.Click(C::EULAButton);  // disabled in the window; pressed anyway it does nothing
        EXPECT_EQ(w.view.closes, 0) << c.name;
        w.Choose(c.choice);
        EXPECT_TRUE(w.view.enabled[C::EULAButton]) << c.name;
        EXPECT_EQ(w.view.Caption(C::EULAButton), c.button) << c.name;
        w.wiz.Click(C::EULAButton);
        EXPECT_EQ(w.view.Page(), c.page) << c.name;
        EXPECT_EQ(w.view.closes, c.closes) << c.name;
    }
}

TEST(WizardFlow, FormattedLicenceAfterWhatsNew) {
    Wizard w;
    w.engine.whatsNew = "news";
    w.engine.eula = "{\\RTF1 terms}";
    bool offered = false;
    w.engine.OnDownloadedEULA = [&](TWebUpdate&, std::vector<std::wstring>&, int&) { offered = true; };
    w.ToUpdate();
    w.wiz.Click(C::NewButton);
    EXPECT_EQ(w.view.Page(), P::TabSheet4);
    EXPECT_FALSE(w.view.visible[C::EULAMemo]);
    EXPECT_TRUE(w.view.visible[C::EULARichEdit]);
    EXPECT_EQ(w.view.rich[C::EULARichEdit], "{\\RTF1 terms}");
    EXPECT_FALSE(offered);
}

TEST(WizardFlow, AutoRunStopsAtTheLicence) {
    Wizard w;
    w.wiz.FAutoStart = w.wiz.FAutoRun = true;
    w.engine.whatsNew = "news";
    w.engine.eula = "terms";
    w.engine.files = {File(L"Main")};
    w.wiz.FormActivate();
    EXPECT_EQ(w.view.pages, (std::vector<P>{P::TabSheet1, P::TabSheet2, P::TabSheet2, P::TabSheet3, P::TabSheet4}));
    EXPECT_EQ(w.view.pauses, 4);  // before the check, get update, next and the licence button
    EXPECT_TRUE(w.view.enabled[C::EULAButton]);
    EXPECT_EQ(w.view.Caption(C::EULAButton), L"Next");
    EXPECT_EQ(w.view.closes, 0);
    EXPECT_EQ(w.engine.Count("GetFileDetails"), 0);
    w.wiz.FormActivate();  // a later activation starts nothing
    EXPECT_EQ(w.engine.Count("StartConnection"), 1);
    w.Choose(C::RAccept);
    w.wiz.Click(C::EULAButton);
    EXPECT_EQ(w.view.Page(), P::TabSheet7);
    EXPECT_FALSE(w.view.enabled[C::CancelButton]);  // no cancelling an automatic download
    EXPECT_EQ(w.view.closes, 1);                    // Exit pressed by itself
}

TEST(WizardFlow, CheckListFill) {
    struct Case {
        const char* name;
        bool viaLicence, viaWhatsNew;
        std::vector<std::wstring> texts;
        std::vector<bool> checked, enabled;
        std::vector<std::intptr_t> data;
    };
    // Files: "" (preselected), hidden, "Docs" (not preselected), "Core" (mandatory, not preselected).
    const Case cases[] = {
        {"after the version page",
         false,
         false,
         {L"Application", L"Docs", L"Core"},
         {true, true, true},
         {true, true, false},
         {0, 2, 3}},
        {"after what's new", false, true, {L"", L"Docs", L"Core"}, {true, true, true}, {true, true, false}, {0, 2, 3}},
        {"after the licence",
         true,
         false,
         {L"", L"Docs", L"Core"},
         {true, false, true},
         {true, true, false},
         {0, 2, 3}},
    };
    for (const Case& c : cases) {
        Wizard w;
        if (c.viaWhatsNew) w.engine.whatsNew = "news";
        if (c.viaLicence) w.engine.eula = "terms";
        w.engine.files = {File(L""), File(L"Hidden", false, true, true), File(L"Docs", false, false),
                          File(L"Core", true, false)};
        w.ToUpdate();
        if (c.viaWhatsNew) w.wiz.Click(C::NewButton);
        if (c.viaLicence) {
            w.Choose(C::RAccept);
            w.wiz.Click(C::EULAButton);
        }
        ASSERT_EQ(w.view.Page(), P::TabSheet5) << c.name;
        EXPECT_EQ(w.ItemTexts(), c.texts) << c.name;
        for (size_t i = 0; i < w.view.items.size(); ++i) {
            EXPECT_EQ(w.view.items[i].checked, c.checked[i]) << c.name << " " << i;
            EXPECT_EQ(w.view.items[i].enabled, c.enabled[i]) << c.name << " " << i;
            EXPECT_EQ(w.view.items[i].data, c.data[i]) << c.name << " " << i;
        }
        EXPECT_TRUE(w.view.enabled[C::FilesButton]) << c.name;
        EXPECT_EQ(w.view.focus, C::FilesButton) << c.name;
    }
}

TEST(WizardFlow, ComponentChoices) {
    struct Case {
        const char* name;
        std::vector<int> toggle;     // items the user clicks
        bool forceUncheckMandatory;  // a view that lost the lock
        std::vector<std::wstring> kept;
        bool downloaded;
    };
    // Items: A, Core (mandatory), B; the hidden file has none.
    const Case cases[] = {
        {"all kept", {}, false, {L"A", L"Hidden", L"Core", L"B"}, true},
        {"one unchecked", {2}, false, {L"A", L"Hidden", L"Core"}, true},
        {"mandatory refuses the click", {0, 1, 2}, false, {L"Hidden", L"Core"}, true},
        {"mandatory kept whatever the view says", {0, 2}, true, {L"Hidden", L"Core"}, true},
    };
    for (const Case& c : cases) {
        Wizard w;
        w.engine.files = {File(L"A"), File(L"Hidden", false, true, true), File(L"Core", true), File(L"B")};
        w.ToUpdate();
        for (int i : c.toggle) w.view.Toggle(i);
        if (c.forceUncheckMandatory) w.view.items[1].checked = false;
        EXPECT_TRUE(w.view.items[1].checked || c.forceUncheckMandatory) << c.name;
        w.wiz.Click(C::FilesButton);
        EXPECT_EQ(w.ListDescriptions(), c.kept) << c.name;
        EXPECT_EQ(w.engine.Count("GetFileUpdates"), c.downloaded ? 1 : 0) << c.name;
    }
}

TEST(WizardFlow, NothingToDownloadEndsWithAMessage) {
    struct Case {
        const char* name;
        std::vector<TFileDescription> files;
        bool viaLicence;
        bool uncheckAll;
    };
    const Case cases[] = {
        {"empty list", {}, false, false},
        {"empty list after the licence", {}, true, false},
        {"every item unchecked", {File(L"A"), File(L"B")}, false, true},
    };
    for (const Case& c : cases) {
        Wizard w;
        w.engine.files = c.files;
        if (c.viaLicence) w.engine.eula = "terms";
        w.ToUpdate();
        if (c.viaLicence) {
            w.Choose(C::RAccept);
            w.wiz.Click(C::EULAButton);
        }
        if (c.uncheckAll) {
            for (int i = 0; i < w.view.ItemCount(); ++i) w.view.Toggle(i);
            w.wiz.Click(C::FilesButton);
        }
        EXPECT_EQ(w.view.messages, std::vector<std::wstring>{L"No files found for update"}) << c.name;
        EXPECT_EQ(w.view.closes, 1) << c.name;
        EXPECT_EQ(w.engine.Count("StopConnection"), 1) << c.name;
        EXPECT_EQ(w.engine.Count("GetFileUpdates"), 0) << c.name;
        EXPECT_FALSE(w.view.Shown(P::TabSheet6)) << c.name;
        EXPECT_FALSE(w.view.Shown(P::TabSheet7)) << c.name;
    }
}

TEST(WizardFlow, AllHiddenGoesStraightToTheDownload) {
    for (bool viaLicence : {false, true}) {
        Wizard w;
        if (viaLicence) w.engine.eula = "terms";
        w.engine.files = {File(L"x", false, true, true), File(L"y", true, false, true)};
        w.ToUpdate();
        if (viaLicence) {
            w.Choose(C::RAccept);
            w.wiz.Click(C::EULAButton);
        }
        EXPECT_FALSE(w.view.Shown(P::TabSheet5));
        EXPECT_TRUE(w.view.Shown(P::TabSheet6));
        EXPECT_EQ(w.engine.Count("GetFileUpdates"), 1);
        EXPECT_EQ(w.engine.FileList().Count(), 2u);
    }
}

TEST(WizardDownload, Endings) {
    struct Case {
        const char* name;
        int fileUpdates;
        bool pressCancel, needsRestart, silent, autoRun;
        std::vector<std::wstring> messages;
        bool finishShown;
        std::wstring button, label8;
        int closes, restarts;
    };
    const Case cases[] = {
        {"no restart", 0, false, false, false, false, {}, true, L"Exit", L"", 0, 0},
        {"restart",
         0,
         false,
         true,
         false,
         false,
         {},
         true,
         L"Restart",
         L"Press restart to start the updated application.",
         0,
         0},
        {"silent restart",
         0,
         false,
         true,
         true,
         false,
         {},
         false,
         L"Restart",
         L"Press restart to start the updated application.",
         0,
         1},
        {"automatic restart",
         0,
         false,
         true,
         false,
         true,
         {},
         true,
         L"Restart",
         L"Press restart to start the updated application.",
         0,
         1},
        {"failed",
         -1,
         false,
         true,
         false,
         false,
         {L"Failed to download updates"},
         false,
         L"Restart",
         L"Press restart to start the updated application.",
         1,
         0},
        {"cancelled",
         0,
         true,
         true,
         false,
         false,
         {},
         false,
         L"Restart",
         L"Press restart to start the updated application.",
         1,
         0},
    };
    for (const Case& c : cases) {
        Wizard w;
        w.engine.files = {File(L"A", false, true, false, 300), File(L"B", false, true, false, 700)};
        w.engine.fileUpdates = c.fileUpdates;
        w.engine.SetRestart(c.needsRestart, c.silent);
        int successes = 0;
        w.engine.OnSuccess = [&](TWebUpdate&) { ++successes; };
        std::vector<bool> busyDuring;
        w.engine.duringDownload = [&](fakes::ScriptedEngine& e) {
            busyDuring.push_back(w.view.busy);
            EXPECT_EQ(w.view.Page(), P::TabSheet6);
            EXPECT_EQ(w.view.enabled[C::CancelButton], !c.autoRun);
            if (c.pressCancel) w.view.onMessages = [&] { w.wiz.Click(C::CancelButton); };
            e.FileList().ActiveItem = 1;
            e.Block(L"C:\\Temp\\b.dll", 200, 700);
        };
        w.ToUpdate();
        w.wiz.FAutoRun = c.autoRun;  // from the components page on
        w.wiz.Click(C::FilesButton);
        EXPECT_EQ(busyDuring, std::vector<bool>{true}) << c.name;
        EXPECT_FALSE(w.view.busy) << c.name;
        EXPECT_EQ(w.view.Caption(C::FileLabel), L"b.dll") << c.name;
        EXPECT_EQ(w.view.bars[C::FileProgress], (std::pair<std::int64_t, std::int64_t>{700, 200})) << c.name;
        EXPECT_EQ(w.view.bars[C::TotalProgress], (std::pair<std::int64_t, std::int64_t>{1000, 500})) << c.name;
        EXPECT_EQ(w.view.messages, c.messages) << c.name;
        EXPECT_EQ(w.engine.Count("UpdateActions"), 1) << c.name;
        EXPECT_EQ(w.view.Shown(P::TabSheet7), c.finishShown) << c.name;
        EXPECT_EQ(w.view.Caption(C::RestartButton), c.button) << c.name;
        EXPECT_EQ(w.view.Caption(C::Label8), c.label8) << c.name;
        EXPECT_EQ(w.view.closes, c.closes) << c.name;
        EXPECT_EQ(w.engine.Count("DoRestart"), c.restarts) << c.name;
        EXPECT_EQ(successes, c.closes ? 0 : 1) << c.name;
        if (c.silent) {
            EXPECT_EQ(w.view.pauses, 0) << c.name;
        }
    }
}

TEST(WizardFinish, RestartButton) {
    for (bool needsRestart : {false, true}) {
        Wizard w;
        w.engine.files = {File(L"A")};
        w.engine.SetRestart(needsRestart, false);
        w.ToUpdate();
        w.wiz.Click(C::FilesButton);
        ASSERT_EQ(w.view.Page(), P::TabSheet7);
        EXPECT_TRUE(w.view.enabled[C::RestartButton]);
        EXPECT_EQ(w.view.focus, C::RestartButton);
        w.wiz.Click(C::RestartButton);
        EXPECT_EQ(w.engine.Count("DoRestart"), needsRestart ? 1 : 0);
        EXPECT_EQ(w.view.closes, needsRestart ? 0 : 1);
    }
}

// Closing while a step runs only cancels; the window goes once the step has returned.
TEST(WizardClose, DuringADownloadOnlyCancels) {
    Wizard w;
    w.engine.files = {File(L"A"), File(L"B")};
    w.engine.SetRestart(true, false);
    std::vector<std::string> seen;
    w.engine.duringDownload = [&](fakes::ScriptedEngine& e) {
        w.view.onMessages = [&] {
            EXPECT_FALSE(w.wiz.FormCloseQuery());
            w.wiz.Click(C::StartButton);  // other presses wait for the step to end
        };
        e.Block(L"a.dll", 10, 100);
        seen.push_back(w.view.closes ? "closed" : "open");
        e.Block(L"a.dll", 20, 100);  // a second close request while still running
    };
    w.ToUpdate();
    w.wiz.Click(C::FilesButton);
    EXPECT_EQ(seen, std::vector<std::string>{"open"});
    EXPECT_TRUE(w.engine.Cancelled());
    EXPECT_TRUE(w.wiz.FCancelled);
    EXPECT_EQ(w.view.closes, 1);
    EXPECT_EQ(w.engine.Count("StartConnection"), 1);
    EXPECT_EQ(w.engine.Count("DoRestart"), 0);
    EXPECT_FALSE(w.view.Shown(P::TabSheet7));
    EXPECT_TRUE(w.wiz.Closed());
    EXPECT_TRUE(w.wiz.FormCloseQuery());
}

TEST(WizardClose, AskedDuringAStepThatFailsStillCloses) {
    Wizard w;
    w.engine.files = {File(L"A")};
    w.engine.duringDownload = [&](fakes::ScriptedEngine&) {
        EXPECT_FALSE(w.wiz.FormCloseQuery());
        throw AppError(L"transfer broke");
    };
    w.ToUpdate();
    EXPECT_THROW(w.wiz.Click(C::FilesButton), AppError);
    EXPECT_EQ(w.view.closes, 1);
    EXPECT_FALSE(w.view.busy);
    EXPECT_FALSE(w.wiz.StepRunning());
}

TEST(WizardClose, DuringAnAutomaticPauseStopsTheRun) {
    Wizard w;
    w.wiz.FAutoStart = w.wiz.FAutoRun = true;
    w.engine.files = {File(L"A")};
    int pauses = 0;
    w.view.onPause = [&] {
        if (++pauses == 2) {
            EXPECT_FALSE(w.wiz.FormCloseQuery());  // on the version page
        }
    };
    w.wiz.FormActivate();
    EXPECT_EQ(w.engine.Count("HandleActions"), 0);
    EXPECT_EQ(w.engine.Count("StopConnection"), 1);
    EXPECT_EQ(w.view.closes, 1);
}

TEST(WizardClose, WhenIdleStopsTheConnection) {
    Wizard w;
    w.Start();
    EXPECT_TRUE(w.wiz.FormCloseQuery());
    EXPECT_EQ(w.view.closes, 1);
    EXPECT_EQ(w.engine.Count("StopConnection"), 1);
    w.wiz.Click(C::ControlButton);  // nothing runs once closed
    EXPECT_EQ(w.engine.Count("HandleActions"), 0);
}

TEST(WizardTexts, ViewInNotepad) {
    Wizard w(ConfiguredFrenchLanguage());
    w.engine.whatsNew = "one\r\ntwo";
    w.engine.eula = "terms";
    w.ToUpdate();
    EXPECT_EQ(w.view.Caption(C::ViewinNotepad1), L"Voir dans le bloc notes");
    EXPECT_EQ(w.view.Caption(C::ViewinNotepad2), L"Voir dans le bloc notes");
    w.wiz.Click(C::ViewinNotepad1);
    w.wiz.Click(C::NewButton);
    w.wiz.Click(C::ViewinNotepad2);
    EXPECT_EQ(w.view.opened, (std::vector<std::pair<std::wstring, std::wstring>>{
                                 {L"C:\\Temp\\whatsnew.txt", L"one\r\ntwo"}, {L"C:\\Temp\\eula.txt", L"terms"}}));
}

TEST(WizardTexts, FormattedTextDetection) {
    const std::pair<std::string, bool> cases[] = {
        {"{\\rtf1", true}, {"{\\RtF", true}, {"{\\rt", false}, {" {\\rtf", false}, {"rtf{\\", false}, {"", false},
    };
    for (const auto& [text, formatted] : cases) EXPECT_EQ(IsFormattedText(text), formatted) << text;
}

}  // namespace
}  // namespace orvane
