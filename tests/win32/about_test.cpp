// The About box's Win32 services against the real thing under Wine: the system's identity, the news
// download from the loopback HTTP server, the policy key and the version resource.

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "LoopbackServers.h"
#include "about/News.h"
#include "about/win32/AboutBox_win32.h"
#include "core/Error.h"
#include "core/Text.h"
#include "platform/win32/HostIdentity_win32.h"
#include "platform/win32/UrlDownload_win32.h"
#include "platform/win32/Win32Platform.h"
#include "update/UpdatePolicy.h"

namespace orvane {
namespace {

using testservers::LoopbackServers;

bool IsDottedIPv4(const std::wstring& text) {
    static const std::wregex pattern(
        L"((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])\\.){3}"
        L"(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])");
    return std::regex_match(text, pattern);
}

TEST(AboutIdentity, TheSystemsAnswersHaveTheirForms) {
    const win32::TWin32HostIdentity host;
    const std::wstring address = host.OwnIPv4Address();
    EXPECT_TRUE(address.empty() || IsDottedIPv4(address)) << ToUtf8(address);

    // Wine answers the stored settings with the virtual display's mode.
    if (const auto screen = host.StoredScreenSize()) {
        EXPECT_GT(screen->width, 0u);
        EXPECT_GT(screen->height, 0u);
    }
    // The account's domain is the machine's name or a domain: never blank around.
    const std::wstring domain = host.AccountDomain();
    EXPECT_EQ(domain.find_first_of(L" \\\r\n"), std::wstring::npos) << ToUtf8(domain);
    const std::wstring group = host.LanGroup();
    EXPECT_EQ(group.find_first_of(L"\\\r\n"), std::wstring::npos) << ToUtf8(group);
}

// Removes the key it created, also when a check fails.
class PolicyKey {
public:
    explicit PolicyKey(const std::wstring& value, DWORD type = REG_SZ) {
        HKEY key = nullptr;
        EXPECT_EQ(
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUpdatePolicyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        RegSetValueExW(key, kUpdatePolicyValue, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    ~PolicyKey() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUpdatePolicyKey); }
};

TEST(AboutUpdatePolicy, RealPolicyKey) {
    constexpr wchar_t kBuiltIn[] = L"http://update.example/files/ORVANE.INF";
    const win32::TWin32Registry registry;
    struct Case {
        const wchar_t* value;
        DWORD type;
        const wchar_t* url;
    };
    for (const Case& c :
         {Case{L"http://127.0.0.1:8080/files/ORVANE.INF", REG_SZ, L"http://127.0.0.1:8080/files/ORVANE.INF"},
          Case{L"file://C:/ORVANE.INF", REG_SZ, kBuiltIn}, Case{L"x", REG_BINARY, kBuiltIn}}) {
        const PolicyKey policy(c.value, c.type);
        EXPECT_EQ(ChooseUpdateURL(registry, kBuiltIn).url, c.url) << ToUtf8(c.value);
    }
    EXPECT_FALSE(ChooseUpdateURL(registry, kBuiltIn).fromPolicy);  // removed again
}

std::set<std::filesystem::path> TempFilesStartingWith(const std::wstring& prefix) {
    wchar_t folder[MAX_PATH + 1] = L"";
    GetTempPathW(MAX_PATH + 1, folder);
    std::set<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (LowerCaseAscii(entry.path().filename().wstring()).rfind(prefix, 0) == 0) found.insert(entry.path());
    return found;
}

class AboutNewsDownload : public ::testing::Test {
protected:
    AboutNewsDownload() {
        const std::string token = LoopbackServers::UniqueToken();
        folder = Servers().Root() / "scratch" / ("news-" + token);
        std::filesystem::create_directories(folder);
        url =
            Servers().Url("http", L"/files/scratch/news-" + std::wstring(token.begin(), token.end()) + L"/ORVANE.INF");
    }
    ~AboutNewsDownload() override { std::filesystem::remove_all(folder); }

    static const LoopbackServers& Servers() { return LoopbackServers::Get(); }
    void Serve(const std::string& descr) {
        std::ofstream(folder / "ORVANE.INF", std::ios::binary)
            << "[update]\r\nversion=2.0.0.0\r\ndescr=" << descr << "\r\n";
    }

