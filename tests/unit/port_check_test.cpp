#include <gtest/gtest.h>

#include <cwctype>

#include "core/Error.h"
#include "fakes/FakePing.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeTcp.h"
#include "probes/PortCheck.h"

namespace orvane {

bool operator==(const TTcpTarget& a, const TTcpTarget& b) {
    return a.host == b.host && a.port == b.port;
}
void PrintTo(const TTcpTarget& t, std::ostream* os) {
    *os << ToUtf8(t.host) << ":" << t.port;
}

namespace {

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const auto x = std::towlower(a[i]), y = std::towlower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

using Target = std::optional<TTcpTarget>;

TEST(PortCheck, HostAndPortOfAServerValue) {
    const struct {
        const wchar_t* value;
        Target target;
    } cases[] = {
        {L"app01.corp:3200", TTcpTarget{L"app01.corp", 3200}},
        {L"10.1.2.3:1", TTcpTarget{L"10.1.2.3", 1}},
        {L"host:65535", TTcpTarget{L"host", 65535}},
        {L"a:b:3201", TTcpTarget{L"a:b", 3201}},  // the port is what follows the last ":"
        {L"host", std::nullopt},
        {L"host:", std::nullopt},
        {L":3200", std::nullopt},
        {L"host:0", std::nullopt},
        {L"host:65536", std::nullopt},
        {L"host:sapdp00", std::nullopt},
        {L"host:32 00", std::nullopt},
        {L"host:-3200", std::nullopt},
        {L"host:000003200", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(HostAndPort(c.value), c.target) << ToUtf8(c.value);
}

TEST(PortCheck, FirstHopOfARouterString) {
    const struct {
        const wchar_t* router;
        Target hop;
    } cases[] = {
        {L"/H/127.0.0.1/S/3299", TTcpTarget{L"127.0.0.1", 3299}},
        {L"/H/saprouter.corp/S/3298/H/app01/S/3200", TTcpTarget{L"saprouter.corp", 3298}},
        {L"/H/saprouter.corp/H/app01/S/3200", TTcpTarget{L"saprouter.corp", 3299}},  // the next hop's port is not ours
        {L"/H/gw/W/secret/S/3297", TTcpTarget{L"gw", 3297}},
        {L"/h/gw/s/3297", TTcpTarget{L"gw", 3297}},
        {L"/H/gw", TTcpTarget{L"gw", 3299}},
        {L"/H/gw/S/sapdp99", std::nullopt},
        {L"/H//S/3299", std::nullopt},
        {L"", std::nullopt},
        {L"gw:3299", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(RouterHop(c.router), c.hop) << ToUtf8(c.router);
}

struct PortSourcesFixture : ::testing::Test {
    const std::wstring ini = L"C:\\SAP\\saplogon.ini";
    const std::wstring xml = L"C:\\SAP\\SAPUILandscape.xml";
    fakes::FakeFileSystem fs;
    fakes::FakeProfileReader profiles;
    fakes::FakeFileBytes bytes;
    TWindows1252 ansi;

    std::vector<std::pair<std::wstring, std::wstring>> Gather() {
        std::vector<std::pair<std::wstring, std::wstring>> out;
        for (const TPortSource& s : GatherPortSources({fs, profiles, bytes, ansi}, ini, xml))
            out.push_back({s.name, s.target.host + L":" + std::to_wstring(s.target.port)});
        return out;
    }
};

TEST_F(PortSourcesFixture, EverySourceInOrder) {
    fs.AddFile(ini);
    profiles.SetSection(ini, L"Server", {{L"Item1", L"srvA"}, {L"Item2", L"srvB:3201"}, {L"Item3", L"srvC:sapdp00"}});
    profiles.SetSection(ini, L"Router", {{L"Item1", L""}, {L"Item2", L"/H/gw1/S/3298/H/srvB"}});
    fs.AddFile(xml);
    bytes.Set(xml, R"(<Landscape><Services>
<Service type="SAPGUI" uuid="1" mode="1" server="app01.corp:3200"/>
<Service type="SAPGUI" uuid="2" mode="1" server="app02"/>
<Service type="FIORI" uuid="3" mode="1" server="fiori.corp:443"/>
<Service type="SAPGUI" uuid="4" msid="ms1" server="PUBLIC"/>
<Service type="SAPGUI" uuid="5" msid="ms2" server="PUBLIC"/>
<Service type="SAPGUI" uuid="6" msid="gone" server="SPACE"/>
</Services><Messageservers>
<Messageserver uuid="ms1" host="msg01" port="3600"/>
<Messageserver uuid="ms2" host="msg02"/>
</Messageservers><Routers>
<Router uuid="r1" name="Local" router="/H/127.0.0.1/S/3299"/>
<Router uuid="r2" name="Default port" router="/H/gw2"/>
</Routers></Landscape>)");
    EXPECT_EQ(Gather(), (std::vector<std::pair<std::wstring, std::wstring>>{
                            {L"srvB:3201", L"srvB:3201"},  // the ping lists saplogon.ini's value whole
                            {L"gw1", L"gw1:3298"},
                            {L"app01.corp", L"app01.corp:3200"},
                            {L"msg01", L"msg01:3600"},
                            {L"127.0.0.1", L"127.0.0.1:3299"},
                            {L"gw2", L"gw2:3299"},
                        }));
}

TEST_F(PortSourcesFixture, OnlyFilesThatExistAreRead) {
    profiles.SetSection(ini, L"Server", {{L"Item1", L"srvB:3201"}});
    bytes.Set(xml, R"(<Service type="SAPGUI" mode="1" server="app:3200"/>)");
    EXPECT_TRUE(Gather().empty());
    fs.AddFile(xml);
    EXPECT_EQ(Gather(), (std::vector<std::pair<std::wstring, std::wstring>>{{L"app", L"app:3200"}}));
}

TEST_F(PortSourcesFixture, UnreadableLandscapeIsAnError) {
    fs.AddFile(xml);
    bytes.Set(xml, R"(<Messageserver uuid="m" port=""/>)");
    EXPECT_THROW(Gather(), AppError);
}

TEST(PortCheck, RowsTakeTheFirstPortFoundForTheirName) {
    const std::vector<TPortSource> sources = {{L"LOCALHOST", {L"LOCALHOST", 3201}},
                                              {L"127.0.0.1", {L"127.0.0.1", 3200}},
                                              {L"localhost", {L"localhost", 3299}},
                                              {L"127.0.0.1", {L"127.0.0.1", 3299}}};
    const std::vector<std::wstring> rows = {L"", L"127.0.0.1", L"127.0.0.3", L"localhost"};
    EXPECT_EQ(PortTargetsForRows(rows, sources, CompareNoCase),
              (std::vector<Target>{std::nullopt, TTcpTarget{L"127.0.0.1", 3200}, std::nullopt,
                                   TTcpTarget{L"LOCALHOST", 3201}}));
}

TEST(PortCheck, OutcomeTexts) {
    const struct {
        TTcpResult result;
        const wchar_t* text;
    } cases[] = {
        {{TTcpOutcome::Open, 0}, L"ouvert"},
        {{TTcpOutcome::Refused, 10061}, L"refusé"},
        {{TTcpOutcome::TimedOut, 0}, L"délai dépassé"},
        {{TTcpOutcome::NameUnknown, 11001}, L"nom inconnu"},
        {{TTcpOutcome::Failed, 10051}, L"erreur 10051"},
    };
    for (const auto& c : cases) EXPECT_EQ(TcpOutcomeText(c.result), c.text);
}

TEST(PortCheck, OneBatchForEveryRowWithAPortCellsInRowOrder) {
    fakes::FakeTcpConnector tcp;
    tcp.Answer(L"a", 3200, {TTcpOutcome::Open, 0});
    tcp.Answer(L"c", 3300, {TTcpOutcome::Failed, 10065});
    const std::vector<Target> targets = {TTcpTarget{L"a", 3200}, std::nullopt, TTcpTarget{L"b", 3299},
                                         TTcpTarget{L"c", 3300}};
    int waited = 0;
    std::vector<std::pair<size_t, std::wstring>> cells;
    CheckServerPorts(
        tcp, targets, [&] { ++waited; },
        [&](size_t row, const TPortCheckCells& c) {
            cells.push_back({row, c.port + L" " + c.tcp});
        });
    EXPECT_EQ(tcp.calls, 1);
    EXPECT_EQ(tcp.timeouts, std::vector<uint32_t>{2000});
    EXPECT_GT(waited, 0);
    EXPECT_EQ(cells, (std::vector<std::pair<size_t, std::wstring>>{
                         {0, L"3200 ouvert"}, {2, L"3299 délai dépassé"}, {3, L"3300 erreur 10065"}}));
}

TEST(PortCheck, NoRowWithAPortConnectsNowhere) {
    fakes::FakeTcpConnector tcp;
    bool called = false;
    CheckServerPorts(tcp, {std::nullopt, std::nullopt}, {}, [&](size_t, const TPortCheckCells&) { called = true; });
    EXPECT_EQ(tcp.calls, 0);
    EXPECT_FALSE(called);
}

}  // namespace
}  // namespace orvane
