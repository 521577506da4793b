#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/Error.h"
#include "fakes/FakeCrypto.h"
#include "fakes/FakeEngineServices.h"
#include "fakes/FakeNet.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeProbes.h"
#include "fakes/FakeProcess.h"
#include "fakes/FakeRun.h"
#include "fakes/FakeUpdate.h"
#include "update/UpdateSignature.h"
#include "update/WebUpdate.h"

namespace orvane {
namespace {

class TestableWebUpdate : public TWebUpdate {
public:
    using TWebUpdate::FAppClose;
    using TWebUpdate::FAppCompsIncluded;
    using TWebUpdate::FControlFileName;
    using TWebUpdate::TWebUpdate;
    int restarts = 0;
    void DoRestart() override { ++restarts; }
};

class FailingCabinets : public fakes::FakeCabinets {
public:
    bool fail = false;
    int Extract(const std::wstring& cabinet, const std::wstring& target) override {
        fakes::FakeCabinets::Extract(cabinet, target);
        return fail ? -1 : 0;
    }
};

// Files whose replacement can be refused, as a file held open by a running program refuses it.
class LockableFiles : public fakes::FakeFileOperations {
public:
    std::set<std::wstring> locked;  // upper-cased targets
    bool MoveReplace(const std::wstring& source, const std::wstring& target) override {
        if (locked.count(Key(target))) return false;
        return fakes::FakeFileOperations::MoveReplace(source, target);
    }
};

constexpr wchar_t kControlUrl[] = L"http://host/files/app.inf";
constexpr wchar_t kTemp[] = L"C:\\temp";
constexpr wchar_t kApp[] = L"C:\\app";

// An SZDD file whose expanded form has SIZE bytes and ends its name with LAST.
std::string Szdd(char last, std::uint32_t size) {
    std::string s = "SZDD\x88\xF0\x27\x33";
    s += 'A';
    s += last;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((size >> (8 * i)) & 0xFF);
    return s + "compressed";
}

class UpdateRun : public ::testing::Test, public fakes::TFakeEngineServices<LockableFiles, FailingCabinets> {
public:
    UpdateRun() {
        folders.paths[KnownFolder::Temp] = kTemp;
        folders.paths[KnownFolder::Application] = kApp;
        folders.paths[KnownFolder::Documents] = L"C:\\docs";
        logFiles.AddFolder(L"C:\\docs");
        logFiles.AddFolder(kApp);
    }

    TestableWebUpdate& Engine() {
        if (!engine) {
            engine = std::make_unique<TestableWebUpdate>(services);
            engine->URL = kControlUrl;
            engine->UpdateUpdate = TWebUpdateUpdate::wuuSilent;
            engine->OnStatus = [this](TWebUpdate&, const std::wstring& text, int status, int) {
                statuses.push_back(text);
                codes.push_back(status);
            };
        }
        return *engine;
    }
    void Serve(const std::wstring& url, const std::string& body) {
        net.replies[url] = {200, body, static_cast<std::uint32_t>(body.size())};
    }
    void Control(const std::string& text) { Serve(kControlUrl, text); }
    bool Saw(const std::wstring& status) const {
        return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
    }
    // Fetches the control file as the steps expect it.
    int Fetch() {
        TWebUpdate& u = Engine();
        if (u.StartConnection() != 0) return -1;
        return u.GetControlFile();
    }

