#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "core/Error.h"
#include "core/Text.h"
#include "landscape/LandscapeReader.h"
#include "landscape/StdTextFileReader.h"

namespace orvane {
namespace {

tyLandscape Read(std::string_view bytes) {
    tyLandscape l;
    ReadLandscapeBytes(bytes, l, TWindows1252());
    return l;
}

// Names of the flags that are set.
template <class R>
std::set<std::string> SetFlags(const R& record) {
    std::set<std::string> set;
    VisitFields(record, [&](const char*, const auto&, const char* flagName, auto flag) {
        if constexpr (!std::is_null_pointer_v<decltype(flag)>) {
            if (*flag) set.insert(flagName);
        }
    });
    return set;
}

using Flags = std::set<std::string>;

TEST(LandscapeModel, KeywordConversions) {
    const std::pair<const wchar_t*, tyServiceType> services[] = {
        {L" \tSAPGUI \r", stSAPGUI},
        {L"FIORI", stFIORI},
        {L"nwbc", stNWBC},
        {L"ByDesign", stByDesign},
        {L"wda", stWDA},
        {L"Map", stMAP},
        {L"portal", stPortal},
        {L"SidePanel", stSIDEPANEL},
        {L"URL", stURL},
        {L"search", stSearch},
        {L"Shortcut", stShortcut},
        {L"Reference", stReference},
        {L"ABAPmobile", stABAPmobile},
        {L"ao", stSAPGUI},
        {L"", stSAPGUI},
        {L"gui", stSAPGUI},
    };
    for (const auto& [text, type] : services) EXPECT_EQ(ServiceTypeFromText(text), type) << ToUtf8(text);
    const std::pair<const wchar_t*, tyCanvasAppType> canvases[] = {
        {L"BrowserURL", catBrowserURL},
        {L" browserbsp ", catBrowserBSP},
        {L"BROWSERES", catBrowserES},
        {L"BrowserServiceMap", catBrowserServiceMap},
        {L"BrowserTransaction", catBrowserTransaction},
        {L"BrowserWebDynpro", catBrowserWebDynpro},
        {L"BrowserWUI", catBrowserWUI},
        {L"SapguiTransaction", catSapguiTransaction},
        {L"empty", catEmpty},
        {L"Browser URL", catEmpty},
    };
    for (const auto& [text, type] : canvases) EXPECT_EQ(CanvasAppTypeFromText(text), type) << ToUtf8(text);
}

TEST(LandscapeModel, FreshRecordsAreEmptyAndCopiesIndependent) {
    const tyLandscape fresh;
    EXPECT_TRUE(fresh.Services.empty() && fresh.Workspaces.empty() && fresh.MessageServers.empty() &&
                fresh.Routers.empty() && fresh.LDAPS.empty() && fresh.Includes.empty() && fresh.Configuration.empty());
    EXPECT_TRUE(fresh.Generator.empty() && fresh.Updated.empty() && fresh.Version == 0);
    EXPECT_EQ(SetFlags(fresh), Flags{});
    EXPECT_EQ(SetFlags(tyService{}), Flags{});
    EXPECT_EQ(tyService{}.ServiceType, stNWBC);

    tyService source;
    source.Server = L"host1";
    tyServices services;
    services.push_back(source);
    source.Server = L"changed";
    EXPECT_EQ(services[0].Server, L"host1");
}

struct ReaderCase {
    const char* what;
    const char* xml;
    std::function<void(const tyLandscape&)> check;
};

const ReaderCase kReaderCases[] = {
    {"one self-closing service with a header",
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Landscape updated=\"2020-01-01\" version=\"1\">\r\n<Services>\r\n"
     "\t<Service type=\"SAPGUI\" uuid=\"a\" name=\"P01\" mode=\"1\" server=\"host1:3200\"/>\r\n</Services>\r\n"
     "</Landscape>\r\n",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.Services.size(), 1u);
         const tyService& s = l.Services[0];
         EXPECT_EQ(s.ServiceType, stSAPGUI);
         EXPECT_EQ(s.Mode, 1);
         EXPECT_EQ(s.Server, L"host1:3200");
         EXPECT_EQ(s.UUID, L"a");
         EXPECT_EQ(s.Name, L"P01");
         EXPECT_EQ(SetFlags(s), (Flags{"_ServiceType", "_Mode", "_Server", "_UUID", "_Name"}));
         EXPECT_EQ(l.Updated, L"2020-01-01");
         EXPECT_EQ(l.Version, 1);
         EXPECT_EQ(SetFlags(l), (Flags{"_Updated", "_Version"}));
     }},
    {"memo child",
     "<Service uuid=\"b\">\n  <Memo xml:space=\"preserve\">first line</Memo>\n</Service><Service uuid=\"c\"/>",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.Services.size(), 2u);
         EXPECT_EQ(l.Services[0].Memo, L"first line");
         EXPECT_TRUE(l.Services[0]._Memo);
         EXPECT_EQ(l.Services[1].UUID, L"c");
         EXPECT_FALSE(l.Services[1]._Memo);
     }},
    {"memo of blanks stays empty, memo with text kept untrimmed and undecoded",
     "<Service uuid=\"b\"><Memo>  \t </Memo></Service><Service uuid=\"d\"><Memo> a &amp; b </Memo></Service>",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.Services.size(), 2u);
         EXPECT_EQ(l.Services[0].Memo, L"");
         EXPECT_FALSE(l.Services[0]._Memo);
         EXPECT_EQ(l.Services[1].Memo, L" a &amp; b ");
     }},
    {"memo without a later \"</\" is empty and the rest is still read",
     "<Service uuid=\"m\"><Memo>never closed <Messageserver uuid=\"z\" host=\"h\"/>",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.Services.size(), 1u);
         EXPECT_FALSE(l.Services[0]._Memo);
         ASSERT_EQ(l.MessageServers.size(), 1u);
         EXPECT_EQ(l.MessageServers[0].Host, L"h");
     }},
    {"service closed by its end tag keeps its entry",
     "<Services><Service type=\"SAPGUI\" uuid=\"e\" mode=\"1\" server=\"h1\"></Service>"
     "<Service uuid=\"f\"><Messageserver uuid=\"ms\"/></Service><Service uuid=\"g\"><Service uuid=\"h\"/></Services>",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.Services.size(), 4u);
         EXPECT_EQ(l.Services[0].Server, L"h1");
         EXPECT_FALSE(l.Services[0]._Memo);
         EXPECT_EQ(l.Services[1].UUID, L"f");
         EXPECT_EQ(l.Services[2].UUID, L"g");
         EXPECT_EQ(l.Services[3].UUID, L"h");
         ASSERT_EQ(l.MessageServers.size(), 1u);  // the tag looked at is still dispatched
     }},
    {"tag looked at last in the file is still dispatched", "<Service uuid=\"a\"><Router uuid=\"r\"/>",
     [](const tyLandscape& l) {
         EXPECT_EQ(l.Services.size(), 1u);
         EXPECT_EQ(l.Routers.size(), 1u);
     }},
    {"a later service without msid has none",
     "<Service type=\"SAPGUI\" uuid=\"1\" msid=\"m1\"/><Service type=\"SAPGUI\" uuid=\"2\"/>",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.Services.size(), 2u);
         EXPECT_EQ(l.Services[0].MSID, L"m1");
         EXPECT_EQ(l.Services[1].MSID, L"");
         EXPECT_FALSE(l.Services[1]._MSID);
     }},
    {"element and attribute names without regard to case",
     "<MESSAGESERVER UUID=\"u\" HOST=\"h\"/><Messageserver uuid=\"u\" host=\"h\"/><messageserver Uuid=\"u\" "
     "Host=\"h\"/>",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.MessageServers.size(), 3u);
         for (const tyMessageServer& m : l.MessageServers) {
             EXPECT_EQ(m.UUID, L"u");
             EXPECT_EQ(m.Host, L"h");
             EXPECT_EQ(SetFlags(m), (Flags{"_UUID", "_Host"}));
         }
     }},
    {"booleans: exactly \"1\" is true, the flag is set either way",
     "<Service expert=\"true\" reuse=\"1\" wan=\"0\" slc=\"\" shortcut=\" 1\"/>",
     [](const tyLandscape& l) {
         const tyService& s = l.Services.at(0);
         EXPECT_FALSE(s.Expert);
         EXPECT_TRUE(s._Expert);
         EXPECT_TRUE(s.Reuse);
         EXPECT_FALSE(s.Wan);
         EXPECT_FALSE(s.SLC);
         EXPECT_TRUE(s._SLC);
         EXPECT_FALSE(s.Shortcut);
     }},
    {"byte fields keep the low 8 bits", "<Service sncop=\"-1\" mode=\"258\"/><Service sncop=\"200\" mode=\"-1\"/>",
     [](const tyLandscape& l) {
         EXPECT_EQ(l.Services.at(0).SNCop, -1);
         EXPECT_EQ(l.Services.at(0).Mode, 2);
         EXPECT_EQ(l.Services.at(1).SNCop, -56);
         EXPECT_EQ(l.Services.at(1).Mode, 255);
     }},
    {"configuration elements, with and without attributes; children not listed add nothing",
     "<Configuration key=\"k\" value=\"v\"/><Configuration><Parameter key=\"x\" value=\"y\"/></Configuration>",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.Configuration.size(), 2u);
         EXPECT_EQ(l.Configuration[0].Key, L"k");
         EXPECT_EQ(l.Configuration[0].Value, L"v");
         EXPECT_EQ(SetFlags(l.Configuration[1]), Flags{});
     }},
    {"lines joined with nothing between them",
     "<Service\r\ntype=\"SAPGUI\" uuid=\"lost\"/>\r\n<Service\r\n type=\"SAPGUI\" uuid=\"kept\"/>",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.Services.size(), 1u);
         EXPECT_EQ(l.Services[0].UUID, L"kept");
     }},
    {"value joined across lines", "<Service name=\"two\r\nlines\" server=\"a\nb\"/>",
     [](const tyLandscape& l) {
         EXPECT_EQ(l.Services.at(0).Name, L"twolines");
         EXPECT_EQ(l.Services.at(0).Server, L"ab");
     }},
    {"a lone CR drops the text up to the next LF",
     "<Service uuid=\"a\"/>\r<Service uuid=\"lost\"/>\n<Service uuid=\"b\"/>\r<Service uuid=\"lost too\"/>",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.Services.size(), 2u);
         EXPECT_EQ(l.Services[1].UUID, L"b");
     }},
    {"values unchanged: '=' inside, blanks, entities, blanks around '='",
     "<Service parameters=\"a=b c=d\" name=\" P01 &amp; x \" server = \"h\" description=\"\"/>",
     [](const tyLandscape& l) {
         const tyService& s = l.Services.at(0);
         EXPECT_EQ(s.Parameters, L"a=b c=d");
         EXPECT_EQ(s.Name, L" P01 &amp; x ");
         EXPECT_EQ(s.Server, L"h");
         EXPECT_TRUE(s._Description);
     }},
    {"attributes that fill nothing", "<Service auth=\"x\" host=\"h\" port=\"1\" scheme=\"s\" foo=\"1\" ncname=\"p\"/>",
     [](const tyLandscape& l) { EXPECT_EQ(SetFlags(l.Services.at(0)), Flags{}); }},
    {"every service attribute lands in its field",
     "<Service canvasapptype=\"BrowserURL\" cencoding=\"ce\" client=\"100\" client_type=\"ct\" clocale=\"FR\" "
     "cmd=\"c\" cmd_type=\"cty\" conid=\"ci\" dcpg=\"2\" def=\"3\" description=\"d\" encoding=\"e\" expert=\"1\" "
     "guiparam=\"g\" hostspec=\"hs\" language=\"EN\" link=\"l\" mnemonic=\"mn\" mode=\"1\" msid=\"ms\" name=\"n\" "
     "parameters=\"p\" protocol=\"ni\" reuse=\"1\" rfcid=\"rf\" routerid=\"ro\" sapcpg=\"1100\" sapguiid=\"sg\" "
     "shortcut=\"1\" server=\"sv\" slc=\"1\" sncname=\"sn\" sncnosso=\"1\" sncop=\"9\" sso2=\"s2\" systemid=\"P01\" "
     "trace=\"4\" transaction=\"SU01\" type=\"Reference\" uncoff=\"1\" url=\"u\" user=\"us\" uuid=\"uu\" wan=\"1\" "
     "winmax=\"wm\" work_dir=\"wd\" wp=\"1\"/>",
     [](const tyLandscape& l) {
         const tyService& s = l.Services.at(0);
         EXPECT_EQ(SetFlags(s).size(), 47u);
         EXPECT_EQ(s.CanvasAppType, catBrowserURL);
         EXPECT_EQ(s.ClientType, L"ct");
         EXPECT_EQ(s.CmdType, L"cty");
         EXPECT_EQ(s.Client, 100);
         EXPECT_EQ(s.DCpg, 2);
         EXPECT_EQ(s.Def, 3);
         EXPECT_EQ(s.SAPcpg, 1100);
         EXPECT_EQ(s.Trace, 4);
         EXPECT_EQ(s.SNCop, 9);
         EXPECT_EQ(s.ServiceType, stReference);
         EXPECT_EQ(s.WorkDir, L"wd");
         EXPECT_EQ(s.SAPGuiID, L"sg");
         EXPECT_TRUE(s.Expert && s.Reuse && s.Shortcut && s.SLC && s.SNCnoSSO && s.UNCoff && s.Wan && s.WP);
         EXPECT_FALSE(s._Host || s._Port || s._FilterID || s._Scheme || s._ServerType || s._Memo);
     }},
    {"message server, router and header attributes",
     "<Landscape generator=\"gen\" localization=\"fr\" origin=\"o\" updated=\"u\" version=\"2\">"
     "<Messageserver uuid=\"m\" name=\"P01\" host=\"h\" port=\"03601\" description=\"d\" routerid=\"r\" "
     "ldapid=\"l\" http_port=\"8000\"/><Router uuid=\"r\" name=\"R\" router=\"/H/a/S/3299/H/\" description=\"rd\"/>",
     [](const tyLandscape& l) {
         EXPECT_EQ(SetFlags(l).size(), 5u);
         EXPECT_EQ(l.Generator, L"gen");
         EXPECT_EQ(l.Version, 2);
         const tyMessageServer& m = l.MessageServers.at(0);
         EXPECT_EQ(SetFlags(m).size(), 8u);
         EXPECT_EQ(m.Port, 3601);
         EXPECT_EQ(m.HttpPort, 8000);
         EXPECT_EQ(m.LdapID, L"l");
         const tyRouter& r = l.Routers.at(0);
         EXPECT_EQ(SetFlags(r).size(), 4u);
         EXPECT_EQ(r.Router, L"/H/a/S/3299/H/");
     }},
    {"names only as cut at the first space",
     "<Service\ttype=\"SAPGUI\"/><Service/><Services uuid=\"x\"/><Workspace><Item uuid=\"i\" serviceid=\"s\"/>"
     "<Node name=\"n\"/></Workspace>\r\n<!--<Service uuid=\"first\"/>\r\n<Service uuid=\"second\"/>-->",
     [](const tyLandscape& l) {
         // Comments are not understood: the first tag of one is the comment's own, later ones are read.
         ASSERT_EQ(l.Services.size(), 1u);
         EXPECT_EQ(l.Services[0].UUID, L"second");
     }},
    {"text before a '>' with no '<' is skipped", "Service uuid=\"x\"/> junk > <Service uuid=\"y\"/>",
     [](const tyLandscape& l) {
         ASSERT_EQ(l.Services.size(), 1u);
         EXPECT_EQ(l.Services[0].UUID, L"y");
     }},
    {"ANSI bytes widened through the code page",
     "<Service name=\"Energ\xED"
     "a \x80\" description=\"caf\xE9\"/>",
     [](const tyLandscape& l) {
         EXPECT_EQ(l.Services.at(0).Name, L"Energ\u00EDa \u20AC");
         EXPECT_EQ(l.Services.at(0).Description, L"caf\u00E9");
     }},
    {"UTF-8 byte-order mark is not special", "\xEF\xBB\xBF<Landscape version=\"1\"/>",
     [](const tyLandscape& l) { EXPECT_EQ(l.Version, 1); }},
    {"the last of a repeated attribute wins", "<Service uuid=\"a\" uuid=\"b\"/>",
     [](const tyLandscape& l) { EXPECT_EQ(l.Services.at(0).UUID, L"b"); }},
};

