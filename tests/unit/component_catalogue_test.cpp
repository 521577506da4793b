#include <gtest/gtest.h>

#include "core/Error.h"
#include "fakes/FakePlatform.h"
#include "probes/ComponentCatalogue.h"
#include "probes/FoldersAndTools.h"

namespace orvane {
namespace {

using fakes::FakeRegistry;

const std::wstring kShared = L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared";

TEST(GetComponentFolder, DefaultsOfAnEmptyRegistry) {
    const FakeRegistry empty;
    const std::pair<TSapComponentKind, const wchar_t*> expected[] = {
        {0, L"c:\\Program Files (x86)\\SAP\\SapSetup\\setup\\"},
        {1, L"c:\\Program Files (x86)\\SAP\\Business Explorer\\BI\\"},
        {2, L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\"},
        {3, L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\Program\\"},
        {4, L"c:\\Program Files (x86)\\SAP\\NWBC40\\"},
        {5, L"c:\\Program Files (x86)\\SAP\\NWBC50\\"},
        {6, L"c:\\Program Files (x86)\\SAP\\NWBC60\\"},
        {7, L"c:\\Program Files (x86)\\SAP\\SAP 3D Visual Enterprise Viewer\\"},
        {8, L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SAPgui\\Encryption\\"},
        {9, L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SecureLogin\\"},
        {10, L"c:\\Program Files\\SAP\\FrontEnd\\SecureLogin\\"},
        {11, L"c:\\Program Files (x86)\\SAP\\Kerberos\\"},
        {12, L"c:\\Program Files\\SAP\\Kerberos\\"},
        {13, L""},
        {-1, L""},
    };
    for (const auto& [kind, folder] : expected) EXPECT_EQ(GetComponentFolder(empty, kind), folder) << "kind " << kind;
}

TEST(GetComponentFolder, RegistryValueWinsAndGetsOneBackslash) {
    struct Case {
        const wchar_t* stored;
        const wchar_t* expected;
    };
    for (const Case& c : {Case{L"D:\\SAP\\SapSetup", L"D:\\SAP\\SapSetup\\setup\\"},
                          Case{L"D:\\SAP\\SapSetup\\", L"D:\\SAP\\SapSetup\\setup\\"},
                          Case{L"", L"c:\\Program Files (x86)\\SAP\\SapSetup\\setup\\"}}) {
        FakeRegistry reg;
        reg.SetText(kShared, L"SAPSetupDir", c.stored);
        EXPECT_EQ(GetComponentFolder(reg, ckSapSetup), c.expected) << "stored '" << c.stored << "'";
    }
}

TEST(GetComponentFolder, KeyWithoutTheValueOrUnreadableKeyGivesDefault) {
    FakeRegistry reg;
    reg.SetText(kShared, L"SAPsysdir", L"E:\\Gui");
    EXPECT_EQ(GetComponentFolder(reg, ckSapSetup), L"c:\\Program Files (x86)\\SAP\\SapSetup\\setup\\");
    EXPECT_EQ(GetComponentFolder(reg, ckSapGui), L"E:\\Gui\\");
    reg.Deny(kShared);
    EXPECT_EQ(GetComponentFolder(reg, ckSapGui), L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\");
}

TEST(GetComponentFolder, SubFolderFollowsRegistryFolderToo) {
    FakeRegistry reg;
    reg.SetText(kShared + L"\\SAPBI", L"SAPDestDir", L"E:\\BEx");
    reg.SetText(kShared + L"\\SAP_Engineering Client Viewer 7.0", L"SAPDestDir", L"E:\\ECV\\");
    EXPECT_EQ(GetComponentFolder(reg, ckBusinessExplorer), L"E:\\BEx\\BI\\");
    EXPECT_EQ(GetComponentFolder(reg, ckEngineeringClientViewer), L"E:\\ECV\\Program\\");
}

TEST(GetComponentFolder, SecureLoginKindsReadTheirOwnValue) {
    FakeRegistry reg;
    reg.SetText(L"SOFTWARE\\Wow6432Node\\SAP\\SecureLogin", L"InstallPath64", L"F:\\SL64");
    EXPECT_EQ(GetComponentFolder(reg, ckSecureLogin32), L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SecureLogin\\");
    EXPECT_EQ(GetComponentFolder(reg, ckSecureLogin64), L"F:\\SL64\\");
}

TEST(GetComponentFolder, ExpandableValueStaysUnexpanded) {
    FakeRegistry reg;
    reg.SetText(kShared, L"SAPsysdir", L"%ProgramFiles%\\SAP\\FrontEnd\\SAPgui", FakeRegistry::Type::ExpandSz);
    EXPECT_EQ(GetComponentFolder(reg, ckSapGui), L"%ProgramFiles%\\SAP\\FrontEnd\\SAPgui\\");
}

TEST(GetComponentFolder, KindsWithoutRegistryNeverReadIt) {
    FakeRegistry reg;
    for (TSapComponentKind kind : {ckSncEncryption, ckKerberos32, ckKerberos64, 13}) GetComponentFolder(reg, kind);
    EXPECT_EQ(reg.reads, 0);
}

TEST(GetComponentFolder, NonTextValueRaisesWithValueName) {
    FakeRegistry reg;
    reg.SetText(kShared, L"SAPsysdir", L"", FakeRegistry::Type::Dword);
    try {
        GetComponentFolder(reg, ckSapGui);
        FAIL() << "no error raised";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"Type de données incorrect pour 'SAPsysdir'");
    }
    EXPECT_NO_THROW(GetComponentFolder(reg, ckSapSetup)); // the other value of the same key is absent
}

TEST(NwCheckWorkstation, InstalledExactlyWhenTheFileIsInTheSetupFolder) {
    FakeRegistry reg;
    fakes::FakeFileSystem files;
    EXPECT_EQ(NwCheckWorkstationPath(reg), L"c:\\Program Files (x86)\\SAP\\SapSetup\\setup\\NwCheckWorkstation.exe");
    EXPECT_FALSE(IsNwCheckWorkstationInstalled(reg, files));
    reg.SetText(kShared, L"SAPSetupDir", L"D:\\SapSetup");
    files.AddFile(L"c:\\Program Files (x86)\\SAP\\SapSetup\\setup\\NwCheckWorkstation.exe");
    EXPECT_FALSE(IsNwCheckWorkstationInstalled(reg, files)); // the registry moved the setup folder
    files.AddFile(L"D:\\SapSetup\\setup\\NwCheckWorkstation.exe");
    EXPECT_TRUE(IsNwCheckWorkstationInstalled(reg, files));
}

} // namespace
} // namespace orvane