    std::unique_ptr<TestableWebUpdate> engine;
    std::vector<std::wstring> statuses;
    std::vector<int> codes;
};

// --- Versions and dates ---

TEST(UpdateVersions, FromText) {
    struct Case {
        const wchar_t* text;
        std::int32_t ms, ls;
        bool malformed;
    };
    const Case cases[] = {
        {L"1.2.3.4", 0x10002, 0x30004, false},
        {L"2.0", 0x20000, 0, false},
        {L"1,2,3", 0x10002, 0x30000, false},
        {L"7", 0x70000, 0, false},
        {L"1.2.3.4.5", 0x10002, -1, true},  // a fifth part spoils the build
        {L"abc", -1, -1, true},
        {L"1.2,3", 0x10003, 0, true},       // "," wins: "1.2" reads as 1, malformed
        {L"70000.1", 0x11700001, 0, true},  // past 16 bits: only the low bits count
        {L"$A.0x10.1.2", 0xA0010, 0x10002, false},
        {L"1.x.3.4", 0x10000, 0x30000, true},  // a malformed minor ends the reading at the release
        {L" 3.4", 0x30004, 0, false},
    };
    for (const Case& c : cases) {
        const TVersionReading r = ReadVersionText(c.text);
        EXPECT_EQ(r.version.versionms, c.ms) << c.text;
        EXPECT_EQ(r.version.versionls, c.ls) << c.text;
        EXPECT_EQ(r.malformed, c.malformed) << c.text;
    }
    EXPECT_EQ(VersionToText({-1, -1}), L"65535.65535.65535.65535");
    EXPECT_EQ(VersionToText(VersionFromText(L"2.0")), L"2.0.0.0");
}

TEST(UpdateVersions, UpdateDateTime) {
    struct Case {
        const wchar_t *date, *time, *format;
        wchar_t dateSep, timeSep;
        int y, mo, d, h, mi, s;
    };
    const Case cases[] = {
        {L"25/12/2024", L"14:30", L"dd/mm/yyyy", L'/', L':', 2024, 12, 25, 14, 30, 0},
        {L"12/25/2024", L"", L"mm/dd/yyyy", L'/', L':', 2024, 12, 25, 0, 0, 0},
        {L"2024-12-25", L"14.30.15", L"yyyy-mm-dd", L'-', L'.', 2024, 12, 25, 14, 30, 15},
        {L"31/02/2024", L"10:00", L"dd/mm/yyyy", L'/', L':', 1980, 1, 1, 10, 0, 0},   // no such day
        {L"25/12/2024", L"25:00", L"dd/mm/yyyy", L'/', L':', 2024, 12, 25, 0, 0, 0},  // a bad time adds nothing
        {L"25.12.2024", L"", L"dd/mm/yyyy", L'/', L':', 1980, 1, 1, 0, 0, 0},         // wrong separator
        {L"", L"", L"dd/mm/yyyy", L'/', L':', 1980, 1, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const DateParts p = DecodeDateTime(ParseUpdateDateTime(c.date, c.time, c.format, c.dateSep, c.timeSep));
        EXPECT_EQ(std::vector<int>({p.year, p.month, p.day, p.hour, p.minute, p.second}),
                  std::vector<int>({c.y, c.mo, c.d, c.h, c.mi, c.s}))
            << c.date << " " << c.time;
    }
}

TEST(UpdateVersions, ShortDatePictures) {
    const TDateTime june2 = *EncodeDate(2024, 6, 2);
    struct Case {
        const wchar_t* picture;
        wchar_t separator;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"dd/MM/yyyy", L'/', L"02/06/2024"}, {L"M/d/yyyy", L'/', L"6/2/2024"},   {L"d/M/yy", L'.', L"2.6.24"},
        {L"yyyy-MM-dd", L'/', L"2024-06-02"}, {L"dd' de 'MM", L'/', L"02 de 06"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDatePicture(june2, c.picture, c.separator), c.text) << c.picture;
}

// --- Version check ---

TEST_F(UpdateRun, IsUpdateNeededComparesEachKind) {
    fileOps.Put(L"C:\\app\\prog.exe", "abc");
    fileOps.Put(L"C:\\app\\empty.dat", "");
    versions.SetVersion(L"C:\\app\\prog.exe", 1, 9, 0, 0);
    struct Case {
        const char* name;
        const wchar_t *nv, *local;
        std::int32_t ns, nc;
        bool always, crc, result;
    };
    const Case cases[] = {
        {"nothing to compare", L"", L"C:\\app\\prog.exe", 0, -1, false, true, true},
        {"no local file named", L"2.0", L"", 0, -1, false, true, true},
        {"missing file, update only", L"2.0", L"C:\\app\\none.exe", 0, -1, false, true, false},
        {"missing file, always", L"2.0", L"C:\\app\\none.exe", 0, -1, true, true, true},
        {"missing file by size, always", L"", L"C:\\app\\none.exe", 5, -1, true, true, true},
        {"newer version", L"2.0", L"C:\\app\\prog.exe", 0, -1, false, true, true},
        {"same version", L"1.9", L"C:\\app\\prog.exe", 0, -1, false, true, false},
        {"older version", L"1.8.9", L"C:\\app\\prog.exe", 0, -1, false, true, false},
        {"five parts never update", L"9.0.0.0.1", L"C:\\app\\prog.exe", 0, -1, false, true, false},
        {"same size", L"", L"C:\\app\\prog.exe", 3, -1, false, true, false},
        {"other size", L"", L"C:\\app\\prog.exe", 4, -1, false, true, true},
        {"empty file counts as equal checksum", L"", L"C:\\app\\empty.dat", 0, 1234, false, true, false},
        {"byte sum equal", L"", L"C:\\app\\prog.exe", 0, static_cast<std::int32_t>(0xFFFFFFFFu + 'a' + 'b' + 'c'),
         false, false, false},
        {"byte sum differs", L"", L"C:\\app\\prog.exe", 0, 17, false, false, true},
    };
    for (const Case& c : cases) {
        TWebUpdate& u = Engine();
        u.VersionCheck = c.always ? TWebUpdateVersionCheck::vcAlways : TWebUpdateVersionCheck::vcUpdateOnly;
        u.UseCRC32 = c.crc;
        std::wstring nv = c.nv, lv = c.local;
        EXPECT_EQ(u.IsUpdateNeeded(nv, lv, c.ns, c.nc), c.result) << c.name;
    }
}

TEST_F(UpdateRun, VersionComparisonRewritesBothTexts) {
    fileOps.Put(L"C:\\app\\prog.exe", "x");
    versions.SetVersion(L"C:\\app\\prog.exe", 1, 9, 0, 0);
    std::wstring nv = L"2.0", lv = L"C:\\app\\prog.exe";
    EXPECT_TRUE(Engine().IsUpdateNeeded(nv, lv, 0, -1));
    EXPECT_EQ(nv, L"2.0.0.0");
    EXPECT_EQ(lv, L"1.9.0.0");
    EXPECT_EQ(statuses.back(), L"Version check : Version compare of C:\\app\\prog.exe:1.9.0.0 with 2.0:2.0.0.0");
}

TEST_F(UpdateRun, GetControlFileReadsSignatureAndApplication) {
    Control(
        "[update]\r\nsignature=webupdate\r\n[application]\r\nappupdate=1\r\nappname={APP}\\prog.exe\r\n"
        "appparam=\"-x\"\r\nappcomps={APP}\\prog.exe\r\nsilentrestart=1\r\n");
    TestableWebUpdate& u = Engine();
    u.SignatureCheck = true;
    EXPECT_EQ(Fetch(), 5);  // letter case counts
    EXPECT_TRUE(Saw(L"Invalid signature in update control file"));
    EXPECT_TRUE(u.FAppClose);
    EXPECT_TRUE(u.AppSilentRestart());
    EXPECT_EQ(u.ControlFileName(), L"C:\\temp\\app.inf");

    u.URL = L"";
    statuses.clear();
    EXPECT_EQ(u.GetControlFile(), 4);
    EXPECT_EQ(statuses, std::vector<std::wstring>{L"Update control file not found"});

    u.URL = L"http://host/files/missing.inf";
    EXPECT_EQ(u.GetControlFile(), 4);
}

TEST_F(UpdateRun, AppNameEmptyCancelsTheRestart) {
    Control("[application]\r\nappupdate=1\r\nappparam=\r\n");
    TestableWebUpdate& u = Engine();
    std::wstring seen = L"?";
    u.OnSetAppParams = [&](TWebUpdate&, std::wstring& p) { seen = p; };
    EXPECT_EQ(Fetch(), 0);
    EXPECT_FALSE(u.FAppClose);
    EXPECT_EQ(seen, L"");
}

TEST_F(UpdateRun, DoVersionCheckResults) {
    fileOps.Put(L"C:\\app\\prog.exe", "abc");
    versions.SetVersion(L"C:\\app\\prog.exe", 1, 9, 0, 0);
    // The installed date: 1 June 2024 at noon, from the store.
    store.values[{RegHive::CurrentUser, L"Software\\Orvane", L"Update", L"LastDate"}] = L"01/06/2024";
    store.values[{RegHive::CurrentUser, L"Software\\Orvane", L"Update", L"LastTime"}] = L"12:00:00";
    // The found date is written the user's way.
    locale.shortDate = L"M/d/yyyy";
    struct Case {
        const char* name;
        std::string update;
        int result;
        std::vector<std::wstring> seen;
    };
    const Case cases[] = {
        {"same day earlier time", "date=01/06/2024\r\n", 7, {L"Date based update found", L"No new version found"}},
        {"later date",
         "date=02/06/2024\r\nnewversion=9.0\r\nlocalversion={APP}\\prog.exe\r\n",
         6,
         {L"Date based update found", L"New version found : 6/2/2024"}},
        {"unconditional after an older date",
         "date=01/01/2024\r\nunconditional=1\r\n",
         8,
         {L"Date based update found", L"No new version found"}},
        {"unconditional loses to a later date",
         "date=01/01/2025\r\nunconditional=1\r\n",
         6,
         {L"Date based update found", L"New version found : 1/1/2025"}},
        {"newer version",
         "newversion=2.0\r\nlocalversion={APP}\\prog.exe\r\n",
         11,
         {L"Version based update found",
          L"Version check : Version compare of C:\\app\\prog.exe:1.9.0.0 with 2.0:2.0.0.0",
          L"New version found : 2.0.0.0"}},
        {"five-part version",
         "newversion=1.2.3.4.5\r\nlocalversion={APP}\\prog.exe\r\n",
         7,
         {L"Version based update found",
          L"Version check : Version compare of C:\\app\\prog.exe:1.9.0.0 with 1.2.3.4.5:1.2.65535.65535",
          L"No new version found"}},
        {"size",
         "newsize=3\r\nlocalversion={APP}\\prog.exe\r\n",
         7,
         {L"File size based update found", L"No new version found"}},
        {"checksum",
         "newchecksum=$10\r\nnewsize=3\r\nlocalversion={APP}\\prog.exe\r\n",
         10,
         {L"Checksum based update found", L"Version check : Checksum compare of C:\\app\\prog.exe:1821220161:16",
          L"New version found : "}},
        {"no local file named", "newversion=2.0\r\n", 7, {}},
    };
    for (const Case& c : cases) {
        engine.reset();
        Control("[update]\r\n" + c.update);
        TWebUpdate& u = Engine();
        u.UseCRC32 = true;
        u.LastURLEntry = {true, L"Software\\Orvane", L"Update", TLastURLReg::lurLOCALUSER};
        ASSERT_EQ(Fetch(), 0) << c.name;
        statuses.clear();
        EXPECT_EQ(u.DoVersionCheck(), c.result) << c.name;
        EXPECT_EQ(statuses, c.seen) << c.name;
    }
}

TEST_F(UpdateRun, ValidatorDecidesLast) {
    Control("[update]\r\ndescr=one\\ntwo\r\n[custom]\r\nvalidatemsg=m\r\nvalidateparam=p\r\n");
    TWebUpdate& u = Engine();
    std::vector<std::wstring> seen;
    bool allowSeen = true;
    u.OnCustomValidate = [&](TWebUpdate&, const std::wstring& m, const std::wstring& p, bool& allow) {
        seen = {m, p};
        allowSeen = allow;
        allow = true;
    };
    ASSERT_EQ(Fetch(), 0);
    EXPECT_EQ(u.DoVersionCheck(), 12);
    EXPECT_FALSE(allowSeen);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"m", L"p"}));
    EXPECT_EQ(u.UpdateDescription(), L"one\rtwo");
}

