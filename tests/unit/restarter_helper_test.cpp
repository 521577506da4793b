#include <gtest/gtest.h>

#include "fakes/FakeHelperSystem.h"
#include "restarter/Helper.h"
#include "restarter/HelperParameters.h"
#include "update/Szdd.h"

namespace orvane {
namespace {

using fakes::FakeHelperSystem;
using Lines = std::vector<std::string>;

const std::wstring kLog = L"C:\\Users\\u\\Documents\\WUPDATE.LOG";
const char* kStamp = "25/12/2024 10:30:05 : [000] ";

class HelperRun : public testing::Test {
protected:
    FakeHelperSystem sys;
    THelperBounds bounds;

    void SetUp() override {
        sys.Put(L"C:\\Users\\u\\Documents\\WUPDATE.INI", "[CONFIG]\r\nLOGFILENAME=WUPDATE.LOG\r\n");
        sys.Put(L"C:\\App\\App.exe", "old app");
        sys.Put(L"C:\\App\\core.dll", "old core");
    }
    void Run(const std::wstring& commandLine) { RunHelper(SplitHelperCommandLine(commandLine), sys, bounds); }
    std::string File(const std::wstring& path) {
        const std::string* bytes = sys.Get(path);
        return bytes ? *bytes : "<none>";
    }
    Lines Log() {
        Lines lines = sys.Log(kLog);
        for (std::string& line : lines) {
            EXPECT_EQ(line.rfind(kStamp, 0), 0u) << line;
            line.erase(0, std::string(kStamp).size());
        }
        return lines;
    }
    // No staged, aside or staging files left anywhere.
    void ExpectNoLeftovers() {
        for (const auto& [path, bytes] : sys.files) {
            EXPECT_EQ(path.find(L".WUSETUP-"), std::wstring::npos) << path.c_str();
            EXPECT_EQ(path.find(L"WUSETUP.STAGING"), std::wstring::npos);
        }
    }
};

TEST_F(HelperRun, InstallsDeliveredCopiesAndRestarts) {
    sys.Put(L"C:\\Temp\\App.exe_NEW", "new app");
    sys.Put(L"C:\\Temp\\core.dll_new", "new core");
    Run(LR"(1234 L C:\App\App.exe " " "C:\Temp\" App.exe_NEW core.dll_new)");

    EXPECT_EQ(sys.waitedFor, std::vector<std::uint32_t>{1234});
    EXPECT_EQ(File(L"C:\\App\\App.exe"), "new app");
    EXPECT_EQ(File(L"C:\\App\\core.dll"), "new core");
    EXPECT_EQ(File(L"C:\\Temp\\App.exe_NEW"), "new app");  // the delivered copy stays
    EXPECT_EQ(File(L"C:\\Users\\u\\Documents\\WUPDATE.INI"), "<none>");
    ASSERT_EQ(sys.started.size(), 1u);
    EXPECT_EQ(sys.started[0], std::make_pair(std::wstring(L"C:\\App\\App.exe"), std::wstring()));
    EXPECT_EQ(Log(), (Lines{
                         "UPD v2.0.4.0 started",
                         "UPD current directory: C:\\App",
                         "UPD waited from 25/12/2024 10:30:05:042 to 25/12/2024 10:30:05:042 for application close",
                         "Upd copying file : C:\\Temp\\App.exe_NEW to C:\\App\\App.exe",
                         "Upd copying file : C:\\Temp\\core.dll_NEW to C:\\App\\core.dll",
                         "UPD restart C:\\App\\App.exe  ",
                         "UPD has EXE restarted",
                     }));
    ExpectNoLeftovers();
}

TEST_F(HelperRun, WithoutLNothingIsLoggedAndParametersPass) {
    sys.Put(L"C:\\Temp\\App.exe_NEW", "new app");
    Run(LR"(1234 X "C:\Program Files\App\App.exe" "-user x" "C:\Temp\" App.exe_NEW)");
    EXPECT_EQ(File(L"C:\\App\\App.exe"), "new app");
    EXPECT_TRUE(sys.logs.empty());
    ASSERT_EQ(sys.started.size(), 1u);
    EXPECT_EQ(sys.started[0].first, L"C:\\Program Files\\App\\App.exe");
    EXPECT_EQ(sys.started[0].second, L"-user x");
}

TEST_F(HelperRun, NullInstallsButStartsNothing) {
    sys.Put(L"C:\\Temp\\App.exe_NEW", "new app");
    Run(LR"(1234 L null " " "C:\Temp\" App.exe_NEW)");
    EXPECT_EQ(File(L"C:\\App\\App.exe"), "new app");
    EXPECT_TRUE(sys.started.empty());
    EXPECT_EQ(Log().back(), "Upd copying file : C:\\Temp\\App.exe_NEW to C:\\App\\App.exe");
}

TEST_F(HelperRun, MalformedProcessIdDoesNothingAtAll) {
    sys.Put(L"C:\\Temp\\App.exe_NEW", "new app");
    for (const wchar_t* line : {LR"(12x4 L C:\App\App.exe " " "C:\Temp\" App.exe_NEW)",
                                LR"(L C:\App\App.exe " " "C:\Temp\" App.exe_NEW)", L""}) {
        Run(line);
        EXPECT_TRUE(sys.waitedFor.empty());
        EXPECT_EQ(sys.slept, 0u);
    }
    EXPECT_EQ(File(L"C:\\App\\App.exe"), "old app");
    EXPECT_NE(File(L"C:\\Users\\u\\Documents\\WUPDATE.INI"), "<none>");
    EXPECT_TRUE(sys.logs.empty());
    EXPECT_TRUE(sys.started.empty());
}

TEST_F(HelperRun, ApplicationThatNeverEndsGetsNothing) {
    sys.runningForever.insert(1234);
    sys.Put(L"C:\\Temp\\App.exe_NEW", "new app");
    bounds.waitMs = 5000;
    Run(LR"(1234 L C:\App\App.exe " " "C:\Temp\" App.exe_NEW)");
    EXPECT_EQ(File(L"C:\\App\\App.exe"), "old app");
    EXPECT_TRUE(sys.started.empty());
    EXPECT_EQ(Log().back(), "UPD application still running after 5 s: nothing installed, nothing restarted");
}

// A file held by another process cannot be renamed aside: what was already replaced goes back and the
// old program is started again.
TEST_F(HelperRun, LockedTargetRollsEverythingBack) {
    sys.Put(L"C:\\Temp\\App.exe_NEW", "new app");
    sys.Put(L"C:\\Temp\\core.dll_NEW", "new core");
    sys.Put(L"C:\\Temp\\new.dll_NEW", "brand new");
    sys.locked.insert(L"C:\\APP\\CORE.DLL");
    Run(LR"(1234 L C:\App\App.exe " " "C:\Temp\" App.exe_NEW new.dll_NEW core.dll_NEW)");
    EXPECT_EQ(File(L"C:\\App\\App.exe"), "old app");
    EXPECT_EQ(File(L"C:\\App\\core.dll"), "old core");
    EXPECT_EQ(File(L"C:\\App\\new.dll"), "<none>");
    EXPECT_EQ(sys.slept, 500u + (bounds.retries - 1) * bounds.retryDelayMs);  // bounded retries
    ASSERT_EQ(sys.started.size(), 1u);
    const Lines log = Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "Upd file in use, cannot replace C:\\App\\core.dll"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "Upd restored C:\\App\\App.exe"), log.end());
    EXPECT_NE(
        std::find(log.begin(), log.end(), "UPD install failed: nothing was changed, the installed files are kept"),
        log.end());
    EXPECT_EQ(log.back(), "UPD has EXE restarted");
    ExpectNoLeftovers();
}

