#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Worker.h"
#include "platform/win32/Handle.h"

namespace orvane::win32 {

// Called inside a worker's last catch when its work ends with anything but an AppError: the program
// hands it the crash reporter. Without one, the worker ends quietly.
void SetWorkerLastChance(void (*handler)());

// Worker threads whose end is posted to a message-only window of the creating (main) thread, so the
// done notification runs there while that thread pumps its messages.
class TWin32WorkerThreads : public IWorkerThreads {
public:
    TWin32WorkerThreads();
    ~TWin32WorkerThreads() override;
    TWin32WorkerThreads(const TWin32WorkerThreads&) = delete;
    TWin32WorkerThreads& operator=(const TWin32WorkerThreads&) = delete;

    void Start(std::function<void()> work, std::function<void()> done) override;
    void JoinAll() override;

private:
    struct Job;
    HWND Window();
    static DWORD WINAPI Body(void* job);
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    unique_hwnd window_;
    std::mutex mutex_;
    std::vector<unique_handle> threads_;
};

}  // namespace orvane::win32
