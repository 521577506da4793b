#include "crash/win32/CrashHandler_win32.h"

#include <windows.h>

#include <cxxabi.h>
#include <signal.h>
#include <stdlib.h>

#include <exception>
#include <memory>
#include <stdexcept>
#include <typeinfo>

#include "core/Text.h"
#include "crash/win32/CrashReporter_win32.h"
#include "platform/win32/Handle.h"

namespace orvane::crash {

namespace {

// Everything the crashing thread touches is static: it may have no stack or heap left to spare.
TCrashSettings* g_settings = nullptr;
HANDLE g_start = nullptr;
HANDLE g_done = nullptr;
DWORD g_reporterThread = 0;
DWORD g_mainThread = 0;
volatile LONG g_crashing = 0;
volatile DWORD g_code = 0;
TCrashEvent g_event;
EXCEPTION_RECORD g_record;
CONTEXT g_context;
EXCEPTION_POINTERS g_pointers;

[[noreturn]] void EndProcess(DWORD code) {
    TerminateProcess(GetCurrentProcess(), code);
    for (;;) Sleep(INFINITE);
}

// The reporter's thread faulting means the report itself failed: the process still ends with the
// code of the crash being reported. A second thread crashing meanwhile waits for the first report.
void EnterCrash(DWORD code) {
    if (GetCurrentThreadId() == g_reporterThread) EndProcess(g_code ? g_code : code);
    if (InterlockedExchange(&g_crashing, 1) != 0) {
        for (;;) Sleep(INFINITE);
    }
    g_code = code;
}

[[noreturn]] void HandOver(EXCEPTION_POINTERS* pointers, TCrashCause cause) {
    g_event.pointers = pointers;
    g_event.threadId = GetCurrentThreadId();
    g_event.mainThread = g_event.threadId == g_mainThread;
    g_event.cause = cause;
    if (g_start && g_done) {
        SetEvent(g_start);
        WaitForSingleObject(g_done, INFINITE);
    }
    EndProcess(g_code);
}

// Causes that are not system exceptions get a record made here, pointing at the caller.
[[noreturn]] __attribute__((noinline)) void HandOverHere(DWORD code, TCrashCause cause, std::wstring detail) {
    EnterCrash(code);
    RtlCaptureContext(&g_context);
#if !defined(__x86_64__)
    // The 32-bit capture is not reliable everywhere (Wine leaves the instruction pointer empty): this
    // function's own frame serves, and the stack walk starts at its caller.
    g_context.Eip = reinterpret_cast<DWORD>(__builtin_return_address(0));
    g_context.Ebp = reinterpret_cast<DWORD>(__builtin_frame_address(0));
    g_context.Esp = reinterpret_cast<DWORD>(__builtin_frame_address(0));
    g_context.ContextFlags |= CONTEXT_CONTROL;
#endif
    g_record = {};
    g_record.ExceptionCode = code;
    g_record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
#if defined(_M_X64) || defined(__x86_64__)
    g_record.ExceptionAddress = reinterpret_cast<void*>(g_context.Rip);
#else
    g_record.ExceptionAddress = reinterpret_cast<void*>(g_context.Eip);
#endif
    g_pointers = {&g_record, &g_context};
    g_event.detail = std::move(detail);
    HandOver(&g_pointers, cause);
}

LONG WINAPI UnhandledFilter(EXCEPTION_POINTERS* pointers) {
    EnterCrash(pointers->ExceptionRecord->ExceptionCode);
    HandOver(pointers, TCrashCause::SystemException);
}

// The exception in flight, as "type: what()".
std::wstring DescribeInFlight(TCrashCause& cause) {
    std::type_info* type = abi::__cxa_current_exception_type();
    if (!type) return L"";
    cause = TCrashCause::CppException;
    std::wstring text;
    int status = 0;
    std::unique_ptr<char, decltype(&free)> name(abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &free);
    text = FromUtf8(status == 0 && name ? name.get() : type->name());
    try {
        throw;
    } catch (const std::exception& e) {
        text += L": " + FromUtf8(e.what());
    } catch (...) {
    }
    return text;
}

void OnTerminate() {
    TCrashCause cause = TCrashCause::Terminate;
    std::wstring detail = DescribeInFlight(cause);
    HandOverHere(cause == TCrashCause::CppException ? kCppExceptionCode : kFatalAppExitCode, cause, std::move(detail));
}

void OnAbortSignal(int) {
    HandOverHere(kFatalAppExitCode, TCrashCause::Abort, L"SIGABRT");
}

void OnPureCall() {
    HandOverHere(kFatalAppExitCode, TCrashCause::PureCall, L"");
}

void OnInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned, uintptr_t) {
    HandOverHere(kFatalAppExitCode, TCrashCause::InvalidParameter, L"");
}

DWORD WINAPI ReporterMain(void*) {
    WaitForSingleObject(g_start, INFINITE);
    try {
        const TWrittenReport report = WriteCrashReport(*g_settings, g_event);
        if (g_settings->showDialog) ShowCrashDialog(*g_settings, report);
    } catch (...) {
        // What was written stays; the process ends all the same.
    }
    SetEvent(g_done);
    return 0;
}

}  // namespace

void InstallCrashHandler(TCrashSettings settings) {
    if (g_settings) return;
    g_settings = new TCrashSettings(std::move(settings));
    g_mainThread = GetCurrentThreadId();
    g_start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Prepared now: a thread that overflowed its stack cannot write a report itself.
    win32::unique_handle reporter(CreateThread(nullptr, 1024 * 1024, ReporterMain, nullptr, 0, &g_reporterThread));

    // Room for the filter to run on the main thread after a stack overflow.
    ULONG guarantee = 64 * 1024;
    SetThreadStackGuarantee(&guarantee);
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(UnhandledFilter);
    std::set_terminate(OnTerminate);
    signal(SIGABRT, OnAbortSignal);
    _set_purecall_handler(OnPureCall);
    _set_invalid_parameter_handler(OnInvalidParameter);
}

void ReportCurrentExceptionAndExit() {
    TCrashCause cause = TCrashCause::Terminate;
    std::wstring detail = DescribeInFlight(cause);
    HandOverHere(cause == TCrashCause::CppException ? kCppExceptionCode : kFatalAppExitCode, cause, std::move(detail));
}

}  // namespace orvane::crash

// libstdc++ reaches a pure virtual call through this function, not through the C runtime's handler.
extern "C" void __cxa_pure_virtual() {
    orvane::crash::OnPureCall();
}

// The executable's one export: code that cannot reach the C++ runtime's handlers (a hook or plug-in
// written in another language) hands its exception to the crash reporter here. Never returns.
extern "C" __declspec(dllexport) LONG WINAPI OrvaneReportException(EXCEPTION_POINTERS* pointers) {
    return orvane::crash::UnhandledFilter(pointers);
}