TEST_F(HelperRun, LzFilesAreCheckedBeforeAnythingIsReplaced) {
    const std::string packed = SzddCompress(std::string(3000, 'n') + "new dll", 'l');
    sys.Put(L"C:\\Temp\\App.exe_NEW", "new app");
    sys.Put(L"C:\\Temp\\extra.dl_", packed);
    Run(LR"(1234 L C:\App\App.exe " " "C:\Temp\" App.exe_NEW extra.dl_)");
    EXPECT_EQ(File(L"C:\\App\\extra.dll"), std::string(3000, 'n') + "new dll");
    EXPECT_EQ(File(L"C:\\App\\App.exe"), "new app");
    const Lines log = Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "Upd lzexpand dest. filename extra.dll"), log.end());

    // The same delivery cut short: the system's expander would not notice, the helper does.
    sys.Put(L"C:\\Temp\\App.exe_NEW", "newer app");
    sys.Put(L"C:\\Temp\\extra.dl_", packed.substr(0, packed.size() - 40));
    Run(LR"(1234 L C:\App\App.exe " " "C:\Temp\" App.exe_NEW extra.dl_)");
    EXPECT_EQ(File(L"C:\\App\\App.exe"), "new app");
    EXPECT_EQ(File(L"C:\\App\\extra.dll"), std::string(3000, 'n') + "new dll");
    EXPECT_EQ(sys.started.size(), 2u);
    ExpectNoLeftovers();
}

TEST_F(HelperRun, UnsafeNamesAreRefused) {
    for (const wchar_t* name : {L"..\\evil.dll_NEW", L"C:x.dll_NEW", L"CON_NEW", L"x.dll:ads_NEW"}) {
        sys.Put(L"C:\\Temp\\App.exe_NEW", "new app");
        Run(std::wstring(LR"(1234 L C:\App\App.exe " " "C:\Temp\" App.exe_NEW )") + name);
        EXPECT_EQ(File(L"C:\\App\\App.exe"), "old app") << name;
        EXPECT_EQ(Log().back(), "UPD has EXE restarted");
    }
    const Lines log = Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "UPD unsafe file name refused : ..\\evil.dll_NEW"), log.end());
}

