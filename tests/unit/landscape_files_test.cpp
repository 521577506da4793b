#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "core/Error.h"
#include "core/Text.h"
#include "fakes/FakePing.h"
#include "fakes/FakePlatform.h"
#include "landscape/LandscapeReader.h"
#include "landscape/StdTextFileReader.h"
#include "probes/ServerPing.h"

namespace orvane {
namespace {

std::wstring RealFile(const char* name) {
    return FromUtf8(ORVANE_FIXTURES) + L"/real/landscape/" + FromUtf8(name);
}

tyLandscape ReadReal(const char* name) {
    tyLandscape l;
    ReadLandscape(RealFile(name), l, TStdTextFileReader(), TWindows1252());
    return l;
}

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const auto x = std::towlower(a[i]), y = std::towlower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The names the ping takes from this file alone.
std::vector<std::wstring> PingNames(const char* name) {
    fakes::FakeFileSystem fs;
    fs.AddFile(RealFile(name));
    fakes::FakeProfileReader profiles;
    TStdTextFileReader reader;
    TWindows1252 ansi;
    TServerList servers(CompareNoCase);
    GatherServerNames({fs, profiles, reader, ansi}, L"C:\\nowhere\\saplogon.ini", RealFile(name), servers);
    return servers.Names();
}

const tyService& ServiceNamed(const tyLandscape& l, const std::wstring& name) {
    const auto it =
        std::find_if(l.Services.begin(), l.Services.end(), [&](const tyService& s) { return s.Name == name; });
    if (it == l.Services.end()) throw std::runtime_error("no service " + ToUtf8(name));
    return *it;
}

struct RealFileCase {
    const char* file;
    size_t services, messageServers, routers, includes, configuration;
    size_t pingNames;
    const wchar_t* firstName;  // first and last ping name in sorted order
    const wchar_t* lastName;
    std::function<void(const tyLandscape&)> check;
};

const RealFileCase kRealFiles[] = {
    {"global-minimal-empty-messageservers.xml", 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {"global-msgservers-port-only-oneline.xml", 0, 13, 0, 0, 0, 0, nullptr, nullptr,
     [](const tyLandscape& l) {
         for (const tyMessageServer& m : l.MessageServers) EXPECT_TRUE(m._Port && !m._Host);
         EXPECT_FALSE(l._Version);
     }},
    {"includes-only-remote-http.xml", 0, 0, 0, 3, 0, 0, nullptr, nullptr,
     [](const tyLandscape& l) {
         EXPECT_EQ(l.Includes[0].Index, 3);
         EXPECT_EQ(l.Includes[2].Index, 1);
         EXPECT_TRUE(l.Includes[2].URL.starts_with(L"https://"));
     }},
    {"javagui-self-include-configuration-garbled-xmlns.xml", 1, 0, 1, 1, 1, 1, L"files-3-1", L"files-3-1",
     [](const tyLandscape& l) {
         EXPECT_EQ(l.Updated, L"2022-06-13T16:04:142");
         EXPECT_FALSE(l.Configuration[0]._Key);  // the attributes sit on the Parameter child
         EXPECT_TRUE(l.Services[0]._MSID);
         EXPECT_EQ(l.Services[0].MSID, L"");
         EXPECT_FALSE(l.Includes[0]._Index);
     }},
    {"javagui750-expert-empty-msid.xml", 1, 0, 1, 0, 0, 1, L"192.168.8.133", L"192.168.8.133",
     [](const tyLandscape& l) {
         EXPECT_TRUE(l.Services[0].Expert);
         EXPECT_EQ(l.Services[0].Server, L"192.168.8.133:3200");
     }},
    {"malformed-handwritten-not-wellformed.xml", 1, 0, 0, 0, 0, 1, L"172.31.102.60", L"172.31.102.60", nullptr},
    {"nwbc65-fiori-only-lf.xml", 3, 0, 0, 0, 0, 0, nullptr, nullptr,
     [](const tyLandscape& l) {
         for (const tyService& s : l.Services) EXPECT_EQ(s.ServiceType, stFIORI);
     }},
    {"rslsmt-global-uppercase-ext-no-systemid.XML", 85, 0, 8, 0, 0, 9, L"192.168.64.128", L"192.168.64.184",
     [](const tyLandscape& l) {
         EXPECT_TRUE(std::none_of(l.Services.begin(), l.Services.end(),
                                  [](const tyService& s) { return s.ServiceType == stSAPGUI && s._SystemID; }));
     }},
    {"rslsmt-msid-is-sid-no-msgserver.xml", 1, 0, 0, 0, 0, 0, nullptr, nullptr,
     [](const tyLandscape& l) {
         EXPECT_EQ(l.Services[0].MSID, L"NPL");
         EXPECT_EQ(l.Services[0].Server, L"35.224.23.178");
     }},
    {"rslsmt-no-newlines-webdispatchers.xml", 2, 1, 0, 0, 0, 1, L"vhcbucldcs.sap.capitaland.com",
     L"vhcbucldcs.sap.capitaland.com", nullptr},
    {"sanitized-no-xmldecl-linebreaks-dup-uuids.xml", 6, 1, 1, 1, 0, 4, L"55.5.555.55", L"test.sap.shcdc.de", nullptr},
    {"sapgui750-bom-big-commented-services.xml", 223, 212, 0, 0, 0, 211, L"155.111.198.165", L"zlt.na.pg.com",
     [](const tyLandscape& l) {
         EXPECT_EQ(l.Services[0].MSID, L"8246396f-3490-47f6-920c-139b2f454eae");
         EXPECT_EQ(l.Services[0].Server, L"HYRGROUPA");
     }},
    {"sapgui770-global-two-workspaces-dangling-items.xml", 39, 9, 1, 1, 0, 35, L"10.100.2.110", L"srmtst.service.intra",
     [](const tyLandscape& l) { EXPECT_EQ(l.Services[0].Server, L"isudbq.service.intra:3205"); }},
    {"sapgui800-large-snc-secude-ampersand-crlf.xml", 83, 17, 2, 1, 0, 41, L"172.16.2.6", L"saperpci.unidad.local",
     [](const tyLandscape& l) {
         // Entries with both an msid and mode 1 name their server directly.
         const auto both = std::count_if(l.Services.begin(), l.Services.end(),
                                         [](const tyService& s) { return s._MSID && s.Mode == 1; });
         EXPECT_EQ(both, 6);
     }},
    {"sapgui800-nested-nodes-bogus-router.xml", 36, 4, 2, 1, 0, 30, L"10.8.102.11", L"vhcbuclqcs.sap.capitaland.com",
     nullptr},
    {"sapgui800-routers-msgservers-memo-crlf.xml", 15, 3, 7, 0, 0, 11, L"10.248.3.127", L"192.168.82.5",
     [](const tyLandscape& l) {
         EXPECT_EQ(ServiceNamed(l, L"901 - Production ECC (DR)").Memo, L"For use in case of DR failover ONLY!");
         const tyService& group = ServiceNamed(l, L"891 - PRD S/4HANA (PE0)");
         EXPECT_EQ(group.MSID, L"c1b851bf-6a50-47aa-81ba-22d458f23f4a");
         EXPECT_EQ(group.Server, L"AESG");
         EXPECT_EQ(group.SNCop, 9);
         EXPECT_EQ(l.MessageServers[2].Host, L"192.168.32.128");
         EXPECT_FALSE(l.MessageServers[2]._Port);
     }},
    {"sapgui800-single-line-router-include.xml", 1, 0, 1, 1, 0, 1, L"cverpprdas1.cuerosvelez.local",
     L"cverpprdas1.cuerosvelez.local",
     [](const tyLandscape& l) {
         EXPECT_EQ(l.Services[0].Name, L"ERP Producci\u00C3\u00B3n Externo");  // UTF-8 read as ANSI
         EXPECT_EQ(l.Routers[0].Router, L"/H/saprouter.velez.com.co");
     }},
    {"thirdparty-generator-doublespaced-leading-zero-ports.xml", 218, 218, 0, 0, 0, 218, L"A6A.na.pg.com",
     L"ZRT.na.pg.com",
     [](const tyLandscape& l) {
         EXPECT_FALSE(l._Version);
         EXPECT_TRUE(l._Generator);
         EXPECT_GT(l.MessageServers[0].Port, 3599);
         EXPECT_LT(l.MessageServers[0].Port, 3700);
     }},
};

TEST(LandscapeRealFiles, ReadWithTheExpectedFacts) {
    for (const RealFileCase& c : kRealFiles) {
        SCOPED_TRACE(c.file);
        const tyLandscape l = ReadReal(c.file);
        EXPECT_EQ(l.Services.size(), c.services);
        EXPECT_EQ(l.MessageServers.size(), c.messageServers);
        EXPECT_EQ(l.Routers.size(), c.routers);
        EXPECT_EQ(l.Includes.size(), c.includes);
        EXPECT_EQ(l.Configuration.size(), c.configuration);
        EXPECT_TRUE(l.Workspaces.empty() && l.LDAPS.empty());
        if (c.check) c.check(l);
        const std::vector<std::wstring> names = PingNames(c.file);
        ASSERT_EQ(names.size(), c.pingNames);
        if (!names.empty()) {
            EXPECT_EQ(names.front(), c.firstName);
            EXPECT_EQ(names.back(), c.lastName);
        }
    }
}

TEST(LandscapeRealFiles, EveryFileInTheFolderIsCovered) {
    std::set<std::string> listed;
    for (const RealFileCase& c : kRealFiles) listed.insert(c.file);
    listed.insert("anonymized-xxxx-linebreaks-in-tags.xml");
    for (const auto& entry : std::filesystem::directory_iterator(ORVANE_FIXTURES "/real/landscape"))
        EXPECT_TRUE(listed.count(entry.path().filename().string())) << entry.path();
}

TEST(LandscapeRealFiles, NonNumericIntegerRaisesTheConversionError) {
    try {
        ReadReal("anonymized-xxxx-linebreaks-in-tags.xml");
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"'xxxxx' n'est pas une valeur entière correcte");
    }
}

// Inputs the fuzzer found or that exercise the scanner's corners: each ends with a result or an AppError.
TEST(LandscapeFuzzCorpus, EveryInputEndsWithResultOrAppError) {
    const auto folder = std::filesystem::path(ORVANE_FUZZ_CORPUS) / "landscape_fuzz";
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        tyLandscape l;
        try {
            ReadLandscapeBytes(bytes, l, TWindows1252());
        } catch (const AppError&) {
        }
        ++count;
    }
    EXPECT_GT(count, 0u) << folder;
}

} // namespace
} // namespace orvane
