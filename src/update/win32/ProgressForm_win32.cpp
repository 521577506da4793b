#include "update/win32/ProgressForm_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "update/WebUpdate.h"
#include "winui/Controls.h"
#include "winui/Dpi.h"

namespace orvane {

namespace {

constexpr wchar_t kClassName[] = L"OrvaneProgressForm";
constexpr int kWidth = 300, kHeight = 110;  // the window, in 96-dpi units
constexpr int kMargin = 10, kBarTop = 40, kBarWidth = 264, kBarHeight = 17;
constexpr int kLabelTop = 10, kLabelHeight = 20, kButtonWidth = 75, kButtonHeight = 24, kButtonTop = 8;

}  // namespace

TWin32ProgressForm::TWin32ProgressForm(HWND owner) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    winui::RegisterFormClass(instance, kClassName, WndProc);
    // Dialog border and a caption without a system menu: no close box, the download decides when it ends.
    const HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, StatusMessage(978, L"").c_str(),
                                        WS_POPUP | WS_CAPTION | WS_DLGFRAME | WS_CLIPCHILDREN, 0, 0, kWidth, kHeight,
                                        owner, nullptr, instance, this);
    if (!window) return;
    window_.reset(window);
    dpi_ = winui::WindowDpi(window);
    const int width = winui::Scale(kWidth, dpi_), height = winui::Scale(kHeight, dpi_);
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    CreateControls();
    Layout();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
}

TWin32ProgressForm::~TWin32ProgressForm() {
    if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

void TWin32ProgressForm::CreateControls() {
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    label_ = winui::CreateChild(window_.get(), {WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS});
    bar_ = winui::CreateChild(window_.get(), {PROGRESS_CLASSW, L"", PBS_SMOOTH});
    cancel_ = winui::CreateChild(window_.get(), {WC_BUTTONW, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, IDCANCEL});
    for (HWND control : {label_, bar_, cancel_}) winui::SetFont(control, font);
}

// The bar keeps its left, top and right margins; the button sits at the right end of the label's row.
void TWin32ProgressForm::Layout() {
    RECT client;
    GetClientRect(window_.get(), &client);
    const auto s = [this](int units) { return winui::Scale(units, dpi_); };
    const int rightMargin = s(kWidth) - s(kMargin + kBarWidth);  // as designed, measured on the window
    const int nonClient = s(kWidth) - static_cast<int>(client.right);
    const int barRight = std::max(s(kMargin), static_cast<int>(client.right) - (rightMargin - nonClient));
    const int buttonLeft = barRight - s(kButtonWidth);
    MoveWindow(label_, s(kMargin), s(kLabelTop), std::max(0, buttonLeft - s(kMargin) - s(4)), s(kLabelHeight), TRUE);
    MoveWindow(cancel_, buttonLeft, s(kButtonTop), s(kButtonWidth), s(kButtonHeight), TRUE);
    MoveWindow(bar_, s(kMargin), s(kBarTop), barRight - s(kMargin), s(kBarHeight), TRUE);
}

void TWin32ProgressForm::SetProgress(long long minimum, long long maximum, long long position) {
    if (!bar_) return;
    // The bar counts in 32-bit numbers; larger sizes are scaled down together.
    int shift = 0;
    while ((maximum >> shift) > 0x7FFFFFFF || (minimum >> shift) < -0x7FFFFFFF || (position >> shift) > 0x7FFFFFFF)
        ++shift;
    SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(static_cast<int>(minimum >> shift)),
                 static_cast<LPARAM>(static_cast<int>(maximum >> shift)));
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(static_cast<int>(position >> shift)), 0);
}

void TWin32ProgressForm::SetFileLabel(const std::wstring& text) {
    if (label_) winui::SetText(label_, text);
}

void TWin32ProgressForm::SetCaption(const std::wstring& text) {
    if (window_) winui::SetText(window_.get(), text);
}

LRESULT CALLBACK TWin32ProgressForm::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TWin32ProgressForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->window_.get() == window) return self->Handle(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TWin32ProgressForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
                cancelRequested_ = true;
                EnableWindow(cancel_, FALSE);
                if (OnCancel) OnCancel();
                return 0;
            }
            break;
        case WM_SIZE:
            if (bar_) Layout();
            return 0;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const auto* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_.get(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Layout();
            return 0;
        }
        case WM_CLOSE:
            return 0;  // no close box; Alt+F4 must not end the window under the download
        default:
            break;
    }
    return DefWindowProcW(window_.get(), message, wParam, lParam);
}

}  // namespace orvane
