#include <gtest/gtest.h>

#include "crash/CrashReport.h"
#include "crash/Mail.h"

namespace orvane::crash {
namespace {

TCrashFacts AccessViolation() {
    TCrashFacts f;
    f.version = L"1.0.0.0";
    f.build = L"Dec 10 2026 x86";
    f.osVersion = L"Windows 10";
    f.time = {2026, 3, 4, 5, 6, 7, 0};
    f.pointerBits = 32;
    f.code = 0xC0000005;
    f.address = 0x401a2b;
    f.where = {L"orvane.exe", 0x1a2b};
    f.threadId = 42;
    f.mainThread = true;
    f.detail = AccessViolationDetail(1, 0, 32);
    f.stack = {{L"orvane.exe", 0x1a2b}, {L"KERNEL32.dll", 0x10}, {L"", 0xdead0}};
    return f;
}

TEST(CrashReportText, NamesWhatADeveloperNeeds) {
    TCrashFacts f = AccessViolation();
    f.updateLogPath = L"C:\\Docs\\WUPDATE.LOG";
    f.updateLogTail = {L"10/12/2026 10:00:00 : [1] Connecting (Status:0) (Error:0)"};
    const std::wstring text = FormatCrashReport(f);
    for (const wchar_t* expected :
         {L"Version: 1.0.0.0 (32-bit)\r\n", L"Operating system: Windows 10\r\n", L"Time: 2026-03-04 05:06:07\r\n",
          L"Exception code: 0xC0000005 EXCEPTION_ACCESS_VIOLATION\r\n", L"Exception address: 0x00401A2B\r\n",
          L"Module: orvane.exe\r\n", L"Module offset: 0x1A2B\r\n", L"Thread: 42 (main thread)\r\n",
          L"Detail: write to address 0x00000000\r\n",
          L"Stack of the faulting thread:\r\n  orvane.exe+0x1A2B\r\n  KERNEL32.dll+0x10\r\n  0x000DEAD0\r\n",
          L"Last lines of the update log (C:\\Docs\\WUPDATE.LOG):\r\n  10/12/2026 10:00:00 : [1] Connecting"})
        EXPECT_NE(text.find(expected), std::wstring::npos) << "missing: " << testing::PrintToString(expected);
}

TEST(CrashReportText, LeavesOutWhatIsMissing) {
    TCrashFacts f = AccessViolation();
    f.stack.clear();
    f.detail.clear();
    f.where = {};
    f.mainThread = false;
    f.pointerBits = 64;
    const std::wstring text = FormatCrashReport(f);
    EXPECT_NE(text.find(L"(not available)"), std::wstring::npos);
    EXPECT_NE(text.find(L"Module: (none)"), std::wstring::npos);
    EXPECT_NE(text.find(L"Exception address: 0x0000000000401A2B"), std::wstring::npos);
    EXPECT_EQ(text.find(L"Detail:"), std::wstring::npos);
    EXPECT_EQ(text.find(L"update log"), std::wstring::npos);
    EXPECT_EQ(text.find(L"main thread"), std::wstring::npos);
}

TEST(CrashReportText, CodesAndCauses) {
    struct Case {
        TCrashCause cause;
        uint32_t code;
        const wchar_t* codeLine;
        const wchar_t* sentence;
    };
    for (const Case& c : {
             Case{TCrashCause::SystemException, 0xC00000FD, L"0xC00000FD EXCEPTION_STACK_OVERFLOW",
                  L"(débordement de pile dans orvane.exe)"},
             Case{TCrashCause::SystemException, 0xC0000094, L"0xC0000094 EXCEPTION_INT_DIVIDE_BY_ZERO",
                  L"(exception système 0xC0000094 dans"},
             Case{TCrashCause::SystemException, 0x12345678, L"Exception code: 0x12345678\r\n",
                  L"exception système 0x12345678"},
             Case{TCrashCause::CppException, kCppExceptionCode, L"0xE06D7363 C++ exception", L"(exception non traitée"},
             Case{TCrashCause::Abort, kFatalAppExitCode, L"0x40000015 STATUS_FATAL_APP_EXIT",
                  L"(arrêt d'urgence (abort)"},
             Case{TCrashCause::PureCall, kFatalAppExitCode, L"Cause: pure virtual function call",
                  L"fonction virtuelle pure"},
         }) {
        TCrashFacts f = AccessViolation();
        f.cause = c.cause;
        f.code = c.code;
        EXPECT_NE(FormatCrashReport(f).find(c.codeLine), std::wstring::npos) << c.codeLine;
        const std::wstring sentence = CrashSentence(f);
        EXPECT_NE(sentence.find(c.sentence), std::wstring::npos) << testing::PrintToString(sentence);
        EXPECT_TRUE(sentence.starts_with(L"Orvane a rencontré une erreur grave (")) << testing::PrintToString(sentence);
    }
}

TEST(ReportFolders, NamesSortByTimeAndAreRecognised) {
    EXPECT_EQ(ReportFolderName({2026, 1, 2, 3, 4, 5, 0}), L"2026-01-02_03-04-05");
    EXPECT_EQ(ReportFolderName({2026, 12, 31, 23, 59, 58, 0}, 3), L"2026-12-31_23-59-58_3");
    for (const wchar_t* name : {L"2026-01-02_03-04-05", L"2026-01-02_03-04-05_12"})
        EXPECT_TRUE(IsReportFolderName(name)) << name;
    for (const wchar_t* name : {L"", L"notes", L"2026-01-02_03-04-0", L"2026-01-02 03-04-05", L"2026-01-02_03-04-05_",
                                L"2026-01-02_03-04-05x", L"2026-01-02_03-04-05_1a"})
        EXPECT_FALSE(IsReportFolderName(name)) << name;
}

TEST(ReportFolders, KeepsTheNewestAndNeverTouchesOtherFolders) {
    std::vector<std::wstring> names = {L"keep-me", L"2026-01-01_00-00-00_10"};
    for (int day = 12; day >= 1; --day) names.push_back(ReportFolderName({2026, 1, day, 0, 0, 0, 0}));
    names.push_back(L"2026-01-01_00-00-00_9");
    // 14 reports, 10 kept: the four oldest go, "_9" before "_10" of the same second.
    EXPECT_EQ(FoldersToPrune(names, 10),
              (std::vector<std::wstring>{L"2026-01-01_00-00-00", L"2026-01-01_00-00-00_9", L"2026-01-01_00-00-00_10",
                                         L"2026-01-02_00-00-00"}));
    EXPECT_TRUE(FoldersToPrune({L"2026-01-01_00-00-00", L"other"}, 1).empty());
    // A sequence too long for any integer type is still ordered, not a failure.
    EXPECT_EQ(FoldersToPrune({L"2026-01-01_00-00-00_123456789012345678901", L"2026-01-01_00-00-00_2",
                              L"2026-01-01_00-00-00_02"},
                             1),
              (std::vector<std::wstring>{L"2026-01-01_00-00-00_2", L"2026-01-01_00-00-00_02"}));
}

TEST(UpdateLogTail, LastNonEmptyLinesInOrder) {
    EXPECT_EQ(LastLines(L"a\r\nb\r\n\r\nc\r\n", 2), (std::vector<std::wstring>{L"b", L"c"}));
    EXPECT_EQ(LastLines(L"one\ntwo", 5), (std::vector<std::wstring>{L"one", L"two"}));
    EXPECT_EQ(LastLines(L"x\ry", 1), (std::vector<std::wstring>{L"y"}));
    EXPECT_TRUE(LastLines(L"", 3).empty());
    EXPECT_TRUE(LastLines(L"\r\n\r\n", 3).empty());
}

TEST(CrashMail, BodyCarriesContactAndFiles) {
    const TCrashFacts f = AccessViolation();
    const std::wstring body = MailBody({L"Zoé", L"", L"J'ouvrais l'onglet Serveurs"}, f, {L"crash.dmp", L"report.txt"});
    EXPECT_NE(body.find(L"Nom : Zoé\r\n"), std::wstring::npos);
    EXPECT_NE(body.find(L"E-mail : -\r\n"), std::wstring::npos);
    EXPECT_NE(body.find(L"J'ouvrais l'onglet Serveurs"), std::wstring::npos);
    EXPECT_NE(body.find(L"  crash.dmp\r\n  report.txt\r\n"), std::wstring::npos);
    EXPECT_NE(body.find(L"orvane.exe+0x1A2B"), std::wstring::npos);
    EXPECT_EQ(MailSubject(f), L"Orvane 1.0.0.0 : rapport d'incident 0xC0000005 dans orvane.exe");
}

TEST(CrashMail, MailtoEncodesEverythingButTheAddress) {
    EXPECT_EQ(MailtoUrl(L"support@orvane.example", L"a b&c=d", L"é\r\n?#%"),
              L"mailto:support@orvane.example?subject=a%20b%26c%3Dd&body=%C3%A9%0D%0A%3F%23%25");
}

}  // namespace
}  // namespace orvane::crash

