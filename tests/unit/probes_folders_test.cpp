#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Error.h"
#include "fakes/FakePlatform.h"
#include "probes/FoldersAndTools.h"

namespace orvane {
namespace {

using fakes::FakeDialogs;
using fakes::FakeEnvironment;
using fakes::FakeFileSystem;
using fakes::FakeRegistry;
using fakes::FakeShell;

const std::wstring kLogs = L"c:\\Program Files (x86)\\SAP\\SapSetup\\setup\\..\\LOGs\\";

TEST(ProbesFolderButtons, OpenExistingOrReportMissing) {
    struct Case {
        int tag;
        std::vector<std::wstring> existing;
        const wchar_t* opened;   // nullptr: nothing opened
        const wchar_t* message;  // nullptr: no message
    };
    const Case cases[] = {
        {1, {kLogs}, kLogs.c_str(), nullptr},
        {1, {}, nullptr, L"Le répertoire \"c:\\Program Files (x86)\\SAP\\SapSetup\\setup\\..\\LOGs\\\" n'existe pas."},
        {2, {L"C:\\Users\\u1\\AppData\\Roaming\\SAP\\"}, L"C:\\Users\\u1\\AppData\\Roaming\\SAP\\", nullptr},
        {2, {}, nullptr, L"Le répertoire \"C:\\Users\\u1\\AppData\\Roaming\\SAP\\\" n'existe pas."},
        {3, {L"D:\\Users\\Public\\SAP\\"}, L"D:\\Users\\Public\\SAP\\", nullptr},
        {3, {}, nullptr, L"Le répertoire \"D:\\Users\\Public\\SAP\\\" n'existe pas."},
        {4, {L"D:\\Users\\All Users\\SAP\\"}, L"D:\\Users\\All Users\\SAP\\", nullptr},
        {4, {}, nullptr, L"Le répertoire \"D:\\Users\\All Users\\SAP\\\" n'existe pas."},
        {0, {L""}, nullptr, nullptr},
        {5, {}, nullptr, nullptr},
    };
    FakeRegistry registry;
    FakeEnvironment env;
    env.Set(L"APPDATA", L"C:\\Users\\u1\\AppData\\Roaming");
    for (const Case& c : cases) {
        FakeFileSystem files;
        for (const std::wstring& f : c.existing) files.AddFolder(f);
        files.AddFile(L"D:\\Users\\Public\\SAP");  // a file of that name is not the folder
        FakeShell shell;
        FakeDialogs dialogs;
        OpenFolderForTag(c.tag, registry, env, files, shell, dialogs);
        EXPECT_EQ(shell.opened, c.opened ? std::vector<std::wstring>{c.opened} : std::vector<std::wstring>{})
            << "tag " << c.tag;
        EXPECT_EQ(dialogs.errors, c.message ? std::vector<std::wstring>{c.message} : std::vector<std::wstring>{})
            << "tag " << c.tag;
    }
}

TEST(ProbesFolderButtons, LogsFolderFollowsSapSetupRegistryFolder) {
    FakeRegistry registry;
    registry.SetText(L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared", L"SAPSetupDir", L"E:\\SapSetup");
    EXPECT_EQ(FolderForTag(registry, FakeEnvironment(), 1), L"E:\\SapSetup\\setup\\..\\LOGs\\");
    registry.SetText(L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared", L"SAPSetupDir", L"", FakeRegistry::Type::Dword);
    EXPECT_THROW(FolderForTag(registry, FakeEnvironment(), 1), AppError);
}

TEST(ProbesNwCheckWorkstation, StartsOnlyAnExistingTool) {
    const std::wstring tool = L"c:\\Program Files (x86)\\SAP\\SapSetup\\setup\\NwCheckWorkstation.exe";
    FakeRegistry registry;
    FakeFileSystem files;
    FakeShell shell;
    EXPECT_FALSE(IsNwCheckWorkstationInstalled(registry, files));
    StartNwCheckWorkstation(registry, files, shell);
    EXPECT_TRUE(shell.opened.empty());

    files.AddFile(tool);
    EXPECT_TRUE(IsNwCheckWorkstationInstalled(registry, files));
    StartNwCheckWorkstation(registry, files, shell);
    EXPECT_EQ(shell.opened, std::vector<std::wstring>{tool});
}

}  // namespace
}  // namespace orvane
