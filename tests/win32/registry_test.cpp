#include <gtest/gtest.h>

#include "RegistrySandbox.h"
#include "core/Error.h"
#include "platform/win32/Win32Platform.h"
#include "probes/ComponentCatalogue.h"
#include "probes/FoldersAndTools.h"
#include "update/UpdateSignature.h"

namespace orvane {
namespace {

using testing::RegistrySandbox;
const std::wstring kShared = L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared";
const std::wstring kTestKey = L"SOFTWARE\\OrvaneAdapter";

TEST(Win32Registry, ReadsTextTypesAndTellsTheRestApart) {
    RegistrySandbox hklm;
    hklm.SetString(kTestKey, L"sz", L"C:\\SAP");
    hklm.SetString(kTestKey, L"expand", L"%windir%\\SAP", REG_EXPAND_SZ);
    hklm.SetString(kTestKey, L"empty", L"");
    hklm.SetDword(kTestKey, L"dword", 7);
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    hklm.SetBytes(kTestKey, L"raw", REG_SZ, unterminated, sizeof(unterminated));
    const wchar_t embedded[] = L"first\0second";
    hklm.SetBytes(kTestKey, L"nul", REG_SZ, embedded, sizeof(embedded));

    const win32::TWin32Registry registry;
    const auto read = [&](const wchar_t* name) { return registry.ReadText(RegHive::LocalMachine, kTestKey, name); };
    using State = RegText::State;
    struct Case {
        const wchar_t* name;
        State state;
        const wchar_t* text;
    };
    for (const Case& c : {Case{L"sz", State::Text, L"C:\\SAP"}, Case{L"expand", State::Text, L"%windir%\\SAP"},
                          Case{L"empty", State::Text, L""}, Case{L"dword", State::OtherType, L""},
                          Case{L"raw", State::Text, L"abc"}, Case{L"nul", State::Text, L"first"},
                          Case{L"missing", State::NoValue, L""}}) {
        const RegText value = read(c.name);
        EXPECT_EQ(value.state, c.state) << c.name;
        EXPECT_EQ(value.text, c.text) << c.name;
    }
    EXPECT_EQ(registry.ReadText(RegHive::LocalMachine, kTestKey + L"\\Nope", L"sz").state, State::NoKey);
    EXPECT_TRUE(registry.KeyExists(RegHive::LocalMachine, kTestKey));
    EXPECT_FALSE(registry.KeyExists(RegHive::LocalMachine, kTestKey + L"\\Nope"));
}

TEST(Win32Registry, ReadsMultiStringsAndThePolicyKeysFromThem) {
    RegistrySandbox hklm;
    const wchar_t strings[] = L"one\0\0two\0";  // an empty string inside is dropped
    hklm.SetBytes(kTestKey, L"multi", REG_MULTI_SZ, strings, sizeof(strings));
    const wchar_t unterminated[] = {L'a', L'\0', L'b'};
    hklm.SetBytes(kTestKey, L"raw", REG_MULTI_SZ, unterminated, sizeof(unterminated));
    hklm.SetBytes(kTestKey, L"none", REG_MULTI_SZ, L"\0", 2 * sizeof(wchar_t));
    hklm.SetString(kTestKey, L"sz", L"text");

    const win32::TWin32Registry registry;
    const auto read = [&](const wchar_t* name) {
        return registry.ReadMultiText(RegHive::LocalMachine, kTestKey, name);
    };
    using List = std::vector<std::wstring>;
    EXPECT_EQ(read(L"multi"), (List{L"one", L"two"}));
    EXPECT_EQ(read(L"raw"), (List{L"a", L"b"}));
    EXPECT_EQ(read(L"none"), List{});
    EXPECT_FALSE(read(L"sz"));
    EXPECT_FALSE(read(L"missing"));
    EXPECT_FALSE(registry.ReadMultiText(RegHive::LocalMachine, kTestKey + L"\\Nope", L"multi"));

    // PEM texts with their line breaks, one per string, as an administrator's policy holds them.
    const std::wstring pem =
        L"-----BEGIN PUBLIC KEY-----\r\nMFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEAk3JUOLvIHGt9xJUMjx1m3JM+zNo\r\n"
        L"dm1NMTjYf1tVqG5Zj3qPL0409a5yt7l/QT2DYnqrbQJoeJKT3+EyTKkRtg==\r\n-----END PUBLIC KEY-----\r\n";
    const std::wstring policy = L"garbage" + std::wstring(1, L'\0') + pem + std::wstring(2, L'\0');
    hklm.SetBytes(kUpdatePolicyKey, kUpdatePublicKeysValue, REG_MULTI_SZ, policy.data(),
                  static_cast<DWORD>(policy.size() * sizeof(wchar_t)));
    int skipped = 0;
    const auto keys = TrustedUpdateKeys("", registry, [&](const std::wstring&) { ++skipped; });
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_TRUE(ParsePublicKeyPem(keys[0]));
    EXPECT_EQ(skipped, 1);
}

// A standard user may only read HKLM: the folder the registry names must still be found.
TEST(Win32Registry, ReadOnlyKeyIsHonoured) {
    RegistrySandbox hklm;
    hklm.SetString(kShared, L"SAPsysdir", L"E:\\FrontEnd\\SAPgui");
    hklm.MakeReadOnly(kShared);

    HKEY writable = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kShared.c_str(), 0, KEY_ALL_ACCESS, &writable), ERROR_ACCESS_DENIED)
        << "the sandbox key should refuse write access";
    const win32::TWin32Registry registry;
    EXPECT_EQ(GetComponentFolder(registry, ckSapGui), L"E:\\FrontEnd\\SAPgui\\");
}

