#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "core/Error.h"
#include "fakes/FakeNet.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeUpdate.h"
#include "update/WebUpdate.h"

namespace orvane {
namespace {

using fakes::FakeReply;

class TestableWebUpdate : public TWebUpdate {
public:
    using TWebUpdate::FControlFileName;
    using TWebUpdate::TWebUpdate;
};

constexpr wchar_t kTarget[] = L"C:\\app\\";
constexpr wchar_t kTemp[] = L"C:\\temp";

std::string Bytes(size_t n, char seed = 'a') {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i % 23);
    return s;
}

class UpdateTransport : public ::testing::Test {
protected:
    UpdateTransport() : net(errors), lz(fileOps) {
        folders.paths[KnownFolder::Temp] = kTemp;
        services.folders = &folders;
        services.files = &logFiles;
        services.clock = &clock;
        services.locale = &locale;
        services.errors = &errors;
        services.dialogs = &dialogs;
        services.internet = &net;
        services.connection = &state;
        services.fileOps = &fileOps;
        services.lz = &lz;
        services.cabinets = &cabinets;
        services.login = &login;
        services.pump = &pump;
        logFiles.AddFolder(L"C:\\logs");
        errors.messages[12045] = L"The certificate authority is invalid or incorrect";
        errors.messages[12007] = L"The server name could not be resolved";
    }

    // An engine whose every status lands in `statuses`.
    TestableWebUpdate& Engine() {
        if (!engine) {
            engine = std::make_unique<TestableWebUpdate>(services);
            engine->SetLogFileName(L"C:\\logs\\WUPDATE.LOG");
            engine->Logging = true;
            engine->OnStatus = [this](TWebUpdate&, const std::wstring& text, int status, int error) {
                statuses.push_back(text);
                codes.push_back({status, error});
            };
            engine->OnFileDownloaded = [this](TWebUpdate&, const std::wstring& f) { downloaded.push_back(f); };
        }
        return *engine;
    }
    // The message numbers of the statuses seen, recovered from the log.
    std::vector<int> Numbers() const {
        std::vector<int> out;
        const std::string log = logFiles.Content(L"C:\\logs\\WUPDATE.LOG").value_or("");
        for (size_t at = log.find(" : ["); at != std::string::npos; at = log.find(" : [", at + 1))
            out.push_back(std::stoi(log.substr(at + 4)));
        return out;
    }
    std::string Log() const { return logFiles.Content(L"C:\\logs\\WUPDATE.LOG").value_or(""); }
    bool Fetch(const std::wstring& url, bool uncompress = false) {
        TWebUpdate& u = Engine();
        if (!u.InProgress() && u.UpdateType != TWebUpdateType::fileUpdate) {
            if (u.StartConnection() != 0) throw std::logic_error("no session");
            if (u.UpdateType == TWebUpdateType::ftpUpdate && u.FTPConnect() != 0) throw std::logic_error("no FTP");
            logFiles.files.clear();
        }
        return u.URLGetFile(u.HintConnect(), url, kTarget, uncompress);
    }

