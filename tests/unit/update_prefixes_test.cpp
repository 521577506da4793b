#include <gtest/gtest.h>

#include "core/Text.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeUpdate.h"
#include "update/WebUpdate.h"

namespace orvane {
namespace {

class UpdatePrefixes : public ::testing::Test {
protected:
    UpdatePrefixes() {
        folders.paths = {
            {KnownFolder::Windows, L"C:\\Windows"},
            {KnownFolder::System, L"C:\\Windows\\system32"},
            {KnownFolder::Application, L"C:\\Program Files\\Orvane\\"},
            {KnownFolder::Temp, L"C:\\Temp\\"},
            {KnownFolder::Documents, L"\\\\srv\\home\\u"},
            {KnownFolder::LocalAppData, L"C:\\Users\\u\\AppData\\Local"},
            {KnownFolder::CommonAppData, L"C:\\ProgramData"},
        };
        environment.Set(L"ProgramFiles", L"C:\\Program Files (x86)");
        services.folders = &folders;
        services.environment = &environment;
    }
    fakes::FakeKnownFolders folders;
    fakes::FakeEnvironment environment;
    TWebUpdateServices services;
};

TEST_F(UpdatePrefixes, NormalizeFolder) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\Windows", L"C:\\Windows"},
        {L"C:\\Windows\\", L"C:\\Windows"},
        {L"C:\\", L"C:\\."},
        {L"C:", L"C:\\."},
        {L"", L"."},
        {L"\\\\srv\\share", L"\\\\srv\\share\\."},
        {L"\\", L"\\."},
        {L"relative", L"relative\\."},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(NormalizeFolder(in), out) << ToUtf8(in);
}

TEST_F(UpdatePrefixes, ExpandPrefixes) {
    TWebUpdate u(services);
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"{WIN}\\x.ini", L"C:\\Windows\\x.ini"},
        {L"{SYS}\\a.dll", L"C:\\Windows\\system32\\a.dll"},
        {L"{APP}\\data", L"C:\\Program Files\\Orvane\\data"},
        {L"{app}\\prog.exe", L"C:\\Program Files\\Orvane\\prog.exe"},
        {L"{Tmp}", L"C:\\Temp"},
        {L"{DOC}\\notes.txt", L"\\\\srv\\home\\u\\.\\notes.txt"},
        {L"{PF}\\SAP", L"C:\\Program Files (x86)\\SAP"},
        {L"{LAD}", L"C:\\Users\\u\\AppData\\Local"},
        {L"{APPDATA}", L"C:\\ProgramData"},
        {L"{XYZ}", L"."},
        {L"{}", L"."},
        {L"{APP\\x", L"{APP\\x"},
        {L"a}b{", L"a}b{"},
        {L"{{APP}", L"."},  // the name runs from the first open brace
        {L"{WIN}{SYS}", L"C:\\WindowsC:\\Windows\\system32"},
        {L"no braces", L"no braces"},
        {L"", L""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(u.ExpandPrefixes(in), out) << ToUtf8(in);
}

// A folder that itself holds a name in braces is scanned again after insertion.
class RedirectingUpdate : public TWebUpdate {
public:
    using TWebUpdate::TWebUpdate;
    void ConvertPrefix(const std::wstring& prefix, std::wstring& s) override {
        if (prefix == L"BASE")
            s = L"{APP}\\base";
        else if (prefix == L"LOOP")
            s = L"{LOOP}";
        else
            TWebUpdate::ConvertPrefix(prefix, s);
    }
};

TEST_F(UpdatePrefixes, InsertedTextIsRescannedAndCannotLoopForEver) {
    RedirectingUpdate u(services);
    EXPECT_EQ(u.ExpandPrefixes(L"{BASE}\\f.txt"), L"C:\\Program Files\\Orvane\\base\\f.txt");
    EXPECT_EQ(u.ExpandPrefixes(L"{LOOP}"), L"{LOOP}");
}

TEST_F(UpdatePrefixes, OnConvertPrefixRewritesFirst) {
    TWebUpdate u(services);
    u.OnConvertPrefix = [](TWebUpdate&, std::wstring& path) {
        if (path == L"plain") path = L"{WIN}\\rewritten";
    };
    EXPECT_EQ(u.ExpandPrefixes(L"plain"), L"C:\\Windows\\rewritten");
    EXPECT_EQ(u.ExpandPrefixes(L"other"), L"other");
}

TEST_F(UpdatePrefixes, WorkingFolderFollowsTheSettings) {
    TWebUpdate u(services);
    u.UseWinTempDir = false;
    EXPECT_EQ(u.ExpandPrefixes(L"{TMP}\\a"), L".\\.\\a");
    u.TempDirectory = L"D:\\work";
    EXPECT_EQ(u.ExpandPrefixes(L"{TMP}\\a"), L"D:\\work\\a");
}

}  // namespace
}  // namespace orvane
