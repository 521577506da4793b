// The crash reporter as orvane-crashtest brings it into play: every way of crashing leaves a report
// folder a developer can use, and the crash dialog is driven from another process.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "OrvaneProcess.h"
#include "core/Text.h"
#include "crash/CrashDialogTexts.h"
#include "crash/CrashReport.h"
#include "crash/Mail.h"
#include "platform/win32/Handle.h"

namespace orvane::crash {
namespace {

namespace fs = std::filesystem;

// A fresh, empty folder of the test's own under the temporary folder.
fs::path FreshFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    const fs::path folder = fs::path(std::wstring(temp, GetTempPathW(MAX_PATH, temp))) / L"orvane-crash-tests" / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> Subfolders(const fs::path& root) {
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(root))
        if (entry.is_directory()) folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    return folders;
}

class TCrashTest {
public:
    explicit TCrashTest(const std::wstring& arguments) {
        const std::wstring exe = testing::ProgramFolder() + L"orvane-crashtest.exe";
        std::wstring command = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info)) {
            ADD_FAILURE() << "cannot start orvane-crashtest.exe, error " << GetLastError();
            return;
        }
        win32::unique_handle thread(info.hThread);
        process_.reset(info.hProcess);
        pid = info.dwProcessId;
    }
    ~TCrashTest() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.get(), 1);
    }
    // The exit code, or -1 when the process is still running after TIMEOUT ms.
    long long ExitCode(DWORD timeoutMs = 90000) {
        if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }
    DWORD pid = 0;

private:
    win32::unique_handle process_;
};

std::wstring Quoted(const fs::path& p) {
    return L"\"" + p.wstring() + L"\"";
}

struct TKind {
    const wchar_t* name;
    const wchar_t* options;
    DWORD code;
    std::vector<std::string> lines;  // in the text report
};

TEST(CrashReports, EveryKindLeavesADumpATextReportAndAScreenshot) {
    const std::vector<TKind> kinds = {
        {L"access-violation",
         L"",
         0xC0000005,
         {"Exception code: 0xC0000005 EXCEPTION_ACCESS_VIOLATION", "Detail: write to address 0x0", "(main thread)"}},
        {L"stack-overflow", L"", 0xC00000FD, {"Exception code: 0xC00000FD EXCEPTION_STACK_OVERFLOW", "(main thread)"}},
        {L"cpp-exception",
         L"",
         0xE06D7363,
         {"Cause: unhandled C++ exception", "Exception code: 0xE06D7363",
          "Detail: std::runtime_error: crash test: cpp-exception", "(main thread)"}},
        {L"thread-exception",
         L"",
         0xE06D7363,
         {"Cause: unhandled C++ exception", "Detail: std::runtime_error: crash test: thread-exception"}},
        // A worker's catch-all handing its exception over, as the update worker's does.
        {L"thread-exception",
         L" --worker-catch",
         0xE06D7363,
         {"Cause: unhandled C++ exception", "Detail: std::runtime_error: crash test: thread-exception"}},
        {L"abort", L"", 0x40000015, {"Cause: abort called", "Exception code: 0x40000015 STATUS_FATAL_APP_EXIT"}},
        {L"pure-call", L"", 0x40000015, {"Cause: pure virtual function call", "Exception code: 0x40000015"}},
    };
    for (const TKind& kind : kinds) {
        SCOPED_TRACE(ToUtf8(std::wstring(kind.name) + kind.options));
        const fs::path root = FreshFolder(kind.name);
        TCrashTest crash(std::wstring(kind.name) + kind.options + L" --report-dir " + Quoted(root) + L" --no-dialog");
        EXPECT_EQ(crash.ExitCode(), kind.code);
        const auto folders = Subfolders(root);
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_TRUE(IsReportFolderName(folders[0].filename().wstring()));
        EXPECT_EQ(Bytes(folders[0] / L"crash.dmp").substr(0, 4), "MDMP");
        EXPECT_EQ(Bytes(folders[0] / L"screenshot.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
        const std::string report = Bytes(folders[0] / L"report.txt");
        for (const std::string& line : kind.lines) EXPECT_NE(report.find(line), std::string::npos) << line;
        EXPECT_NE(report.find("Module: orvane-crashtest.exe\r\n"), std::string::npos);
        EXPECT_NE(report.find("Stack of the faulting thread:\r\n  orvane-crashtest.exe+0x"), std::string::npos)
            << report;
        if (kind.name == std::wstring(L"thread-exception")) {
            EXPECT_EQ(report.find("(main thread)"), std::string::npos);
        }
    }
}

TEST(CrashReports, KeepsTheTenNewestAndTheUpdateLogTail) {
    const fs::path root = FreshFolder(L"pruning");
    for (int day = 1; day <= 12; ++day) fs::create_directories(root / ReportFolderName({2020, 1, day, 0, 0, 0, 0}));
    fs::create_directories(root / L"not a report");
    const fs::path log = root / L"WUPDATE.LOG";
    std::ofstream(log, std::ios::binary)
        << "first line\r\n10/12/2026 10:00:00 : [2] Connect\xe9 (Status:0) (Error:0)\r\n";
    SetEnvironmentVariableW(L"ORVANE_CRASHTEST_LOG", log.wstring().c_str());
    TCrashTest crash(L"abort --no-dialog --report-dir " + Quoted(root));
    SetEnvironmentVariableW(L"ORVANE_CRASHTEST_LOG", nullptr);
    EXPECT_EQ(crash.ExitCode(), 0x40000015);

    const auto folders = Subfolders(root);
    ASSERT_EQ(folders.size(), 11u);  // ten reports and the folder that is not one
    EXPECT_EQ(folders[0].filename(), ReportFolderName({2020, 1, 4, 0, 0, 0, 0}));
    EXPECT_EQ(folders[10].filename(), L"not a report");
    const std::string report = Bytes(folders[9] / L"report.txt");
    EXPECT_NE(report.find("Last lines of the update log (" + ToUtf8(log.wstring()) +
                          "):\r\n  first line\r\n  10/12/2026 10:00:00 : [2] Connecté (Status:0)"),
              std::string::npos)
        << report;
}

TEST(CrashReports, AFaultInsideTheReporterStillEndsWithTheOriginalCode) {
    const fs::path root = FreshFolder(L"failing-dump");
    TCrashTest crash(L"access-violation --fail-dump --no-dialog --report-dir " + Quoted(root));
    EXPECT_EQ(crash.ExitCode(), 0xC0000005);
    const auto folders = Subfolders(root);
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_FALSE(fs::exists(folders[0] / L"crash.dmp"));
}

std::vector<std::wstring> ListBoxRows(HWND list) {
    std::vector<std::wstring> rows;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring row(SendMessageW(list, LB_GETTEXTLEN, i, 0) + 1, L'\0');
        row.resize(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data())));
        rows.push_back(row);
    }
    return rows;
}

