// The engine's half of the restart on the real system: its Win32 services, the post-update report
// against the loopback servers, and a stand-in application that hands over to the helper it carries.

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "RestartTestFiles.h"
#include "LoopbackServers.h"
#include "platform/win32/Handle.h"
#include "platform/win32/ProcessControl_win32.h"
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"

namespace orvane {
namespace {

using namespace restarttest;

namespace fs = std::filesystem;
using testservers::LoopbackServers;
using win32::unique_handle;

std::string Utf8(const std::wstring& s) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// A fresh folder under the temporary folder, removed again at the end.
class Sandbox {
public:
    explicit Sandbox(const std::wstring& name) : root_(fs::temp_directory_path() / name) {
        Remove();
        fs::create_directories(root_);
    }
    ~Sandbox() { Remove(); }
    const fs::path& root() const { return root_; }

private:
    void Remove() {
        std::error_code ec;
        for (int i = 0; i < 50 && fs::exists(root_); ++i) {
            fs::remove_all(root_, ec);
            if (ec) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    fs::path root_;
};

// ---- The services ----

TEST(RestartServices, ProfileWriterKeepsOtherValuesAndNonAnsiText) {
    const Sandbox box(L"orvane-engine-profile");
    const fs::path ini = box.root() / L"WUPDATE.INI";
    win32::TWin32ProfileWriter writer;
    const std::wstring value = L"C:\\Users\\Zo\u00eb \u011e\u00fcl \u0416\\WUPDATE.LOG";
    ASSERT_TRUE(writer.WriteString(ini.wstring(), L"CONFIG", L"LOGFILENAME", value));
    ASSERT_TRUE(writer.WriteString(ini.wstring(), L"OTHER", L"KEEP", L"kept"));
    ASSERT_TRUE(writer.WriteString(ini.wstring(), L"CONFIG", L"LOGFILENAME", value + L"2"));

    wchar_t read[512] = L"";
    GetPrivateProfileStringW(L"CONFIG", L"LOGFILENAME", L"", read, 512, ini.c_str());
    EXPECT_EQ(std::wstring(read), value + L"2");
    GetPrivateProfileStringW(L"OTHER", L"KEEP", L"", read, 512, ini.c_str());
    EXPECT_EQ(std::wstring(read), L"kept");

    EXPECT_FALSE(writer.WriteString((box.root() / L"missing" / L"WUPDATE.INI").wstring(), L"CONFIG", L"K", L"v"));
}

TEST(RestartServices, ShellStartsProgramsAndSaysWhenItCannot) {
    const Sandbox box(L"orvane-engine-shell \u00e9");
    fs::copy_file(BinFolder() / L"restart_sample_v2.exe", box.root() / L"App.exe");
    win32::TWin32ProcessControl process;
    EXPECT_GT(process.ShellOpen((box.root() / L"App.exe").wstring(), L"--from-shell"), 32);
    EXPECT_LE(process.ShellOpen((box.root() / L"absent.exe").wstring(), L""), 32);

    std::string marker;
    for (int i = 0; i < 100 && marker.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        marker = ReadAll(box.root() / L"marker.txt");
    }
    EXPECT_EQ(marker, "v2 started --from-shell\r\n");

    wchar_t current[MAX_PATH * 4];
    GetCurrentDirectoryW(MAX_PATH * 4, current);
    EXPECT_EQ(process.CurrentFolder(), current);
    EXPECT_EQ(process.CurrentProcessId(), GetCurrentProcessId());
}

TEST(RestartServices, ResourcesOfTheRunningProgram) {
    win32::TWin32ModuleResources resources;
    EXPECT_FALSE(resources.Find(L"UPD"));  // this test program carries no helper
    EXPECT_FALSE(resources.Find(L"UTIL"));
}

// ---- The post-update report ----

class PostUpdate : public ::testing::Test {
protected:
    const LoopbackServers& Servers() { return LoopbackServers::Get(); }
    TWin32UpdateServices services;
    TWebUpdate engine{services.Services()};
    std::vector<std::wstring> statuses;
    void SetUp() override {
        engine.OnStatus = [this](TWebUpdate&, const std::wstring& s, int, int) { statuses.push_back(s); };
        engine.PostUpdateInfo.Server = L"127.0.0.1";
        engine.PostUpdateInfo.Port = Servers().Port("http");
        token = LoopbackServers::UniqueToken();
    }
    std::string token;
};

TEST_F(PostUpdate, TheFormReachesTheServerAndItsAnswerIsKept) {
    struct Case {
        const char* name;
        std::string data;
        std::wstring query;
        std::string answer;
    };
    const std::string binary("who=\xE9t\xE9\0&x=1", 12);
    std::string big;
    for (size_t i = 0; i < 10000; ++i) big += char(i % 251);
    const Case cases[] = {
        {"form", "v=2.1&who=me", L"", "application/x-www-form-urlencoded|v=2.1&who=me"},
        {"bytes as they are", binary, L"", "application/x-www-form-urlencoded|" + binary},
        {"empty body", "", L"", "application/x-www-form-urlencoded|"},
        {"answer of several blocks", "x", L"?size=10000", big},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.PostUpdateInfo.Action = L"/t/" + std::wstring(token.begin(), token.end()) + L"/echo" + c.query;
        engine.PostUpdateInfo.Data = c.data;
        engine.DoPostUpdateInfo();
        EXPECT_EQ(engine.PostUpdateInfo.PostResult, c.answer);
    }
    const auto seen = Servers().RequestsContaining(token);
    ASSERT_EQ(seen.size(), std::size(cases));
    EXPECT_EQ(seen[0].line.substr(0, 5), "POST ");
    EXPECT_EQ(seen[0].Header("User-Agent"), "TWebUpdate");
    EXPECT_TRUE(statuses.empty());
}

TEST_F(PostUpdate, ANoAnswerLeavesTheResultEmptyAndIsNotReported) {
    // Nothing listens on the servers' own FTP port for HTTP answers: the send fails.
    engine.PostUpdateInfo.Port = 1;
    engine.PostUpdateInfo.Action = L"/echo";
    engine.PostUpdateInfo.PostResult = "from before";
    engine.DoPostUpdateInfo();
    EXPECT_EQ(engine.PostUpdateInfo.PostResult, "");
    EXPECT_TRUE(statuses.empty());
}

// ---- The whole hand-over with real processes ----

struct HandOverCase {
    const char* name;
    const wchar_t* folder;
    bool helperBlocked;  // a folder stands where wusetup.exe must go
};

void PrintTo(const HandOverCase& c, std::ostream* os) {
    *os << c.name;
}

class HandOver : public testing::TestWithParam<HandOverCase> {};

TEST_P(HandOver, TheStandInRestartsAsItsNewVersion) {
    const HandOverCase& c = GetParam();
    const Sandbox box(c.folder);
    const fs::path app = box.root() / L"App Folder", work = box.root() / L"Temp";
    fs::create_directories(app);
    fs::create_directories(work);
    const fs::path bin = BinFolder();
    const std::string v1 = ReadAll(bin / L"restart_sample_engine.exe"), v2 = ReadAll(bin / L"restart_sample_v2.exe");
    ASSERT_FALSE(v1.empty());
    WriteAll(app / L"App.exe", v1);
    WriteAll(work / L"App.exe_NEW", v2);
    if (c.helperBlocked)
        fs::create_directories(work / L"wusetup.exe" / L"held");
    else
        WriteAll(work / L"wusetup.exe", "a helper left by an earlier run");
    const fs::path settings = DocumentsFolder() / L"WUPDATE.INI";
    std::error_code ec;
    fs::remove(settings, ec);

    const std::wstring workText = work.wstring() + L"\\";
    std::wstring line = L"\"" + (app / L"App.exe").wstring() + L"\" --restart-into " + workText;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW((app / L"App.exe").c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               app.c_str(), &startup, &info));
    const unique_handle thread(info.hThread), application(info.hProcess);
    ASSERT_EQ(WaitForSingleObject(application.get(), 60000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(application.get(), &code);

    const std::string started = "v1 started --restart-into " + Utf8(workText) + "\r\n";
    if (c.helperBlocked) {
        EXPECT_EQ(code, 1u);
        const std::string marker = ReadAll(app / L"marker.txt");
        const std::string refused = started + "v1 kept running: The restart helper could not be written";
        EXPECT_EQ(marker.substr(0, refused.size()), refused) << marker;
        EXPECT_TRUE(ReadAll(app / L"App.exe") == v1);
        EXPECT_FALSE(fs::exists(settings));
        return;
    }
    EXPECT_EQ(code, 0u);
    const std::string expected = started + "v1 ended\r\nv2 started\r\n";
    std::string marker;
    for (int i = 0; i < 200 && marker.size() < expected.size(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        marker = ReadAll(app / L"marker.txt");
    }
    EXPECT_EQ(marker, expected);
    EXPECT_TRUE(ReadAll(app / L"App.exe") == v2);
    const std::string log = ReadAll(work / L"update.log");
    EXPECT_NE(log.find("] Spawn "), std::string::npos) << log;
    EXPECT_NE(log.find(" : [000] UPD has EXE restarted"), std::string::npos) << log;
    // The helper that ran is the one carried by the application, not the stale one.
    EXPECT_NE(ReadAll(work / L"wusetup.exe").substr(0, 2), "a ");
    // Give the helper and the new version time to end before the sandbox goes.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

const HandOverCase kHandOvers[] = {
    {"happy path", L"orvane-engine-happy", false},
    {"non-ASCII user folder", L"orvane-engine-Zo\u00eb \u011e\u00fcl \u0416", false},
    {"helper cannot be written", L"orvane-engine-blocked", true},
};

INSTANTIATE_TEST_SUITE_P(Cases, HandOver, testing::ValuesIn(kHandOvers),
                         [](const testing::TestParamInfo<HandOverCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

}  // namespace
}  // namespace orvane
