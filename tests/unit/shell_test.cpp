#include <gtest/gtest.h>

#include <cwctype>

#include "core/Error.h"
#include "probes/ServerList.h"
#include "shell/CommandRunner.h"

namespace orvane {
namespace {

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const auto x = std::towlower(a[i]), y = std::towlower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

TEST(ServerList, SortedCaseInsensitiveFirstAddedWins) {
    TServerList list(CompareNoCase);
    EXPECT_TRUE(list.Add(L"sapprd"));
    EXPECT_TRUE(list.Add(L"localhost"));
    EXPECT_TRUE(list.Add(L"127.0.0.1"));
    EXPECT_FALSE(list.Add(L"LOCALHOST"));
    EXPECT_FALSE(list.Add(L"sapprd"));
    EXPECT_TRUE(list.Add(L"Beta"));
    EXPECT_EQ(list.Names(), (std::vector<std::wstring>{L"127.0.0.1", L"Beta", L"localhost", L"sapprd"}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
}

struct RecordingHost : ICommandHost {
    void SetBusyCursor(bool busy) override { events.push_back(busy ? L"busy" : L"normal"); }
    void ReportError(const std::wstring& text) override { events.push_back(L"error:" + text); }
    std::vector<std::wstring> events;
};

TEST(RunCommand, BusyCursorAroundTheCommandAndErrorReportedAfterIt) {
    RecordingHost host;
    std::vector<std::wstring> shown;
    const bool ok = RunCommand(host, CommandCursor::Busy, [&] {
        shown.push_back(L"line 1");
        throw AppError(L"Type de données incorrect pour 'SAPsysdir'");
        shown.push_back(L"line 2");
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(shown, std::vector<std::wstring>{L"line 1"});
    EXPECT_EQ(host.events, (std::vector<std::wstring>{L"busy", L"normal", L"error:Type de données incorrect pour 'SAPsysdir'"}));
}

TEST(RunCommand, NormalCommandsLeaveTheCursorAloneAndAnyExceptionIsReported) {
    RecordingHost host;
    EXPECT_TRUE(RunCommand(host, CommandCursor::Normal, [] {}));
    EXPECT_TRUE(host.events.empty());
    EXPECT_FALSE(RunCommand(host, CommandCursor::Normal, [] { throw std::runtime_error("disk on fire"); }));
    EXPECT_FALSE(RunCommand(host, CommandCursor::Normal, [] { throw 42; }));
    EXPECT_EQ(host.events, (std::vector<std::wstring>{L"error:disk on fire", L"error:Erreur inattendue."}));
}

} // namespace
} // namespace orvane
