#include "platform/win32/Worker_win32.h"

#include "core/Error.h"
#include "platform/win32/Win32Error.h"

#include <atomic>

namespace orvane::win32 {

namespace {

constexpr UINT kWorkerDone = WM_APP + 1;
constexpr wchar_t kClassName[] = L"OrvaneWorkerEnd";

std::atomic<void (*)()> gLastChance{nullptr};

}  // namespace

struct TWin32WorkerThreads::Job {
    std::function<void()> work, done;
    HWND window = nullptr;
};

void SetWorkerLastChance(void (*handler)()) { gLastChance.store(handler); }

TWin32WorkerThreads::TWin32WorkerThreads() = default;

// Made on the first start, by the thread that starts workers: most engines never need it.
HWND TWin32WorkerThreads::Window() {
    if (window_) return window_.get();
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);  // a second registration fails harmlessly
    window_.reset(CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
    if (!window_) ThrowWin32Error();
    return window_.get();
}

TWin32WorkerThreads::~TWin32WorkerThreads() {
    JoinAll();
}

void TWin32WorkerThreads::Start(std::function<void()> work, std::function<void()> done) {
    auto job = std::make_unique<Job>(Job{std::move(work), std::move(done), Window()});
    HANDLE thread = CreateThread(nullptr, 0, Body, job.get(), 0, nullptr);
    if (!thread) ThrowWin32Error();
    job.release();  // the thread owns it now
    std::lock_guard<std::mutex> lock(mutex_);
    threads_.emplace_back(thread);
}

void TWin32WorkerThreads::JoinAll() {
    std::vector<unique_handle> threads;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        threads.swap(threads_);
    }
    for (const unique_handle& t : threads) WaitForSingleObject(t.get(), INFINITE);
    // Ends posted but not yet run belong to workers that are gone with their engine.
    MSG msg;
    while (window_ && PeekMessageW(&msg, window_.get(), kWorkerDone, kWorkerDone, PM_REMOVE))
        delete reinterpret_cast<Job*>(msg.lParam);
}

DWORD WINAPI TWin32WorkerThreads::Body(void* parameter) {
    auto* job = static_cast<Job*>(parameter);
    try {
        job->work();
    } catch (const AppError&) {
        // An expected failure of the run, which reported what it could through its status lines.
    } catch (...) {
        // Anything else is a fault: the last-chance handler (the crash reporter) hears of it.
        if (const auto handler = gLastChance.load()) handler();
    }
    if (!PostMessageW(job->window, kWorkerDone, 0, reinterpret_cast<LPARAM>(job))) delete job;
    return 0;
}

LRESULT CALLBACK TWin32WorkerThreads::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kWorkerDone) {
        std::unique_ptr<Job> job(reinterpret_cast<Job*>(lParam));
        if (job->done) job->done();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace orvane::win32
