#include "update/win32/LoginForm_win32.h"

#include <commctrl.h>

#include "winui/Controls.h"
#include "winui/Dpi.h"

namespace orvane {

namespace {

constexpr wchar_t kClassName[] = L"TKvoLoginForm";
constexpr int kClientWidth = 320, kClientHeight = 189;
constexpr int kEditLeft = 104, kEditWidth = 193, kEditHeight = 21, kLabelLeft = 16, kLabelWidth = 86;
constexpr int kTop1 = 80, kTop2 = 112, kButtonTop = 152, kButtonWidth = 75, kButtonHeight = 25;

}  // namespace

TKvoLoginForm::TKvoLoginForm(HWND owner) : owner_(owner) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    winui::RegisterFormClass(instance, kClassName, WndProc);
    // A caption with only the close box: no minimise, maximise or resizing.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    const HWND window = CreateWindowExW(exStyle, kClassName, L"", style, 0, 0, kClientWidth, kClientHeight, owner,
                                        nullptr, instance, this);
    if (!window) return;
    window_.reset(window);
    const UINT dpi = winui::WindowDpi(window);
    RECT frame = {0, 0, winui::Scale(kClientWidth, dpi), winui::Scale(kClientHeight, dpi)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    font_ = winui::CreatePixelFont(L"MS Sans Serif", 11, dpi);
    CreateControls();
}

TKvoLoginForm::~TKvoLoginForm() {
    if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

// Creation order is the tab order: Edit1, Edit2, Button1, Button2; each label precedes its box, so its
// accelerator moves the focus there.
void TKvoLoginForm::CreateControls() {
    const HWND w = window_.get();
    const UINT dpi = winui::WindowDpi(w);
    const auto place = [dpi](HWND control, int left, int top, int width, int height) {
        MoveWindow(control, winui::Scale(left, dpi), winui::Scale(top, dpi), winui::Scale(width, dpi),
                   winui::Scale(height, dpi), FALSE);
    };
    image_ = winui::CreateChild(w, {WC_STATICW, L"", SS_ETCHEDFRAME, 0, 100});
    label1_ = winui::CreateChild(w, {WC_STATICW, L"&User name: ", SS_LEFT, 0, 101});
    edit1_ = winui::CreateChild(w, {WC_EDITW, L"", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 102});
    label2_ = winui::CreateChild(w, {WC_STATICW, L"&Password:", SS_LEFT, 0, 103});
    edit2_ = winui::CreateChild(w, {WC_EDITW, L"", ES_AUTOHSCROLL | ES_PASSWORD | WS_TABSTOP, WS_EX_CLIENTEDGE, 104});
    button1_ = winui::CreateChild(w, {WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, IDOK});
    button2_ = winui::CreateChild(w, {WC_BUTTONW, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, IDCANCEL});
    SendMessageW(edit2_, EM_SETPASSWORDCHAR, L'*', 0);
    place(image_, 0, 0, kClientWidth, 60);
    place(label1_, kLabelLeft, kTop1 + 3, kLabelWidth, 13);
    place(edit1_, kEditLeft, kTop1, kEditWidth, kEditHeight);
    place(label2_, kLabelLeft, kTop2 + 3, kLabelWidth, 13);
    place(edit2_, kEditLeft, kTop2, kEditWidth, kEditHeight);
    place(button1_, 144, kButtonTop, kButtonWidth, kButtonHeight);
    place(button2_, 224, kButtonTop, kButtonWidth, kButtonHeight);
    for (HWND control : {label1_, edit1_, label2_, edit2_, button1_, button2_}) winui::SetFont(control, font_.get());
}

void TKvoLoginForm::SetCaption(const std::wstring& caption) {
    if (window_) SetWindowTextW(window_.get(), caption.c_str());
}

int TKvoLoginForm::ShowModal() {
    if (!window_) return IDCANCEL;
    const HWND w = window_.get();
    const bool ownerWasEnabled = owner_ && IsWindowEnabled(owner_);
    if (ownerWasEnabled) EnableWindow(owner_, FALSE);
    ShowWindow(w, SW_SHOWNORMAL);
    SetForegroundWindow(w);
    SetFocus(edit1_);
    result_ = 0;
    MSG msg;
    while (result_ == 0) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            result_ = IDCANCEL;
            break;
        }
        if (!IsDialogMessageW(w, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (ownerWasEnabled) EnableWindow(owner_, TRUE);
    ShowWindow(w, SW_HIDE);
    return result_;
}

std::wstring TKvoLoginForm::UserName() const {
    return winui::GetText(edit1_);
}

std::wstring TKvoLoginForm::Password() const {
    return winui::GetText(edit2_);
}

LRESULT CALLBACK TKvoLoginForm::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TKvoLoginForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                    self->result_ = LOWORD(wParam);
                    return 0;
                }
                break;
            case WM_CLOSE:
                self->result_ = IDCANCEL;
                return 0;
            case WM_NEXTDLGCTL: {
                // The dialog manager moves the focus this way for a label's accelerator; only dialog
                // windows answer it by themselves.
                const HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                                   : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
                if (target) SetFocus(target);
                return 0;
            }
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool TWin32LoginPrompt::Prompt(const std::wstring& caption, std::wstring& user, std::wstring& password) {
    TKvoLoginForm form(owner_);
    form.SetCaption(caption);
    if (form.ShowModal() != IDOK) return false;
    user = form.UserName();
    password = form.Password();
    return true;
}

}  // namespace orvane
