#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/Error.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeProbes.h"
#include "probes/ConfigurationFiles.h"
#include "probes/TextDecoding.h"

namespace orvane {
namespace {

using fakes::FakeEnvironment;
using fakes::FakeFileSystem;
using fakes::FakeRegistry;
using fakes::FakeTextFileReader;

const std::wstring kAppData = L"C:\\Users\\u1\\AppData\\Roaming";
const std::wstring kGuiFolder = L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\";
constexpr const wchar_t* kNotFound = L"Fichier non trouvé.";

class ProbesFileSearch : public ::testing::Test {
protected:
    ProbesFileSearch() {
        env.Set(L"windir", L"C:\\Windows");
        env.Set(L"APPDATA", kAppData);
    }
    void AddTextFile(const std::wstring& path, const std::string& bytes = "[x]\r\n") {
        files.AddFile(path);
        reader.SetBytes(path, bytes);
    }
    std::vector<TConfigFileView> Run() {
        std::vector<TConfigFileView> views;
        SearchConfigFiles(Sources(), paths, [&](const TConfigFileView& v) { views.push_back(v); });
        return views;
    }
    TConfigFileView RunFor(TConfigFileTab tab) {
        for (const TConfigFileView& v : Run())
            if (v.tab == tab) return v;
        ADD_FAILURE() << "tab not shown";
        return {};
    }
    TConfigFileSources Sources() { return {env, registry, files, reader, ansi}; }

