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

TEST(ProbesExpandPercentVars, Expansion) {
    FakeEnvironment env;
    env.Set(L"APPDATA", L"C:\\Users\\u1\\AppData\\Roaming");
    env.Set(L"ProgramFiles(x86)", L"C:\\Program Files (x86)");
    env.Set(L"EMPTY", L"");
    env.Set(L"NESTED", L"%APPDATA%\\SAP");
    env.Set(L"HALF", L"50%");
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
        // Values expand on their own: the "%" a value brings in pairs with nothing outside it.
        {L"%HALF%x%APPDATA%", L"50%xC:\\Users\\u1\\AppData\\Roaming"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExpandPercentVars(env, c.text), c.expected) << ToUtf8(c.text);
}

TEST(ProbesExpandPercentVars, EndsOnEveryInput) {
    FakeEnvironment env;
    env.Set(L"APPDATA", L"C:\\Roaming");
    env.Set(L"SELF", L"x%SELF%y");
    env.Set(L"A", L"%B%");
    env.Set(L"B", L"<%a%>");
    env.Set(L"OPEN", L"%APPDATA%\\%rest");
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"C:\\100%\\x", L"C:\\100%\\x"},  // an unclosed "%" keeps the rest as is
        {L"%APPDATA%\\50%", L"C:\\Roaming\\50%"},
        {L"%", L"%"},
        {L"%SELF%", L"x%SELF%y"},  // a value naming itself
        {L"%A%", L"<%a%>"},        // a cycle through two values
        {L"%self%-%SELF%", L"x%SELF%y-x%SELF%y"},
        {L"%OPEN%|%APPDATA%", L"C:\\Roaming\\%rest|C:\\Roaming"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExpandPercentVars(env, c.text), c.expected) << ToUtf8(c.text);
}

TEST(ProbesExpandPercentVars, ValuesThatKeepGrowingStopAtTheLongestPath) {
    // V40 doubles V39 and so on: fully expanded it would be 2^40 characters long.
    FakeEnvironment env;
    env.Set(L"V0", L"x");
    for (int i = 1; i <= 40; ++i) {
        const std::wstring prev = L"%V" + std::to_wstring(i - 1) + L"%";
        env.Set(L"V" + std::to_wstring(i), prev + prev);
    }
    const std::wstring out = ExpandPercentVars(env, L"%V40%\\tail");
    EXPECT_GT(out.size(), 32767u);
    EXPECT_LT(out.size(), 32767u + 40 * 16);
    EXPECT_EQ(out.substr(0, 8), L"xxxxxxxx");
    EXPECT_TRUE(out.ends_with(L"\\tail"));
}

}  // namespace
}  // namespace orvane
