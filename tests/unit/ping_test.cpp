#include <gtest/gtest.h>

#include <cwctype>

#include "core/Error.h"
#include "fakes/FakePing.h"
#include "fakes/FakePlatform.h"
#include "probes/ServerPing.h"

namespace orvane {
namespace {

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const auto x = std::towlower(a[i]), y = std::towlower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

tyService Gui(tyModeType mode, std::wstring server, std::wstring msid = L"", tyServiceType type = stSAPGUI) {
    tyService s;
    s.ServiceType = type;
    s.Mode = mode;
    s.Server = std::move(server);
    s.MSID = std::move(msid);
    return s;
}

tyMessageServer Ms(std::wstring uuid, std::wstring host, int32_t port = 3600) {
    tyMessageServer m;
    m.UUID = std::move(uuid);
    m.Host = std::move(host);
    m.Port = port;
    return m;
}

TEST(PingServerName, FromServiceAndMessageServers) {
    const tyMessageServers ms = {Ms(L"m1", L"msg01", 3601), Ms(L"m2", L"msg02.corp:3600"), Ms(L"m2", L"second"),
                                 Ms(L"m3", L"")};
    const struct {
        const char* what;
        tyService service;
        std::optional<std::wstring> name;
    } cases[] = {
        {"server named directly, port cut", Gui(1, L"app01.corp:3200"), L"app01.corp"},
        {"any non-zero mode names the server", Gui(2, L"app02"), L"app02"},
        {"mode 0 takes the message server's host", Gui(0, L"PUBLIC", L"m1"), L"msg01"},
        {"first message server with that uuid, host cut at ':'", Gui(0, L"", L"m2"), L"msg02.corp"},
        {"uuid compared with case", Gui(0, L"", L"M1"), std::nullopt},
        {"msid matching nothing", Gui(0, L"SPACE", L"NPL"), std::nullopt},
        {"no msid at all", Gui(0, L"host"), std::nullopt},
        {"message server without host gives the empty name", Gui(0, L"", L"m3"), L""},
        {"name starting with ':' becomes empty", Gui(1, L":3200"), L""},
        {"only the first ':' counts", Gui(1, L"a:b:c"), L"a"},
        {"other service types skipped", Gui(1, L"fiori.corp", L"", stFIORI), std::nullopt},
        {"NWBC skipped even with mode 0 and msid", Gui(0, L"", L"m1", stNWBC), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ServerNameOf(c.service, ms), c.name) << c.what;
}

struct PingFixture : ::testing::Test {
    const std::wstring ini = L"C:\\Users\\u\\AppData\\Roaming\\SAP\\Common\\saplogon.ini";
    const std::wstring xml = L"C:\\Users\\u\\AppData\\Roaming\\SAP\\Common\\SAPUILandscape.xml";
    fakes::FakeFileSystem fs;
    fakes::FakeProfileReader profiles;
    fakes::FakeFileBytes bytes;
    TWindows1252 ansi;
    TServerList servers{CompareNoCase};

    void Ini(std::vector<std::pair<std::wstring, std::wstring>> entries) {
        fs.AddFile(ini);
        profiles.SetSection(ini, L"Server", std::move(entries));
    }
    void Landscape(std::string text) {
        fs.AddFile(xml);
        bytes.Set(xml, std::move(text));
    }
    void Gather() { GatherServerNames({fs, profiles, bytes, ansi}, ini, xml, servers); }
    std::vector<std::wstring> Names() const { return servers.Names(); }
};

TEST_F(PingFixture, IniValuesTakenWholeDuplicatesByCaseDropped) {
    Ini({{L"Item1", L"srvB"},
         {L"Item2", L"srvA"},
         {L"Item3", L"SRVA"},
         {L"Item4", L"127.0.0.2:3200"},
         {L"Item5", L""}});
    Gather();
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"", L"127.0.0.2:3200", L"srvA", L"srvB"}));
}

TEST_F(PingFixture, BothSourcesMergedSortedOnce) {
    Ini({{L"Item1", L"localhost"}, {L"Item2", L"zeta"}});
    Landscape(R"(<Landscape><Services>
<Service type="SAPGUI" uuid="1" mode="1" server="LOCALHOST:3200"/>
<Service type="SAPGUI" uuid="2" mode="1" server="127.0.0.1:3201"/>
<Service type="FIORI" uuid="3" mode="1" server="fiori.corp"/>
<Service type="SAPGUI" uuid="4" msid="ms1" server="PUBLIC"/>
<Service type="SAPGUI" uuid="5" msid="gone" server="SPACE"/>
</Services><Messageservers><Messageserver uuid="ms1" host="alpha" port="3600"/></Messageservers></Landscape>)");
    Gather();
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"127.0.0.1", L"alpha", L"localhost", L"zeta"}));
}

