// Version 1 installed in a Wine prefix of its own updates itself to version 2: the release is
// published with orvane-inspect, served by the loopback HTTP server and named by the machine policy.
// RoundTrip proves everything up to the windows; RoundTripGui walks the About box and the wizard.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "GuiDriver.h"
#include "LoopbackServers.h"
#include "RoundTrip.h"
#include "TestSigning.h"
#include "core/Text.h"

namespace orvane::roundtrip {
namespace {

using testservers::LoopbackServers;

const fs::path kInstalled = L"C:\\Orvane-v1";
constexpr wchar_t kDescr[] = L"Version 2\\nCorrections";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        const LoopbackServers& servers = LoopbackServers::Get();
        const std::wstring token = FromUtf8(LoopbackServers::UniqueToken());
        RemoveAll(kInstalled);
        fs::create_directories(kInstalled);
        fs::copy_file(BinFolder() / L"orvane.exe", Program());
        v1 = ReadAll(Program());
        v2 = ReadAll(BinFolder() / L"next" / L"orvane.exe");
        ASSERT_FALSE(v1.empty());
        ASSERT_FALSE(v2.empty());

        release = servers.Root() / L"scratch" / (L"roundtrip-" + token);
        RemoveAll(release);
        fs::create_directories(release);
        fs::copy_file(BinFolder() / L"next" / L"orvane.exe", release / L"orvane.exe");
        const std::wstring path = L"/t/" + token + L"/files/scratch/roundtrip-" + token + L"/";
        base = servers.Url("http", path);
        slowBase = servers.Url("http", L"/t/" + token + L"/slowfiles/scratch/roundtrip-" + token + L"/");
        controlUrl = base + L"ORVANE.INF";

        // What an earlier run in this prefix left behind.
        for (const fs::path& stale : {DocumentsFolder() / L"WUPDATE.LOG", DocumentsFolder() / L"WUPDATE.INI",
                                      TempFolder() / L"orvane.exe_NEW", TempFolder() / L"wusetup.exe"}) {
            std::error_code ec;
            fs::remove(stale, ec);
        }
    }
    void TearDown() override { RemoveAll(release); }

    static fs::path Program() { return kInstalled / L"orvane.exe"; }
    TRun Publish(const std::wstring& from, const std::wstring& version = L"2.0.0.0") {
        return RunInspect(L"publish \"" + release.wstring() + L"\" --version " + version + L" --url " + from +
                          L" --descr \"" + kDescr + L"\"");
    }
    // Runs the helper that version 1 carries as the engine starts it after "Redémarrer", the
    // application already ended: log on, nothing restarted.
    DWORD HandOver() {
        if (!ExtractCarriedHelper(Program(), TempFolder())) return 0xFFFFFFFE;
        WritePrivateProfileStringW(L"CONFIG", L"LOGFILENAME", L"WUPDATE.LOG",
                                   (DocumentsFolder() / L"WUPDATE.INI").c_str());
        // The application has ended: an identifier no process has stands for it.
        const std::wstring line = L"\"" + (TempFolder() / L"wusetup.exe").wstring() + L"\" 4000000 L null \" \" \"" +
                                  TempFolder().wstring() + L"\" orvane.exe_NEW";
        return roundtrip::Run(line, kInstalled.wstring(), 120000).code;
    }
    std::string Log() const { return ReadAll(DocumentsFolder() / L"WUPDATE.LOG"); }
    // Temporary download files of the engine that are still there.
    static std::vector<std::wstring> PartialFiles() {
        std::vector<std::wstring> partial;
        for (const std::wstring& name : FileNames(TempFolder()))
            if (name.rfind(L"WUP", 0) == 0 || name == L"orvane.exe_NEW") partial.push_back(name);
        return partial;
    }

    fs::path release;
    std::wstring base, slowBase, controlUrl;
    std::string v1, v2;
};

TEST_F(RoundTrip, TheTwoBuildsCarryTheirVersions) {
    EXPECT_EQ(FileVersion(Program()), FromUtf8(ORVANE_VERSION));
    EXPECT_EQ(FileVersion(BinFolder() / L"next" / L"orvane.exe"), L"2.0.0.0");
    EXPECT_NE(v1, v2);
}

