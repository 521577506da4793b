#pragma once

#include <windows.h>

#include <string>

#include "platform/LoginPrompt.h"
#include "platform/win32/Handle.h"

namespace orvane {

// The log-on dialog: picture, "&User name: " and "&Password:" boxes (the password shows "*"), OK and
// Cancel; shown modally, its owner disabled meanwhile.
class TKvoLoginForm {
public:
    explicit TKvoLoginForm(HWND owner);
    TKvoLoginForm(const TKvoLoginForm&) = delete;
    TKvoLoginForm& operator=(const TKvoLoginForm&) = delete;
    ~TKvoLoginForm();

    void SetCaption(const std::wstring& caption);
    // IDOK or IDCANCEL.
    int ShowModal();
    std::wstring UserName() const;
    std::wstring Password() const;

    HWND Window() const { return window_.get(); }

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();

    HWND owner_;
    win32::unique_hwnd window_;
    win32::unique_hfont font_;
    HWND image_ = nullptr, label1_ = nullptr, edit1_ = nullptr, label2_ = nullptr, edit2_ = nullptr;
    HWND button1_ = nullptr, button2_ = nullptr;
    int result_ = 0;
};

class TWin32LoginPrompt : public ILoginPrompt {
public:
    explicit TWin32LoginPrompt(HWND owner = nullptr) : owner_(owner) {}
    bool Prompt(const std::wstring& caption, std::wstring& user, std::wstring& password) override;

private:
    HWND owner_;
};

}  // namespace orvane