// --- File list ---

TEST_F(UpdateRun, ProcessFileDetailsFilters) {
    fileOps.Put(L"C:\\app\\new.dat", "x");
    fileTimes.times[L"C:\\app\\new.dat"] = *EncodeDate(2024, 6, 2);
    Control(
        "[files]\r\ncount=5\r\n"
        "[file1]\r\nurl=http://host/f/new.dat\r\nlocalversion={APP}\\new.dat\r\ndate=01/06/2024\r\ndescr=a\r\n"
        "[file2]\r\nurl=http://host/f/gone.dat\r\nlocalversion={APP}\\gone.dat\r\ndate=01/06/2024\r\ndescr=b\r\n"
        "[file3]\r\nurl=http://host/f/m.dat\r\ndescr=c\r\nmandatory=1\r\n"
        "[file4]\r\nurl=http://host/f/n.dat\r\ndescr=d\r\n"
        "[file5]\r\nurl=http://host/f/o.dat\r\ndescr=e\r\n");
    TWebUpdate& u = Engine();
    ASSERT_EQ(Fetch(), 0);
    ASSERT_EQ(u.GetFileDetails(), 5);
    statuses.clear();
    u.OnGetFileList = [](TWebUpdate&, std::vector<std::wstring>& lines) {
        ASSERT_EQ(lines, (std::vector<std::wstring>{L"b", L"c", L"d", L"e"}));
        lines[1].clear();  // mandatory: stays
        lines[3].clear();
    };
    EXPECT_EQ(u.ProcessFileDetails(), 0);
    ASSERT_EQ(u.FileList().Count(), 3u);
    EXPECT_EQ(u.FileList()[0].Description, L"b");  // a missing local file stays
    EXPECT_EQ(u.FileList()[1].Description, L"c");
    EXPECT_EQ(u.FileList()[2].Description, L"d");
    EXPECT_EQ(statuses.front(),
              L"Processing file : http://host/f/new.dat[C:\\app\\new.dat,nv=,nd=01/06/2024,ns=0,nc=-1]");

    u.HideURLInLogFile = true;
    u.OnGetFileList = nullptr;
    ASSERT_EQ(u.GetFileDetails(), 5);
    statuses.clear();
    u.FileList()[2].NewCustomVer = L"3";
    u.OnFileVersionCheck = [](TWebUpdate&, const std::wstring& nv, const std::wstring&, bool& isNew) {
        isNew = nv != L"3";
    };
    EXPECT_EQ(u.ProcessFileDetails(), 0);
    EXPECT_EQ(u.FileList().Count(), 3u);
    EXPECT_EQ(statuses[0], L"Processing file : new.dat[C:\\app\\new.dat,nv=,nd=01/06/2024,ns=0,nc=-1]");

    u.FileList().Clear();
    EXPECT_EQ(u.ProcessFileDetails(), -1);
}