    fakes::FakeKnownFolders folders;
    fakes::FakeFileWriter logFiles;
    fakes::FakeClock clock;
    fakes::FakeLocale locale;
    fakes::FakeInternetErrors errors;
    fakes::FakeDialogs dialogs;
    fakes::FakeInternet net;
    fakes::FakeConnectionState state;
    fakes::FakeFileOperations fileOps;
    fakes::FakeLzExpand lz;
    fakes::FakeCabinets cabinets;
    fakes::FakeLoginPrompt login;
    fakes::FakeMessagePump pump;
    TWebUpdateServices services;
    std::unique_ptr<TestableWebUpdate> engine;
    std::vector<std::wstring> statuses;
    std::vector<std::pair<int, int>> codes;
    std::vector<std::wstring> downloaded;
};

// --- Connection ---

struct StartCase {
    const char* name;
    TWebUpdateType type;
    TWebUpdateConnect connect;
    int connected;  // what the state query answers
    int dialResult;
    const wchar_t* url;
    int result;
    std::vector<int> numbers;
    std::vector<std::uint32_t> dials;
    bool session;
};

TEST_F(UpdateTransport, StartConnectionResults) {
    using T = TWebUpdateType;
    using C = TWebUpdateConnect;
    const StartCase cases[] = {
        {"file copy opens nothing", T::fileUpdate, C::wucNoConnect, 0, 1, L"", 0, {}, {}, false},
        {"none opens nothing", T::httpUpdate, C::wucNone, 1, 1, L"", 0, {918}, {}, false},
        {"offline without dialling", T::httpUpdate, C::wucNoConnect, 0, 1, L"http://h/x.inf", 1, {918}, {}, false},
        {"online", T::httpUpdate, C::wucNoConnect, 1, 1, L"", 0, {918, 921}, {}, true},
        {"loopback URL counts as online", T::httpUpdate, C::wucNoConnect, 0, 1, L"http://127.0.0.1:8/x.inf", 0,
         {918, 921}, {}, true},
        {"unreachable state function counts as online", T::ftpUpdate, C::wucNoConnect, -1, 1, L"", 0, {918, 921},
         {}, true},
        {"prompted dial fails", T::httpUpdate, C::wucConnectPrompt, 0, 0, L"", 3, {918, 919, 953}, {1}, false},
        {"prompted dial with hang-up", T::httpUpdate, C::wucConnectPromptHangup, 0, 1, L"", 0, {918, 919, 921},
         {1}, true},
        {"silent dial", T::httpUpdate, C::wucConnectSilent, 0, 1, L"", 0, {918, 920, 921}, {2}, true},
        {"silent dial fails", T::ftpUpdate, C::wucConnectSilentHangup, 0, 0, L"", 3, {918, 920, 953}, {2}, false},
        {"no dial when online", T::httpUpdate, C::wucConnectSilent, 1, 0, L"", 0, {918, 921}, {}, true},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        engine.reset();
        logFiles.files.clear();
        net.calls.clear();
        state = fakes::FakeConnectionState();
        state.connected = c.connected;
        state.dialResult = c.dialResult;
        TWebUpdate& u = Engine();
        u.UpdateType = c.type;
        u.UpdateConnect = c.connect;
        u.URL = c.url;
        EXPECT_EQ(u.StartConnection(), c.result);
        EXPECT_EQ(Numbers(), c.numbers);
        EXPECT_EQ(state.dials, c.dials);
        EXPECT_EQ(!net.CallsOf(L"Open").empty(), c.session);
        EXPECT_EQ(u.InProgress(), c.session);
        EXPECT_EQ(u.HintConnect() != nullptr, c.session && c.type == T::httpUpdate);
        u.StopConnection();
        EXPECT_TRUE(net.openHandles.empty());
    }
}

TEST_F(UpdateTransport, SessionFailureReportsTheSystemError) {
    net.openError = 12029;
    errors.messages[12029] = L"A connection with the server could not be established";
    EXPECT_EQ(Engine().StartConnection(), 2);
    EXPECT_EQ(Numbers(), (std::vector<int>{918, 921, 976, 922}));
    EXPECT_NE(Log().find("System error : A connection with the server could not be established (Status:1) (Error:12029)"),
              std::string::npos);
}

TEST_F(UpdateTransport, SessionSettings) {
    TWebUpdate& u = Engine();
    u.Agent = L"Agent/1";
    u.Proxy = L"127.0.0.1:3128";
    u.TimeOut = 5000;
    u.ReceiveTimeOut = 7000;
    u.CertCheck = TWebUpdateCertCheck::ccDisable;
    ASSERT_EQ(u.StartConnection(), 0);
    EXPECT_EQ(net.CallsOf(L"Open").at(0).text, L"Agent/1|127.0.0.1:3128");
    const auto options = net.CallsOf(L"SetOption");
    ASSERT_EQ(options.size(), 3u);
    EXPECT_EQ(std::make_pair(options[0].flags, options[0].value), std::make_pair(2u, 5000u));
    EXPECT_EQ(std::make_pair(options[1].flags, options[1].value), std::make_pair(6u, 7000u));
    EXPECT_EQ(std::make_pair(options[2].flags, options[2].value), std::make_pair(31u, 0x3100u));
}

TEST_F(UpdateTransport, RepeatedStartClosesTheFirstSession) {
    TWebUpdate& u = Engine();
    u.UpdateType = TWebUpdateType::ftpUpdate;
    ASSERT_EQ(u.StartConnection(), 0);
    ASSERT_EQ(u.FTPConnect(), 0);
    ASSERT_EQ(u.StartConnection(), 0);
    EXPECT_EQ(net.openHandles.size(), 1u);
    u.StopConnection();
    EXPECT_TRUE(net.openHandles.empty());
    EXPECT_EQ(net.closedTwice, 0);
}

TEST_F(UpdateTransport, StopConnectionReports) {
    struct Case {
        const char* name;
        TWebUpdateType type;
        TWebUpdateConnect connect;
        bool start, ftp, dial;
        std::vector<int> numbers;
        int hangups;
    };
    using T = TWebUpdateType;
    using C = TWebUpdateConnect;
    const Case cases[] = {
        {"http session", T::httpUpdate, C::wucNoConnect, true, false, false, {949, 949}, 0},
        {"no session", T::httpUpdate, C::wucNoConnect, false, false, false, {949}, 0},
        {"ftp connection", T::ftpUpdate, C::wucNoConnect, true, true, false, {954, 949, 949}, 0},
        {"dialled, hang-up mode", T::httpUpdate, C::wucConnectSilentHangup, true, false, true, {949, 955, 949}, 1},
        {"dialled, no hang-up", T::httpUpdate, C::wucConnectSilent, true, false, true, {949, 949}, 0},
        {"file copy", T::fileUpdate, C::wucNoConnect, true, false, false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.reset();
        state = fakes::FakeConnectionState();
        state.connected = c.dial ? 0 : 1;
        TestableWebUpdate& u = Engine();
        u.UpdateType = c.type;
        u.UpdateConnect = c.connect;
        if (c.start) ASSERT_EQ(u.StartConnection(), 0);
        if (c.ftp) ASSERT_EQ(u.FTPConnect(), 0);
        fileOps.Put(L"C:\\temp\\update.inf", "[update]");
        u.FControlFileName = L"C:\\temp\\update.inf";
        logFiles.files.clear();
        EXPECT_EQ(u.StopConnection(), 0);
        EXPECT_EQ(Numbers(), c.numbers);
        EXPECT_EQ(state.hangups, c.hangups);
        EXPECT_FALSE(fileOps.Get(L"C:\\temp\\update.inf"));
        EXPECT_FALSE(u.InProgress());
        EXPECT_EQ(u.HintConnect(), nullptr);
        EXPECT_TRUE(net.openHandles.empty());
    }
}

TEST_F(UpdateTransport, FtpConnectLogsOnWithBothCredentialsOnly) {
    TWebUpdate& u = Engine();
    u.UpdateType = TWebUpdateType::ftpUpdate;
    u.Host = L"127.0.0.1";
    u.Port = 2121;
    ASSERT_EQ(u.StartConnection(), 0);
    u.UserID = L"tester";
    EXPECT_EQ(u.FTPConnect(), 0);
    EXPECT_EQ(net.CallsOf(L"Connect").back().user, nullptr);
    EXPECT_EQ(net.CallsOf(L"Connect").back().text, L"127.0.0.1:2121");
    EXPECT_EQ(net.CallsOf(L"Connect").back().flags, 0u);
    u.Password = L"pw";
    u.FTPPassive = true;
    EXPECT_EQ(u.FTPConnect(), 0);
    EXPECT_EQ(net.userSeen, L"tester");
    EXPECT_EQ(net.passwordSeen, L"pw");
    EXPECT_EQ(net.CallsOf(L"Connect").back().flags, 0x08000000u);
    EXPECT_EQ(net.CallsOf(L"Connect").back().value, 1u);  // the FTP service
    EXPECT_EQ(net.openHandles.size(), 2u);                // the first connection was closed
    net.connectError = 12014;
    EXPECT_EQ(u.FTPConnect(), -1);
    EXPECT_EQ(u.HintConnect(), nullptr);
}

TEST_F(UpdateTransport, ConnectionStateQueries) {
    TWebUpdate& u = Engine();
    state.connected = -1;
    EXPECT_TRUE(u.Connected());
    EXPECT_EQ(u.ConnectionType(), -1);
    state.connected = 0;
    EXPECT_FALSE(u.Connected());
    EXPECT_EQ(u.ConnectionType(), -1);
    u.HangUp();
    EXPECT_EQ(state.hangups, 0);
    u.URL = L"http://127.0.0.1/x.inf";
    EXPECT_TRUE(u.Connected());
    u.HangUp();
    EXPECT_EQ(state.hangups, 1);
    state.connected = 1;
    state.flags = 0x12;
    EXPECT_EQ(u.ConnectionType(), 0x12);
}

}  // namespace
}  // namespace orvane
