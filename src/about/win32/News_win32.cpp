#include "about/win32/News_win32.h"

#include "about/About.h"
#include "about/AboutIds.h"
#include "about/News.h"
#include "about/win32/Forms_win32.h"
#include "platform/win32/UrlDownload_win32.h"
#include "winui/Controls.h"
#include "winui/Dpi.h"

namespace orvane {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kMargin = 4, kButtonBar = 33, kButtonWidth = 75, kButtonHeight = 25;

// The news window: the notes read-only, a close button below them.
class TfrmShowNews {
public:
    void Show(HWND owner, const std::wstring& text) {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        winui::RegisterFormClass(instance, about::ids::kNewsClass, WndProc, COLOR_BTNFACE);

        const UINT dpi = winui::WindowDpi(owner);
        const RECT at = about::CentredWindowRect(owner, winui::Scale(about::kFormWidth, dpi),
                                                 winui::Scale(about::kFormHeight, dpi), kStyle, kExStyle);
        window_.reset(CreateWindowExW(kExStyle, about::ids::kNewsClass, about::kNewsCaption, kStyle, at.left, at.top,
                                      at.right - at.left, at.bottom - at.top, owner, nullptr, instance, this));
        if (!window_) return;
        // Read-only, wrapped at the width, no scroll bars: the notes are meant to be short.
        const HWND memo =
            Child(L"EDIT", ES_MULTILINE | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE, about::ids::memNews);
        SetWindowTextW(memo, about::EditLineBreaks(text).c_str());
        const HWND close = Child(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, about::ids::bbtClose);
        SetWindowTextW(close, about::kCloseButton);
        ApplyDpi(dpi);
        about::RunModal(window_.get(), owner, close, &done_);
    }

private:
    HWND Child(const wchar_t* className, DWORD style, DWORD exStyle, int id) {
        return CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_.get(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    }

    // The notes fill the room above the button bar, the button stands at the bar's right end.
    void ApplyDpi(UINT dpi) {
        dpi_ = dpi;
        const auto S = [dpi](int units) { return winui::Scale(units, dpi); };
        win32::unique_hfont font = about::CreateFormFont({}, dpi);
        const int left = S(about::kStripWidth), width = S(about::kFormWidth), height = S(about::kFormHeight);
        const int barTop = height - S(kButtonBar);
        const HWND memo = GetDlgItem(window_.get(), about::ids::memNews);
        const HWND close = GetDlgItem(window_.get(), about::ids::bbtClose);
        SetWindowPos(memo, nullptr, left + S(kMargin), S(kMargin), width - left - 2 * S(kMargin),
                     barTop - 2 * S(kMargin), SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(close, nullptr, width - S(kMargin) - S(kButtonWidth),
                     barTop + (S(kButtonBar) - S(kButtonHeight)) / 2, S(kButtonWidth), S(kButtonHeight),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        for (const HWND control : {memo, close})
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        font_ = std::move(font);
        InvalidateRect(window_.get(), nullptr, TRUE);
    }

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* form = reinterpret_cast<TfrmShowNews*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (form) {
            switch (message) {
                case WM_COMMAND:
                    if (LOWORD(wParam) == about::ids::bbtClose || LOWORD(wParam) == IDCANCEL) form->done_ = true;
                    return 0;
                case WM_CLOSE:
                    form->done_ = true;
                    return 0;
                case WM_DPICHANGED: {
                    form->ApplyDpi(HIWORD(wParam));
                    const auto* r = reinterpret_cast<const RECT*>(lParam);
                    SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                                 SWP_NOZORDER | SWP_NOACTIVATE);
                    return 0;
                }
                case WM_PAINT: {
                    PAINTSTRUCT paint;
                    const HDC dc = BeginPaint(hwnd, &paint);
                    RECT client;
                    GetClientRect(hwnd, &client);
                    about::PaintStrip(dc, winui::Scale(about::kStripWidth, form->dpi_), client.bottom);
                    EndPaint(hwnd, &paint);
                    return 0;
                }
                default:
                    break;
            }
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    UINT dpi_ = 96;
    bool done_ = false;
    win32::unique_hfont font_;  // outlives the window: declared before it
    win32::unique_hwnd window_;
};

}  // namespace

void ShowNews(const std::wstring& url, HWND owner, IUrlDownload& download) {
    const auto text = about::FetchNews(download, url);
    if (!text) return;
    TfrmShowNews().Show(owner, *text);
}

void ShowNews(const std::wstring& url, HWND owner) {
    win32::TWin32UrlDownload download;
    ShowNews(url, owner, download);
}

}  // namespace orvane