// --- The whole run ---

constexpr char kActions[] =
    "date=01/01/2030\r\n[application]\r\nappupdate=1\r\nappname=prog.exe\r\n[action]\r\nrunafter=after.exe\r\n";

class UpdateWholeRun : public UpdateRun {
public:
    void Offer(const std::string& files, const std::string& extra = "") {
        Control("[update]\r\nnewversion=2.0\r\nlocalversion={APP}\\prog.exe\r\n" + extra + files);
        fileOps.Put(L"C:\\app\\prog.exe", "old program");
        versions.SetVersion(L"C:\\app\\prog.exe", 1, 0, 0, 0);
    }
    TestableWebUpdate& Run() {
        TestableWebUpdate& u = Engine();
        u.ExtractCAB = true;
        u.LastURLEntry = {true, L"Software\\Orvane", L"Update", TLastURLReg::lurLOCALUSER};
        u.OnSuccess = [this](TWebUpdate&) { ++successes; };
        u.DoUpdate();
        return u;
    }
    bool DateRecorded() const {
        return store.values.count({RegHive::CurrentUser, L"Software\\Orvane", L"Update", L"LastDate"}) > 0;
    }
    int successes = 0;
};

TEST_F(UpdateWholeRun, InstallsPlainLzAndCabinetFiles) {
    Offer(
        "[files]\r\ncount=3\r\n"
        "[file1]\r\nurl=http://host/f/prog.exe\r\ntargetdir={APP}\r\n"
        "[file2]\r\nurl=http://host/f/data.dl_\r\ntargetdir={APP}\r\ncompressed=1\r\n"
        "[file3]\r\nurl=http://host/f/pack.cab\r\ntargetdir={APP}\\sub\r\ncompressed=1\r\n",
        "date=01/01/2030\r\n[action]\r\nrunafter={APP}\\after.exe\r\nrunafterparam=-q\r\nupdateURL=http://host/"
        "next.inf\r\n");
    Serve(L"http://host/f/prog.exe", "new program");
    Serve(L"http://host/f/data.dl_", Szdd('l', 4));
    Serve(L"http://host/f/pack.cab", "MSCF");
    lz.table[fakes::FakeFileOperations::Key(L"C:\\app\\data.dl_")] = {L"C:\\app\\data.dll", "data"};
    TestableWebUpdate& u = Run();
    EXPECT_EQ(fileOps.Get(L"C:\\app\\prog.exe"), "new program");
    EXPECT_EQ(fileOps.Get(L"C:\\app\\data.dll"), "data");
    EXPECT_FALSE(fileOps.Get(L"C:\\app\\data.dl_"));
    EXPECT_EQ(cabinets.extracted, std::vector<std::wstring>{L"C:\\temp\\pack.cab>C:\\app\\sub\\"});
    EXPECT_FALSE(fileOps.Get(L"C:\\temp\\pack.cab"));
    EXPECT_TRUE(logFiles.FolderExists(L"C:\\app\\sub"));
    EXPECT_EQ(processes.opened, std::vector<std::wstring>{L"C:\\app\\after.exe|-q"});
    EXPECT_EQ(successes, 1);
    EXPECT_TRUE(DateRecorded());
    EXPECT_EQ((store.values[{RegHive::CurrentUser, L"Software\\Orvane", L"Update", L"LastURL"}]),
              L"http://host/next.inf");
    EXPECT_FALSE(fileOps.Get(u.ControlFileName()));  // the connection's end removed it
    EXPECT_TRUE(Saw(L"Finished processing update control file"));
}

