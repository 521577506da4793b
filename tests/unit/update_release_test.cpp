#include <gtest/gtest.h>

#include <memory>

#include "core/Error.h"
#include "fakes/FakeEngineServices.h"
#include "fakes/FakeNet.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeProbes.h"
#include "fakes/FakeRun.h"
#include "fakes/FakeUpdate.h"
#include "update/Checksum.h"
#include "update/ControlFile.h"
#include "update/Release.h"
#include "update/WebUpdate.h"

namespace orvane {
namespace {

std::int32_t Crc(const std::string& bytes) {
    return std::int32_t(
        ~AdditiveCrc32Update(0xFFFFFFFF, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

constexpr char kV2[] = "program, version 2";

TRelease SampleRelease() {
    TRelease r;
    r.version = L"2.0.0.0";
    r.baseUrl = L"http://host/files/rel";
    r.descr = L"Version 2\r\nCorrections";
    r.program = L"orvane.exe";
    r.files = {
        {L"readme.txt", 5, Crc("notes"), L"", {}},
        {L"ORVANE.exe", 18, Crc(kV2), L"2.0.0.0", {{L"digest", L"abc"}}},
        {L"help.dll", 3, -390611388, L"1.2.3.4", {}},
    };
    return r;
}

TControlFileValues ReadBack(const TRelease& release) {
    return ReadControlFileValues(
        TControlFile::FromBytes(ReleaseControlBytes(ReleaseControlText(release)), TWindows1252()), L"");
}

TEST(UpdateRelease, TheEngineReadsEveryKeyAsMeant) {
    const TControlFileValues v = ReadBack(SampleRelease());
    EXPECT_EQ(v.update.newversion, L"2.0.0.0");
    EXPECT_EQ(v.update.localversion, L"{APP}\\ORVANE.exe");
    EXPECT_EQ(v.update.descr, L"Version 2\\nCorrections");  // the marker the engine turns into a line break
    EXPECT_EQ(v.update.date, L"");                          // no date: the version decides
    EXPECT_TRUE(v.application.appupdate);
    EXPECT_EQ(v.application.appname, L"ORVANE.exe");
    EXPECT_EQ(v.application.appcomps, L"ORVANE.exe_NEW help.dll_NEW");
    EXPECT_FALSE(v.application.silentrestart);
    ASSERT_EQ(v.count, 3);

    struct Expected {
        const wchar_t *url, *descr, *localversion, *newversion, *targetdir;
        std::int32_t newchecksum, filesize;
        bool mandatory;
    };
    const Expected expected[] = {
        {L"http://host/files/rel/ORVANE.exe_NEW", L"ORVANE.exe", L"{APP}\\ORVANE.exe", L"2.0.0.0", L"", Crc(kV2), 18,
         true},
        {L"http://host/files/rel/help.dll_NEW", L"help.dll", L"", L"1.2.3.4", L"", -390611388, 3, true},
        {L"http://host/files/rel/readme.txt", L"readme.txt", L"", L"", L"{APP}", Crc("notes"), 5, false},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        const TControlFileValues::File& f = v.files[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.descr);
        EXPECT_EQ(f.url, e.url);
        EXPECT_EQ(f.descr, e.descr);
        EXPECT_EQ(f.localversion, e.localversion);
        EXPECT_EQ(f.newversion, e.newversion);
        EXPECT_EQ(f.targetdir, e.targetdir);
        EXPECT_EQ(f.newchecksum, e.newchecksum);
        EXPECT_EQ(f.filesize, e.filesize);
        EXPECT_EQ(f.mandatory, e.mandatory);
        EXPECT_FALSE(f.compressed);
    }
    const TControlFile file = TControlFile::FromText(ReleaseControlText(SampleRelease()));
    EXPECT_EQ(file.ReadString(L"file1", L"digest"), L"abc");
    EXPECT_FALSE(file.Find(L"file2", L"digest"));
}

TEST(UpdateRelease, DescriptionAndBaseUrlForms) {
    struct Case {
        const wchar_t *descr, *base, *wantDescr, *wantUrl;
    };
    const Case cases[] = {
        {L"Version 2\\nCorrections", L"http://h/r/", L"Version 2\\nCorrections", L"http://h/r/ORVANE.exe_NEW"},
        {L"  a\nb\rc\r\n\r\nd  ", L"\\\\server\\share\\", L"a\\nb\\nc\\n\\nd", L"\\\\server\\share\\ORVANE.exe_NEW"},
        {L"Nouveaut\u00e9s \u20ac", L"ftp://h", L"Nouveaut\u00e9s \u20ac", L"ftp://h/ORVANE.exe_NEW"},
    };
    for (const Case& c : cases) {
        TRelease r = SampleRelease();
        r.descr = c.descr;
        // Plain text for the system's profile functions too; other text with a mark they know.
        const std::string bytes = ReleaseControlBytes(ReleaseControlText(r));
        EXPECT_EQ(
            bytes.substr(0, 2),
            std::wstring_view(c.descr).find_first_of(L"\u00e9\u20ac") == std::wstring_view::npos ? "[u" : "\xFF\xFE")
            << c.descr;
        r.baseUrl = c.base;
        const TControlFileValues v = ReadBack(r);
        EXPECT_EQ(v.update.descr, c.wantDescr) << c.descr;
        EXPECT_EQ(v.files[0].url, c.wantUrl) << c.base;
    }
}

TEST(UpdateRelease, RefusesWhatWouldBeReadOtherwise) {
    struct Case {
        const char* name;
        void (*change)(TRelease&);
    };
    const Case cases[] = {
        {"three-part version", [](TRelease& r) { r.version = L"2.0.0"; }},
        {"five-part version", [](TRelease& r) { r.version = L"2.0.0.0.0"; }},
        {"part past 16 bits", [](TRelease& r) { r.version = L"65536.0.0.0"; }},
        {"empty part", [](TRelease& r) { r.version = L"2..0.0"; }},
        {"comma separators", [](TRelease& r) { r.version = L"2,0,0,0"; }},
        {"no base URL", [](TRelease& r) { r.baseUrl.clear(); }},
        {"program missing", [](TRelease& r) { r.program = L"other.exe"; }},
        {"program not an exe", [](TRelease& r) { r.program = L"readme.txt"; }},
        {"blank in a name", [](TRelease& r) { r.files[0].name = L"read me.txt"; }},
        {"percent in a name", [](TRelease& r) { r.files[0].name = L"100%.txt"; }},
        {"non-ASCII name", [](TRelease& r) { r.files[0].name = L"r\u00e9sum\u00e9.txt"; }},
        {"device name", [](TRelease& r) { r.files[0].name = L"CON"; }},
        {"delivered copy listed", [](TRelease& r) { r.files[0].name = L"readme.txt_new"; }},
        {"same name in two cases", [](TRelease& r) { r.files[0].name = L"HELP.DLL"; }},
        // Any download whose name is part of appcomps is left for the helper and never installed.
        {"plain name inside appcomps", [](TRelease& r) { r.files[0].name = L"vane.ex"; }},
    };
    for (const Case& c : cases) {
        TRelease r = SampleRelease();
        c.change(r);
        EXPECT_THROW(ReleaseControlText(r), AppError) << c.name;
    }
    EXPECT_NO_THROW(ReleaseControlText(SampleRelease()));
}

TEST(UpdateRelease, NameRules) {
    const std::tuple<const wchar_t*, bool, bool> cases[] = {
        {L"orvane.exe", true, false}, {L"X.DLL", true, false},      {L"a.exe.txt", false, false},
        {L"a.ex_", false, false},     {L"a.exe_NEW", false, true},  {L"a.exe_new", false, true},
        {L"a_NEW.txt", false, false}, {L"notes.txt", false, false},
    };
    for (const auto& [name, component, copy] : cases) {
        EXPECT_EQ(IsApplicationComponent(name), component) << name;
        EXPECT_EQ(IsDeliveredCopyName(name), copy) << name;
    }
    EXPECT_EQ(DeliveredCopyName(L"orvane.exe"), L"orvane.exe_NEW");
    for (const wchar_t* good : {L"2.0.0.0", L"0.0.0.0", L"65535.65535.65535.65535", L"10.200.3000.40000"})
        EXPECT_TRUE(IsFourPartVersion(good)) << good;
    for (const wchar_t* bad :
         {L"", L"2", L"2.0.0.0.", L".2.0.0", L"2.0.0.x", L"-1.0.0.0", L"2.0.0. 1", L"0000001.0.0.0"})
        EXPECT_FALSE(IsFourPartVersion(bad)) << bad;
}

// --- The engine on a published release ---

class TestableWebUpdate : public TWebUpdate {
public:
    using TWebUpdate::TWebUpdate;
    int restarts = 0;
    void DoRestart() override { ++restarts; }
};

constexpr wchar_t kControlUrl[] = L"http://host/files/rel/ORVANE.INF";

class UpdateReleaseRun : public ::testing::Test, public fakes::TFakeEngineServices<> {
public:
    UpdateReleaseRun() {
        folders.paths[KnownFolder::Temp] = L"C:\\temp";
        folders.paths[KnownFolder::Application] = L"C:\\app";
        folders.paths[KnownFolder::Documents] = L"C:\\docs";
        logFiles.AddFolder(L"C:\\docs");
        logFiles.AddFolder(L"C:\\app");
    }

    // The sample release published and served; the installed program is INSTALLED, of version v.
    void Serve(const std::string& installed, unsigned major, unsigned minor) {
        TRelease r = SampleRelease();
        r.files.erase(r.files.begin() + 2);  // program and read-me
        const std::string text = ReleaseControlBytes(ReleaseControlText(r));
        Reply(kControlUrl, text);
        Reply(L"http://host/files/rel/ORVANE.exe_NEW", kV2);
        Reply(L"http://host/files/rel/readme.txt", "notes");
        fileOps.Put(L"C:\\app\\ORVANE.exe", installed);
        versions.SetVersion(L"C:\\app\\ORVANE.exe", major, minor, 0, 0);
    }
    void Reply(const std::wstring& url, const std::string& body) {
        net.replies[url] = {200, body, static_cast<std::uint32_t>(body.size())};
    }
    TestableWebUpdate& Engine() {
        if (!engine) {
            engine = std::make_unique<TestableWebUpdate>(services);
            engine->URL = kControlUrl;
            // As the About box configures it.
            engine->UseCRC32 = true;
            engine->ExtractCAB = true;
            engine->ForceUpdate = true;
            engine->UpdateUpdate = TWebUpdateUpdate::wuuSilent;
        }
        return *engine;
    }

    std::unique_ptr<TestableWebUpdate> engine;
};

TEST_F(UpdateReleaseRun, OfferedOnlyToAnOlderProgram) {
    struct Case {
        unsigned major, minor;
        int result;
        const wchar_t* current;
    };
    const Case cases[] = {
        {1, 0, 11, L"1.0.0.0"},
        {2, 0, 7, L"2.0.0.0"},
        {2, 1, 7, L"2.1.0.0"},
    };
    for (const Case& c : cases) {
        engine.reset();
        Serve("program, version 1", c.major, c.minor);
        TWebUpdate& u = Engine();
        ASSERT_EQ(u.StartConnection(), 0);
        ASSERT_EQ(u.GetControlFile(), 0);
        EXPECT_EQ(u.DoVersionCheck(), c.result) << c.current;
        EXPECT_EQ(u.NewVersionInfo(), L"2.0.0.0");
        EXPECT_EQ(u.CurVersionInfo(), c.current);
        EXPECT_EQ(u.UpdateDescription(), L"Version 2\rCorrections");
        u.StopConnection();
    }
}

TEST_F(UpdateReleaseRun, TheProgramIsLeftForTheHelperAndOtherFilesInstalled) {
    Serve("program, version 1", 1, 0);
    TestableWebUpdate& u = Engine();
    u.DoUpdate();
    EXPECT_EQ(fileOps.Get(L"C:\\temp\\ORVANE.exe_NEW"), kV2);
    EXPECT_EQ(fileOps.Get(L"C:\\app\\ORVANE.exe"), "program, version 1");  // the running program stays
    EXPECT_EQ(fileOps.Get(L"C:\\app\\readme.txt"), "notes");
    EXPECT_TRUE(u.AppNeedsRestart());
    EXPECT_EQ(u.restarts, 1);
}

TEST_F(UpdateReleaseRun, AnInstalledCopyOfTheSameBytesIsNotFetchedAgain) {
    Serve(kV2, 1, 0);
    TestableWebUpdate& u = Engine();
    ASSERT_EQ(u.StartConnection(), 0);
    ASSERT_EQ(u.GetControlFile(), 0);
    ASSERT_EQ(u.GetFileDetails(), 2);
    ASSERT_EQ(u.ProcessFileDetails(), 0);
    ASSERT_EQ(u.FileList().Count(), 1u);
    EXPECT_EQ(u.FileList()[0].Description, L"readme.txt");
}

}  // namespace
}  // namespace orvane
