#include <gtest/gtest.h>

#include <optional>

#include "about/About.h"
#include "fakes/FakePlatform.h"
#include "update/WebUpdate.h"

namespace orvane {
namespace {

class FakeNames : public IWorkstationIdentity {
public:
    std::wstring computer, user;
    std::wstring ComputerName() const override { return computer; }
    std::wstring UserName() const override { return user; }
};

class FakeHost : public IHostIdentity {
public:
    std::optional<TScreenSize> screen;
    std::wstring address, domain, lanGroup;
    std::optional<TScreenSize> StoredScreenSize() const override { return screen; }
    std::wstring OwnIPv4Address() const override { return address; }
    std::wstring AccountDomain() const override { return domain; }
    std::wstring LanGroup() const override { return lanGroup; }
};

constexpr wchar_t kWindowsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kVnetsupKey[] = L"System\\CurrentControlSet\\Services\\Vxd\\VNETSUP";

TEST(AboutIdentity, RowsInDisplayOrder) {
    fakes::FakeRegistry registry;
    registry.SetText(kWindowsKey, L"ProductName", L"Windows 10 Pro");
    FakeNames names;
    names.computer = L"PC01";
    names.user = L"jdupont";
    FakeHost host;
    host.screen = TScreenSize{1920, 1080};
    host.address = L"10.0.0.5";
    host.domain = L"CORP";
    host.lanGroup = L"SERVICES";

    const about::TIdentityRows rows = about::ReadIdentity(registry, names, host);
    EXPECT_EQ(rows.os, L"Windows 10 Pro");
    EXPECT_EQ(rows.screen, L"1920 x 1080");
    EXPECT_EQ(rows.terminal, L"PC01  (10.0.0.5)");
    EXPECT_EQ(rows.user, L"jdupont");
    EXPECT_EQ(rows.domain, L"CORP");
    EXPECT_EQ(rows.workgroup, L"SERVICES");
}

TEST(AboutIdentity, WorkgroupPrefersTheRegistryValueAndFallsBackWhenItIsEmptyOrNotText) {
    struct Case {
        const char* name;
        std::optional<fakes::FakeRegistry::Type> type;
        const wchar_t* value;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"registry value", fakes::FakeRegistry::Type::Sz, L"BUREAU", L"BUREAU"},
        {"empty value", fakes::FakeRegistry::Type::Sz, L"", L"LANGROUP"},
        {"not text", fakes::FakeRegistry::Type::Dword, L"1", L"LANGROUP"},
        {"no key", std::nullopt, L"", L"LANGROUP"},
    };
    for (const Case& c : cases) {
        fakes::FakeRegistry registry;
        if (c.type) registry.SetText(kVnetsupKey, L"Workgroup", c.value, *c.type);
        FakeHost host;
        host.lanGroup = L"LANGROUP";
        EXPECT_EQ(about::ReadIdentity(registry, FakeNames(), host).workgroup, c.expected) << c.name;
    }
}

TEST(AboutIdentity, MissingValuesShowEmpty) {
    const about::TIdentityRows rows = about::ReadIdentity(fakes::FakeRegistry(), FakeNames(), FakeHost());
    EXPECT_EQ(rows.os, L"");
    EXPECT_EQ(rows.screen, L"");
    EXPECT_EQ(rows.terminal, L"  ()");
    EXPECT_EQ(rows.user, L"");
    EXPECT_EQ(rows.domain, L"");
    EXPECT_EQ(rows.workgroup, L"");
}

TEST(AboutTexts, ScreenAndTerminal) {
    EXPECT_EQ(about::ScreenResolutionText(TScreenSize{800, 600}), L"800 x 600");
    EXPECT_EQ(about::ScreenResolutionText(TScreenSize{0, 0}), L"");
    EXPECT_EQ(about::ScreenResolutionText(std::nullopt), L"");
    EXPECT_EQ(about::TerminalText(L"POSTE-42", L""), L"POSTE-42  ()");
}

TEST(AboutTexts, OwnVersionFromTheFixedRecord) {
    struct Case {
        std::uint32_t ms, ls;
        const wchar_t* text;
    };
    for (const Case& c : {Case{0x00020001, 0x0000000F, L"2.1.0.15"}, Case{0xFFFF0000, 0x0000FFFF, L"65535.0.0.65535"},
                          Case{0x000A0014, 0x001E0028, L"10.20.30.40"}}) {
        TFixedFileInfo info;
        info.dwFileVersionMS = c.ms;
        info.dwFileVersionLS = c.ls;
        info.dwProductVersionMS = 0x00090009;  // the product version plays no part
        EXPECT_EQ(about::FileVersionText(info), c.text);
    }
}

TEST(AboutTexts, SystemErrorAndToolChain) {
    EXPECT_EQ(about::SystemErrorText(1813, L"Le type de ressource est introuvable."),
              L"Erreur système.  Code : 1813.\r\nLe type de ressource est introuvable.");
    EXPECT_EQ(about::ToolChainLabel(12.2), L"Compiler & RTL: 12.20  ");
    EXPECT_EQ(about::ToolChainLabel(9.0), L"Compiler & RTL: 9.00  ");
    EXPECT_EQ(about::ToolChainLabel(about::BuildToolChainVersion()).rfind(L"Compiler & RTL: ", 0), 0u);
    EXPECT_GT(about::BuildToolChainVersion(), 1.0);
}

TEST(AboutEngine, EverySettingOfTheBox) {
    TWebUpdate engine{TWebUpdateServices{}};
    // Start from the other value wherever there is one, so that each row must be set.
    engine.Agent = L"other";
    engine.DateFormat = L"yyyy-mm-dd";
    engine.DateSeparator = L'-';
    engine.ExtractCAB = false;
    engine.ForceUpdate = false;
    engine.Logging = false;
    engine.SetLogFileName(L"OTHER.LOG");
    engine.PostUpdateInfo.Enabled = true;
    engine.ShowDownloadProgress = false;
    engine.Signature = L"other";
    engine.TempDirectory = L"C:\\Temp";
    engine.TimeFormat = L"hh:nn:ss";
    engine.TimeSeparator = L'.';
    engine.UseCRC32 = false;
    engine.URL = L"http://designed/files/X.INF";

    ConfigureAboutEngine(engine, L"http://update.example/files/ORVANE.INF");
    EXPECT_EQ(engine.Agent, L"TWebUpdate");
    EXPECT_EQ(engine.DateFormat, L"dd/mm/yyyy");
    EXPECT_EQ(engine.DateSeparator, L'/');
    EXPECT_TRUE(engine.ExtractCAB);
    EXPECT_TRUE(engine.ForceUpdate);
    EXPECT_TRUE(engine.Logging);
    EXPECT_EQ(engine.LogFileName(), L"WUPDATE.LOG");
    EXPECT_EQ(ProcessLogFileName(), L"WUPDATE.LOG");
    EXPECT_FALSE(engine.PostUpdateInfo.Enabled);
    EXPECT_TRUE(engine.ShowDownloadProgress);
    EXPECT_EQ(engine.Signature, L"WebUpdate");
    EXPECT_EQ(engine.TempDirectory, L".");
    EXPECT_EQ(engine.TimeFormat, L"hh:nn");
    EXPECT_EQ(engine.TimeSeparator, L':');
    EXPECT_TRUE(engine.UseCRC32);
    EXPECT_EQ(engine.URL, L"http://update.example/files/ORVANE.INF");
    // Everything else keeps the component's defaults.
    EXPECT_FALSE(engine.SignatureCheck);
    EXPECT_EQ(engine.UpdateType, TWebUpdateType::httpUpdate);
    EXPECT_EQ(engine.UpdateUpdate, TWebUpdateUpdate::wuuPromptOnce);
    EXPECT_FALSE(engine.LastURLEntry.Save);
}

TEST(AboutEngine, AnEmptyUrlKeepsTheDesignedOneAndHidesTheButtons) {
    struct Case {
        const wchar_t* url;
        const wchar_t* engineUrl;
        bool buttons;
    };
    for (const Case& c : {Case{L"", L"http://designed/files/X.INF", false},
                          Case{L"ftp://h/files/A.INF", L"ftp://h/files/A.INF", true}}) {
        TWebUpdate engine{TWebUpdateServices{}};
        engine.URL = L"http://designed/files/X.INF";
        ConfigureAboutEngine(engine, c.url);
        EXPECT_EQ(engine.URL, c.engineUrl) << c.url;
        EXPECT_EQ(about::ShowsUpdateButtons(c.url), c.buttons) << c.url;
    }
}

}  // namespace
}  // namespace orvane
