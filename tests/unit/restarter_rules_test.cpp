#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "restarter/HelperParameters.h"
#include "restarter/HelperRules.h"

namespace orvane {
namespace {

using Parts = std::vector<std::wstring>;

// Parameter texts as the engine writes them when it starts the helper, split back.
TEST(HelperCommandLine, SplitsWhatTheEngineWrites) {
    const struct {
        const wchar_t* text;
        Parts parts;
    } cases[] = {
        {LR"(1234 L C:\Apps\Tool\Tool.exe " " "C:\Temp\" Tool.exe)",
         {L"1234", L"L", LR"(C:\Apps\Tool\Tool.exe)", L" ", LR"(C:\Temp\)", L"Tool.exe"}},
        {LR"(1234 L null " " "C:\Temp\" Tool.exe)", {L"1234", L"L", L"null", L" ", LR"(C:\Temp\)", L"Tool.exe"}},
        {LR"(1234 X "C:\Program Files\Tool\Tool.exe" " " "C:\Temp\" Tool.exe_NEW b.dll_NEW)",
         {L"1234", L"X", LR"(C:\Program Files\Tool\Tool.exe)", L" ", LR"(C:\Temp\)", L"Tool.exe_NEW", L"b.dll_NEW"}},
        {LR"(1234 L C:\X\a.exe " " "." a.exe)", {L"1234", L"L", LR"(C:\X\a.exe)", L" ", L".", L"a.exe"}},
        {LR"(1234 L C:\X\a.exe "-user x -y" "C:\Dossier temp\" a.exe)",
         {L"1234", L"L", LR"(C:\X\a.exe)", L"-user x -y", LR"(C:\Dossier temp\)", L"a.exe"}},
        {LR"(1234 L C:\X\a.exe -q "C:\Temp\")", {L"1234", L"L", LR"(C:\X\a.exe)", L"-q", LR"(C:\Temp\)"}},
        // Not escapes: a backslash before a quote, doubled backslashes, quotes inside a word.
        {LR"(a\"b c")", {LR"(a\b c)"}},
        {LR"(\\server\share\ x)", {LR"(\\server\share\)", L"x"}},
        {LR"(ab"c d"e)", {L"abc de"}},
        {L"\"\" x", {L"", L"x"}},
        {L"  a \t b  ", {L"a", L"b"}},
        {L"", {}},
        {L"\"unclosed part", {L"unclosed part"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(SplitHelperCommandLine(c.text), c.parts);
    }
}

TEST(HelperCommandLine, DropsTheProgramName) {
    EXPECT_EQ(HelperArguments(LR"("C:\Users\Zoë Dupont\Temp\wusetup.exe" 1234 L null " " "C:\Temp\")"),
              (Parts{L"1234", L"L", L"null", L" ", LR"(C:\Temp\)"}));
    EXPECT_EQ(HelperArguments(LR"(wusetup.exe)"), Parts{});
}

TEST(HelperParameters, Reading) {
    const auto p =
        ParseHelperParameters({L"1234", L"L", L"C:\\App\\App.exe", L" ", L"C:\\Temp", L"App.exe_NEW", L"x.cab"});
    ASSERT_TRUE(p);
    EXPECT_EQ(p->processId, 1234u);
    EXPECT_TRUE(p->log);
    EXPECT_EQ(p->workFolder, L"C:\\Temp\\");
    EXPECT_EQ(p->files, (Parts{L"App.exe_NEW", L"x.cab"}));

    const struct {
        Parts args;
        bool accepted;
        bool log;
    } cases[] = {
        {{L"4294967295", L"L", L"null", L" ", L"."}, true, true},
        {{L"0012", L"l", L"null", L" ", L"."}, true, false},  // "L" exactly
        {{L"1", L"L ", L"null", L" ", L"."}, true, false},
        {{L"4294967296", L"L", L"null", L" ", L"."}, false, false},
        {{L"-1", L"L", L"null", L" ", L"."}, false, false},
        {{L"12a", L"L", L"null", L" ", L"."}, false, false},
        {{L"", L"L", L"null", L" ", L"."}, false, false},
        {{L" 12", L"L", L"null", L" ", L"."}, false, false},
        {{L"0x10", L"L", L"null", L" ", L"."}, false, false},
        {{L"99999999999999999999", L"L", L"null", L" ", L"."}, false, false},
        {{L"12", L"L", L"null", L" "}, false, false},  // no working folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const auto q = ParseHelperParameters(c.args);
        ASSERT_EQ(q.has_value(), c.accepted);
        if (q) {
            EXPECT_EQ(q->log, c.log);
        }
    }
}

TEST(HelperRules, ComponentKinds) {
    using K = TComponentKind;
    const struct {
        const wchar_t* name;
        K kind;
        const wchar_t* base;
    } cases[] = {
        {L"App.exe_NEW", K::ckCopy, L"App.exe"},
        {L"app.exe_new", K::ckCopy, L"app.exe"},
        {L"a_NEW_NEW", K::ckLz, L""},  // "_NEW" twice: not a delivered copy
        {L"a_NEW_NEW.cab", K::ckCabinet, L""},
        {L"_NEW", K::ckCopy, L""},
        {L"list.inf", K::ckFileList, L""},
        {L"x.INF", K::ckFileList, L""},
        {L"App.pat", K::ckPatch, L""},
        {L"b.CaB", K::ckCabinet, L""},
        {L"setup.exe", K::ckProgram, L""},
        {L"x.ex_", K::ckLz, L""},
        {L"x.dll", K::ckLz, L""},
        {L"inf", K::ckLz, L""},
        {L"a.inf.dl_", K::ckLz, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        const TComponentRule rule = ClassifyComponent(c.name);
        EXPECT_EQ(rule.kind, c.kind);
        EXPECT_EQ(rule.base, c.base);
    }
}

TEST(HelperRules, PlainFileNames) {
    for (const wchar_t* good : {L"App.exe_NEW", L"a b.dll", L"Zoë.txt", L"x.inf"})
        EXPECT_TRUE(IsPlainFileName(good)) << testing::PrintToString(std::wstring(good));
    for (const wchar_t* bad : {L"",           L".",       L"..",        L"..\\x.exe",     L"../x.exe",
                               L"sub\\x.dll", L"C:x.exe", L"C:\\x.exe", L"\\\\server\\x", L"x.exe:stream",
                               L"CON",        L"nul.txt", L"com1",      L"x.exe.",        L"x ",
                               L"a*b",        L"a?b",     L"a\"b",      L"a|b",           L"a<b"})
        EXPECT_FALSE(IsPlainFileName(bad)) << testing::PrintToString(std::wstring(bad));
}

TEST(HelperRules, ExpandTarget) {
    const THelperFolders f{L"C:\\Windows", L"C:\\Windows\\system32", L"D:\\Apps\\Tool", L"C:\\Temp\\", L"\\\\srv\\pf"};
    const struct {
        const wchar_t* target;
        const wchar_t* folder;
    } cases[] = {
        {L"{SYS}", L"C:\\Windows\\system32\\"},
        {L"{win}\\fonts", L"C:\\Windows\\fonts\\"},
        {L"{APP}", L"D:\\Apps\\Tool\\"},
        {L"{TMP}", L"C:\\Temp\\"},
        {L"{PF}\\Tool", L"\\\\srv\\pf\\.\\Tool\\"},  // a folder that is not a drive path gets "\."
        {L"{XYZ}\\a", L"{XYZ}\\a\\"},                // unknown names stay
        {L"{APP", L"{APP\\"},
        {L"E:\\Data\\", L"E:\\Data\\"},
        {L"{{APP}", L"{{APP}\\"},    // a second "{" is part of the name
        {L"", L"D:\\Apps\\Tool\\"},  // never the drive's root
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.target)));
        EXPECT_EQ(ExpandTarget(c.target, f), c.folder);
    }
    // The inserted folder is scanned again.
    const THelperFolders nested{L"{SYS}", L"C:\\S", L"", L"", L""};
    EXPECT_EQ(ExpandTarget(L"{WIN}", nested), L"C:\\S\\.\\");
}

TEST(HelperRules, FileLists) {
    const TWindows1252 ansi;
    const auto entries = ReadFileList(
        "; delivered with the update\r\n[FILES]\r\nCOUNT=3\r\nFILE1=a.dll_NEW\r\nTARGET1={SYS}\r\nfile2=b.cab\r\n"
        "target2={PF}\\Tool\r\nFILE3=" +
            std::string(200, 'x') + "\r\n",
        ansi);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].file, L"a.dll_NEW");
    EXPECT_EQ(entries[0].target, L"{SYS}");
    EXPECT_EQ(entries[1].target, L"{PF}\\Tool");
    EXPECT_EQ(entries[2].file, std::wstring(128, L'x'));
    EXPECT_EQ(entries[2].target, L"");

