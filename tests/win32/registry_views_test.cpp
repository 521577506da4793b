// The real registry of the prefix, not the sandbox: the shipped program is a 32-bit process on
// 64-bit Windows, and both builds must find the SAP keys through their literal Wow6432Node paths.

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/RegistryStore_win32.h"
#include "platform/win32/Win32Platform.h"

namespace orvane {
namespace {

// A key of the real HKLM in one registry view, deleted with everything below it at the end.
class ViewKey {
public:
    ViewKey(HKEY root, std::wstring path, REGSAM view) : root_(root), path_(std::move(path)), view_(view) {
        HKEY key = nullptr;
        created_ = RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key,
                                   nullptr) == ERROR_SUCCESS;
        if (created_) RegCloseKey(key);
    }
    ~ViewKey() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_ALL_ACCESS | view_, &key) != ERROR_SUCCESS) return;
        RegDeleteTreeW(key, nullptr);
        RegCloseKey(key);
        RegDeleteKeyExW(root_, path_.c_str(), view_, 0);
    }
    ViewKey(const ViewKey&) = delete;
    ViewKey& operator=(const ViewKey&) = delete;

    bool Created() const { return created_; }
    bool Set(const std::wstring& sub, const std::wstring& name, const std::wstring& value) const {
        HKEY key = nullptr;
        if (RegCreateKeyExW(root_, (path_ + L"\\" + sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return false;
        const LONG result = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }
    std::wstring Get(const std::wstring& sub, const std::wstring& name) const {
        wchar_t text[256] = L"";
        DWORD size = sizeof(text);
        if (RegGetValueW(root_, (path_ + L"\\" + sub).c_str(), name.c_str(), RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY,
                         nullptr, text, &size) != ERROR_SUCCESS)
            return L"<missing>";
        return text;
    }

private:
    HKEY root_;
    std::wstring path_;
    REGSAM view_;
    bool created_ = false;
};

const std::wstring kLeaf = L"OrvaneViews" + std::to_wstring(GetCurrentProcessId());

// What a 32-bit SAP installer writes (its own view, no Wow6432Node in its path) and what the sample
// workstation writes (the 64-bit view, the literal path) are one key, read alike by both builds.
TEST(Win32RegistryViews, LiteralWow6432NodePathsReachThe32BitView) {
    const win32::TWin32Registry registry;
    const std::wstring options = L"SAPLogon\\Options";
    {
        const ViewKey installer(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + kLeaf, KEY_WOW64_32KEY);
        ASSERT_TRUE(installer.Created());
        ASSERT_TRUE(installer.Set(options, L"LandscapeFileOnServer", L"\\\\srv\\sap\\landscape.xml"));
        const RegText read =
            registry.ReadText(RegHive::LocalMachine, L"SOFTWARE\\Wow6432Node\\" + kLeaf + L"\\" + options,
                              L"LandscapeFileOnServer");
        EXPECT_EQ(read.state, RegText::State::Text);
        EXPECT_EQ(read.text, L"\\\\srv\\sap\\landscape.xml");
        EXPECT_TRUE(registry.KeyExists(RegHive::LocalMachine, L"SOFTWARE\\Wow6432Node\\" + kLeaf));
    }
    {
        const ViewKey sample(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\" + kLeaf, KEY_WOW64_64KEY);
        ASSERT_TRUE(sample.Created());
        ASSERT_TRUE(sample.Set(L"SAP Shared", L"SAPDestDir", L"C:\\SAP\\FrontEnd\\"));
        const RegText read = registry.ReadText(RegHive::LocalMachine, L"SOFTWARE\\Wow6432Node\\" + kLeaf + L"\\SAP Shared",
                                               L"SAPDestDir");
        EXPECT_EQ(read.text, L"C:\\SAP\\FrontEnd\\");
    }
    EXPECT_FALSE(registry.KeyExists(RegHive::LocalMachine, L"SOFTWARE\\Wow6432Node\\" + kLeaf));
}

// The update store lives in the user's hive, which both builds share: what one writes the other reads.
TEST(Win32RegistryViews, TheStoreWritesTheUsersKeyBothBuildsShare) {
    const ViewKey shared(HKEY_CURRENT_USER, L"Software\\" + kLeaf, KEY_WOW64_64KEY);
    ASSERT_TRUE(shared.Created());
    win32::TWin32RegistryStore store;
    ASSERT_TRUE(store.WriteText(RegHive::CurrentUser, L"Software\\" + kLeaf, L"Update", L"LastURL",
                                L"http://127.0.0.1/files/orvane.inf"));
    EXPECT_EQ(shared.Get(L"Update", L"LastURL"), L"http://127.0.0.1/files/orvane.inf");
    ASSERT_TRUE(shared.Set(L"Update", L"LastDate", L"10/12/2026"));
    EXPECT_EQ(store.ReadText(RegHive::CurrentUser, L"Software\\" + kLeaf, L"Update", L"LastDate"), L"10/12/2026");
}

} // namespace
} // namespace orvane