TEST(LandscapeReader, Behaviour) {
    for (const ReaderCase& c : kReaderCases) {
        SCOPED_TRACE(c.what);
        c.check(Read(c.xml));
    }
}

// Inputs on which the steps as written would never move on; each must end.
TEST(LandscapeReader, InputsWithoutProgressEnd) {
    const struct {
        const char* what;
        const char* xml;
        size_t services;
        const wchar_t* uuid;
    } cases[] = {
        {"no '>' after the last tag", "<Service uuid=\"a\"/><Service uuid=\"b\"", 1, L"a"},
        {"only text", "   no tags at all   ", 0, L""},
        {"empty file", "", 0, L""},
        {"only '<'", "<<<<", 0, L""},
        {"only '>'", ">>>>", 0, L""},
        {"attribute without a value", "<Service uuid=\"a\" expert/>", 1, L"a"},
        {"attribute without '=' first", "<Service expert uuid=\"a\"/>", 1, L""},
        {"single-quoted values", "<Service uuid='a' name='b'/><Service uuid=\"c\"/>", 2, L""},
        {"unterminated quote", "<Service uuid=\"a name=\"b/>", 1, L"a name="},
        {"quote without '='", "<Service \"a\" \"b\"/>", 1, L""},
        {"service tag without '>' then memo", "<Service uuid=\"a\"><Memo", 1, L"a"},
        {"only a slash", "<Service />", 1, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const tyLandscape l = Read(c.xml);
        ASSERT_EQ(l.Services.size(), c.services);
        if (c.services) {
            EXPECT_EQ(l.Services[0].UUID, c.uuid);
        }
    }
}

TEST(LandscapeReader, IntegerConversion) {
    const std::pair<const char*, int32_t> good[] = {
        {"12", 12},
        {" 12", 12},
        {"+7", 7},
        {"-1", -1},
        {"03601", 3601},
        {"$1F", 31},
        {"x10", 16},
        {"X10", 16},
        {"0x1f", 31},
        {"0X1F", 31},
        {"-$10", -16},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$FFFFFFFF", -1},
        {"0", 0},
    };
    for (const auto& [text, value] : good) {
        const tyLandscape l = Read(std::string("<Service client=\"") + text + "\"/>");
        EXPECT_EQ(l.Services.at(0).Client, value) << text;
    }
    const char* bad[] = {"",  " ",          "12 ",         "1.5",        "xxxx", "0x",  "$",   "-",
                         "+", "2147483648", "-2147483649", "$100000000", "1e3",  "\t1", "12a", "0x-1"};
    for (const char* text : bad) {
        try {
            Read(std::string("<Service client=\"") + text + "\"/>");
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Message(), L"'" + FromUtf8(text) + L"' n'est pas une valeur entière correcte");
        }
    }
}