TEST_F(HelperRun, FileListsInstallIntoTheirTargetsButNeverNest) {
    sys.Put(L"C:\\Temp\\list.inf",
            "[FILES]\r\nCOUNT=3\r\nFILE1=a.dll_NEW\r\nTARGET1={SYS}\r\nFILE2=b.cab\r\nTARGET2={PF}\\Tool\r\n"
            "FILE3=list.inf\r\nTARGET3={APP}\r\n");
    sys.Put(L"C:\\Temp\\a.dll_NEW", "a");
    sys.Put(L"C:\\Temp\\b.cab", "cabinet");
    sys.cabinets[L"C:\\TEMP\\B.CAB"] = {{L"b1.dll", "b1"}, {L"sub\\b2.dll", "b2"}};
    Run(LR"(1234 L C:\App\App.exe " " "C:\Temp\" list.inf)");
    EXPECT_EQ(File(L"C:\\Windows\\system32\\a.dll"), "a");
    EXPECT_EQ(File(L"C:\\Program Files\\Tool\\b1.dll"), "b1");
    EXPECT_EQ(File(L"C:\\Program Files\\Tool\\sub\\b2.dll"), "b2");
    EXPECT_EQ(File(L"C:\\Temp\\b.cab"), "<none>");  // consumed once installed
    const Lines log = Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "Upd inf file: C:\\Temp\\list.inf"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "upd inf 2 : b.cab {PF}\\Tool"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "Upd inf file inside a file list not followed: C:\\Temp\\list.inf"),
              log.end());
    ExpectNoLeftovers();
}

TEST_F(HelperRun, FailedCabinetInstallsNothing) {
    sys.Put(L"C:\\Temp\\App.exe_NEW", "new app");
    sys.Put(L"C:\\Temp\\b.cab", "not a cabinet");
    Run(LR"(1234 L C:\App\App.exe " " "C:\Temp\" App.exe_NEW b.cab)");
    EXPECT_EQ(File(L"C:\\App\\App.exe"), "old app");
    EXPECT_EQ(File(L"C:\\Temp\\b.cab"), "not a cabinet");
    const Lines log = Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "Upd cabextract failed"), log.end());
}

// Programs run from the working folder once the files are in place, and are deleted there, never in
// the application's folder.
TEST_F(HelperRun, ProgramsRunFromTheWorkingFolder) {
    sys.Put(L"C:\\Temp\\App.exe", "fresh installer");
    sys.exitCodes[L"C:\\TEMP\\APP.EXE"] = 0;
    Run(LR"(1234 L C:\App\App.exe " " "C:\Temp\" App.exe)");
    ASSERT_EQ(sys.ran.size(), 1u);
    EXPECT_EQ(sys.ran[0].first, L"C:\\Temp\\App.exe");
    EXPECT_EQ(File(L"C:\\App\\App.exe"), "old app");
    EXPECT_EQ(File(L"C:\\Temp\\App.exe"), "<none>");
}

TEST_F(HelperRun, LeftoverAsideFilesGoOnTheNextSuccessfulRun) {
    sys.Put(L"C:\\App\\core.dll.wusetup-old", "held by someone");
    sys.undeletable.insert(L"C:\\APP\\CORE.DLL.WUSETUP-OLD");
    sys.Put(L"C:\\Temp\\core.dll_NEW", "new core");
    Run(LR"(1234 L null " " "C:\Temp\" core.dll_NEW)");
    EXPECT_EQ(File(L"C:\\App\\core.dll"), "new core");
    EXPECT_EQ(File(L"C:\\App\\core.dll.wusetup-old1"), "<none>");  // the aside of this run went at once
    EXPECT_EQ(File(L"C:\\App\\core.dll.wusetup-old"), "held by someone");

    sys.undeletable.clear();
    sys.Put(L"C:\\Temp\\core.dll_NEW", "newer core");
    Run(LR"(1234 L null " " "C:\Temp\" core.dll_NEW)");
    EXPECT_EQ(File(L"C:\\App\\core.dll"), "newer core");
    ExpectNoLeftovers();
}

TEST_F(HelperRun, RestartFailureIsLogged) {
    sys.startFails = true;
    Run(LR"(1234 L C:\App\App.exe " " "C:\Temp\")");
    EXPECT_EQ(Log().back(), "UPD restart failed: C:\\App\\App.exe");
}

TEST_F(HelperRun, LogGoesWhereTheSettingsSay) {
    sys.Put(L"C:\\Users\\u\\Documents\\WUPDATE.INI", "[CONFIG]\r\nLOGFILENAME=D:\\Logs\\u.log\r\n");
    Run(LR"(1234 L null " " "C:\Temp\")");
    EXPECT_EQ(sys.Log(L"D:\\Logs\\u.log").size(), 3u);
    EXPECT_TRUE(sys.Log(kLog).empty());
}

}  // namespace
}  // namespace orvane