TEST_F(RoundTrip, ThePublishedReleaseIsServedAndOfferedToVersionOne) {
    const TRun publish = Publish(base);
    ASSERT_EQ(publish.code, 0u) << publish.output;
    EXPECT_EQ(FileNames(release), (std::vector<std::wstring>{L"ORVANE.INF", L"orvane.exe", L"orvane.exe_NEW"}));

    ASSERT_TRUE(SetPolicyUpdateUrl(controlUrl));
    EXPECT_EQ(PolicyUpdateUrl(), controlUrl);

    const TRun check = RunInspect(L"check " + controlUrl + L" --app-folder " + kInstalled.wstring());
    ASSERT_EQ(check.code, 0u) << check.output;
    for (const char* part : {"\"versionCheck\": 11", "\"newVersion\": \"2.0.0.0\"", "\"currentVersion\": \"1.0.0.0\"",
                             "orvane.exe_NEW\"", "\"mandatory\": true",
                             // the program's entry carries the version of its resources
                             "\"newVersion\": \"2.0.0.0\", \"description\": \"orvane.exe\""})
        EXPECT_TRUE(Contains(check.output, part)) << part << "\n" << check.output;

    // Once version 2 is installed, nothing is offered any more.
    WriteAll(Program(), v2);
    const TRun again = RunInspect(L"check " + controlUrl + L" --app-folder " + kInstalled.wstring());
    EXPECT_TRUE(Contains(again.output, "\"versionCheck\": 7")) << again.output;
}

TEST_F(RoundTrip, WithoutTheWindowsTheCarriedHelperPutsVersionTwoInPlace) {
    ASSERT_EQ(Publish(base).code, 0u);
    const TRun update = RunInspect(L"update " + controlUrl + L" --app-folder " + kInstalled.wstring());
    ASSERT_EQ(update.code, 0u) << update.output;
    EXPECT_TRUE(Contains(update.output, "orvane.exe_NEW")) << update.output;
    EXPECT_EQ(ReadAll(TempFolder() / L"orvane.exe_NEW"), v2);  // left for the helper
    EXPECT_EQ(ReadAll(Program()), v1) << "the running program is never replaced by the engine";

    ASSERT_EQ(HandOver(), 0u);
    EXPECT_EQ(ReadAll(Program()), v2) << Fingerprint(Program());
    EXPECT_EQ(FileVersion(Program()), L"2.0.0.0") << Log();
    const std::string log = Log();
    EXPECT_TRUE(Contains(log, " : [000] UPD v2.0.4.0 started")) << log;
    EXPECT_TRUE(Contains(
        log, "Upd copying file : " + ToUtf8(TempFolder().wstring()) + "orvane.exe_NEW to C:\\Orvane-v1\\orvane.exe"))
        << log;
    EXPECT_FALSE(fs::exists(DocumentsFolder() / L"WUPDATE.INI"));
}

