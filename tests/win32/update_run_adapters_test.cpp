// The services an update run adds, against the real system: processes and their exit codes, the
// current folder, worker threads whose end comes back to the main thread, and the engine's run
// wired to them.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>

#include <windows.h>

#include <filesystem>

#include "core/Error.h"
#include "core/Text.h"
#include "platform/win32/LocaleFormat_win32.h"
#include "platform/win32/Processes_win32.h"
#include "platform/win32/Worker_win32.h"
#include "update/win32/EngineDialogs_win32.h"

namespace orvane {
namespace {

TEST(UpdateRunAdapters, RunAndWaitGivesTheExitCode) {
    struct Case {
        const wchar_t* command;
        bool started;
        std::optional<std::uint32_t> exitCode;
        DWORD lastError;
    };
    const Case cases[] = {
        {L"cmd.exe /c exit 0", true, 0u, 0},
        {L"cmd.exe /c exit 3", true, 3u, 8195},
        {L"no-such-program-here.exe", false, std::nullopt, ERROR_FILE_NOT_FOUND},
    };
    win32::TWin32ProcessLauncher launcher;
    for (const Case& c : cases) {
        SetLastError(0);
        const auto run = launcher.RunAndWait(c.command, false);
        const DWORD error = GetLastError();
        EXPECT_EQ(run.started, c.started) << c.command;
        EXPECT_EQ(run.exitCode, c.exitCode) << c.command;
        EXPECT_EQ(error, c.lastError) << c.command;
    }
}

TEST(UpdateRunAdapters, ShellRefusesAMissingProgram) {
    win32::TWin32ProcessLauncher launcher;
    EXPECT_FALSE(launcher.ShellOpen(L"C:\\no-such-folder\\no-such-program.exe", L"", true));
}

TEST(UpdateRunAdapters, CurrentFolder) {
    win32::TWin32CurrentFolder current;
    const std::wstring before = current.Get();
    std::wstring temp = std::filesystem::temp_directory_path().wstring();
    while (temp.size() > 3 && temp.back() == L'\\') temp.pop_back();
    ASSERT_TRUE(current.Set(temp));
    EXPECT_TRUE(EqualsNoCaseAscii(current.Get(), temp)) << ToUtf8(current.Get()) << " " << ToUtf8(temp);
    EXPECT_FALSE(current.Set(L"C:\\no-such-folder-here"));
    ASSERT_TRUE(current.Set(before));
}

TEST(UpdateRunAdapters, WorkerEndRunsOnTheMainThread) {
    win32::TWin32WorkerThreads workers;
    const DWORD main = GetCurrentThreadId();
    DWORD worker = 0, doneOn = 0;
    workers.Start([&] { worker = GetCurrentThreadId(); }, [&] { doneOn = GetCurrentThreadId(); });
    for (int i = 0; i < 500 && doneOn == 0; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    EXPECT_NE(worker, 0u);
    EXPECT_NE(worker, main);
    EXPECT_EQ(doneOn, main);
}

TEST(UpdateRunAdapters, JoinWaitsAndDropsUndeliveredEnds) {
    win32::TWin32WorkerThreads workers;
    bool worked = false, done = false;
    workers.Start(
        [&] {
            Sleep(100);
            worked = true;
        },
        [&] { done = true; });
    workers.JoinAll();
    EXPECT_TRUE(worked);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_FALSE(done);  // the engine that asked for it may be gone
}

// A run that fails as runs do (an AppError) ends its worker quietly; any other exception is a fault
// that the last-chance handler (the crash reporter, in the program) must hear of.
std::atomic<int> gLastChanceCalls{0};
void CountLastChance() { ++gLastChanceCalls; }

TEST(UpdateRunAdapters, OnlyAFaultInTheWorkerReachesTheLastChanceHandler) {
    win32::SetWorkerLastChance(CountLastChance);
    struct Case {
        const char* what;
        std::function<void()> work;
        int calls;
    };
    const Case cases[] = {
        {"AppError", [] { throw AppError(L"No host specified"); }, 0},
        {"runtime_error", [] { throw std::runtime_error("bug"); }, 1},
        {"anything", [] { throw 42; }, 1},
        {"nothing", [] {}, 0},
    };
    for (const Case& c : cases) {
        gLastChanceCalls = 0;
        {
            win32::TWin32WorkerThreads workers;
            workers.Start(c.work, [] {});
            workers.JoinAll();
        }
        EXPECT_EQ(gLastChanceCalls.load(), c.calls) << c.what;
    }
    win32::SetWorkerLastChance(nullptr);
}

// The patcher's wait window: 300 by 170, caption without border icons, the system's copy-files clip
// at 10,10 and the message 8 pixels below it; gone with its object.
TEST(UpdateRunAdapters, CopyAnimationWindowShowsCaptionClipAndMessage) {
    TWin32EngineDialogs dialogs(nullptr);
    auto shown = dialogs.ShowCopyAnimation(L"Mise à jour", L"Patch en cours");
    ASSERT_TRUE(shown);
    const HWND window = FindWindowW(L"TWUAnimation", L"Mise à jour");
    ASSERT_TRUE(window);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, 300);
    EXPECT_EQ(frame.bottom - frame.top, 170);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & WS_SYSMENU, 0);

    const HWND clip = FindWindowExW(window, nullptr, L"SysAnimate32", nullptr);
    const HWND text = FindWindowExW(window, nullptr, L"Static", nullptr);
    ASSERT_TRUE(clip);
    ASSERT_TRUE(text);
    RECT c, t;
    GetWindowRect(clip, &c);
    GetWindowRect(text, &t);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&c), 2);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&t), 2);
    EXPECT_EQ(c.left, 10);
    EXPECT_EQ(c.top, 10);
    EXPECT_GT(c.right - c.left, 0) << "the copy-files clip did not open";
    EXPECT_EQ(t.left, 10);
    EXPECT_EQ(t.top, c.bottom + 8);
    wchar_t message[64] = L"";
    GetWindowTextW(text, message, 64);
    EXPECT_STREQ(message, L"Patch en cours");

    shown.reset();
    EXPECT_FALSE(IsWindow(window));
}

TEST(UpdateRunAdapters, ShortDatePictureOfTheUser) {
    const std::wstring picture = win32::TWin32LocaleFormat().ShortDateFormat();
    for (const wchar_t letter : {L'd', L'M', L'y'})
        EXPECT_NE(picture.find(letter), std::wstring::npos) << ToUtf8(picture);
}

TEST(UpdateRunAdapters, HtmlDialogWithoutAnEngineIsAnError) {
    // The test prefixes carry no HTML engine: the dialog must say so, not crash or hang.
    TWin32EngineDialogs dialogs(nullptr);
    EXPECT_THROW(dialogs.ShowHtml(L"about:blank"), AppError);
}

}  // namespace
}  // namespace orvane