namespace orvane::crash {
namespace {

struct TScriptedMail : IMailClient {
    Result answer;
    std::vector<TMailMessage> sent;
    explicit TScriptedMail(Result r) : answer(r) {}
    Result Send(const TMailMessage& message) override {
        sent.push_back(message);
        return answer;
    }
};

struct TRecordingShell : IShell {
    std::vector<std::wstring> opened;
    void Open(const std::wstring& path) override { opened.push_back(path); }
};

TEST(CrashMail, FallsBackToMailtoOnlyWhenNoClientTakesTheMessage) {
    const TMailMessage message{L"a@b.example", L"S", L"B", {L"C:\\r\\crash.dmp"}};
    struct Case {
        IMailClient::Result answer;
        TMailRoute route;
        std::vector<std::wstring> opened;
    };
    for (const Case& c :
         {Case{IMailClient::Result::Sent, TMailRoute::MailClient, {}},
          Case{IMailClient::Result::Cancelled, TMailRoute::MailClient, {}},
          Case{IMailClient::Result::NoClient, TMailRoute::Mailto, {L"mailto:a@b.example?subject=S&body=B", L"C:\\r"}},
          Case{IMailClient::Result::Failed, TMailRoute::Mailto, {L"mailto:a@b.example?subject=S&body=B", L"C:\\r"}}}) {
        TScriptedMail client(c.answer);
        TRecordingShell shell;
        EXPECT_EQ(SendReportMail(client, shell, message, L"C:\\r"), c.route);
        ASSERT_EQ(client.sent.size(), 1u);
        EXPECT_EQ(client.sent[0].attachments, message.attachments);
        EXPECT_EQ(shell.opened, c.opened);
    }
}

}  // namespace
}  // namespace orvane::crash