    FakeEnvironment env;
    FakeRegistry registry;
    FakeFileSystem files;
    FakeTextFileReader reader;
    TWindows1252 ansi;
    TConfigFilePaths paths;
};

TEST_F(ProbesFileSearch, NothingInstalledShowsSixTabsInOrderWithWindowsFallback) {
    AddTextFile(L"C:\\Windows\\System32\\drivers\\etc\\services", "sapdp00  3200/tcp\n");
    const auto views = Run();
    ASSERT_EQ(views.size(), 6u);
    struct Expected {
        TConfigFileTab tab;
        const wchar_t* pathBox;
    };
    const Expected expected[] = {
        {TConfigFileTab::Services, L"C:\\Windows\\System32\\drivers\\etc\\services"},
        {TConfigFileTab::SapLogonIni, kNotFound},
        {TConfigFileTab::SapLogonTreeXml, kNotFound},
        {TConfigFileTab::SapRouteIni, kNotFound},
        {TConfigFileTab::SapMsgIni, kNotFound},
        {TConfigFileTab::SapUiLandscapeXml, kNotFound},
    };
    for (size_t i = 0; i < views.size(); ++i) {
        EXPECT_EQ(views[i].tab, expected[i].tab) << i;
        EXPECT_EQ(views[i].pathBox, expected[i].pathBox) << i;
        EXPECT_EQ(views[i].found, i == 0) << i;
    }
    EXPECT_EQ(views[0].text, L"sapdp00  3200/tcp\r\n");
    EXPECT_TRUE(views[1].text.empty());
    EXPECT_EQ(paths.FSAPLOGON_INI_FilePath, L"C:\\Windows\\saplogon.ini");
    EXPECT_EQ(paths.FSAPUILANDSCAPE_XML_FilePath, kAppData + L"\\SAP\\Common\\sapuilandscape.xml");
}

TEST_F(ProbesFileSearch, SapLogonIniOrderOfPlaces) {
    const std::wstring roaming = kAppData + L"\\SAP\\Common\\saplogon.ini";
    struct Case {
        const char* name;
        const wchar_t* variable;  // SAPLOGON_INI_FILE, nullptr when unset
        std::vector<std::wstring> present;
        std::wstring expectedPath;
        bool found;
    };
    const Case cases[] = {
        {"variable names a missing file: no fallback",
         L"D:\\Conf\\saplogon.ini",
         {roaming, kGuiFolder + L"saplogon.ini"},
         L"D:\\Conf\\saplogon.ini",
         false},
        {"variable with a reference",
         L"%APPDATA%\\SAP\\Custom\\saplogon.ini",
         {kAppData + L"\\SAP\\Custom\\saplogon.ini"},
         kAppData + L"\\SAP\\Custom\\saplogon.ini",
         true},
        {"set but empty counts as unset", L"", {roaming}, roaming, true},
        {"APPDATA copy wins over the SAP GUI folder", nullptr, {roaming, kGuiFolder + L"saplogon.ini"}, roaming, true},
        {"SAP GUI folder next",
         nullptr,
         {kGuiFolder + L"saplogon.ini", L"C:\\Windows\\saplogon.ini"},
         kGuiFolder + L"saplogon.ini",
         true},
        {"Windows folder last", nullptr, {L"C:\\Windows\\saplogon.ini"}, L"C:\\Windows\\saplogon.ini", true},
    };
    for (const Case& c : cases) {
        files = {};
        reader = {};
        env = {};
        env.Set(L"windir", L"C:\\Windows");
        env.Set(L"APPDATA", kAppData);
        if (c.variable) env.Set(L"SAPLOGON_INI_FILE", c.variable);
        for (const std::wstring& p : c.present) AddTextFile(p);
        const TConfigFileView view = RunFor(TConfigFileTab::SapLogonIni);
        EXPECT_EQ(paths.FSAPLOGON_INI_FilePath, c.expectedPath) << c.name;
        EXPECT_EQ(view.pathBox, c.found ? c.expectedPath : kNotFound) << c.name;
    }
}

TEST_F(ProbesFileSearch, CompanionsAreLookedForBesideTheChosenIniEvenAMissingOne) {
    env.Set(L"SAPLOGON_INI_FILE", L"%APPDATA%\\SAP\\Custom\\saplogon.ini");
    AddTextFile(kAppData + L"\\SAP\\Custom\\SAPlogontree.xml", "<SAPTREE/>");
    AddTextFile(kAppData + L"\\SAP\\Custom\\sapmsg.ini");
    AddTextFile(kAppData + L"\\SAP\\Common\\saproute.ini");  // beside another saplogon.ini: not used
    const auto views = Run();
    ASSERT_EQ(views.size(), 6u);
    EXPECT_EQ(views[1].pathBox, kNotFound);
    EXPECT_EQ(views[2].pathBox, kAppData + L"\\SAP\\Custom\\SAPlogontree.xml");
    EXPECT_EQ(views[2].text, L"<SAPTREE/>");
    EXPECT_EQ(views[3].pathBox, kNotFound);
    EXPECT_EQ(views[4].pathBox, kAppData + L"\\SAP\\Custom\\sapmsg.ini");
}

TEST_F(ProbesFileSearch, SapGuiFolderRecordedWithAReferenceIsStillFound) {
    env.Set(L"ProgramFiles(x86)", L"C:\\Program Files (x86)");
    registry.SetText(L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared", L"SAPsysdir",
                     L"%ProgramFiles(x86)%\\SAP\\FrontEnd\\SAPgui", FakeRegistry::Type::ExpandSz);
    AddTextFile(L"C:\\Program Files (x86)\\SAP\\FrontEnd\\SAPgui\\saplogon.ini");
    EXPECT_EQ(RunFor(TConfigFileTab::SapLogonIni).pathBox,
              L"C:\\Program Files (x86)\\SAP\\FrontEnd\\SAPgui\\saplogon.ini");
}

TEST_F(ProbesFileSearch, LandscapeOrderOfPlaces) {
    const std::wstring key = kSapLogonOptionsKey;
    const std::wstring unc = L"\\\\fileserver\\sap\\SAPUILandscapeGlobal.xml";
    struct Case {
        const char* name;
        const wchar_t* variable;  // SAPLOGON_LSXML_FILE
        const wchar_t* onServer;  // LandscapeFileOnServer
        bool denyKey;
        std::wstring expected;
    };
    const Case cases[] = {
        {"variable first", L"%APPDATA%\\lsx.xml", unc.c_str(), false, kAppData + L"\\lsx.xml"},
        {"registry value next", nullptr, unc.c_str(), false, unc},
        {"empty registry value", nullptr, L"", false, kAppData + L"\\SAP\\Common\\sapuilandscape.xml"},
        {"refused key", nullptr, unc.c_str(), true, kAppData + L"\\SAP\\Common\\sapuilandscape.xml"},
        {"no value", nullptr, nullptr, false, kAppData + L"\\SAP\\Common\\sapuilandscape.xml"},
    };
    for (const Case& c : cases) {
        registry = {};
        env = {};
        env.Set(L"APPDATA", kAppData);
        if (c.variable) env.Set(L"SAPLOGON_LSXML_FILE", c.variable);
        if (c.onServer) registry.SetText(key, L"LandscapeFileOnServer", c.onServer);
        if (c.denyKey) registry.Deny(key);
        files = {};
        AddTextFile(c.expected, "<Landscape/>");
        const TConfigFileView view = RunFor(TConfigFileTab::SapUiLandscapeXml);
        EXPECT_EQ(paths.FSAPUILANDSCAPE_XML_FilePath, c.expected) << c.name;
        EXPECT_EQ(view.pathBox, c.expected) << c.name;
        EXPECT_EQ(view.text, L"<Landscape/>") << c.name;
    }
}

TEST_F(ProbesFileSearch, ErrorsEndTheSearchAtTheirStep) {
    // A landscape value that is not text: five tabs shown, then the error.
    registry.SetText(kSapLogonOptionsKey, L"LandscapeFileOnServer", L"", FakeRegistry::Type::Dword);
    std::vector<TConfigFileView> views;
    try {
        SearchConfigFiles(Sources(), paths, [&](const TConfigFileView& v) { views.push_back(v); });
        ADD_FAILURE() << "expected an error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"Type de données incorrect pour 'LandscapeFileOnServer'");
    }
    EXPECT_EQ(views.size(), 5u);
    EXPECT_EQ(paths.FSAPLOGON_INI_FilePath, L"C:\\Windows\\saplogon.ini");

    // A saplogon.ini locked for writing by another program: the services tab only.
    registry = {};
    const std::wstring ini = kAppData + L"\\SAP\\Common\\saplogon.ini";
    AddTextFile(ini);
    reader.Lock(ini);
    views.clear();
    EXPECT_THROW(SearchConfigFiles(Sources(), paths, [&](const TConfigFileView& v) { views.push_back(v); }), AppError);
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].tab, TConfigFileTab::Services);
    EXPECT_EQ(paths.FSAPLOGON_INI_FilePath, ini);
}