TEST_F(RoundTrip, FailuresLeaveVersionOneInstalled) {
    // Without the windows: a program file the server does not have, and one the helper cannot
    // replace because another process holds it.
    {
        SCOPED_TRACE("program file not found");
        ASSERT_EQ(Publish(base).code, 0u);
        fs::remove(release / L"orvane.exe_NEW");
        const TRun update = RunInspect(L"update " + controlUrl + L" --app-folder " + kInstalled.wstring());
        EXPECT_EQ(update.code, 1u) << update.output;
        EXPECT_TRUE(Contains(update.output, "[946]")) << update.output;
        EXPECT_EQ(ReadAll(Program()), v1);
        EXPECT_EQ(PartialFiles(), std::vector<std::wstring>{});
    }
    {
        SCOPED_TRACE("program held open");
        ASSERT_EQ(Publish(base).code, 0u);
        ASSERT_EQ(RunInspect(L"update " + controlUrl + L" --app-folder " + kInstalled.wstring()).code, 0u);
        const win32::unique_hfile held(
            CreateFileW(Program().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        HandOver();
        EXPECT_EQ(ReadAll(Program()), v1) << Fingerprint(Program());
        EXPECT_TRUE(Contains(Log(), "UPD install failed")) << Log();
        EXPECT_EQ(FileNames(kInstalled), std::vector<std::wstring>{L"orvane.exe"});
    }
}

// ---- Through the windows ----

// Texts of the windows, as the user reads them.
constexpr wchar_t kMainTitle[] = L"Orvane";
constexpr wchar_t kAboutButton[] = L"A propos de...";
constexpr wchar_t kAboutTitle[] = L"A propos de...";
constexpr wchar_t kUpdateButton[] = L"Mise à jour du programme";
constexpr wchar_t kNewsButton[] = L"Nouveautés";
constexpr wchar_t kNewsTitle[] = L"Nouveautés !";
constexpr wchar_t kWizardTitle[] = L"Mise à jour de l'application";
constexpr wchar_t kCheck[] = L"Vérifier";
constexpr wchar_t kGetUpdate[] = L"Mettre à jour";
constexpr wchar_t kNext[] = L"Suivant";
constexpr wchar_t kRestart[] = L"Redémarrer";
constexpr wchar_t kCancel[] = L"Annuler";
constexpr wchar_t kExit[] = L"Quitter";
constexpr wchar_t kFailedDownload[] = L"Erreur de téléchargement de la mise à jour";

class RoundTripGui : public RoundTrip {
protected:
    // Presses the button of that caption once it is shown and enabled.
    static bool PressWhenShown(HWND window, const std::wstring& caption, DWORD timeoutMs = 60000) {
        HWND button = nullptr;
        if (!gui::WaitFor([&] { return (button = FindShown(window, caption)) != nullptr; }, timeoutMs)) return false;
        gui::Click(button);
        return true;
    }
    // Main window of a running Orvane, then its About box.
    static HWND OpenAbout(DWORD pid) {
        HWND main = gui::WaitForWindow(kMainTitle, pid, 60000);
        if (!main || !PressWhenShown(main, kAboutButton)) return nullptr;
        return gui::WaitForWindow(kAboutTitle, pid, 30000);
    }
    static HWND OpenWizard(DWORD pid) {
        HWND about = OpenAbout(pid);
        if (!about || !PressWhenShown(about, kUpdateButton)) return nullptr;
        return gui::WaitForWindow(kWizardTitle, pid, 30000);
    }
    // "Vérifier", "Mettre à jour", then "Suivant" on every page that shows it, until UNTIL is shown.
    static bool WalkUntil(HWND wizard, const std::wstring& until, DWORD timeoutMs = 120000) {
        if (!PressWhenShown(wizard, kCheck) || !PressWhenShown(wizard, kGetUpdate)) return false;
        return gui::WaitFor(
            [&] {
                if (FindShown(wizard, until)) return true;
                if (HWND next = FindShown(wizard, kNext)) gui::ClickAndWait(next);
                return false;
            },
            timeoutMs);
    }
    // The main window of an Orvane other than PID, once one shows.
    // "Redémarrer", then Yes to the engine's question before it ends the program.
    static bool Restart(HWND wizard, DWORD pid) {
        if (!PressWhenShown(wizard, kRestart)) return false;
        const HWND box = gui::WaitForMessageBox(pid, 30000);
        if (!box) return false;
        EXPECT_EQ(gui::MessageBoxText(box), L"Shutdown application to update executable files ?");
        const HWND yes = gui::FindById(box, IDYES);
        if (!yes) return false;
        gui::Click(yes);
        return true;
    }
    static HWND WaitForOtherOrvane(DWORD pid, DWORD timeoutMs = 120000) {
        HWND found = nullptr;
        gui::WaitFor(
            [&] {
                HWND w = gui::WaitForWindow(kMainTitle, 0, 100);
                if (w && ProcessOf(w) != pid) found = w;
                return found != nullptr;
            },
            timeoutMs);
        return found;
    }
    static void CloseOrvane(HWND main) {
        const DWORD pid = ProcessOf(main);
        PostMessageW(main, WM_CLOSE, 0, 0);
        const win32::unique_handle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
        if (process && WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
    }
    void StartVersionOne(const std::wstring& filesFrom, const std::wstring& version = L"2.0.0.0") {
        ASSERT_EQ(Publish(filesFrom, version).code, 0u);
        ASSERT_TRUE(SetPolicyUpdateUrl(controlUrl));
        app = std::make_unique<TProgram>(Program());
        ASSERT_TRUE(app->Started());
    }
    // A failed step may leave a restarted copy running: it would hold version 1's file.
    // The publisher's signature beside the control file, made with one of the test keys.
    void SignRelease(const char* privateKeyDer) {
        const std::string signature = testsigning::Sign(ReadAll(release / L"ORVANE.INF"),
                                                        ReadAll(fs::path(ORVANE_TEST_KEYS) / privateKeyDer));
        ASSERT_FALSE(signature.empty());
        std::ofstream(release / L"ORVANE.INF.sig", std::ios::binary) << signature;
    }
    void TrustTestKey() {
        ASSERT_TRUE(SetPolicyPublicKeys({ReadAll(fs::path(ORVANE_TEST_KEYS) / "test-public.pem")}));
    }
    void StopOrvane() {
        app.reset();
        while (HWND other = gui::WaitForWindow(kMainTitle, 0, 100)) CloseOrvane(other);
    }
    void TearDown() override {
        SetPolicyPublicKeys({});
        StopOrvane();
        RoundTrip::TearDown();
    }
    std::unique_ptr<TProgram> app;
};

TEST_F(RoundTripGui, TheWizardRestartsIntoVersionTwo) {
    StartVersionOne(base);
    HWND wizard = OpenWizard(app->Pid());
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(WalkUntil(wizard, kRestart));
    ASSERT_TRUE(Restart(wizard, app->Pid()));
    EXPECT_NE(app->WaitForEnd(60000), 0xFFFFFFFFu) << "version 1 did not end";

    HWND next = WaitForOtherOrvane(app->Pid());
    ASSERT_TRUE(next) << Log();
    EXPECT_EQ(ReadAll(Program()), v2) << Fingerprint(Program());
    EXPECT_EQ(FileVersion(Program()), L"2.0.0.0") << Log();
    HWND about = OpenAbout(ProcessOf(next));
    EXPECT_TRUE(FindCaption(about, L"2.0.0.0"));
    const std::string log = Log();
    EXPECT_TRUE(Contains(log, "UPD restart C:\\Orvane-v1\\orvane.exe")) << log;
    EXPECT_TRUE(Contains(log, "UPD has EXE restarted")) << log;
    EXPECT_FALSE(fs::exists(DocumentsFolder() / L"WUPDATE.INI"));
    CloseOrvane(next);
}

// Under a key the policy trusts, only a release signed with it and not older than the program is
// taken: the others end on the version page's connection failure, with nothing fetched or run.
TEST_F(RoundTripGui, UnderATrustedKeyOnlyASignedNewerReleaseIsTaken) {
    TrustTestKey();
    struct Refused {
        const char* name;
        const wchar_t* version;
        const char* signingKey;  // none: no signature at all
        const char* logged;
    };
    for (const Refused& c : {Refused{"unsigned", L"2.0.0.0", nullptr, "signature not valid : no signature"},
                             Refused{"another key", L"2.0.0.0", "other-private.der", "signature not valid"},
                             Refused{"older than the program", L"0.9.0.0", "test-private.der", "older than the running"}}) {
        SCOPED_TRACE(c.name);
        StartVersionOne(base, c.version);
        if (c.signingKey) SignRelease(c.signingKey);
        HWND wizard = OpenWizard(app->Pid());
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(PressWhenShown(wizard, kCheck));
        EXPECT_TRUE(gui::WaitFor(
            [&] { return FindCaption(wizard, L"Connexion impossible avec le serveur ou\rAucune mise à jour disponible ..."); },
            30000));
        ASSERT_TRUE(PressWhenShown(wizard, kExit));
        EXPECT_TRUE(gui::WaitFor([&] { return !IsWindowVisible(wizard); }, 30000));
        const std::string log = Log();
        EXPECT_TRUE(Contains(log, c.logged)) << log;
        EXPECT_FALSE(Contains(log, "orvane.exe_NEW")) << log;
        EXPECT_EQ(ReadAll(Program()), v1);
        EXPECT_FALSE(fs::exists(TempFolder() / L"orvane.exe_NEW"));
        StopOrvane();
        fs::remove(DocumentsFolder() / L"WUPDATE.LOG");
    }

    StartVersionOne(base);
    SignRelease("test-private.der");
    HWND wizard = OpenWizard(app->Pid());
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(WalkUntil(wizard, kRestart)) << Log();
    ASSERT_TRUE(Restart(wizard, app->Pid()));
    HWND next = WaitForOtherOrvane(app->Pid());
    ASSERT_TRUE(next) << Log();
    EXPECT_EQ(ReadAll(Program()), v2) << Log();
    EXPECT_TRUE(Contains(Log(), "signature verified")) << Log();
    CloseOrvane(next);
}

TEST_F(RoundTripGui, AMissingProgramFileIsADownloadError) {
    StartVersionOne(base);
    fs::remove(release / L"orvane.exe_NEW");
    HWND wizard = OpenWizard(app->Pid());
    ASSERT_TRUE(wizard);
    PressWhenShown(wizard, kCheck);
    PressWhenShown(wizard, kGetUpdate);
    HWND box = nullptr;
    gui::WaitFor(
        [&] {
            if ((box = gui::WaitForMessageBox(app->Pid(), 100))) return true;
            if (HWND next = FindShown(wizard, kNext)) gui::Click(next);
            return false;
        },
        120000);
    ASSERT_TRUE(box);
    EXPECT_NE(gui::MessageBoxText(box).find(kFailedDownload), std::wstring::npos) << ToUtf8(gui::MessageBoxText(box));
    gui::PressOk(box);
    EXPECT_EQ(ReadAll(Program()), v1);
    EXPECT_EQ(app->WaitForEnd(0), 0xFFFFFFFFu) << "version 1 keeps running";
}

TEST_F(RoundTripGui, CancelDuringASlowDownloadLeavesNoPartialFile) {
    StartVersionOne(slowBase);
    HWND wizard = OpenWizard(app->Pid());
    ASSERT_TRUE(wizard);
    PressWhenShown(wizard, kCheck);
    PressWhenShown(wizard, kGetUpdate);
    // Through the pages before the download; the transfer then crawls until it is cancelled.
    gui::WaitFor(
        [&] {
            if (HWND next = FindShown(wizard, kNext)) gui::Click(next);
            return !PartialFiles().empty();
        },
        60000);
    ASSERT_TRUE(PressWhenShown(wizard, kCancel));
    EXPECT_TRUE(gui::WaitFor([&] { return PartialFiles().empty(); }, 30000))
        << ToUtf8(PartialFiles().empty() ? L"" : PartialFiles()[0]);
    EXPECT_EQ(ReadAll(Program()), v1);
    EXPECT_EQ(FileNames(kInstalled), std::vector<std::wstring>{L"orvane.exe"});
}

TEST_F(RoundTripGui, AProgramHeldOpenRestartsVersionOneUnchanged) {
    StartVersionOne(base);
    HWND wizard = OpenWizard(app->Pid());
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(WalkUntil(wizard, kRestart));
    const win32::unique_hfile held(
        CreateFileW(Program().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    ASSERT_TRUE(Restart(wizard, app->Pid()));
    HWND again = WaitForOtherOrvane(app->Pid());
    ASSERT_TRUE(again) << Log();
    EXPECT_EQ(ReadAll(Program()), v1) << Fingerprint(Program());
    EXPECT_TRUE(Contains(Log(), "UPD install failed")) << Log();
    CloseOrvane(again);
}

TEST_F(RoundTripGui, NewsShowsTheDescriptionOnTwoLines) {
    StartVersionOne(base);
    HWND about = OpenAbout(app->Pid());
    ASSERT_TRUE(about);
    ASSERT_TRUE(PressWhenShown(about, kNewsButton));
    HWND news = gui::WaitForWindow(kNewsTitle, app->Pid(), 30000);
    ASSERT_TRUE(news);
    HWND memo = FindClass(news, L"Edit");
    ASSERT_TRUE(memo);
    std::wstring text = gui::Text(memo);
    std::vector<std::wstring> lines;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = text.find_first_of(L"\r\n", start);
        if (end != start || end == std::wstring::npos) lines.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"Version 2", L"Corrections"})) << ToUtf8(text);
}

}  // namespace
}  // namespace orvane::roundtrip
