#pragma once

#include <windows.h>

#include <functional>

#include "platform/win32/Handle.h"
#include "update/ProgressForm.h"

namespace orvane {

// The download window: a small modeless window without a close box, centred on the screen, with the
// file label, the progress bar and a Cancel button. The download loop pumps its messages.
class TWin32ProgressForm : public TProgressForm {
public:
    explicit TWin32ProgressForm(HWND owner);
    ~TWin32ProgressForm() override;
    TWin32ProgressForm(const TWin32ProgressForm&) = delete;
    TWin32ProgressForm& operator=(const TWin32ProgressForm&) = delete;

    void SetProgress(long long minimum, long long maximum, long long position) override;
    void SetFileLabel(const std::wstring& text) override;
    void SetCaption(const std::wstring& text) override;

    // Cancel was pressed; the engine's cancel query reads this.
    bool CancelRequested() const { return cancelRequested_; }
    std::function<void()> OnCancel;

    HWND Window() const { return window_.get(); }
    HWND ProgressBar() const { return bar_; }
    HWND FileLabel() const { return label_; }
    HWND CancelButton() const { return cancel_; }

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Layout();

    win32::unique_hwnd window_;
    HWND label_ = nullptr, bar_ = nullptr, cancel_ = nullptr;
    UINT dpi_ = 96;
    bool cancelRequested_ = false;
};

}  // namespace orvane