TEST(ProbesConfigFiles, ServicesPathAndFolderPart) {
    FakeEnvironment env;
    EXPECT_EQ(ServicesFilePath(env), L"\\System32\\drivers\\etc\\services");
    env.Set(L"windir", L"C:\\WINDOWS\\");
    EXPECT_EQ(ServicesFilePath(env), L"C:\\WINDOWS\\System32\\drivers\\etc\\services");
    env.Set(L"windir", L"%SystemRoot%");  // taken as it is
    EXPECT_EQ(ServicesFilePath(env), L"%SystemRoot%\\System32\\drivers\\etc\\services");

    EXPECT_EQ(FolderPart(L"C:\\a\\b\\saplogon.ini"), L"C:\\a\\b\\");
    EXPECT_EQ(FolderPart(L"D:saplogon.ini"), L"D:");
    EXPECT_EQ(FolderPart(L"saplogon.ini"), L"");
}

TEST(ProbesTextDecoding, MarksEncodingsAndLineBreaks) {
    const TWindows1252 ansi;
    struct Case {
        const char* name;
        std::string bytes;
        TTextEncoding encoding;
        std::wstring text;
    };
    const Case cases[] = {
        {"ANSI", "caf\xE9 \x80", TTextEncoding::Ansi, L"caf\u00E9 \u20AC"},
        {"plain ASCII", "a=b", TTextEncoding::Ansi, L"a=b"},
        {"UTF-8 mark",
         "\xEF\xBB\xBF"
         "caf\xC3\xA9",
         TTextEncoding::Utf8, L"caf\u00E9"},
        {"UTF-8 mark, malformed",
         "\xEF\xBB\xBF"
         "a\xFFz",
         TTextEncoding::Utf8, L"a\uFFFDz"},
        {"UTF-8 without mark",
         "Energ\xC3\xAD"
         "a",
         TTextEncoding::Utf8WithoutBom, L"Energ\u00EDa"},
        {"overlong UTF-8 is ANSI", "\xC0\xAF", TTextEncoding::Ansi, L"\u00C0\u00AF"},
        {"truncated UTF-8 is ANSI", "ab\xC3", TTextEncoding::Ansi, L"ab\u00C3"},
        {"UTF-16 LE",
         std::string("\xFF\xFE"
                     "a\0\xE9\0",
                     6),
         TTextEncoding::Utf16LE, L"a\u00E9"},
        {"UTF-16 BE", std::string("\xFE\xFF\0a\0\xE9", 6), TTextEncoding::Utf16BE, L"a\u00E9"},
        {"UTF-16 LE pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), TTextEncoding::Utf16LE,
         FromUtf8("\xF0\x9F\x98\x80")},
        {"UTF-16 lone surrogate, odd byte", std::string("\xFF\xFE\x3D\xD8x", 5), TTextEncoding::Utf16LE,
         L"\uFFFD\uFFFD"},
        {"mark only", "\xEF\xBB\xBF", TTextEncoding::Utf8, L""},
        {"CR, LF and CR LF", "a\rb\nc\r\nd\n\re", TTextEncoding::Ansi, L"a\r\nb\r\nc\r\nd\r\n\r\ne"},
        {"UTF-16 line breaks",
         std::string("\xFF\xFE"
                     "a\0\n\0b\0\r\0",
                     10),
         TTextEncoding::Utf16LE, L"a\r\nb\r\n"},
        {"NUL", std::string("a\0b", 3), TTextEncoding::Ansi, L"a\uFFFDb"},
    };
    for (const Case& c : cases) {
        const TDecodedText decoded = DecodeTextFile(c.bytes, ansi);
        EXPECT_EQ(decoded.encoding, c.encoding) << c.name;
        EXPECT_EQ(decoded.text, c.text) << c.name;
    }
}