    std::filesystem::path folder;
    std::wstring url;
    win32::TWin32UrlDownload download;
};

TEST_F(AboutNewsDownload, TwoLinesAndNoTemporaryFileLeft) {
    const auto before = TempFilesStartingWith(L"qzt");
    Serve("Version 2\\nCorrections");
    EXPECT_EQ(about::FetchNews(download, url), L"Version 2\nCorrections");
    EXPECT_EQ(TempFilesStartingWith(L"qzt"), before);
}

// An older copy in the Internet cache, fresh for another hour as a server could have declared it.
void CacheCopy(const std::wstring& url, const std::string& bytes) {
    wchar_t file[MAX_PATH] = L"";
    ASSERT_TRUE(CreateUrlCacheEntryW(url.c_str(), 0, L"INF", file, 0)) << GetLastError();
    std::ofstream(file, std::ios::binary) << bytes;
    FILETIME now, expires;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart += 3600ULL * 10000000ULL;
    expires = {t.LowPart, t.HighPart};
    const wchar_t headers[] = L"HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n";
    ASSERT_TRUE(CommitUrlCacheEntryW(url.c_str(), file, expires, now, NORMAL_CACHE_ENTRY, const_cast<wchar_t*>(headers),
                                     static_cast<DWORD>(wcslen(headers)), nullptr, nullptr))
        << GetLastError();
}

TEST_F(AboutNewsDownload, AChangedFileIsFetchedAgainNotTakenFromTheCache) {
    Serve("Version 2");
    EXPECT_EQ(about::FetchNews(download, url), L"Version 2");
    Serve("Version 3\\NNouveau");
    EXPECT_EQ(about::FetchNews(download, url), L"Version 3\nNouveau");
    // Windows would answer from a cached copy still fresh; Wine's download never reads the cache.
    CacheCopy(url, "[update]\r\ndescr=Version 1\r\n");
    EXPECT_EQ(about::FetchNews(download, url), L"Version 3\nNouveau");
}

TEST_F(AboutNewsDownload, NothingForAMissingFileOrValue) {
    EXPECT_EQ(about::FetchNews(download, url), std::nullopt);  // 404
    std::ofstream(folder / "ORVANE.INF", std::ios::binary) << "[update]\r\nversion=2.0.0.0\r\n";
    EXPECT_EQ(about::FetchNews(download, url), std::nullopt);
    Serve("");
    EXPECT_EQ(about::FetchNews(download, url), std::nullopt);
}

TEST_F(AboutNewsDownload, TheProfileReaderKeeps2047Characters) {
    Serve(std::string(3000, 'a'));
    const auto news = about::FetchNews(download, url);
    ASSERT_TRUE(news);
    EXPECT_EQ(*news, std::wstring(2047, L'a'));
}

TEST(AboutUrlDownload, TemporaryNames) {
    win32::TWin32UrlDownload download;
    const std::wstring kept = download.MakeTempFileName(L"qzt", true);
    ASSERT_FALSE(kept.empty());
    EXPECT_TRUE(std::filesystem::exists(kept));
    EXPECT_EQ(LowerCaseAscii(std::filesystem::path(kept).filename().wstring()).rfind(L"qzt", 0), 0u);
    download.RemoveFile(kept);
    EXPECT_FALSE(std::filesystem::exists(kept));

    const std::wstring name = download.MakeTempFileName(L"qzt", false);
    ASSERT_FALSE(name.empty());
    EXPECT_FALSE(std::filesystem::exists(name));
}

TEST(AboutVersion, AFileWithoutVersionResourceRaisesTheSystemsReport) {
    // The test program carries no version resource.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    try {
        FileVersionTextOf(self);
        FAIL() << "no error raised";
    } catch (const AppError& e) {
        EXPECT_TRUE(std::regex_search(e.Message(), std::wregex(L"^Erreur système\\.  Code : [0-9]+\\.\r\n.+")))
            << ToUtf8(e.Message());
    }
    wchar_t kernel[MAX_PATH];
    GetSystemDirectoryW(kernel, MAX_PATH);
    EXPECT_TRUE(std::regex_match(FileVersionTextOf(std::wstring(kernel) + L"\\kernel32.dll"),
                                 std::wregex(L"[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+")));
}

}  // namespace
}  // namespace orvane
