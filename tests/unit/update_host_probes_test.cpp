#include <gtest/gtest.h>

#include "core/Error.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeUpdate.h"
#include "update/HostProbes.h"

namespace orvane {
namespace {

using Platform = OSVersionRecord::Platform;

struct OSCase {
    Platform platform;
    unsigned major, minor;
    unsigned productType;
    std::wstring servicePack;
    std::optional<OSVersionNumber> refined;
    std::wstring expected;
    unsigned build = 0;  // as reported
};

TEST(UpdateHostProbes, OSNameTable) {
    const OSCase cases[] = {
        {Platform::Windows9x, 4, 0, 1, L"", std::nullopt, L"Windows 95"},
        {Platform::Windows9x, 4, 10, 1, L"", std::nullopt, L"Windows 98"},
        {Platform::Windows9x, 4, 10, 1, L" A ", std::nullopt, L"Windows 98 SE"},
        {Platform::Windows9x, 4, 10, 1, L"A", std::nullopt, L"Windows 98"},  // the letter must be second
        {Platform::Windows9x, 4, 10, 1, L" a ", std::nullopt, L"Windows 98"},
        {Platform::Windows9x, 4, 90, 1, L"", std::nullopt, L"Windows ME"},
        {Platform::Windows9x, 4, 20, 1, L"", std::nullopt, L"Unknown"},
        {Platform::WindowsNT, 3, 51, 1, L"", std::nullopt, L"Windows NT"},
        {Platform::WindowsNT, 4, 0, 3, L"", std::nullopt, L"Windows NT"},
        {Platform::WindowsNT, 5, 0, 1, L"", std::nullopt, L"Windows 2000"},
        {Platform::WindowsNT, 5, 0, 3, L"", std::nullopt, L"Windows 2000"},
        {Platform::WindowsNT, 5, 1, 1, L"", std::nullopt, L"Windows XP"},
        {Platform::WindowsNT, 5, 2, 2, L"", std::nullopt, L"Windows 2003"},
        {Platform::WindowsNT, 5, 3, 1, L"", std::nullopt, L"Unknown"},
        {Platform::WindowsNT, 6, 0, 1, L"", std::nullopt, L"Windows Vista"},
        {Platform::WindowsNT, 6, 0, 3, L"", std::nullopt, L"Windows Server 2008"},
        {Platform::WindowsNT, 6, 1, 1, L"", std::nullopt, L"Windows 7"},
        {Platform::WindowsNT, 6, 1, 3, L"", std::nullopt, L"Windows Server 2008R2"},
        {Platform::WindowsNT, 6, 1, 2, L"", std::nullopt, L"Windows Server 2008R2"},  // domain controller
        {Platform::WindowsNT, 6, 2, 1, L"", std::nullopt, L"Windows 8"},
        {Platform::WindowsNT, 6, 2, 3, L"", std::nullopt, L"Windows Server 2012"},
        {Platform::WindowsNT, 6, 2, 1, L"", OSVersionNumber{6, 2}, L"Windows 8"},
        {Platform::WindowsNT, 6, 2, 1, L"", OSVersionNumber{6, 3}, L"Windows 8.1"},
        {Platform::WindowsNT, 6, 2, 3, L"", OSVersionNumber{6, 3}, L"Windows Server 2012R2"},
        {Platform::WindowsNT, 6, 2, 1, L"", OSVersionNumber{10, 0}, L"Windows 10"},
        {Platform::WindowsNT, 6, 2, 3, L"", OSVersionNumber{10, 0}, L"Windows Server Preview"},
        {Platform::WindowsNT, 6, 2, 1, L"", OSVersionNumber{6, 4}, L"Unknown"},  // 6.4 only as reported
        {Platform::WindowsNT, 6, 2, 1, L"", OSVersionNumber{11, 0}, L"Unknown"},
        {Platform::WindowsNT, 6, 3, 1, L"", std::nullopt, L"Windows 8.1"},
        {Platform::WindowsNT, 6, 3, 3, L"", std::nullopt, L"Windows Server 2012R2"},
        {Platform::WindowsNT, 6, 4, 1, L"", std::nullopt, L"Windows 10"},
        {Platform::WindowsNT, 6, 4, 3, L"", std::nullopt, L"Windows Server Preview"},
        // 10.0 reported directly: the program's manifest declares Windows 10.
        {Platform::WindowsNT, 10, 0, 1, L"", std::nullopt, L"Windows 10", 19045},
        {Platform::WindowsNT, 10, 0, 3, L"", std::nullopt, L"Windows Server Preview", 20348},
        {Platform::WindowsNT, 10, 0, 1, L"", std::nullopt, L"Windows 10", 21999},
        {Platform::WindowsNT, 10, 0, 1, L"", std::nullopt, L"Windows 11", 22000},
        {Platform::WindowsNT, 10, 0, 1, L"", std::nullopt, L"Windows 11", 26100},
        {Platform::WindowsNT, 10, 0, 3, L"", std::nullopt, L"Windows Server Preview", 26100},
        {Platform::WindowsNT, 10, 0, 2, L"", std::nullopt, L"Windows Server Preview", 22000},
        {Platform::WindowsNT, 10, 1, 1, L"", std::nullopt, L"Unknown", 22000},
        {Platform::WindowsNT, 11, 0, 1, L"", std::nullopt, L"Unknown", 22000},
        // Through the refinement the refined build counts, not the shimmed one.
        {Platform::WindowsNT, 6, 2, 1, L"", OSVersionNumber{10, 0, 22631}, L"Windows 11", 9200},
        {Platform::WindowsNT, 6, 2, 1, L"", OSVersionNumber{10, 0, 19045}, L"Windows 10", 22000},
        {Platform::WindowsNT, 6, 2, 3, L"", OSVersionNumber{10, 0, 22631}, L"Windows Server Preview", 9200},
        {Platform::WindowsNT, 6, 3, 1, L"", std::nullopt, L"Windows 8.1", 22000},
        {Platform::WindowsNT, 6, 5, 1, L"", std::nullopt, L"Unknown"},
        {Platform::Win32s, 4, 0, 1, L"", std::nullopt, L"Unknown"},
    };
    for (const OSCase& c : cases) {
        const OSVersionRecord record{c.platform, c.major, c.minor, c.productType, c.servicePack, c.build};
        EXPECT_EQ(OSNameFromVersion(record, c.refined), c.expected)
            << c.major << "." << c.minor << "." << c.build << " type " << c.productType;
    }
    EXPECT_EQ(OSNameFromVersion(std::nullopt, std::nullopt), L"Unknown");
}

TEST(UpdateHostProbes, OnlyVersion62AsksForTheRefinement) {
    fakes::FakeSystemVersion system;
    system.refined = OSVersionNumber{10, 0};
    system.reported = OSVersionRecord{Platform::WindowsNT, 6, 1, 1, L""};
    EXPECT_EQ(OSName(system), L"Windows 7");
    EXPECT_EQ(system.refinedAsked, 0);
    system.reported = OSVersionRecord{Platform::WindowsNT, 6, 2, 1, L""};
    EXPECT_EQ(OSName(system), L"Windows 10");
    system.refined.reset();
    EXPECT_EQ(OSName(system), L"Windows 8");
    system.reported.reset();
    EXPECT_EQ(OSName(system), L"Unknown");
}

TEST(UpdateHostProbes, BrowserVersionAndInstalledEnvironments) {
    const std::wstring key = L"Software\\Microsoft\\Internet Explorer\\Version Vector";
    fakes::FakeRegistry registry;
    EXPECT_EQ(IEVersion(registry), L"(not found)");
    registry.AddKey(key);
    EXPECT_EQ(IEVersion(registry), L"");
    registry.SetText(key, L"IE", L"9.0000");
    EXPECT_EQ(IEVersion(registry), L"9.0000");
    registry.SetText(key, L"IE", L"", fakes::FakeRegistry::Type::Dword);
    try {
        IEVersion(registry);
        FAIL() << "a value of another type must reach the caller";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"Type de données incorrect pour 'IE'");
    }
    registry.Deny(key);
    EXPECT_EQ(IEVersion(registry), L"(not found)");
}

// The tags only serve the log, but they have a shape: 2 to 5 letters or digits, at most one ".".
TEST(UpdateHostProbes, EnvironmentTagsHaveTheirShape) {
    const auto shaped = [](const std::wstring& tag) {
        if (tag.size() < 2 || tag.size() > 5) return false;
        int dots = 0;
        for (wchar_t c : tag) {
            if (c == L'.') {
                ++dots;
            } else if (!((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'))) {
                return false;
            }
        }
        return dots <= 1;
    };
    EXPECT_TRUE(shaped(IDETag())) << ToUtf8(IDETag());
    fakes::FakeRegistry none;
    EXPECT_EQ(InstalledIDEs(none), L"");
}

TEST(UpdateHostProbes, RegistryKeyExistsReadsTheMachineHive) {
    fakes::FakeRegistry registry;
    registry.AddKey(L"Software\\Vendor\\Product\\1.0");
    registry.AddKey(L"Software\\UserOnly", RegHive::CurrentUser);
    EXPECT_TRUE(RegistryKeyExists(registry, L"\\Software\\Vendor\\Product\\1.0"));
    EXPECT_TRUE(RegistryKeyExists(registry, L"Software\\Vendor\\Product\\1.0"));
    EXPECT_FALSE(RegistryKeyExists(registry, L"\\Software\\Vendor\\Product\\2.0"));
    EXPECT_FALSE(RegistryKeyExists(registry, L"\\Software\\UserOnly"));
}

TEST(UpdateHostProbes, TextHelpers) {
    const std::pair<std::wstring, std::wstring> markers[] = {
        {L"a\\nb", L"a\rb"},  {L"a\\Nb", L"a\\Nb"},
        {L"\\n\\n", L"\r\r"}, {L"a\\\\nb", L"a\\\rb"},  // the backslash before the marker stays
        {L"end\\", L"end\\"}, {L"", L""},
    };
    for (const auto& [in, out] : markers) EXPECT_EQ(ExpandNewlineMarkers(in), out) << ToUtf8(in);

    EXPECT_EQ(PosNoCase(L"abc", L"xxABCxx"), 3u);
    EXPECT_EQ(PosNoCase(L"ABC", L"abc"), 1u);
    EXPECT_EQ(PosNoCase(L"abd", L"xxABCxx"), 0u);
    EXPECT_EQ(PosNoCase(L"", L"abc"), 0u);
    EXPECT_EQ(PosNoCase(L"é", L"É"), 0u);  // only ASCII letters fold

    EXPECT_EQ(WithTrailingBackslash(L""), L"");
    EXPECT_EQ(WithTrailingBackslash(L"C:\\x"), L"C:\\x\\");
    EXPECT_EQ(WithTrailingBackslash(L"C:\\x\\"), L"C:\\x\\");
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST(UpdateHostProbes, KnownFolderQueryFollowsTheReportedMajor) {
    using Platform = OSVersionRecord::Platform;
    const std::tuple<Platform, unsigned, KnownFolderQuery> cases[] = {
        {Platform::Windows9x, 4, KnownFolderQuery::None},      {Platform::WindowsNT, 4, KnownFolderQuery::None},
        {Platform::WindowsNT, 5, KnownFolderQuery::Csidl},     {Platform::WindowsNT, 6, KnownFolderQuery::FolderId},
        {Platform::WindowsNT, 10, KnownFolderQuery::FolderId}, {Platform::WindowsNT, 11, KnownFolderQuery::None},
    };
    for (const auto& [platform, major, query] : cases)
        EXPECT_EQ(ChooseKnownFolderQuery(OSVersionRecord{platform, major, 0, 1, L""}), query) << major;
    EXPECT_EQ(ChooseKnownFolderQuery(std::nullopt), KnownFolderQuery::None);
    EXPECT_EQ(IdsOfKnownFolder(KnownFolder::Documents)->csidl, 5);
    EXPECT_EQ(IdsOfKnownFolder(KnownFolder::CommonAppData)->csidl, 35);
    EXPECT_FALSE(IdsOfKnownFolder(KnownFolder::Temp));
}

}  // namespace
}  // namespace orvane