struct FailureCase {
    const char* name;
    std::function<void(UpdateWholeRun&)> arrange;
    const char* installed;  // what the installed program holds afterwards
    const wchar_t* status;  // the status that tells why
    bool cabinetKept;
};

TEST_F(UpdateWholeRun, AFailedEntryFailsTheRunAndKeepsOldFiles) {
    const FailureCase cases[] = {
        {"missing file", [](UpdateWholeRun& t) { t.net.replies.erase(L"http://host/f/pack.cab"); }, "new program",
         L"Cannot download update file : http://host/f/pack.cab", false},
        {"short body", [](UpdateWholeRun& t) { t.net.replies[L"http://host/f/pack.cab"].contentLength = 400; },
         "new program", L"Cannot download update file : http://host/f/pack.cab", false},
        {"corrupt cabinet", [](UpdateWholeRun& t) { t.cabinets.fail = true; }, "new program",
         L"Error decompressing CAB file : C:\\temp\\pack.cab", true},
        {"installed file cannot be replaced", [](UpdateWholeRun& t) { t.fileOps.locked = {L"C:\\APP\\PROG.EXE"}; },
         "old program", L"Cannot rename file : C:\\temp\\prog.exe to C:\\app\\prog.exe", false},
        {"name outside its folder",
         [](UpdateWholeRun& t) {
             t.net.replies.erase(L"http://host/f/pack.cab");
             t.Offer("[files]\r\ncount=1\r\n[file1]\r\nurl=http://host/f/..\r\ntargetdir={APP}\r\n", kActions);
         },
         "old program", L"Cannot download update file : http://host/f/..", false},
    };
    for (const FailureCase& c : cases) {
        engine.reset();
        statuses.clear();
        store.values.clear();
        processes.opened.clear();
        cabinets.fail = false;
        successes = 0;
        fileOps.files.clear();
        fileOps.attributes.clear();
        fileOps.locked.clear();
        Offer(
            "[files]\r\ncount=2\r\n"
            "[file1]\r\nurl=http://host/f/prog.exe\r\ntargetdir={APP}\r\n"
            "[file2]\r\nurl=http://host/f/pack.cab\r\ntargetdir={APP}\r\ncompressed=1\r\n",
            kActions);
        Serve(L"http://host/f/prog.exe", "new program");
        Serve(L"http://host/f/pack.cab", "MSCF");
        c.arrange(*this);
        TestableWebUpdate& u = Run();
        EXPECT_EQ(fileOps.Get(L"C:\\app\\prog.exe"), c.installed) << c.name;
        EXPECT_TRUE(Saw(c.status)) << c.name;
        EXPECT_EQ(successes, 0) << c.name;
        EXPECT_FALSE(DateRecorded()) << c.name;
        EXPECT_TRUE(processes.opened.empty()) << c.name;  // no runafter
        EXPECT_FALSE(u.FAppClose) << c.name;
        EXPECT_EQ(fileOps.Get(L"C:\\temp\\pack.cab").has_value(), c.cabinetKept) << c.name;
    }
}

TEST_F(UpdateWholeRun, ComponentsAreMatchedByWholeFileName) {
    Offer(
        "[files]\r\ncount=2\r\n[file1]\r\nurl=http://host/f/data.dll\r\ntargetdir={APP}\r\n"
        "[file2]\r\nurl=http://host/f/A.DLL\r\ntargetdir={APP}\r\n",
        "[application]\r\nappupdate=1\r\nappname=prog.exe\r\nappcomps={APP}\\a.dll {APP}\\prog.exe\r\n");
    Serve(L"http://host/f/data.dll", "data");
    Serve(L"http://host/f/A.DLL", "component");
    TestableWebUpdate& u = Run();
    EXPECT_EQ(fileOps.Get(L"C:\\app\\data.dll"), "data");     // not a component although "a.dll" ends its name
    EXPECT_EQ(fileOps.Get(L"C:\\temp\\A.DLL"), "component");  // left for the restart helper
    EXPECT_FALSE(fileOps.Get(L"C:\\app\\A.DLL"));
    EXPECT_TRUE(Saw(L"Found application component : A.DLL"));
    EXPECT_TRUE(u.AppNeedsRestart());
    EXPECT_EQ(u.restarts, 1);
}

TEST_F(UpdateWholeRun, PromptsDecideWhatIsDownloaded) {
    Offer(
        "[files]\r\ncount=2\r\n[file1]\r\nurl=http://host/f/one.dat\r\ntargetdir={APP}\r\n"
        "[file2]\r\nurl=http://host/f/two.dat\r\ntargetdir={APP}\r\n",
        "date=01/01/2030\r\n");
    Serve(L"http://host/f/one.dat", "1");
    Serve(L"http://host/f/two.dat", "2");
    Engine().UpdateUpdate = TWebUpdateUpdate::wuuPromptOnce;
    engineDialogs.confirmAnswers = {false};
    Run();
    EXPECT_EQ(engineDialogs.confirmed, std::vector<std::wstring>{L"Download update files ?"});
    EXPECT_FALSE(fileOps.Get(L"C:\\app\\one.dat"));
    EXPECT_FALSE(DateRecorded());  // the user said No: nothing recorded

    engine.reset();
    engineDialogs.confirmed.clear();
    engineDialogs.confirmAnswers = {false, true};
    Engine().UpdateUpdate = TWebUpdateUpdate::wuuPromptAll;
    Run();
    EXPECT_EQ(engineDialogs.confirmed,
              (std::vector<std::wstring>{L"Download update file : one.dat", L"Download update file : two.dat"}));
    EXPECT_FALSE(fileOps.Get(L"C:\\app\\one.dat"));
    EXPECT_EQ(fileOps.Get(L"C:\\app\\two.dat"), "2");
}