TEST(Win32Registry, ComponentFoldersFromRealKeys) {
    RegistrySandbox hklm;
    hklm.SetString(kShared, L"SAPSetupDir", L"D:\\SAP\\SapSetup\\");
    hklm.SetString(kShared, L"SAPsysdir", L"%ProgramFiles%\\SAPgui", REG_EXPAND_SZ);
    hklm.SetDword(L"SOFTWARE\\Wow6432Node\\SAP\\SecureLogin", L"InstallPath32", 1);
    const win32::TWin32Registry registry;
    EXPECT_EQ(GetComponentFolder(registry, ckSapSetup), L"D:\\SAP\\SapSetup\\setup\\");
    EXPECT_EQ(GetComponentFolder(registry, ckSapGui), L"%ProgramFiles%\\SAPgui\\");
    EXPECT_EQ(GetComponentFolder(registry, ckEngineeringClientViewer),
              L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\Program\\");
    try {
        GetComponentFolder(registry, ckSecureLogin32);
        FAIL() << "a DWORD folder value must raise";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"Type de données incorrect pour 'InstallPath32'");
    }
}

// The NwCheckWorkstation button depends on a file test that a folder of that name must not pass.
TEST(Win32FileSystem, FilesAndFoldersAreToldApart) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"orvane-fs-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring file = folder + L"\\NwCheckWorkstation.exe";
    const std::wstring folderNamedLikeFile = folder + L"\\tool.exe";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folderNamedLikeFile.c_str(), nullptr));
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    const win32::TWin32FileSystem fs;
    EXPECT_TRUE(fs.FileExists(file));
    EXPECT_FALSE(fs.FolderExists(file));
    EXPECT_TRUE(fs.FolderExists(folder));
    EXPECT_TRUE(fs.FolderExists(folder + L"\\"));
    EXPECT_FALSE(fs.FileExists(folderNamedLikeFile));
    EXPECT_FALSE(fs.FileExists(folder + L"\\absent.exe"));
    EXPECT_FALSE(fs.FolderExists(folder + L"\\absent"));

    DeleteFileW(file.c_str());
    RemoveDirectoryW(folderNamedLikeFile.c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace
} // namespace orvane