TEST(CrashDialog, ShowsTheReportSavesItAndSendsItThroughMailtoWhenNoMailClientAnswers) {
    const fs::path root = FreshFolder(L"dialog");
    const fs::path saveTo = FreshFolder(L"dialog-saved");
    const fs::path shellLog = root.parent_path() / L"dialog-shell.log";
    fs::remove(shellLog);
    TCrashTest crash(L"access-violation --no-mail-client --report-dir " + Quoted(root) + L" --shell-log " +
                     Quoted(shellLog) + L" --save-to " + Quoted(saveTo));
    const HWND dialog = gui::WaitForWindow(dlg::kTitle, crash.pid, 60000);
    ASSERT_TRUE(dialog) << "no crash dialog";
    const auto item = [&](int id) { return gui::FindById(dialog, id); };

    EXPECT_EQ(
        gui::Text(item(dlg::lblWhat)),
        L"Orvane a rencontré une erreur grave (accès mémoire invalide dans orvane-crashtest.exe) et doit se fermer.");
    const auto folders = Subfolders(root);
    ASSERT_EQ(folders.size(), 1u);
    const fs::path folder = folders[0];
    EXPECT_EQ(ListBoxRows(item(dlg::lstFiles)),
              (std::vector<std::wstring>{(folder / L"crash.dmp").wstring(), (folder / L"report.txt").wstring(),
                                         (folder / L"screenshot.png").wstring()}));
    for (const auto& [id, caption] : std::vector<std::pair<int, const wchar_t*>>{{dlg::bbtSend, dlg::kSend},
                                                                                 {dlg::bbtSave, dlg::kSave},
                                                                                 {dlg::bbtClose, dlg::kClose},
                                                                                 {dlg::lblName, dlg::kName},
                                                                                 {dlg::lblEmail, dlg::kEmail},
                                                                                 {dlg::lblDoing, dlg::kDoing},
                                                                                 {dlg::lblFiles, dlg::kFiles}})
        EXPECT_EQ(gui::Text(item(id)), caption);

    // Details are behind their button.
    EXPECT_FALSE(gui::IsVisible(item(dlg::memDetails)));
    gui::ClickAndWait(item(dlg::bbtDetails));
    EXPECT_TRUE(gui::IsVisible(item(dlg::memDetails)));
    EXPECT_EQ(gui::Text(item(dlg::bbtDetails)), dlg::kDetailsHide);
    const std::wstring details = gui::Text(item(dlg::memDetails));
    EXPECT_NE(details.find(L"Exception code: 0xC0000005 EXCEPTION_ACCESS_VIOLATION"), std::wstring::npos);

    SetWindowTextW(item(dlg::edtName), L"Zoé Martin");
    SetWindowTextW(item(dlg::memDoing), L"Ping des serveurs");
    gui::ClickAndWait(item(dlg::bbtSend));
    EXPECT_EQ(gui::Text(item(dlg::lblStatus)), MailRouteText(TMailRoute::Mailto));
    std::vector<std::string> opened;
    {
        std::ifstream in(shellLog);
        for (std::string line; std::getline(in, line);) opened.push_back(line);
    }
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[0].starts_with("mailto:support@orvane.example?subject=Orvane%201.0.0.0%20%3A%20rapport"))
        << opened[0];
    EXPECT_NE(opened[0].find("Nom%20%3A%20Zo%C3%A9%20Martin"), std::string::npos) << opened[0];
    EXPECT_NE(opened[0].find("Ping%20des%20serveurs"), std::string::npos);
    EXPECT_EQ(opened[1], ToUtf8(folder.wstring()));

    gui::ClickAndWait(item(dlg::bbtSave));
    const fs::path saved = saveTo / folder.filename();
    EXPECT_EQ(gui::Text(item(dlg::lblStatus)), dlg::kSaved + saved.wstring());
    for (const wchar_t* file : {L"crash.dmp", L"report.txt", L"screenshot.png"})
        EXPECT_EQ(Bytes(saved / file), Bytes(folder / file)) << ToUtf8(file);

    gui::Click(item(dlg::bbtClose));
    EXPECT_EQ(crash.ExitCode(30000), 0xC0000005);
}

