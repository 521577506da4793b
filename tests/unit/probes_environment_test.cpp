#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "probes/EnvironmentVariables.h"

namespace orvane {
namespace {

using fakes::FakeEnvironment;

TEST(ProbesEnvironmentGrid, SixRowsInOrderSetEmptyAndUnsetAlike) {
    FakeEnvironment env;
    EXPECT_EQ(EnvironmentGridRows(env),
              (std::vector<std::wstring>{L"SNC_LIB=", L"SNC_LIB_64=", L"SSF_LIBRARY_PATH=", L"SSF_LIBRARY_PATH_64=",
                                         L"SAPLOGON_INI_FILE=", L"SAPLOGON_LSXML_FILE="}));
    env.Set(L"SNC_LIB", L"C:\\Program Files\\SAP\\FrontEnd\\SecureLogin\\lib\\sapcrypto.dll");
    env.Set(L"SSF_LIBRARY_PATH", L"");
    env.Set(L"SAPLOGON_LSXML_FILE", L"a=b");  // only the first "=" separates the columns
    const auto rows = EnvironmentGridRows(env);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], L"SNC_LIB=C:\\Program Files\\SAP\\FrontEnd\\SecureLogin\\lib\\sapcrypto.dll");
    EXPECT_EQ(rows[2], L"SSF_LIBRARY_PATH=");
    EXPECT_EQ(rows[5], L"SAPLOGON_LSXML_FILE=a=b");
}

TEST(ProbesEnvironmentGrid, EnsureTrailingBackslash) {
    EXPECT_EQ(EnsureTrailingBackslash(L""), L"\\");
    EXPECT_EQ(EnsureTrailingBackslash(L"C:\\Windows"), L"C:\\Windows\\");
    EXPECT_EQ(EnsureTrailingBackslash(L"C:\\Windows\\"), L"C:\\Windows\\");
}

// Texts whose expansion ends on its own: the first "%" pairs with the next, every reference to that
// name is replaced at once, and the search starts again from the left.
TEST(ProbesExpandPercentVars, Expansion) {
    FakeEnvironment env;
    env.Set(L"APPDATA", L"C:\\Users\\u1\\AppData\\Roaming");
    env.Set(L"ProgramFiles(x86)", L"C:\\Program Files (x86)");
    env.Set(L"EMPTY", L"");
    env.Set(L"NESTED", L"%APPDATA%\\SAP");
    env.Set(L"TRAIL", L"x%");
    env.Set(L"LEAD", L"%APP");
    env.Set(L"B", L"bee");
    env.Set(L"ONE", L"1");
    env.Set(L"TWO", L"2");
    env.Set(L"PCT", L"%");
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"%APPDATA%\\SAP\\", L"C:\\Users\\u1\\AppData\\Roaming\\SAP\\"},
        {L"%appdata%|%AppData%|%APPDATA%",
         L"C:\\Users\\u1\\AppData\\Roaming|C:\\Users\\u1\\AppData\\Roaming|"
         L"C:\\Users\\u1\\AppData\\Roaming"},
        {L"%ProgramFiles(x86)%\\SAP", L"C:\\Program Files (x86)\\SAP"},
        {L"%NOPE%\\x", L"\\x"},
        {L"%EMPTY%x", L"x"},
        {L"50%%", L"50"},
        {L"%%%APPDATA%", L"C:\\Users\\u1\\AppData\\Roaming"},
        {L"no reference", L"no reference"},
        {L"", L""},
        {L"%NESTED%\\Common", L"C:\\Users\\u1\\AppData\\Roaming\\SAP\\Common"},
        // A "%" brought in by a value pairs with the text after it.
        {L"%TRAIL%B%", L"xbee"},
        {L"%LEAD%DATA%", L"C:\\Users\\u1\\AppData\\Roaming"},
        {L"%PCT%B%|%B%", L"bee|bee"},
        // Every "%ONE%" goes at once, even one the pairing from the left would not have met: "%TWO%" is
        // never read, and what is left, "1%TWO1%", pairs as "%TWO1%".
        {L"%ONE%%TWO%ONE%%", L"1"},
        {L"%ONE%|%two%|%one%", L"1|2|1"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExpandPercentVars(env, c.text), c.expected) << ToUtf8(c.text);
}

// Where the search from the left would never end, the text reached so far comes back.
TEST(ProbesExpandPercentVars, EndsOnEveryInput) {
    FakeEnvironment env;
    env.Set(L"APPDATA", L"C:\\Roaming");
    env.Set(L"HALF", L"50%");
    env.Set(L"C", L"%D%");
    env.Set(L"D", L"%c%");
    env.Set(L"SAME", L"%SAME%");
    env.Set(L"OPEN", L"%APPDATA%\\%rest");
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"C:\\100%\\x", L"C:\\100%\\x"},  // a lone "%" keeps the rest as is
        {L"%APPDATA%\\50%", L"C:\\Roaming\\50%"},
        {L"%", L"%"},
        {L"%HALF%x%APPDATA%", L"50APPDATA%"},  // "%x%" pairs, then "%" is left alone
        {L"%OPEN%|%APPDATA%", L"C:\\Roaming\\%rest|C:\\Roaming"},
        {L"%C%", L"%D%"},  // values naming each other come back to the same text
        {L"a%SAME%b", L"a%SAME%b"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExpandPercentVars(env, c.text), c.expected) << ToUtf8(c.text);
}

TEST(ProbesExpandPercentVars, TextsThatKeepGrowingStopAtTheLongestPath) {
    // V40 doubles V39 and so on: fully expanded it would be 2^40 characters long; with V0 empty it
    // would shrink back to nothing, but only after passing through texts just as long.
    for (const wchar_t* v0 : {L"x", L""}) {
        FakeEnvironment env;
        env.Set(L"V0", v0);
        for (int i = 1; i <= 40; ++i) {
            const std::wstring prev = L"%V" + std::to_wstring(i - 1) + L"%";
            env.Set(L"V" + std::to_wstring(i), prev + prev);
        }
        env.Set(L"SELF", L"x%SELF%y");
        env.Set(L"WIDE", std::wstring(30000, L'w'));
        std::wstring manyWide;
        for (int i = 0; i < 5000; ++i) manyWide += L"%WIDE%";
        for (const std::wstring& text : {std::wstring(L"%V40%\\tail"), std::wstring(L"%SELF%\\tail"), manyWide}) {
            const std::wstring out = ExpandPercentVars(env, text);
            EXPECT_LE(out.size(), text.size() + 32767u) << ToUtf8(text.substr(0, 12));
            EXPECT_TRUE(out.ends_with(text.substr(text.size() - 5))) << ToUtf8(text.substr(0, 12));
        }
    }
}

}  // namespace
}  // namespace orvane
