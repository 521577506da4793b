#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <stdexcept>

#include "core/Text.h"
#include "fakes/FakeNet.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeUpdate.h"
#include "update/HostProbes.h"
#include "update/WebUpdate.h"

namespace orvane {
namespace {

// Opens the engine's protected state to the tests.
class TestableWebUpdate : public TWebUpdate {
public:
    using TWebUpdate::FControlFileName;
    using TWebUpdate::FLocalFileDateCheck;
    using TWebUpdate::FSaveUpdate;
    using TWebUpdate::TWebUpdate;
    void Log(const std::wstring& line) { WriteLogLine(line); }
};

class UpdateWebUpdate : public ::testing::Test {
protected:
    UpdateWebUpdate() {
        folders.paths[KnownFolder::Documents] = L"C:\\Users\\u\\Documents";
        folders.paths[KnownFolder::Application] = L"C:\\Program Files\\Orvane";
        files.AddFolder(L"C:\\Users\\u\\Documents");
        files.AddFolder(L"C:\\Program Files\\Orvane");
        clock.now = {2024, 3, 14, 9, 5, 7, 0};
        services.folders = &folders;
        services.environment = &environment;
        services.registry = &registry;
        services.store = &store;
        services.files = &files;
        services.fileTimes = &fileTimes;
        services.ansi = &ansi;
        services.clock = &clock;
        services.locale = &locale;
        services.errors = &errors;
        services.dialogs = &dialogs;
        services.system = &system;
    }

    std::string Log(const std::wstring& path) { return files.Content(path).value_or("<none>"); }