TEST(CrashDialog, ScalesWithTheDpi) {
    const fs::path root = FreshFolder(L"dialog-dpi");
    // 144 dpi still fits the 1024 x 768 screen Wine may give.
    for (const int dpi : {96, 144}) {
        SetEnvironmentVariableW(L"ORVANE_DPI", std::to_wstring(dpi).c_str());
        TCrashTest crash(L"abort --no-mail-client --report-dir " + Quoted(root));
        SetEnvironmentVariableW(L"ORVANE_DPI", nullptr);
        const HWND dialog = gui::WaitForWindow(dlg::kTitle, crash.pid, 60000);
        ASSERT_TRUE(dialog) << "no crash dialog at " << dpi << " dpi";
        const RECT send = gui::ClientRectIn(gui::FindById(dialog, dlg::bbtSend), dialog);
        EXPECT_EQ(send.right - send.left, MulDiv(170, dpi, 96)) << dpi;
        RECT client;
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, MulDiv(560, dpi, 96)) << dpi;
        gui::Click(gui::FindById(dialog, dlg::bbtClose));
        EXPECT_EQ(crash.ExitCode(30000), 0x40000015);
    }
}

TEST(CrashDialog, HandsTheFilesToAMailClientThatAnswers) {
    const fs::path root = FreshFolder(L"dialog-mapi");
    const fs::path mailLog = root.parent_path() / L"dialog-mail.log",
                   shellLog = root.parent_path() / L"dialog-mapi-shell.log";
    fs::remove(mailLog);
    fs::remove(shellLog);
    TCrashTest crash(L"cpp-exception --report-dir " + Quoted(root) + L" --mail-log " + Quoted(mailLog) +
                     L" --shell-log " + Quoted(shellLog));
    const HWND dialog = gui::WaitForWindow(dlg::kTitle, crash.pid, 60000);
    ASSERT_TRUE(dialog) << "no crash dialog";
    gui::ClickAndWait(gui::FindById(dialog, dlg::bbtSend));
    EXPECT_EQ(gui::Text(gui::FindById(dialog, dlg::lblStatus)), MailRouteText(TMailRoute::MailClient));
    const auto folders = Subfolders(root);
    ASSERT_EQ(folders.size(), 1u);
    const std::string mail = Bytes(mailLog);
    EXPECT_TRUE(mail.starts_with("to: support@orvane.example\nsubject: Orvane 1.0.0.0 : rapport d'incident 0xE06D7363"))
        << mail;
    for (const wchar_t* file : {L"crash.dmp", L"report.txt", L"screenshot.png"})
        EXPECT_NE(mail.find("attachment: " + ToUtf8((folders[0] / file).wstring()) + "\n"), std::string::npos) << mail;
    EXPECT_FALSE(fs::exists(shellLog));  // no mailto: and no folder shown
    gui::Click(gui::FindById(dialog, dlg::bbtClose));
    EXPECT_EQ(crash.ExitCode(30000), 0xE06D7363);
}

}  // namespace
}  // namespace orvane::crash