TEST_F(UpdateWholeRun, ActionsBeforeTheDownload) {
    Offer("[files]\r\ncount=1\r\n[file1]\r\nurl=http://host/f/one.dat\r\n",
          "[action]\r\nmsg=Hello\\nthere\r\nhtmldlg={APP}\\page.htm\r\nrunbefore={APP}\\before.exe\r\n"
          "showURL=http://host/news\r\nquery=Go on?\r\n");
    engineDialogs.answerInformation = false;
    processes.shellRefuses = true;
    TestableWebUpdate& u = Run();
    EXPECT_EQ(engineDialogs.informed, std::vector<std::wstring>{L"Hello\rthere"});
    EXPECT_EQ(engineDialogs.html, std::vector<std::wstring>{L"C:\\app\\page.htm"});
    EXPECT_EQ(processes.opened,
              (std::vector<std::wstring>{L"C:\\app\\before.exe|", L"iexplore.exe|-new http://host/news",
                                         L"http://host/news|"}));
    EXPECT_EQ(engineDialogs.asked, std::vector<std::wstring>{L"Go on?"});
    EXPECT_FALSE(u.FAppClose);
    EXPECT_FALSE(Saw(L"Found file update instruction"));
    EXPECT_EQ(successes, 0);
}

TEST_F(UpdateWholeRun, TextsCanRefuseTheUpdate) {
    Offer("[files]\r\ncount=1\r\n[file1]\r\nurl=http://host/f/one.dat\r\n",
          "[whatsnew]\r\nfile=http://host/new.txt\r\ncaption=News\r\n[eula]\r\nfile=http://host/eula.rtf\r\n");
    Serve(L"http://host/new.txt", "\xEF\xBB\xBFline one\r\nline two\nline three");
    Serve(L"http://host/eula.rtf", "{\\RtF1 licence}");
    engineDialogs.acceptLicence = false;
    Run();
    EXPECT_EQ(engineDialogs.whatsNewShown, 1);
    EXPECT_EQ(engineDialogs.licenceShown, 1);
    EXPECT_TRUE(engineDialogs.lastContent.rich);
    EXPECT_EQ(engineDialogs.lastButtons, (std::vector<std::wstring>{L"Ok", L"I accept", L"I do not accept"}));
    EXPECT_FALSE(Saw(L"Found file update instruction"));
    EXPECT_FALSE(fileOps.Get(L"C:\\temp\\new.txt"));  // texts are not left behind
}

TEST_F(UpdateRun, WhatsNewAndLicenceDialogs) {
    Control("[whatsnew]\r\nokbtn=Yes\r\n");
    TestableWebUpdate& u = Engine();
    ASSERT_EQ(Fetch(), 0);
    EXPECT_EQ(u.ShowWhatsNewDialog("a\rb\r\nc"), 0);
    EXPECT_EQ(engineDialogs.lastContent.caption, L"What's new");
    EXPECT_EQ(engineDialogs.lastContent.plain, L"a\r\nb\r\nc");
    EXPECT_EQ(engineDialogs.lastButtons, (std::vector<std::wstring>{L"Yes", L"Cancel"}));
    engineDialogs.acceptWhatsNew = false;
    EXPECT_EQ(u.ShowWhatsNewDialog("text"), -1);
    EXPECT_TRUE(Saw(L"Whatsnew not accepted"));

    // A handler takes plain text, but rich text still goes to the dialog.
    std::vector<std::wstring> handed;
    u.OnDownloadedWhatsNew = [&](TWebUpdate&, std::vector<std::wstring>& lines, int& res) {
        handed = lines;
        res = 0;
    };
    EXPECT_EQ(u.ShowWhatsNewDialog("x\ny"), -1);
    EXPECT_EQ(handed, (std::vector<std::wstring>{L"x", L"y"}));
    engineDialogs.whatsNewShown = 0;
    engineDialogs.acceptWhatsNew = true;
    EXPECT_EQ(u.ShowWhatsNewDialog("{\\rtf1 x}"), 0);
    EXPECT_EQ(engineDialogs.whatsNewShown, 1);

    struct LicenceCase {
        const char* name;
        int handlerRes;  // 0: no handler
        bool dialogAccepts;
        const char* text;
        int result, shown;
    };
    const LicenceCase cases[] = {
        {"dialog accepts", 0, true, "t", 0, 1},
        {"dialog refuses", 0, false, "t", -1, 1},
        {"handler refuses: no dialog", 2, true, "t", -1, 0},
        {"handler accepts, dialog refuses", 1, false, "t", -1, 1},
        {"handler accepts rich text: no dialog", 1, false, "{\\rtf x}", 0, 0},
    };
    for (const LicenceCase& c : cases) {
        engineDialogs.licenceShown = 0;
        engineDialogs.acceptLicence = c.dialogAccepts;
        u.OnDownloadedEULA = nullptr;
        if (c.handlerRes)
            u.OnDownloadedEULA = [&c](TWebUpdate&, std::vector<std::wstring>&, int& res) { res = c.handlerRes; };
        EXPECT_EQ(u.ShowEULADialog(c.text), c.result) << c.name;
        EXPECT_EQ(engineDialogs.licenceShown, c.shown) << c.name;
    }
}