    for (const char* empty :
         {"", "[FILES]\nCOUNT=0\nFILE1=a\n", "[FILES]\nCOUNT=-5\nFILE1=a\n", "[OTHER]\nCOUNT=1\nFILE1=a\n"})
        EXPECT_TRUE(ReadFileList(empty, ansi).empty()) << empty;
    // A huge count stops at the first missing entry.
    EXPECT_EQ(ReadFileList("[FILES]\nCOUNT=2147483647\nFILE1=a\nFILE2=b\n", ansi).size(), 2u);
}

TEST(HelperRules, LogPath) {
    const TWindows1252 ansi;
    const struct {
        const char* settings;
        const wchar_t* path;
    } cases[] = {
        {"[CONFIG]\r\nLOGFILENAME=WUPDATE.LOG\r\n", L"C:\\Docs\\WUPDATE.LOG"},
        {"[config]\nlogfilename=C:\\Logs\\u.log\n", L"C:\\Logs\\u.log"},
        {"[CONFIG]\nLOGFILENAME=logs/u.log\n", L"logs/u.log"},
        {"[CONFIG]\nLOGFILENAME=D:u.log\n", L"D:u.log"},
        {"[CONFIG]\nOTHER=1\n", L"C:\\Docs\\WUPDATE.LOG"},
        {"[CONFIG]\nLOGFILENAME=\n", L"C:\\Docs\\WUPDATE.LOG"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        EXPECT_EQ(HelperLogPath(ConfiguredLogFileName(c.settings, ansi), L"C:\\Docs"), c.path);
    }
    EXPECT_EQ(HelperLogPath(std::nullopt, L"C:\\Docs\\"), L"C:\\Docs\\WUPDATE.LOG");
}

TEST(HelperRules, LogTimes) {
    const LocalTime t{2025, 3, 7, 9, 5, 4, 7};
    EXPECT_EQ(FormatHelperLogLine(t, L"UPD v2.0.4.0 started"), L"07/03/2025 09:05:04 : [000] UPD v2.0.4.0 started");
    EXPECT_EQ(FormatWaitTime(t), L"07/03/2025 09:05:04:007");
}

}  // namespace
}  // namespace orvane
