#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "core/Error.h"
#include "fakes/FakeNet.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeProcess.h"
#include "fakes/FakeUpdate.h"
#include "restarter/HelperParameters.h"
#include "update/Restart.h"
#include "update/Szdd.h"
#include "update/WebUpdate.h"

namespace orvane {
namespace {

using Params = std::vector<std::wstring>;

// Every row is also split back the way the helper reads its own command line, so the text and the
// helper agree on each parameter (a working folder ending in a backslash must not swallow the rest).
TEST(UpdateRestartParameters, TextAndWhatTheHelperReadsBack) {
    struct Case {
        const char* name;
        std::wstring appName, currentFolder;
        bool logging, autoRestart;
        std::wstring appParam, workFolder, appComps;
        std::wstring text;
        Params split;
    };
    // clang-format off
    const Case cases[] = {
        {"application in the current folder, no parameters", L"Tool.exe", L"C:\\Apps\\Tool", true, true, L" ",
         L"C:\\Temp\\", L"Tool.exe", L"1234 L C:\\Apps\\Tool\\Tool.exe \" \" \"C:\\Temp\\\" Tool.exe",
         {L"1234", L"L", L"C:\\Apps\\Tool\\Tool.exe", L" ", L"C:\\Temp\\", L"Tool.exe"}},
        {"no restart", L"Tool.exe", L"C:\\Program Files\\Tool", true, false, L" ", L"C:\\Temp\\", L"Tool.exe",
         L"1234 L null \" \" \"C:\\Temp\\\" Tool.exe", {L"1234", L"L", L"null", L" ", L"C:\\Temp\\", L"Tool.exe"}},
        {"folder with a blank is quoted", L"Tool.exe", L"C:\\Program Files\\Tool\\", true, true, L" ", L"C:\\Temp\\",
         L"Tool.exe", L"1234 L \"C:\\Program Files\\Tool\\Tool.exe\" \" \" \"C:\\Temp\\\" Tool.exe",
         {L"1234", L"L", L"C:\\Program Files\\Tool\\Tool.exe", L" ", L"C:\\Temp\\", L"Tool.exe"}},
        {"name with a drive is used unchanged", L"C:\\X\\a.exe", L"C:\\Apps\\Tool", true, true, L" ", L"C:\\Temp\\",
         L"a.exe", L"1234 L C:\\X\\a.exe \" \" \"C:\\Temp\\\" a.exe",
         {L"1234", L"L", L"C:\\X\\a.exe", L" ", L"C:\\Temp\\", L"a.exe"}},
        {"name with a drive and a blank", L"C:\\My X\\a.exe", L"C:\\Apps\\Tool", true, true, L" ", L"C:\\Temp\\",
         L"a.exe", L"1234 L \"C:\\My X\\a.exe\" \" \" \"C:\\Temp\\\" a.exe",
         {L"1234", L"L", L"C:\\My X\\a.exe", L" ", L"C:\\Temp\\", L"a.exe"}},
        {"working folder left as a dot, no log", L"Tool.exe", L"C:\\Apps\\Tool", false, true, L" ", L".",
         L"Tool.exe", L"1234 X C:\\Apps\\Tool\\Tool.exe \" \" \".\" Tool.exe",
         {L"1234", L"X", L"C:\\Apps\\Tool\\Tool.exe", L" ", L".", L"Tool.exe"}},
        {"parameters with blanks and several components", L"Tool.exe", L"C:\\Apps\\Tool", true, true, L"-a -b",
         L"C:\\Users\\Zoë\\AppData\\Local\\Temp\\", L"Tool.exe Tool.dll",
         L"1234 L C:\\Apps\\Tool\\Tool.exe \"-a -b\" \"C:\\Users\\Zoë\\AppData\\Local\\Temp\\\" Tool.exe Tool.dll",
         {L"1234", L"L", L"C:\\Apps\\Tool\\Tool.exe", L"-a -b", L"C:\\Users\\Zoë\\AppData\\Local\\Temp\\",
          L"Tool.exe", L"Tool.dll"}},
        {"one parameter without blank stays bare", L"Tool.exe", L"C:\\Apps\\Tool", true, true, L"-q", L"C:\\Temp\\",
         L"Tool.exe", L"1234 L C:\\Apps\\Tool\\Tool.exe -q \"C:\\Temp\\\" Tool.exe",
         {L"1234", L"L", L"C:\\Apps\\Tool\\Tool.exe", L"-q", L"C:\\Temp\\", L"Tool.exe"}},
        {"no appparam in the control file: a lone blank keeps the fields in place", L"Tool.exe", L"C:\\Apps\\Tool",
         true, true, L"", L"C:\\Temp\\", L"Tool.exe", L"1234 L C:\\Apps\\Tool\\Tool.exe \" \" \"C:\\Temp\\\" Tool.exe",
         {L"1234", L"L", L"C:\\Apps\\Tool\\Tool.exe", L" ", L"C:\\Temp\\", L"Tool.exe"}},
        {"parameters quoted by an earlier attempt are not quoted again", L"Tool.exe", L"C:\\Apps\\Tool", true, true,
         L"\" \"", L"C:\\Temp\\", L"Tool.exe", L"1234 L C:\\Apps\\Tool\\Tool.exe \" \" \"C:\\Temp\\\" Tool.exe",
         {L"1234", L"L", L"C:\\Apps\\Tool\\Tool.exe", L" ", L"C:\\Temp\\", L"Tool.exe"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRestartRequest r{1234,          c.logging,  c.appName,    c.currentFolder,
                          c.autoRestart, c.appParam, c.workFolder, c.appComps};
        const std::wstring text = RestartParameters(r);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(SplitHelperCommandLine(text), c.split);
        const auto parsed = ParseHelperParameters(SplitHelperCommandLine(text));
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->log, c.logging);
        EXPECT_EQ(parsed->application, c.split[2]);
    }
}

TEST(UpdateRestartParameters, TheParametersFieldKeepsItsQuotes) {
    TRestartRequest r{7, true, L"a.exe", L"C:\\A", true, L" ", L"C:\\T\\", L"a.exe"};
    RestartParameters(r);
    EXPECT_EQ(r.appParam, L"\" \"");
    EXPECT_EQ(RestartParameters(r), L"7 L C:\\A\\a.exe \" \" \"C:\\T\\\" a.exe");
}

class TestableWebUpdate : public TWebUpdate {
public:
    using TWebUpdate::FAppClose;
    using TWebUpdate::FAppComps;
    using TWebUpdate::FAppCompsIncluded;
    using TWebUpdate::FAppName;
    using TWebUpdate::FAppParam;
    using TWebUpdate::FCancelled;
    using TWebUpdate::FSilentRestart;
    using TWebUpdate::TWebUpdate;
};

const std::string kHelper = std::string("MZ\x90\0helper body ", 17) + std::string(5000, 'h');

class UpdateRestart : public ::testing::Test {
public:
    UpdateRestart() {
        folders.paths[KnownFolder::Documents] = L"C:\\Users\\u\\Documents";
        folders.paths[KnownFolder::Temp] = L"C:\\Temp";
        resources.resources[L"UPD"] = SzddCompress(kHelper, 'e');
        services.folders = &folders;
        services.files = &logFiles;
        services.clock = &clock;
        services.locale = &locale;
        services.errors = &errors;
        services.dialogs = &dialogs;
        services.internet = &net;
        services.fileOps = &fileOps;
        services.pump = &pump;
        services.resources = &resources;
        services.process = &process;
        services.profiles = &profiles;
        u = std::make_unique<TestableWebUpdate>(services);
        u->SetLogFileName(L"WUPDATE.LOG");
        u->Logging = true;
        u->FAppName = L"Tool.exe";
        u->FAppParam = L" ";
        u->FAppComps = L"Tool.exe";
        u->OnStatus = [this](TWebUpdate&, const std::wstring& text, int status, int error) {
            statuses.push_back(text);
            codes.push_back({status, error});
        };
    }
    std::optional<std::wstring> IniValue() const {
        const auto it = profiles.values.find({L"C:\\Users\\u\\Documents\\WUPDATE.INI", L"CONFIG", L"LOGFILENAME"});
        if (it == profiles.values.end()) return std::nullopt;
        return it->second;
    }

    fakes::FakeKnownFolders folders;
    fakes::FakeFileWriter logFiles;
    fakes::FakeClock clock;
    fakes::FakeLocale locale;
    fakes::FakeInternetErrors errors;
    fakes::FakeDialogs dialogs;
    fakes::FakeInternet net{errors};
    fakes::FakeFileOperations fileOps;
    fakes::FakeMessagePump pump;
    fakes::FakeModuleResources resources;
    fakes::FakeProcessControl process;
    fakes::FakeProfileWriter profiles;
    TWebUpdateServices services;
    std::unique_ptr<TestableWebUpdate> u;
    std::vector<std::wstring> statuses;
    std::vector<std::pair<int, int>> codes;
};

TEST_F(UpdateRestart, HandsOverToTheHelperAndEnds) {
    u->FSilentRestart = true;
    fileOps.Put(L"C:\\Temp\\wusetup.exe", "stale helper of an earlier run");
    u->DoRestart();

    EXPECT_EQ(fileOps.Get(L"C:\\Temp\\wusetup.exe"), kHelper);
    EXPECT_EQ(IniValue(), L"WUPDATE.LOG");
    ASSERT_EQ(process.started.size(), 1u);
    const std::wstring parameters = L"1234 L C:\\Apps\\Tool\\Tool.exe \" \" \"C:\\Temp\\\" Tool.exe";
    EXPECT_EQ(process.started[0].file, L"C:\\Temp\\wusetup.exe");
    EXPECT_EQ(process.started[0].parameters, parameters);
    EXPECT_EQ(statuses,
              (std::vector<std::wstring>{L"Restart app in directory : C:\\Apps\\Tool", L"Spawn " + parameters}));
    EXPECT_EQ(codes, (std::vector<std::pair<int, int>>{{0, 0}, {0, 0}}));
    EXPECT_EQ(process.quitRequests, 1);
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(UpdateRestart, TheHelperIsStartedFromTheGivenWorkingFolder) {
    u->FSilentRestart = true;
    u->UseWinTempDir = false;
    u->TempDirectory = L".";
    u->Logging = false;
    u->DoRestart();
    ASSERT_EQ(process.started.size(), 1u);
    EXPECT_EQ(process.started[0].file, L".\\wusetup.exe");
    EXPECT_EQ(process.started[0].parameters, L"1234 X C:\\Apps\\Tool\\Tool.exe \" \" \".\" Tool.exe");
    EXPECT_EQ(fileOps.Get(L".\\wusetup.exe"), kHelper);
}

// Who decides whether the application may end, and what a refusal leaves behind: nothing.
TEST_F(UpdateRestart, TheRestartCanBeRefused) {
    struct Case {
        const char* name;
        bool silent;
        std::function<void(TestableWebUpdate&, fakes::FakeDialogs&)> arrange;
        size_t questions;
        bool handsOver;
    };
    const Case cases[] = {
        {"the user says yes", false, [](auto&, auto& d) { d.answerYes = true; }, 1, true},
        {"the user says no", false, [](auto&, auto& d) { d.answerYes = false; }, 1, false},
        {"a silent restart asks nothing", true, [](auto&, auto& d) { d.answerYes = false; }, 0, true},
        {"the handler refuses, nobody is asked", false,
         [](auto& w, auto&) { w.OnAppRestart = [](TWebUpdate&, bool& allow) { allow = false; }; }, 0, false},
        {"the handler allows over a silent refusal", false,
         [](auto& w, auto& d) {
             d.answerYes = false;
             w.OnAppRestart = [](TWebUpdate&, bool&) {};
         },
         0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        process = fakes::FakeProcessControl();
        dialogs = fakes::FakeDialogs();
        fileOps = fakes::FakeFileOperations();
        profiles = fakes::FakeProfileWriter();
        u = std::make_unique<TestableWebUpdate>(services);
        u->FAppName = L"Tool.exe";
        u->FAppParam = L" ";
        u->FSilentRestart = c.silent;
        c.arrange(*u, dialogs);
        u->DoRestart();
        EXPECT_EQ(dialogs.questions.size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(dialogs.questions[0], L"Shutdown application to update executable files ?");
        }
        EXPECT_EQ(process.started.size(), c.handsOver ? 1u : 0u);
        EXPECT_EQ(process.quitRequests, c.handsOver ? 1 : 0);
        EXPECT_EQ(fileOps.FileExists(L"C:\\Temp\\wusetup.exe"), c.handsOver);
        EXPECT_EQ(IniValue().has_value(), c.handsOver);
    }
}

TEST_F(UpdateRestart, ACancelOnlyLogsAndReturns) {
    u->FSilentRestart = true;
    u->OnProgressCancel = [](TWebUpdate&, bool& cancel) { cancel = true; };
    u->DoRestart();
    EXPECT_EQ(statuses, (std::vector<std::wstring>{L"Restart app in directory : C:\\Apps\\Tool",
                                                   L"WebUpdate process cancelled"}));
    EXPECT_TRUE(process.started.empty());
    EXPECT_FALSE(fileOps.FileExists(L"C:\\Temp\\wusetup.exe"));
}

TEST_F(UpdateRestart, TheCloseHandlerReplacesTheQuitRequest) {
    u->FSilentRestart = true;
    int closes = 0;
    u->OnAppDoClose = [&](TWebUpdate&) { ++closes; };
    u->DoRestart();
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(process.quitRequests, 0);
}

// Whatever fails, DoRestart raises and the application keeps running: no quit is requested, and a
// helper that could not be written whole is not started.
TEST_F(UpdateRestart, AnyFailureRaisesAndTheApplicationStays) {
    const std::string packed = SzddCompress(kHelper, 'e');
    struct Case {
        const char* name;
        std::function<void(UpdateRestart&)> arrange;
        bool started;  // the shell was asked (and refused)
    };
    const Case cases[] = {
        {"no helper resource", [](UpdateRestart& t) { t.resources.resources.clear(); }, false},
        {"truncated helper",
         [&](UpdateRestart& t) { t.resources.resources[L"UPD"] = packed.substr(0, packed.size() - 9); }, false},
        {"helper data past its declared size",
         [&](UpdateRestart& t) { t.resources.resources[L"UPD"] = packed + packed.substr(14, 40); }, false},
        {"not LZ data", [](UpdateRestart& t) { t.resources.resources[L"UPD"] = kHelper; }, false},
        {"expands to another name",
         [](UpdateRestart& t) { t.resources.resources[L"UPD"] = SzddCompress(kHelper, 'x'); }, false},
        {"stale helper cannot be deleted",
         [](UpdateRestart& t) {
             t.fileOps.Put(L"C:\\Temp\\wusetup.exe", "old");
             t.fileOps.undeletable.insert(fakes::FakeFileOperations::Key(L"C:\\Temp\\wusetup.exe"));
         },
         false},
        {"the disk is full", [](UpdateRestart& t) { t.fileOps.writeLimit = 4096; }, false},
        {"the helper cannot be written", [](UpdateRestart& t) { t.fileOps.writeFails = true; }, false},
        {"the settings cannot be written", [](UpdateRestart& t) { t.profiles.fails = true; }, false},
        {"the shell cannot start the helper", [](UpdateRestart& t) { t.process.shellAnswer = 2; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        process = fakes::FakeProcessControl();
        fileOps = fakes::FakeFileOperations();
        profiles = fakes::FakeProfileWriter();
        resources.resources[L"UPD"] = packed;
        c.arrange(*this);
        u->FSilentRestart = true;
        EXPECT_THROW(u->DoRestart(), AppError);
        EXPECT_EQ(process.quitRequests, 0);
        EXPECT_EQ(process.started.size(), c.started ? 1u : 0u);
        const auto left = fileOps.Get(L"C:\\Temp\\wusetup.exe");
        if (left && c.name != std::string("stale helper cannot be deleted")) {
            EXPECT_EQ(*left, kHelper);
        }
    }
}

TEST_F(UpdateRestart, ThePatcherIsWrittenOnlyWhenCarried) {
    EXPECT_FALSE(u->ExtractPatcher());
    EXPECT_TRUE(fileOps.files.empty());

    resources.resources[L"UTIL"] = "patcher bytes";
    EXPECT_TRUE(u->ExtractPatcher());
    EXPECT_EQ(fileOps.Get(L"C:\\Temp\\patcher.exe"), "patcher bytes");

    u->UseWinTempDir = false;
    EXPECT_TRUE(u->ExtractPatcher());
    EXPECT_EQ(fileOps.Get(L"C:\\Apps\\Tool\\patcher.exe"), "patcher bytes");
}

TEST_F(UpdateRestart, ARestartIsNeededOnlyForDeliveredApplicationFiles) {
    struct Case {
        bool appClose, cancelled, compsIncluded, needed;
    };
    const Case cases[] = {
        {true, false, true, true},
        {false, false, true, false},
        {true, true, true, false},
        {true, false, false, false},
    };
    for (const Case& c : cases) {
        u->FAppClose = c.appClose;
        u->FCancelled = c.cancelled;
        u->FAppCompsIncluded = c.compsIncluded;
        EXPECT_EQ(u->AppNeedsRestart(), c.needed) << c.appClose << c.cancelled << c.compsIncluded;
    }
}

// The report after an update: the request as sent, the answer kept, and the two failures reported.
TEST_F(UpdateRestart, PostUpdateInfoSendsTheFormAndKeepsTheAnswer) {
    u->Agent = L"Agent/1";
    u->PostUpdateInfo.Server = L"updates.test";
    u->PostUpdateInfo.Action = L"/report.php";
    u->PostUpdateInfo.Data = std::string("v=2.1&who=\xE9t\xE9\0x", 16);
    u->PostUpdateInfo.PostResult = "stale";
    const std::string answer(9000, 'r');
    net.replies[L"https://updates.test:80/report.php"] = fakes::FakeReply{200, answer};
    u->DoPostUpdateInfo();

    EXPECT_EQ(u->PostUpdateInfo.PostResult, answer);
    ASSERT_EQ(net.sentBodies.size(), 1u);
    EXPECT_EQ(net.sentBodies[0], u->PostUpdateInfo.Data);
    const auto open = net.CallsOf(L"Open");
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].text, L"Agent/1|");
    const auto connect = net.CallsOf(L"Connect");
    ASSERT_EQ(connect.size(), 1u);
    EXPECT_EQ(connect[0].text, L"updates.test:80");
    EXPECT_EQ(connect[0].value, 3u);
    EXPECT_EQ(connect[0].user, nullptr);
    const auto request = net.CallsOf(L"OpenRequest");
    ASSERT_EQ(request.size(), 1u);
    EXPECT_EQ(request[0].text, L"POST /report.php");
    EXPECT_EQ(request[0].flags, 0x7000u);
    EXPECT_EQ(net.CallsOf(L"Send")[0].headers, L"Content-Type: application/x-www-form-urlencoded");
    EXPECT_GE(pump.pumped, 3);  // once per block read
    EXPECT_TRUE(net.openHandles.empty());
    EXPECT_EQ(net.closedTwice, 0);
    EXPECT_TRUE(statuses.empty());
}

class FailingRequestInternet : public fakes::FakeInternet {
public:
    using FakeInternet::FakeInternet;
    HInternet OpenRequest(HInternet, const std::wstring&, const std::wstring&, std::uint32_t) override {
        return nullptr;
    }
};

TEST_F(UpdateRestart, PostUpdateInfoReportsWhatFailsAndSendsNothingWithoutAPlace) {
    u->PostUpdateInfo.Server = L"updates.test";
    u->DoPostUpdateInfo();  // no action
    EXPECT_TRUE(net.calls.empty());
    EXPECT_TRUE(statuses.empty());

    u->PostUpdateInfo.Action = L"/report.php";
    net.connectError = 12029;
    u->DoPostUpdateInfo();
    EXPECT_EQ(statuses, std::vector<std::wstring>{L"Cannot connect to server for post"});
    EXPECT_EQ(codes.back(), (std::pair<int, int>{16, 5}));
    EXPECT_TRUE(net.openHandles.empty());

    FailingRequestInternet failing(errors);
    services.internet = &failing;
    TestableWebUpdate w(services);
    w.OnStatus = u->OnStatus;
    w.PostUpdateInfo = u->PostUpdateInfo;
    w.DoPostUpdateInfo();
    EXPECT_EQ(statuses.back(), L"Cannot access resource for post");
    EXPECT_EQ(codes.back(), (std::pair<int, int>{17, 5}));
    EXPECT_TRUE(failing.openHandles.empty());
}

}  // namespace
}  // namespace orvane