// The patcher's copy-files animation shows, with the utility's caption and message, exactly while
// the program runs, and only when asked for; "Exec:" is logged either way.
TEST_F(UpdateRun, RunAndWaitShowsTheAnimationWhileTheProgramRuns) {
    struct WatchingLauncher : fakes::FakeProcessLauncher {
        const int* open = nullptr;
        int openDuringRun = -1;
        TRun RunAndWait(const std::wstring& commandLine, bool showWindow) override {
            openDuringRun = *open;
            return FakeProcessLauncher::RunAndWait(commandLine, showWindow);
        }
    } launcher;
    launcher.open = &engineDialogs.animationsOpen;
    services.processes = &launcher;
    for (const bool animate : {true, false}) {
        engineDialogs.animations.clear();
        TestableWebUpdate u(services);
        EXPECT_TRUE(u.RunAndWait(L"patcher.exe a.pat 1.0", true, animate, L"Mise à jour", L"Patch en cours"));
        EXPECT_EQ(launcher.openDuringRun, animate ? 1 : 0);
        EXPECT_EQ(engineDialogs.animationsOpen, 0) << "closed once the program ended";
        EXPECT_EQ(engineDialogs.animations,
                  animate ? std::vector<std::wstring>{L"Mise à jour|Patch en cours"} : std::vector<std::wstring>{});
    }
    services.processes = &processes;
}

TEST_F(UpdateRun, ThreadedRunEndsOnTheMainThread) {
    Control("[update]\r\n");
    TestableWebUpdate& u = Engine();
    u.ForceUpdate = false;
    bool done = false;
    u.OnThreadUpdateDone = [&](TWebUpdate&) { done = true; };
    u.DoThreadUpdate();
    EXPECT_TRUE(Saw(L"Start update : Threaded update ---------------------------"));
    EXPECT_FALSE(done);
    workers.Deliver();
    EXPECT_TRUE(done);
    EXPECT_EQ(statuses.back(), L"Threaded update execution done");
    engine.reset();
    EXPECT_EQ(workers.joins, 1);  // the engine waits for its worker before it goes
}

TEST_F(UpdateRun, FtpWithoutHostOpensNothing) {
    TestableWebUpdate& u = Engine();
    u.UpdateType = TWebUpdateType::ftpUpdate;
    EXPECT_THROW(u.DoUpdate(), AppError);
    EXPECT_THROW(u.NewVersionAvailable(), AppError);
    EXPECT_TRUE(net.CallsOf(L"Open").empty());
}

TEST_F(UpdateRun, NewVersionAvailableAndNewWhatsNew) {
    fileOps.Put(L"C:\\app\\prog.exe", "x");
    versions.SetVersion(L"C:\\app\\prog.exe", 1, 0, 0, 0);
    Control("[update]\r\nnewversion=2.0\r\nlocalversion={APP}\\prog.exe\r\n[whatsnew]\r\nfile=http://host/n.txt\r\n");
    Serve(L"http://host/n.txt", "first\r\nsecond");
    TestableWebUpdate& u = Engine();
    EXPECT_TRUE(u.NewVersionAvailable());
    EXPECT_EQ(current.folder, kApp);
    const auto lines = u.NewWhatsNew(false);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::wstring>{L"first", L"second"}));

    Control("[update]\r\nnewversion=1.0\r\nlocalversion={APP}\\prog.exe\r\n");
    EXPECT_FALSE(u.NewVersionAvailable());
    EXPECT_FALSE(u.NewWhatsNew(true));

    // Unconditional with every file current: nothing is waiting.
    Control(
        "[update]\r\nunconditional=1\r\n[files]\r\ncount=1\r\n[file1]\r\nurl=http://host/p.exe\r\n"
        "newversion=1.0\r\nlocalversion={APP}\\prog.exe\r\n");
    EXPECT_FALSE(u.NewVersionAvailable());

    state.connected = 0;
    net.calls.clear();
    EXPECT_FALSE(u.NewVersionAvailable());
    EXPECT_TRUE(net.CallsOf(L"Open").empty());
}

// --- Signed releases ---

class SignedRun : public UpdateWholeRun {
public:
    SignedRun() : crypto(fileOps) {
        services.crypto = &crypto;
        services.resources = &resources;
    }
    // The control file and its signature, at URL and URL + ".sig".
    void Publish(const std::string& text, const std::wstring& url = kControlUrl) {
        const std::string signature = fakes::FakeCrypto::Sign(*ParsePublicKeyPem(fakes::kTestPublicKeyPem), text);
        if (url.find(L"://") == std::wstring::npos) {
            fileOps.Put(url, text);
            fileOps.Put(url + L".sig", signature);
        } else {
            Serve(url, text);
            Serve(url + L".sig", signature);
        }
    }
    static std::string Release(const std::string& url, const std::string& sha256) {
        return "[update]\r\nnewversion=2.0\r\ndate=01/01/2030\r\n[action]\r\nrunafter=after.exe\r\n"
               "[files]\r\ncount=1\r\n[file1]\r\nurl=" +
               url + "\r\ntargetdir={APP}\r\nsha256=" + sha256 + "\r\n";
    }
    TestableWebUpdate& Signed() {
        TestableWebUpdate& u = Engine();
        u.TrustedKeys = {fakes::kTestPublicKeyPem};
        u.OwnVersion = L"1.0";
        return u;
    }
    fakes::FakeCrypto crypto;
    fakes::FakeModuleResources resources;
};