TEST_F(PingFixture, NamesKeptUntilSaplogonIniExists) {
    servers.Add(L"earlier");
    Gather();  // neither file: nothing added, nothing removed
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"earlier"});

    Landscape(R"(<Service type="SAPGUI" mode="1" server="app1"/>)");
    Gather();  // the landscape alone adds to what is there
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"app1", L"earlier"}));

    Ini({});
    Gather();  // an existing saplogon.ini, even with an empty [Server], starts the list afresh
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"app1"});
}

TEST_F(PingFixture, LandscapeErrorAfterIniNamesWereTaken) {
    servers.Add(L"earlier");
    Ini({{L"Item1", L"srvA"}});
    Landscape(R"(<Messageserver uuid="m" port=""/>)");
    try {
        Gather();
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"'' n'est pas une valeur entière correcte");
    }
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"srvA"});
}

TPingReply Reply(std::optional<int32_t> status, std::wstring address, uint32_t time = 0, uint32_t size = 32,
                 uint32_t ttl = 128) {
    TPingReply r;
    r.statusCode = status;
    r.protocolAddress = std::move(address);
    r.responseTime = time;
    r.replySize = size;
    r.timeToLive = ttl;
    return r;
}

TEST(PingReplyText, EachFormOfTheReply) {
    fakes::FakePinger pinger;
    pinger.Answer(L"localhost", Reply(0, L"127.0.0.1", 3, 32, 64));
    pinger.Answer(L"fast", Reply(0, L"10.1.2.3", 0));
    pinger.Answer(L"nohost.invalid", Reply(std::nullopt, L""));
    pinger.Answer(L"slow", Reply(11010, L"10.9.9.9"));
    pinger.Answer(L"odd", Reply(11020, L"10.9.9.8"));
    pinger.Answer(L"unreach", Reply(11003, L"10.0.0.1"));
    const struct {
        const wchar_t* address;
        const wchar_t* text;
    } cases[] = {
        {L"localhost", L"Reply from 127.0.0.1: bytes=32 time=3ms TTL=64"},
        {L"fast", L"Reply from 10.1.2.3: bytes=32 time=<1ms TTL=128"},
        {L"nohost.invalid", L"Reply from nohost.invalid: Error processing request"},
        {L"slow", L"Reply from 10.9.9.9: Request Timed Out"},
        {L"odd", L"Reply from 10.9.9.8: Unknow"},
        {L"unreach", L"Reply from 10.0.0.1: Destination Host Unreachable"},
        {L"no-object", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(PingServer(pinger, c.address, 32), c.text) << ToUtf8(c.address);
}

TEST(PingReplyText, StatusTable) {
    const std::pair<int32_t, const wchar_t*> known[] = {
        {0, L"Success"},
        {11001, L"Buffer Too Small"},
        {11002, L"Destination Net Unreachable"},
        {11003, L"Destination Host Unreachable"},
        {11004, L"Destination Protocol Unreachable"},
        {11005, L"Destination Port Unreachable"},
        {11006, L"No Resources"},
        {11007, L"Bad Option"},
        {11008, L"Hardware Error"},
        {11009, L"Packet Too Big"},
        {11010, L"Request Timed Out"},
        {11011, L"Bad Request"},
        {11012, L"Bad Route"},
        {11013, L"TimeToLive Expired Transit"},
        {11014, L"TimeToLive Expired Reassembly"},
        {11015, L"Parameter Problem"},
        {11016, L"Source Quench"},
        {11017, L"Option Too Big"},
        {11018, L"Bad Destination"},
        {11032, L"Negotiating IPSEC"},
        {11050, L"General Failure"},
    };
    for (const auto& [code, text] : known) EXPECT_EQ(GetPingStatusText(code), text) << code;
    for (const int32_t code : {-1, 1, 11000, 11019, 11020, 11031, 11033, 11049, 11051})
        EXPECT_EQ(GetPingStatusText(code), L"Unknow") << code;
}

TEST(PingServers, RowsInListOrderOneEchoEachErrorStopsTheRun) {
    fakes::FakePinger pinger;
    pinger.Answer(L"a", Reply(0, L"127.0.0.1", 1));
    pinger.Fail(L"b", L"Erreur WMI");
    std::vector<std::wstring> rows;
    const auto addRow = [&](const std::wstring& name, const std::wstring& reply) {
        rows.push_back(name + L"=" + reply);
    };
    EXPECT_THROW(PingServers(pinger, {L"a", L"b", L"c"}, addRow), AppError);
    EXPECT_EQ(rows, std::vector<std::wstring>{L"a=Reply from 127.0.0.1: bytes=32 time=1ms TTL=128"});
    EXPECT_EQ(pinger.asked, (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(pinger.sizes, (std::vector<uint16_t>{32, 32}));
}

TEST(PingQueryText, AddressQuotedWithQuotesDoubled) {
    EXPECT_EQ(PingQueryText(L"srv01", 32), L"SELECT * FROM Win32_PingStatus where Address='srv01' AND BufferSize=32");
    EXPECT_EQ(PingQueryText(L"o'neil''s", 64),
              L"SELECT * FROM Win32_PingStatus where Address='o''neil''''s' AND BufferSize=64");
}

} // namespace
} // namespace orvane