    fakes::FakeKnownFolders folders;
    fakes::FakeEnvironment environment;
    fakes::FakeRegistry registry;
    fakes::FakeRegistryStore store;
    fakes::FakeFileWriter files;
    fakes::FakeFileTimes fileTimes;
    TWindows1252 ansi;
    fakes::FakeClock clock;
    fakes::FakeLocale locale;
    fakes::FakeInternetErrors errors;
    fakes::FakeDialogs dialogs;
    fakes::FakeSystemVersion system;
    TWebUpdateServices services;
};

TEST_F(UpdateWebUpdate, DefaultsAndVersion) {
    TestableWebUpdate u(services);
    EXPECT_EQ(u.Agent, L"TWebUpdate");
    EXPECT_EQ(u.Authenticate, TWebUpdateAuthentication::waNever);
    EXPECT_TRUE(u.AutoRestart);
    EXPECT_EQ(u.CertCheck, TWebUpdateCertCheck::ccEnable);
    EXPECT_EQ(u.DateFormat, L"dd/mm/yyyy");
    EXPECT_EQ(u.DateSeparator, L'/');
    EXPECT_EQ(u.LogFileName(), L"WUPDATE.LOG");
    EXPECT_EQ(u.Port, 21);
    EXPECT_EQ(u.Signature, L"WebUpdate");
    EXPECT_EQ(u.TempDirectory, L".");
    EXPECT_EQ(u.TimeFormat, L"hh:nn");
    EXPECT_EQ(u.TimeSeparator, L':');
    EXPECT_EQ(u.UpdateType, TWebUpdateType::httpUpdate);
    EXPECT_EQ(u.UpdateConnect, TWebUpdateConnect::wucNoConnect);
    EXPECT_EQ(u.UpdateUpdate, TWebUpdateUpdate::wuuPromptOnce);
    EXPECT_EQ(u.VersionCheck, TWebUpdateVersionCheck::vcUpdateOnly);
    EXPECT_TRUE(u.UseWinTempDir);
    EXPECT_FALSE(u.Logging);
    EXPECT_FALSE(u.UseCRC32);
    EXPECT_FALSE(u.LastURLEntry.Save);
    EXPECT_EQ(u.LastURLEntry.RegRoot, TLastURLReg::lurLOCALUSER);
    EXPECT_FALSE(u.PostUpdateInfo.Enabled);
    EXPECT_TRUE(u.UACEnabled());
    EXPECT_FALSE(u.Cancelled());
    EXPECT_EQ(static_cast<int>(TWebUpdateConnect::wucNone), 5);
    EXPECT_EQ(static_cast<int>(TWebUpdateType::fileUpdate), 2);

    EXPECT_EQ(u.Version(), L"2.3.0.1");
    u.SetVersion(L"2.3.0.0");
    EXPECT_EQ(u.Version(), L"2.3.0.1");
}

TEST_F(UpdateWebUpdate, LogFileNameIsProcessWide) {
    TestableWebUpdate first(services);
    TestableWebUpdate second(services);
    first.SetLogFileName(L"C:\\logs\\one.log");
    EXPECT_EQ(ProcessLogFileName(), L"C:\\logs\\one.log");
    EXPECT_EQ(second.LogFileName(), L"WUPDATE.LOG");
    files.AddFolder(L"C:\\logs");
    second.AddToLog(L"from the second");
    EXPECT_EQ(Log(L"C:\\logs\\one.log"), "from the second\r\n");
    TestableWebUpdate third(services);  // a new component names the default again
    EXPECT_EQ(ProcessLogFileName(), L"WUPDATE.LOG");
}

TEST_F(UpdateWebUpdate, StatusMessages) {
    const std::tuple<int, std::wstring, std::wstring> cases[] = {
        {926, L"", L"Update control file found"},
        {930, L"ignored", L"No new version found"},
        {929, L"1.2.3.4", L"New version found : 1.2.3.4"},
        {909, L"x", L"Download update file : "},
        {968, L"1.0", L"Start update : 1.0 ---------------------------"},
        {976, L"boom", L"System error : boom"},
        {978, L"", L"Downloading..."},
        {18, L"free text %s", L"free text %s"},
        {908, L"http://h/x", L""},
        {940, L"x", L""},
        {0, L"x", L""},
    };
    for (const auto& [id, text, expected] : cases) EXPECT_EQ(StatusMessage(id, text), expected) << id;
    for (int id = 909; id <= 978; ++id) {
        const bool gap = id == 924 || id == 940 || id == 945 || id == 950 || id == 957;
        EXPECT_EQ(StatusTemplate(id) == nullptr, gap) << id;
    }
}

TEST_F(UpdateWebUpdate, LogLineFormat) {
    const LocalTime t{2024, 3, 14, 9, 5, 7, 0};
    EXPECT_EQ(FormatLogLine(t, L'/', L':', 926, L"Update control file found", 3, 0),
              L"14/03/2024 09:05:07 : [926] Update control file found (Status:3) (Error:0)");
    EXPECT_EQ(FormatLogLine(t, L'.', L'.', 976, L"System error : x", 1, -12003),
              L"14.03.2024 09.05.07 : [976] System error : x (Status:1) (Error:-12003)");
    EXPECT_EQ(FormatLogLine({987, 12, 1, 23, 59, 0, 0}, L'/', L':', 18, L"", 0, 0),
              L"01/12/0987 23:59:00 : [18]  (Status:0) (Error:0)");
}

TEST_F(UpdateWebUpdate, DoStatusLogsAndRaisesOnStatus) {
    TestableWebUpdate u(services);
    std::vector<std::tuple<std::wstring, int, int>> raised;
    u.OnStatus = [&](TWebUpdate& sender, const std::wstring& s, int status, int err) {
        EXPECT_EQ(&sender, &u);
        raised.emplace_back(s, status, err);
    };
    u.DoStatus(926, L"", 3, 0);
    EXPECT_EQ(Log(L"C:\\Users\\u\\Documents\\WUPDATE.LOG"), "<none>");  // Logging is off
    u.Logging = true;
    u.DoStatus(926, L"", 3, 0);
    u.DoStatus(929, L"caf\u00E9", 0, 0);
    EXPECT_EQ(Log(L"C:\\Users\\u\\Documents\\WUPDATE.LOG"),
              "14/03/2024 09:05:07 : [926] Update control file found (Status:3) (Error:0)\r\n"
              "14/03/2024 09:05:07 : [929] New version found : caf\xE9 (Status:0) (Error:0)\r\n");
    ASSERT_EQ(raised.size(), 3u);
    EXPECT_EQ(raised[0], std::make_tuple(std::wstring(L"Update control file found"), 3, 0));

    u.OnStatus = nullptr;  // cleared handlers are not called
    u.DoStatus(930, L"", 0, 0);
    EXPECT_EQ(raised.size(), 3u);
}

TEST_F(UpdateWebUpdate, LogPathRules) {
    struct Case {
        std::wstring name;
        std::wstring written;
    };
    const Case cases[] = {
        {L"WUPDATE.LOG", L"C:\\Users\\u\\Documents\\WUPDATE.LOG"},
        {L"{APP}\\WUPDATE.LOG", L"C:\\Program Files\\Orvane\\WUPDATE.LOG"},
        {L"{app}\\logs\\x.log", L"C:\\Program Files\\Orvane\\logs\\x.log"},
        {L"C:\\a\\\\b\\\\\\c.log", L"C:\\a\\b\\\\c.log"},
        {L"\\\\srv\\share\\\\d\\x.log", L"\\\\srv\\share\\d\\x.log"},
        {L"D:rel.log", L"D:rel.log"},
        {L"logs/x.log", L"logs/x.log"},
    };
    for (const Case& c : cases) {
        files.files.clear();
        files.AddFolder(L"\\\\srv\\share");
        TestableWebUpdate u(services);
        u.SetLogFileName(c.name);
        u.AddToLog(L"line");
        EXPECT_EQ(Log(c.written), "line\r\n") << ToUtf8(c.name);
    }
}

TEST_F(UpdateWebUpdate, LogFolderCreationAndFailures) {
    TestableWebUpdate u(services);
    u.SetLogFileName(L"C:\\x\\y\\z\\u.log");
    u.AddToLog(L"first");
    u.AddToLog(L"second");
    EXPECT_EQ(files.created, (std::vector<std::wstring>{L"C:\\x", L"C:\\x\\y", L"C:\\x\\y\\z"}));
    EXPECT_EQ(Log(L"C:\\x\\y\\z\\u.log"), "first\r\nsecond\r\n");

    files.unwritable.insert(L"D:\\DENIED");
    u.SetLogFileName(L"D:\\denied\\u.log");
    u.AddToLog(L"lost");  // the line is lost, nothing is raised
    EXPECT_EQ(Log(L"D:\\denied\\u.log"), "<none>");

    files.unwritable.insert(L"C:\\X\\LOCKED.LOG");
    u.SetLogFileName(L"C:\\x\\locked.log");
    u.AddToLog(L"lost too");
    EXPECT_EQ(Log(L"C:\\x\\locked.log"), "<none>");

    // A log that opens but refuses the write (a full disk) loses the line and keeps the others.
    u.SetLogFileName(L"C:\\x\\y\\z\\u.log");
    files.full.insert(L"C:\\X\\Y\\Z\\U.LOG");
    u.AddToLog(L"lost on a full disk");
    EXPECT_EQ(Log(L"C:\\x\\y\\z\\u.log"), "first\r\nsecond\r\n");

    // Without a documents folder the bare name is relative to the current folder.
    folders.paths.erase(KnownFolder::Documents);
    u.SetLogFileName(L"WUPDATE.LOG");
    u.AddToLog(L"here");
    EXPECT_EQ(Log(L"WUPDATE.LOG"), "here\r\n");
}

TEST_F(UpdateWebUpdate, ErrorReportsTheLastSystemError) {
    TestableWebUpdate u(services);
    u.Logging = true;
    u.Error();  // last error 0: nothing at all
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(Log(L"C:\\Users\\u\\Documents\\WUPDATE.LOG"), "<none>");

    errors.lastError = 12029;
    errors.messages[12029] = L"Cannot connect";
    u.Error();
    EXPECT_EQ(dialogs.errors, std::vector<std::wstring>{L"Cannot connect"});
    EXPECT_EQ(Log(L"C:\\Users\\u\\Documents\\WUPDATE.LOG"),
              "14/03/2024 09:05:07 : [976] System error : Cannot connect (Status:1) (Error:12029)\r\n");

    errors.lastError = 12003;
    errors.messages[12003] = L"Extended error";
    u.Error();  // no server response: nothing
    EXPECT_EQ(dialogs.errors.size(), 1u);
    errors.response = L"550 No such file";
    u.Error();
    EXPECT_EQ(dialogs.errors.back(), L"550 No such file");

    u.UpdateUpdate = TWebUpdateUpdate::wuuSilent;
    u.Error();
    EXPECT_EQ(dialogs.errors.size(), 2u);
    u.UpdateUpdate = TWebUpdateUpdate::wuuPromptAll;
    std::wstring seen;
    u.OnStatus = [&](TWebUpdate&, const std::wstring& s, int, int) { seen = s; };
    u.Error();
    EXPECT_EQ(dialogs.errors.size(), 2u);
    EXPECT_EQ(seen, L"System error : 550 No such file");
}

TEST_F(UpdateWebUpdate, CancelProgressAndDownloadEvents) {
    TestableWebUpdate u(services);
    std::vector<std::wstring> statuses;
    u.OnStatus = [&](TWebUpdate&, const std::wstring& s, int, int) { statuses.push_back(s); };

    bool cancel = false;
    u.DoProgressCancel(cancel);
    EXPECT_FALSE(cancel);
    EXPECT_TRUE(statuses.empty());
    u.OnProgressCancel = [](TWebUpdate&, bool& c) { c = true; };
    u.DoProgressCancel(cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(statuses, std::vector<std::wstring>{L"WebUpdate process cancelled"});
    u.OnProgressCancel = nullptr;
    u.DoProgressCancel(cancel);  // a preset true is reported too
    EXPECT_EQ(statuses.size(), 2u);

    EXPECT_FALSE(u.Cancelled());
    u.Cancel();
    EXPECT_TRUE(u.Cancelled());

    std::vector<std::int64_t> progress;
    u.DoFileProgress(L"C:\\tmp\\a.zip", 10, 100);  // neither window nor handler: nothing happens
    u.OnFileProgress = [&](TWebUpdate&, const std::wstring& name, std::int64_t pos, std::int64_t size) {
        EXPECT_EQ(name, L"http://h/files/setup.cab");
        progress.push_back(pos);
        progress.push_back(size);
    };
    fakes::FakeProgressForm form;
    u.SetProgressForm(&form);
    u.DoFileProgress(L"http://h/files/setup.cab", 4096, 10000);
    EXPECT_EQ(progress, (std::vector<std::int64_t>{4096, 10000}));
    EXPECT_EQ(form.minimum, 0);
    EXPECT_EQ(form.maximum, 10000);
    EXPECT_EQ(form.position, 4096);
    EXPECT_EQ(form.label, L"Downloading : setup.cab");
    EXPECT_EQ(form.caption, L"Downloading...");

    std::wstring downloaded;
    u.CustomProcess(L"C:\\tmp\\x.dll");
    u.OnFileDownloaded = [&](TWebUpdate&, const std::wstring& fn) { downloaded = fn; };
    u.CustomProcess(L"C:\\tmp\\x.dll");
    EXPECT_EQ(downloaded, L"C:\\tmp\\x.dll");
}

TEST_F(UpdateWebUpdate, WorkingFolder) {
    TestableWebUpdate u(services);
    folders.paths[KnownFolder::Temp] = L"C:\\Users\\u\\AppData\\Local\\Temp\\";
    EXPECT_EQ(u.WinTempDir(), L"C:\\Users\\u\\AppData\\Local\\Temp\\");
    folders.paths[KnownFolder::Temp] = L"C:\\Temp";
    EXPECT_EQ(u.WinTempDir(), L"C:\\Temp\\");
    u.UseWinTempDir = false;
    EXPECT_EQ(u.WinTempDir(), L".\\");
    u.TempDirectory = L"";
    EXPECT_EQ(u.WinTempDir(), L"");
}

TEST_F(UpdateWebUpdate, HostDescription) {
    TestableWebUpdate u(services);
    system.reported = OSVersionRecord{OSVersionRecord::Platform::WindowsNT, 6, 2, 1, L""};
    system.refined = OSVersionNumber{10, 0};
    EXPECT_EQ(u.GetOSVersion(), L"Windows 10");
    system.reported = OSVersionRecord{OSVersionRecord::Platform::WindowsNT, 10, 0, 1, L"", 22631};
    EXPECT_EQ(u.GetOSVersion(), L"Windows 11");
    EXPECT_EQ(u.GetIEVersion(), L"(not found)");
    registry.SetText(L"Software\\Microsoft\\Internet Explorer\\Version Vector", L"IE", L"11.0000");
    EXPECT_EQ(u.GetIEVersion(), L"11.0000");
    EXPECT_EQ(u.GetInstalledIDEs(), L"");
}

TEST_F(UpdateWebUpdate, GetFileDetailsBuildsTheList) {
    const std::wstring path = L"C:\\temp\\orvane_update_control.inf";
    fakes::FakeFileOperations fileOps;
    services.fileOps = &fileOps;
    fileOps.Put(path, "[files]\r\ncount=2\r\n[file1]\r\nurl={APP}\\a.exe\r\n"
                      "targetdir={app}\\data\r\ndescr=First\r\nmandatory=1\r\n");
    TestableWebUpdate u(services);
    u.FControlFileName = path;
    std::vector<std::wstring> statuses;
    u.OnStatus = [&](TWebUpdate&, const std::wstring& s, int, int) { statuses.push_back(s); };
    EXPECT_EQ(u.GetFileDetails(), 2);
    ASSERT_EQ(u.FileList().Count(), 2u);
    EXPECT_EQ(u.FileList()[0].URL, L"C:\\Program Files\\Orvane\\a.exe");
    EXPECT_EQ(u.FileList()[0].TargetDir, L"C:\\Program Files\\Orvane\\data\\");
    EXPECT_TRUE(u.FileList()[0].Mandatory);
    EXPECT_EQ(u.FileList()[1].TargetDir, L"");  // a missing section gives defaults
    EXPECT_TRUE(u.FileList()[1].Preselect);
    EXPECT_EQ(statuses, std::vector<std::wstring>{L"Found file update instruction"});

    fileOps.Put(path, "[files]\r\ncount=0\r\n");
    statuses.clear();
    EXPECT_EQ(u.GetFileDetails(), 0);
    EXPECT_EQ(u.FileList().Count(), 0u);
    EXPECT_TRUE(statuses.empty());
}

TEST(UpdateFileList, Sizes) {
    TFileList list;
    EXPECT_EQ(list.TotalSize(), 0);
    for (int size : {10, 20, 30}) list.Add().FileSize = size;
    list.Insert(0).FileSize = 5;
    EXPECT_EQ(list.TotalSize(), 65);
    list.Delete(0);
    list.ActiveItem = 2;
    EXPECT_EQ(list.CompletedSize(), 30);
    list.ActiveItem = 0;
    EXPECT_EQ(list.CompletedSize(), 0);
    list.ActiveItem = -1;
    EXPECT_EQ(list.CompletedSize(), 0);
}

}  // namespace
}  // namespace orvane