TEST(LandscapeReader, ConversionErrorKeepsWhatCameBefore) {
    tyLandscape l;
    const char* xml =
        "<Landscape version=\"3\" updated=\"x\"><Service uuid=\"s1\"/><Messageserver uuid=\"m1\" port=\"3600\"/>"
        "<Messageserver uuid=\"m2\" port=\"\"/><Service uuid=\"s2\"/>";
    try {
        ReadLandscapeBytes(xml, l, TWindows1252());
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"'' n'est pas une valeur entière correcte");
    }
    EXPECT_EQ(l.Version, 3);
    ASSERT_EQ(l.Services.size(), 1u);
    ASSERT_EQ(l.MessageServers.size(), 1u);  // the failing entry is not appended half-filled
    EXPECT_EQ(l.MessageServers[0].UUID, L"m1");

    try {
        Read("<Landscape version=\"v1\"/>");
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"'v1' n'est pas une valeur entière correcte");
    }
}

TEST(LandscapeReader, JoinsLines) {
    const std::pair<const char*, const char*> cases[] = {
        {"a\r\nb", "ab"},   {"a\nb\n", "ab"}, {"a\rX\nb", "ab"},      {"a\rb", "a"},        {"\n\n\na", "a"},
        {"a\r\r\nb", "ab"}, {"", ""},         {"a\n\rjunk\nb", "ab"}, {"a\tb  ", "a\tb  "},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(JoinLandscapeLines(in), out) << in;
}

// A Memo tag that ends in "/" holds nothing, whatever blanks stand around the slash: the elements
// right after it are read as elements, not taken as the memo's text up to the next "</".
TEST(LandscapeReader, SelfClosedMemoDoesNotSwallowWhatFollows) {
    for (const char* memo : {"<Memo/>", "<Memo />", "<Memo  /  >", "<Memo xml:space=\"preserve\"/>",
                             "<Memo xml:space=\"preserve\" />", "<Memo xml:space=\"preserve\" / >", "<Memo\t/>"}) {
        const tyLandscape l = Read(std::string("<Services><Service uuid=\"a\">") + memo +
                                   "<Service uuid=\"b\"/><Messageserver uuid=\"m\" host=\"h\"/></Services>");
        ASSERT_EQ(l.Services.size(), 2u) << memo;
        EXPECT_FALSE(l.Services[0]._Memo) << memo;
        EXPECT_EQ(l.Services[1].UUID, L"b") << memo;
        EXPECT_EQ(l.MessageServers.size(), 1u) << memo;
    }
    // A Memo that opens keeps its text up to the next "</", as before.
    const tyLandscape l = Read("<Service uuid=\"a\"><Memo xml:space=\"preserve\">a / b</Memo></Service>");
    ASSERT_EQ(l.Services.size(), 1u);
    EXPECT_EQ(l.Services[0].Memo, L"a / b");
}

// An Include is recorded, never opened: a real landscape file beside the one read, named by its
// plain name, its full path and a file URL, contributes none of its services.
TEST(LandscapeReader, IncludesAreRecordedNotFollowed) {
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "orvane_landscape_include";
    std::filesystem::create_directories(folder);
    const std::filesystem::path global = folder / "SAPUILandscapeGlobal.xml";
    const std::filesystem::path local = folder / "SAPUILandscape.xml";
    std::ofstream(global, std::ios::binary)
        << "<Landscape><Services><Service type=\"SAPGUI\" uuid=\"g1\" name=\"GLOBAL\" mode=\"1\" "
           "server=\"127.0.0.9\"/></Services></Landscape>\r\n";
    const std::string globalPath = global.string();
    std::ofstream(local, std::ios::binary)
        << "<Landscape><Includes>\r\n<Include url=\"SAPUILandscapeGlobal.xml\" index=\"0\"/>\r\n"
        << "<Include url=\"" << globalPath << "\" index=\"1\"/>\r\n"
        << "<Include url=\"file:///" << globalPath << "\" index=\"2\"/>\r\n</Includes></Landscape>\r\n";

    tyLandscape included;
    ReadLandscape(FromUtf8(globalPath), included, TStdTextFileReader(), TWindows1252());
    ASSERT_EQ(included.Services.size(), 1u) << "the included file holds a service of its own";

    tyLandscape l;
    ReadLandscape(FromUtf8(local.string()), l, TStdTextFileReader(), TWindows1252());
    ASSERT_EQ(l.Includes.size(), 3u);
    EXPECT_EQ(l.Includes[0].URL, L"SAPUILandscapeGlobal.xml");
    EXPECT_EQ(l.Includes[1].URL, FromUtf8(globalPath));
    EXPECT_EQ(l.Includes[2].URL, L"file:///" + FromUtf8(globalPath));
    EXPECT_EQ(l.Includes[2].Index, 2);
    EXPECT_TRUE(l.Services.empty());
    EXPECT_TRUE(l.MessageServers.empty());
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

TEST(LandscapeReader, UnreadableFileRaisesBeforeStoringAnything) {
    tyLandscape l;
    EXPECT_THROW(ReadLandscape(FromUtf8(ORVANE_FIXTURES) + L"/real/landscape/no-such-file.xml", l, TStdTextFileReader(),
                               TWindows1252()),
                 AppError);
    EXPECT_TRUE(l.Services.empty());
    EXPECT_FALSE(l._Version);
}

} // namespace
} // namespace orvane