std::string ReadFixture(const std::string& relative) {
    std::ifstream in(std::string(ORVANE_FIXTURES) + "/real/" + relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ProbesTextDecoding, RealSapFiles) {
    const TWindows1252 ansi;
    // SAP writes the logon tree as UTF-8 without a mark.
    const std::string tree = ReadFixture("logontree/SapLogonTree-hu-7400-utf8.xml");
    ASSERT_FALSE(tree.empty());
    const TDecodedText treeText = DecodeTextFile(tree, ansi);
    EXPECT_EQ(treeText.encoding, TTextEncoding::Utf8WithoutBom);
    EXPECT_NE(treeText.text.find(FromUtf8("K\xC3\xB6z\xC3\xA9p-eur\xC3\xB3pai")), std::wstring::npos);

    // An ANSI (cp1250) saplogon.ini with CR LF and no final line break stays ANSI.
    const std::string ini = ReadFixture("saplogon/hu-102-entries-cp1250-crlf-no-final-newline.ini");
    ASSERT_FALSE(ini.empty());
    const TDecodedText iniText = DecodeTextFile(ini, ansi);
    EXPECT_EQ(iniText.encoding, TTextEncoding::Ansi);
    EXPECT_EQ(iniText.text.size(), ini.size());
    EXPECT_EQ(LineStarts(iniText.text).size(), static_cast<size_t>(std::count(ini.begin(), ini.end(), '\n')) + 1);

    // A landscape file with a mark and lines that the mark must not shift.
    const std::string big = ReadFixture("landscape/sapgui750-bom-big-commented-services.xml");
    const TDecodedText bigText = DecodeTextFile(big, ansi);
    EXPECT_EQ(bigText.encoding, TTextEncoding::Utf8);
    EXPECT_TRUE(bigText.text.starts_with(L"<?xml"));
}

TEST(ProbesTextDecoding, LineStarts) {
    struct Case {
        std::wstring text;
        std::vector<size_t> starts;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {L"", {}, {}},
        {L"a", {0}, {L"a"}},
        {L"a\r\nbc\r\n", {0, 3}, {L"a", L"bc"}},
        {L"a\r\n\r\nb", {0, 3, 5}, {L"a", L"", L"b"}},
        {L"a\nb\rc", {0, 2, 4}, {L"a", L"b", L"c"}},
        {L"\r\n", {0}, {L""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LineStarts(c.text), c.starts) << ToUtf8(c.text);
        std::vector<std::wstring> lines;
        for (size_t s : c.starts) lines.emplace_back(LineAt(c.text, s));
        EXPECT_EQ(lines, c.lines) << ToUtf8(c.text);
    }
}

}  // namespace
}  // namespace orvane
