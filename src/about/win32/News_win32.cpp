#include "about/win32/News_win32.h"

#include "about/About.h"
#include "about/AboutIds.h"
#include "about/News.h"
#include "about/win32/Forms_win32.h"
#include "platform/win32/UrlDownload_win32.h"
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
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = about::ids::kNewsClass;
        RegisterClassExW(&wc);  // a second registration fails harmlessly

        dpi_ = winui::WindowDpi(owner);
        const auto S = [this](int units) { return winui::Scale(units, dpi_); };
        const RECT at = about::CentredWindowRect(owner, S(about::kFormWidth), S(about::kFormHeight), kStyle, kExStyle);
        window_.reset(CreateWindowExW(kExStyle, about::ids::kNewsClass, about::kNewsCaption, kStyle, at.left, at.top,
                                      at.right - at.left, at.bottom - at.top, owner, nullptr, instance, this));
        if (!window_) return;
        font_ = about::CreateFormFont({}, dpi_);

        const int left = S(about::kStripWidth);
        const int width = S(about::kFormWidth), height = S(about::kFormHeight);
        // Read-only, wrapped at the width, no scroll bars: the notes are meant to be short.
        const HWND memo = Child(L"EDIT", L"", ES_MULTILINE | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE,
                                about::ids::memNews, left + S(kMargin), S(kMargin), width - left - 2 * S(kMargin),
                                height - S(kButtonBar) - 2 * S(kMargin));
        const int barTop = height - S(kButtonBar);
        close_ = Child(L"BUTTON", about::kCloseButton, BS_PUSHBUTTON | WS_TABSTOP, 0, about::ids::bbtClose,
                       width - S(kMargin) - S(kButtonWidth), barTop + (S(kButtonBar) - S(kButtonHeight)) / 2,
                       S(kButtonWidth), S(kButtonHeight));
        SetWindowTextW(memo, about::EditLineBreaks(text).c_str());
        about::RunModal(window_.get(), owner, close_, &done_);
    }

private:
    HWND Child(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int id, int x, int y,
               int width, int height) {
        const HWND control =
            CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, window_.get(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return control;
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
    HWND close_ = nullptr;
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
