// orvane-crashtest KIND --report-dir DIR [--no-dialog] [--shell-log FILE] [--no-mail-client | --mail-log FILE]
//                 [--save-to DIR] [--fail-dump] [--worker-catch]
// Shows a small window, then crashes the way KIND says, with Orvane's crash reporter installed.
// --shell-log records what the reporter hands to the shell instead of opening it. --no-mail-client
// stands for a workstation without a mail client (Wine's own bridge would start a program of the
// host); --mail-log stands for one that takes the message, recorded. --save-to answers the folder
// picker of "Enregistrer sous...". --fail-dump makes the
// reporter itself fault just before its dump. --worker-catch has the thread of thread-exception end
// in a catch-all that hands the exception over, as the update worker does.

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "core/Text.h"
#include "crash/win32/CrashHandler_win32.h"

namespace crashtest {

// A base that calls its pure virtual function while it is still being built. The call goes through a
// pointer the compiler cannot see through, and the classes are visible outside this file, so the
// call is really made.
struct TBase;
TBase* volatile g_building = nullptr;
struct TBase {
    TBase() {
        g_building = this;
        CallPure();
    }
    virtual ~TBase() = default;
    static __attribute__((noinline)) void CallPure();
    virtual void Pure() = 0;
};
void TBase::CallPure() {
    g_building->Pure();
}
struct TDerived : TBase {
    void Pure() override { std::puts("never reached"); }
};

// Each call keeps a page of stack alive until the guard page is hit.
}  // namespace crashtest

namespace {

class TStandInMail : public orvane::crash::IMailClient {
public:
    explicit TStandInMail(std::wstring log) : log_(std::move(log)) {}
    Result Send(const orvane::crash::TMailMessage& message) override {
        if (log_.empty()) return Result::NoClient;
        std::ofstream out(log_.c_str(), std::ios::app | std::ios::binary);
        out << "to: " << orvane::ToUtf8(message.to) << "\nsubject: " << orvane::ToUtf8(message.subject) << "\n";
        for (const std::wstring& file : message.attachments) out << "attachment: " << orvane::ToUtf8(file) << "\n";
        return Result::Sent;
    }

private:
    std::wstring log_;
};

class TRecordingShell : public orvane::IShell {
public:
    explicit TRecordingShell(std::wstring path) : path_(std::move(path)) {}
    void Open(const std::wstring& target) override {
        std::ofstream(path_.c_str(), std::ios::app | std::ios::binary) << orvane::ToUtf8(target) << "\n";
    }

private:
    std::wstring path_;
};

int Recurse(volatile int* depth) {
    volatile char block[4096];
    block[0] = static_cast<char>(*depth);
    *depth = *depth + 1;
    if (*depth < 0) return block[0];
    return Recurse(depth) + block[0];
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        RECT r;
        GetClientRect(window, &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawTextW(dc, L"Orvane crash test", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ShowWindowFirst() {
    WNDCLASSW cls{};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"OrvaneCrashTest";
    RegisterClassW(&cls);
    const HWND window = CreateWindowExW(0, cls.lpszClassName, L"Orvane crash test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                        40, 40, 320, 160, nullptr, nullptr, cls.hInstance, nullptr);
    UpdateWindow(window);
    MSG message;
    const DWORD until = GetTickCount() + 300;
    while (GetTickCount() < until) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
    }
}

bool g_workerCatch = false;

__attribute__((noinline)) void Crash(const std::wstring& kind) {
    if (kind == L"access-violation") {
        *static_cast<volatile int*>(nullptr) = 1;
    } else if (kind == L"stack-overflow") {
        volatile int depth = 0;
        std::printf("%d\n", Recurse(&depth));
    } else if (kind == L"cpp-exception") {
        throw std::runtime_error("crash test: cpp-exception");
    } else if (kind == L"thread-exception") {
        std::thread([] {
            if (!g_workerCatch) throw std::runtime_error("crash test: thread-exception");
            try {
                throw std::runtime_error("crash test: thread-exception");
            } catch (...) {
                orvane::crash::ReportCurrentExceptionAndExit();
            }
        }).join();
    } else if (kind == L"abort") {
        abort();
    } else if (kind == L"pure-call") {
        crashtest::TDerived derived;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring kind, shellLog, mailLog;
    bool standInMail = false;
    orvane::crash::TCrashSettings settings;
    settings.mailTo = ORVANE_CRASH_MAIL_TO;
    for (int i = 1; i < count; ++i) {
        const std::wstring arg = args[i];
        if (arg == L"--report-dir" && i + 1 < count)
            settings.reportRoot = args[++i];
        else if (arg == L"--shell-log" && i + 1 < count)
            shellLog = args[++i];
        else if (arg == L"--mail-log" && i + 1 < count)
            mailLog = args[++i], standInMail = true;
        else if (arg == L"--worker-catch")
            g_workerCatch = true;
        else if (arg == L"--save-to" && i + 1 < count)
            settings.pickFolder = [to = std::wstring(args[++i])] { return to; };
        else if (arg == L"--no-mail-client")
            standInMail = true;
        else if (arg == L"--no-dialog")
            settings.showDialog = false;
        else if (arg == L"--fail-dump")
            settings.beforeDump = [] { *static_cast<volatile int*>(nullptr) = 2; };
        else
            kind = arg;
    }
    LocalFree(args);
    static const wchar_t* kinds[] = {L"access-violation", L"stack-overflow", L"cpp-exception",
                                     L"thread-exception", L"abort",          L"pure-call"};
    bool known = false;
    for (const wchar_t* k : kinds) known = known || kind == k;
    if (!known || settings.reportRoot.empty()) {
        std::fputs(
            "usage: orvane-crashtest KIND --report-dir DIR [--no-dialog] [--shell-log FILE] "
            "[--no-mail-client | --mail-log FILE] [--save-to DIR] [--fail-dump] [--worker-catch]\n",
            stderr);
        return 2;
    }
    TRecordingShell recorder(shellLog);
    if (!shellLog.empty()) settings.shell = &recorder;
    TStandInMail mail(mailLog);
    if (standInMail) settings.mailClient = &mail;
    settings.updateLogPath = [] {
        wchar_t path[MAX_PATH];
        const DWORD length = GetEnvironmentVariableW(L"ORVANE_CRASHTEST_LOG", path, MAX_PATH);
        return length && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
    };
    orvane::crash::InstallCrashHandler(std::move(settings));
    ShowWindowFirst();
    Crash(kind);
    return 0;
}
