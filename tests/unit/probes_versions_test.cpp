#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/Error.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeProbes.h"
#include "probes/ReleaseNames.h"
#include "probes/VersionInfo.h"
#include "probes/VersionsReport.h"

namespace orvane {
namespace {

using fakes::FakeFileSystem;
using fakes::FakeRegistry;
using fakes::FakeVersionResource;

TEST(ProbesVersionText, FromFileSystemAndResource) {
    FakeFileSystem files;
    FakeVersionResource versions;
    files.AddFolder(L"C:\\SAP\\folder.dll");
    files.AddFile(L"C:\\SAP\\readme.txt");
    files.AddFile(L"C:\\SAP\\max.dll");
    versions.SetVersion(L"C:\\SAP\\max.dll", 65535, 65535, 65535, 65535);
    files.AddFile(L"C:\\SAP\\viewer.dll");
    versions.SetVersion(L"C:\\SAP\\viewer.dll", 8, 2, 0, 14321);
    files.AddFile(L"C:\\SAP\\nofixed.dll");
    versions.SetBlock(L"C:\\SAP\\nofixed.dll", TVersionBlock{});  // a resource without its fixed part

    struct Case {
        const wchar_t* path;
        const wchar_t* expected;
    };
    for (const Case& c :
         {Case{L"C:\\SAP\\folder.dll", L"Fichier non trouvé."}, Case{L"C:\\SAP\\missing.dll", L"Fichier non trouvé."},
          Case{L"", L"Fichier non trouvé."}, Case{L"C:\\SAP\\readme.txt", L"0.0.0.0"},
          Case{L"C:\\SAP\\nofixed.dll", L"0.0.0.0"}, Case{L"C:\\SAP\\max.dll", L"65535.65535.65535.65535"},
          Case{L"C:\\SAP\\viewer.dll", L"8.2.0.14321"}})
        EXPECT_EQ(GetFileVersionText(files, versions, c.path), c.expected) << ToUtf8(c.path);
}

TEST(ProbesVersionInfo, ReaderFieldsAndTranslations) {
    FakeVersionResource versions;
    TVersionBlock block;
    block.fixedInfo = TFixedFileInfo{};
    block.fixedInfo->dwFileVersionMS = 0x1CE80003;  // 7400.3
    block.fixedInfo->dwFileVersionLS = 0x000A0467;  // 10.1127
    block.fixedInfo->dwProductVersionMS = 0x00080002;
    block.translations = {{0x040C, 1252}, {0x0409, 1200}};
    versions.SetBlock(L"C:\\a.exe", block);

    TRvVersionInfo info(versions);
    EXPECT_EQ(info.FileName(), versions.OwnExecutablePath()) << "an empty name means the program itself";
    EXPECT_FALSE(info.HaveInfo());
    EXPECT_EQ(info.CurrentTranslation(), -1);

    info.SetFileName(L"C:\\a.exe");
    EXPECT_TRUE(info.HaveInfo());
    EXPECT_EQ(info.FileVersionNumber().Text(), L"7400.3.10.1127");
    EXPECT_EQ(info.ProductVersionNumber(), (TRvVersionNumber{8, 2, 0, 0}));
    EXPECT_EQ(info.NumTranslations(), 2);
    EXPECT_EQ(info.LanguageCode(), 0x040C);
    info.SetCurrentTranslation(1);
    EXPECT_EQ(info.CharSetCode(), 1200);
    info.SetCurrentTranslation(2);
    EXPECT_EQ(info.CurrentTranslation(), -1);
    EXPECT_EQ(info.LanguageCode(), 0);

    info.SetFileName(L"C:\\none.exe");  // re-reading clears what the previous file gave
    EXPECT_FALSE(info.HaveInfo());
    EXPECT_EQ(info.FileVersionNumber().Text(), L"0.0.0.0");
    EXPECT_EQ(info.NumTranslations(), 0);
}

TEST(ProbesVersionInfo, NumbersCompareFieldByField) {
    EXPECT_LT((TRvVersionNumber{7400, 3, 10, 1126}), (TRvVersionNumber{7400, 3, 10, 1127}));
    EXPECT_LT((TRvVersionNumber{2, 65535, 0, 0}), (TRvVersionNumber{3, 0, 0, 0}));
    EXPECT_EQ((TRvVersionNumber{1, 2, 3, 4}), (TRvVersionNumber{1, 2, 3, 4}));
}

TEST(ProbesReleaseName, TablesIncludingIrregularRows) {
    struct Case {
        TSapComponentKind kind;
        const wchar_t* version;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {ckSapGui, L"7400.3.10.1127", L"SAP Logon for Windows 740 Patch Level 10 Level 1"},
        {ckSapGui, L"7400.3.10.1126", L"SAP Logon for Windows 740 Patch Level 10"},
        {ckSapGui, L"7400.1.2.1102", L"SAP Logon for Windows 740 Patch Level 2 Level 2"},
        {ckSapGui, L"6206.6.66.970", L"SAP Logon for Windows 620 Patch Level 66"},
        {ckSapGui, L"7500.1.0.1000", L""},
        {ckSapGui, L"Fichier non trouvé.", L""},
        {ckSapGui, L" 7400.3.10.1127", L""},
        {ckSapGui, L"7400.3.10.1127 ", L""},
        {ckSapGui, L"60000.1604.14078.18017", L""},  // another family's version
        {ckNwbc4, L"60000.1604.14078.18017", L"SAP NetWeaver Business Client 6.0 Final Release PL 3"},
        {ckNwbc5, L"50000.1509.22048.13143", L"SAP NetWeaver Business Client 5.0 Final Release PL 8"},
        {ckNwbc6, L"40000.1309.10048.6201", L"SAP NetWeaver Business Client 4.0 Final Release PL 10"},
        {ckNwbc6, L"60000.1610.12078.11712", L"SAP NetWeaver Business Client 6.0 Final Release PL 8"},
        {ckEngineeringClientViewer, L"8.2.0.12070", L"ECL Viewer 7.0 Patch Level 9"},
        {ckEngineeringClientViewer, L"8.2.0.13036", L"ECL Viewer 7.0 Patch Level 8"},
        {ckEngineeringClientViewer, L"10.1.4.16176", L"ECL Viewer 10.2 Patch Level 1.0"},
        {ckEngineeringClientViewer, L"2.122.0.1", L"ECL Viewer 3.1"},
        {ckEngineeringClientViewer, L"8.2.0.14321", L"ECL Viewer 7.0 Patch Level 19"},
        {ckSecureLogin32, L"2.0.1.32", L"SAP Secure Logon Client 2.0 SP00"},
        {ckSapSetup, L"2.0.6003.0", L"SAP Secure Logon Client 2.0 SP06 Patch Level 3"},
        {13, L"2.0.5000.0", L"SAP Secure Logon Client 2.0 SP05"},
        {-1, L"2.0.1004.0", L"SAP Secure Logon Client 2.0 SP01 Patch Level 4"},
        {ckKerberos64, L"7400.3.10.1127", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetReleaseName(c.kind, c.version), c.expected) << "kind " << c.kind << " " << ToUtf8(c.version);
}

// The installed-versions report, collected line by line.
class ProbesVersionsReport : public ::testing::Test {
protected:
    std::vector<std::wstring> Run() {
        std::vector<std::wstring> lines;
        WriteVersionsReport(registry, files, versions, [&](const std::wstring& line) { lines.push_back(line); });
        return lines;
    }
    // The lines from the one equal to FIRST, COUNT of them.
    static std::vector<std::wstring> Slice(const std::vector<std::wstring>& lines, const std::wstring& first,
                                           size_t count) {
        const auto it = std::find(lines.begin(), lines.end(), first);
        if (it == lines.end()) return {};
        return {it, it + std::min<size_t>(count, lines.end() - it)};
    }
    void AddFile(const std::wstring& path, unsigned v1, unsigned v2, unsigned v3, unsigned v4) {
        files.AddFile(path);
        versions.SetVersion(path, v1, v2, v3, v4);
    }

    FakeRegistry registry;
    FakeFileSystem files;
    FakeVersionResource versions;
};

TEST_F(ProbesVersionsReport, EmptyWorkstationShowsEveryDefaultFolderAndMissingTestFile) {
    struct Section {
        const wchar_t* heading;
        size_t hyphens;
        std::vector<std::pair<const wchar_t*, const wchar_t*>> blocks;  // folder, missing line
    };
    const Section sections[] = {
        {L"SAP Setup",
         9,
         {{L"c:\\Program Files (x86)\\SAP\\SapSetup\\setup\\", L"Fichier \"NwSapSetup.exe\" introuvable."}}},
        {L"Business Explorer",
         17,
         {{L"c:\\Program Files (x86)\\SAP\\Business Explorer\\BI\\", L"Fichier \"BExAnalyzer.exe\" introuvable."}}},
        {L"SAP GUI for Windows",
         19,
         {{L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\", L"Fichier \"saplogon.exe\" introuvable."}}},
        {L"SAP NetWeaver Business Client 4",
         31,
         {{L"c:\\Program Files (x86)\\SAP\\NWBC40\\", L"Fichier \"NWBC.exe\" introuvable."}}},
        {L"SAP NetWeaver Business Client 5",
         31,
         {{L"c:\\Program Files (x86)\\SAP\\NWBC50\\", L"Fichier \"NWBC.exe\" introuvable."}}},
        {L"SAP Business Client 6",
         21,
         {{L"c:\\Program Files (x86)\\SAP\\NWBC60\\", L"Fichier \"NWBC.exe\" introuvable."}}},
        {L"SAP 3D Visual Entreprise Viewer",
         31,
         {{L"c:\\Program Files (x86)\\SAP\\SAP 3D Visual Enterprise Viewer\\",
           L"Fichier \"VEViewer.exe\" introuvable."}}},
        {L"Engineering Client Viewer",
         25,
         {{L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\Program\\", L"Fichier \"WebViewer2D.dll\" introuvable."}}},
        {L"SAP Secure Login Client",
         23,
         {{L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SecureLogin\\", L"Fichier \"bin\\sbus.exe\" introuvable."},
          {L"c:\\Program Files\\SAP\\FrontEnd\\SecureLogin\\", L"Fichier \"lib\\sapcrypto.dll\" introuvable."}}},
        {L"SNC Client Encryption",
         21,
         {{L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SAPgui\\Encryption\\", L"Fichier \"seccrypt.dll\" introuvable."}}},
        {L"Kerberos DLL",
         12,
         {{L"c:\\Program Files (x86)\\SAP\\Kerberos\\", L"Fichier \"gsskrb5.dll\" introuvable."},
          {L"c:\\Program Files\\SAP\\Kerberos\\", L"Fichier \"gx64krb5.dll\" introuvable."}}},
    };
    std::vector<std::wstring> expected;
    for (const Section& s : sections) {
        expected.insert(expected.end(), {L"", s.heading, std::wstring(s.hyphens, L'-')});
        for (const auto& [folder, missing] : s.blocks)
            expected.insert(expected.end(), {L"Path = " + std::wstring(folder), missing});
    }

    const std::vector<std::wstring> lines = Run();
    EXPECT_EQ(lines, expected);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[3], L"Path = c:\\Program Files (x86)\\SAP\\SapSetup\\setup\\");
    EXPECT_EQ(lines.back(), L"Fichier \"gx64krb5.dll\" introuvable.");
    EXPECT_EQ(Run(), lines) << "a second run gives the same report, not an appended one";
}

TEST_F(ProbesVersionsReport, SapGuiFilesAndReleaseLine) {
    const std::wstring gui = L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\";
    struct Case {
        const char* name;
        std::vector<unsigned> version;  // empty: saplogon.exe has no version resource
        bool withPad;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {"known version, saplgpad.exe missing",
         {7400, 3, 10, 1127},
         false,
         {L"saplogon.exe = 7400.3.10.1127", L"saplgpad.exe = Fichier non trouvé.",
          L"SAP Logon for Windows 740 Patch Level 10 Level 1", L""}},
        {"version no table knows: empty release line",
         {7500, 1, 0, 1000},
         true,
         {L"saplogon.exe = 7500.1.0.1000", L"saplgpad.exe = 7500.1.0.1000", L"", L""}},
        {"no version resource",
         {},
         false,
         {L"saplogon.exe = 0.0.0.0", L"saplgpad.exe = Fichier non trouvé.", L"", L""}},
    };
    for (const Case& c : cases) {
        files = {};
        versions = {};
        files.AddFile(gui + L"saplogon.exe");
        if (!c.version.empty())
            versions.SetVersion(gui + L"saplogon.exe", c.version[0], c.version[1], c.version[2], c.version[3]);
        if (c.withPad) AddFile(gui + L"saplgpad.exe", c.version[0], c.version[1], c.version[2], c.version[3]);
        // Section 3 after its Path line, up to the empty line that opens section 4.
        const auto section = Slice(Run(), L"Path = " + gui, 5);
        ASSERT_EQ(section.size(), 5u) << c.name;
        EXPECT_EQ(std::vector<std::wstring>(section.begin() + 1, section.end()), c.expected) << c.name;
    }
}

TEST_F(ProbesVersionsReport, RegistryFolderAndReleaseLinesOfOtherFamilies) {
    registry.SetText(L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared\\SAP_NWBC60", L"SAPDestDir", L"E:\\NWBC");
    AddFile(L"E:\\NWBC\\NWBC.exe", 60000, 1604, 14078, 18017);
    AddFile(L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\Program\\WebViewer2D.dll", 8, 2, 0, 14321);
    const auto lines = Run();
    EXPECT_EQ(Slice(lines, L"SAP Business Client 6", 5),
              (std::vector<std::wstring>{L"SAP Business Client 6", std::wstring(21, L'-'), L"Path = E:\\NWBC\\",
                                         L"NWBC.exe = 60000.1604.14078.18017",
                                         L"SAP NetWeaver Business Client 6.0 Final Release PL 3"}));
    EXPECT_EQ(Slice(lines, L"Path = c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\Program\\", 3),
              (std::vector<std::wstring>{L"Path = c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\Program\\",
                                         L"WebViewer2D.dll = 8.2.0.14321", L"ECL Viewer 7.0 Patch Level 19"}));
}

TEST_F(ProbesVersionsReport, SecureLoginAndKerberosSecondBlocks) {
    const std::wstring sl32 = L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SecureLogin\\";
    const std::wstring sl64 = L"c:\\Program Files\\SAP\\FrontEnd\\SecureLogin\\";
    AddFile(sl32 + L"bin\\sbus.exe", 2, 0, 6003, 0);
    AddFile(sl32 + L"bin\\sbusagent.exe", 2, 0, 6003, 0);
    AddFile(sl32 + L"lib\\sbussto.dll", 2, 0, 6003, 0);  // sapcrypto.dll of the 32-bit part is missing
    AddFile(sl64 + L"lib\\sapcrypto.dll", 8, 5, 7, 0);
    const std::wstring k64 = L"c:\\Program Files\\SAP\\Kerberos\\";
    for (const wchar_t* dll : {L"gx64krb5.dll", L"gi64krb5.dll", L"gx64ntlm.dll"}) AddFile(k64 + dll, 1, 0, 0, 7);

    const auto lines = Run();
    EXPECT_EQ(Slice(lines, L"SAP Secure Login Client", 10),
              (std::vector<std::wstring>{L"SAP Secure Login Client", std::wstring(23, L'-'), L"Path = " + sl32,
                                         L"sbus.exe = 2.0.6003.0", L"sbusagent.exe = 2.0.6003.0",
                                         L"sapcrypto.dll = Fichier non trouvé.", L"sbussto.dll = 2.0.6003.0",
                                         L"Path = " + sl64, L"sapcrypto.dll = 8.5.7.0", L""}));
    EXPECT_EQ(Slice(lines, L"Kerberos DLL", 10),
              (std::vector<std::wstring>{
                  L"Kerberos DLL", std::wstring(12, L'-'), L"Path = c:\\Program Files (x86)\\SAP\\Kerberos\\",
                  L"Fichier \"gsskrb5.dll\" introuvable.", L"Path = " + k64, L"gx64krb5.dll = 1.0.0.7",
                  L"gi64krb5.dll = 1.0.0.7", L"gi64ntlm.dll = Fichier non trouvé.", L"gx64ntlm.dll = 1.0.0.7"}));
    EXPECT_EQ(lines.back(), L"gx64ntlm.dll = 1.0.0.7");
}

TEST_F(ProbesVersionsReport, NonTextRegistryValueEndsTheReportKeepingEarlierLines) {
    registry.SetText(L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared", L"SAPsysdir", L"", FakeRegistry::Type::Dword);
    std::vector<std::wstring> lines;
    try {
        WriteVersionsReport(registry, files, versions, [&](const std::wstring& line) { lines.push_back(line); });
        FAIL() << "expected an error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"Type de données incorrect pour 'SAPsysdir'");
    }
    // Sections 1 and 2 whole, then the opening three lines of the SAP GUI section.
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[10], L"");
    EXPECT_EQ(lines[11], L"SAP GUI for Windows");
    EXPECT_EQ(lines[12], std::wstring(19, L'-'));
}

}  // namespace
}  // namespace orvane