// What the later steps act on is what verified, whatever lands in the working folder afterwards.
TEST_F(SignedRun, StepsReadTheVerifiedBytesNotTheFileOnDisk) {
    fileOps.Put(L"C:\\app\\prog.exe", "old program");
    Publish(Release("http://host/f/prog.exe", fakes::FakeCrypto::DigestHex("new program")));
    Serve(L"http://host/f/prog.exe", "new program");
    TestableWebUpdate& u = Signed();
    u.OnBeforeFileDownload = [this](TWebUpdate& e, int, const TFileDescription&, std::wstring&) {
        fileOps.Put(e.ControlFileName(), "[action]\r\nrunafter=planted.exe\r\n[files]\r\ncount=0\r\n");
    };
    Run();
    EXPECT_EQ(fileOps.Get(L"C:\\app\\prog.exe"), "new program");
    EXPECT_EQ(processes.opened, std::vector<std::wstring>{L"after.exe|"});
    EXPECT_TRUE(Saw(L"Update control file signature verified"));
    EXPECT_EQ(successes, 1);
}

TEST_F(SignedRun, RefusalsAndDigestsOnEveryRoad) {
    const std::string goodDigest = fakes::FakeCrypto::DigestHex("new program");
    struct Case {
        const char* name;
        std::function<void(SignedRun&, TestableWebUpdate&)> arrange;
        const char* installed;
        const wchar_t* status;
        bool cryptography = true;
    } cases[] = {
        {"no cryptography service",
         [&](SignedRun& t, TestableWebUpdate&) { t.Publish(Release("http://host/f/prog.exe", goodDigest)); },
         "old program", L"Update control file refused, signature not valid : no usable key", false},
        {"older than the program's own file",
         [&](SignedRun& t, TestableWebUpdate& u) {
             u.OwnVersion.clear();
             t.resources.modulePath = L"C:\\app\\orvane.exe";
             t.versions.SetVersion(L"C:\\app\\orvane.exe", 3, 0, 0, 0);
             t.Publish(Release("http://host/f/prog.exe", goodDigest));
         },
         "old program", L"Update control file refused, older than the running version : 2.0 < 3.0.0.0"},
        {"own version unknown",
         [&](SignedRun& t, TestableWebUpdate& u) {
             u.OwnVersion.clear();
             t.Publish(Release("http://host/f/prog.exe", goodDigest));
         },
         "old program", L"Update control file refused, running version unknown"},
        {"no version offered",
         [&](SignedRun& t, TestableWebUpdate&) {
             std::string text = Release("http://host/f/prog.exe", goodDigest);
             text.erase(text.find("newversion=2.0\r\n"), 16);
             t.Publish(text);
         },
         "old program", L"Update control file refused, no version offered"},
        {"copy of another digest",
         [&](SignedRun& t, TestableWebUpdate& u) {
             u.UpdateType = TWebUpdateType::fileUpdate;
             u.URL = L"D:\\share\\app.inf";
             t.fileOps.Put(L"D:\\share\\prog.exe", "tampered program");
             t.Publish(Release("D:\\share\\prog.exe", goodDigest), L"D:\\share\\app.inf");
         },
         "old program", L"SHA-256 of update file does not match : D:\\share\\prog.exe"},
        {"copy of the named digest",
         [&](SignedRun& t, TestableWebUpdate& u) {
             u.UpdateType = TWebUpdateType::fileUpdate;
             u.URL = L"D:\\share\\app.inf";
             t.fileOps.Put(L"D:\\share\\prog.exe", "new program");
             t.Publish(Release("D:\\share\\prog.exe", goodDigest), L"D:\\share\\app.inf");
         },
         "new program", L"Update control file signature verified"},
        {"a file the application fetched itself",
         [&](SignedRun& t, TestableWebUpdate& u) {
             t.Publish(Release("http://host/f/prog.exe", goodDigest));
             u.OnBeforeUrlToFile = [&t](void*, const std::wstring& url, const std::wstring& tgt, bool&, bool& handled,
                                        bool& success) {
                 if (url.find(L"prog.exe") == std::wstring::npos) return;
                 t.fileOps.Put(tgt + L"prog.exe", "planted program");
                 handled = success = true;
             };
         },
         "old program", L"SHA-256 of update file does not match : http://host/f/prog.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.reset();
        statuses.clear();
        processes.opened.clear();
        net.replies.clear();
        store.values.clear();  // an update recorded by the case before would make this one current
        successes = 0;
        services.crypto = c.cryptography ? &crypto : nullptr;
        resources.modulePath.clear();
        fileOps.Put(L"C:\\app\\prog.exe", "old program");
        c.arrange(*this, Signed());
        Run();
        EXPECT_EQ(fileOps.Get(L"C:\\app\\prog.exe"), c.installed);
        EXPECT_TRUE(Saw(c.status));
        const bool updated = std::string(c.installed) == "new program";
        EXPECT_EQ(successes, updated ? 1 : 0);
        EXPECT_EQ(processes.opened.empty(), !updated);
    }
}

}  // namespace
}  // namespace orvane
