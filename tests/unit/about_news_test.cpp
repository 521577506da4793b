#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "about/News.h"

namespace orvane {
namespace {

// A temporary folder and a web server in memory: what was downloaded, read and removed.
class FakeDownload : public IUrlDownload {
public:
    bool tempFails = false;
    std::map<std::wstring, std::wstring> descrAt;  // URL -> descr value; a URL not listed fails
    std::map<std::wstring, std::wstring> files;    // downloaded file -> its descr
    std::vector<std::wstring> calls;

    std::wstring MakeTempFileName(const std::wstring& prefix, bool keep) override {
        calls.push_back(L"temp " + prefix + (keep ? L" keep" : L" nokeep"));
        return tempFails ? L"" : L"C:\\Temp\\" + prefix + L"1A.TMP";
    }
    bool DownloadURLToFile(const std::wstring& url, const std::wstring& fileName) override {
        calls.push_back(L"download " + url);
        const auto it = descrAt.find(url);
        if (it == descrAt.end()) return false;
        files[fileName] = it->second;
        return true;
    }
    std::wstring ReadIniValue(const std::wstring& fileName, const std::wstring& section,
                              const std::wstring& key) override {
        calls.push_back(L"read " + section + L"/" + key);
        const auto it = files.find(fileName);
        return it == files.end() ? L"" : it->second;
    }
    void RemoveFile(const std::wstring& fileName) override {
        calls.push_back(L"remove " + fileName);
        files.erase(fileName);
    }
};

constexpr wchar_t kUrl[] = L"http://127.0.0.1/files/ORVANE.INF";

TEST(AboutNews, MarkersBecomeLineFeeds) {
    struct Case {
        const wchar_t* value;
        const wchar_t* shown;
    };
    for (const Case& c : {Case{L"Version 2\\nCorrections", L"Version 2\nCorrections"},
                          Case{L"Version 2\\NCorrections", L"Version 2\nCorrections"}, Case{L"C:\\new", L"C:\new"},
                          Case{L"Une seule ligne", L"Une seule ligne"}, Case{L"\\n\\n", L"\n\n"},
                          Case{L"fin\\", L"fin\\"}, Case{L"\\\\n", L"\\\n"}, Case{L"a\\tb", L"a\\tb"}})
        EXPECT_EQ(about::ExpandNewsMarkers(c.value), c.shown) << c.value;
}

TEST(AboutNews, EditControlLineBreaks) {
    EXPECT_EQ(about::EditLineBreaks(L"a\nb\n"), L"a\r\nb\r\n");
    EXPECT_EQ(about::EditLineBreaks(L"\na\r\nb"), L"\r\na\r\nb");
    EXPECT_EQ(about::EditLineBreaks(L"sans"), L"sans");
}

TEST(AboutNews, ShowsTheDescriptionAndRemovesTheDownload) {
    FakeDownload download;
    download.descrAt[kUrl] = L"Version 2\\nCorrections";
    EXPECT_EQ(about::FetchNews(download, kUrl), L"Version 2\nCorrections");
    EXPECT_EQ(download.calls, (std::vector<std::wstring>{L"temp qzt nokeep", std::wstring(L"download ") + kUrl,
                                                         L"read update/descr", L"remove C:\\Temp\\qzt1A.TMP"}));
    EXPECT_TRUE(download.files.empty());
}

TEST(AboutNews, EveryFailureIsSilentAndLeavesNoFile) {
    struct Case {
        const char* name;
        bool tempFails;
        std::optional<std::wstring> descr;  // none: the download fails
    };
    const Case cases[] = {{"no temporary name", true, L"texte"},
                          {"download fails", false, std::nullopt},
                          {"empty or missing descr", false, L""}};
    for (const Case& c : cases) {
        FakeDownload download;
        download.tempFails = c.tempFails;
        if (c.descr) download.descrAt[kUrl] = *c.descr;
        EXPECT_EQ(about::FetchNews(download, kUrl), std::nullopt) << c.name;
        EXPECT_TRUE(download.files.empty()) << c.name;
        if (!c.tempFails) {
            EXPECT_EQ(download.calls.back(), L"remove C:\\Temp\\qzt1A.TMP") << c.name;
        }
    }
}

TEST(AboutNews, LongDescriptionIsCutAt2047Characters) {
    FakeDownload download;
    std::wstring value(3000, L'x');
    value.replace(2046, 2, L"\\n");  // a marker cut in half stays a backslash
    download.descrAt[kUrl] = value;
    const auto shown = about::FetchNews(download, kUrl);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->size(), 2047u);
    EXPECT_EQ(shown->back(), L'\\');
}

}  // namespace
}  // namespace orvane
