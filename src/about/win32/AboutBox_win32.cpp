#include "about/win32/AboutBox_win32.h"

#include <shellapi.h>

#include <memory>
#include <vector>

#include "about/About.h"
#include "about/AboutIds.h"
#include "about/win32/Forms_win32.h"
#include "about/win32/News_win32.h"
#include "core/Error.h"
#include "platform/win32/HostIdentity_win32.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WorkstationIdentity_win32.h"
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"
#include "winui/Dpi.h"

#ifndef ORVANE_WEBSITE
#define ORVANE_WEBSITE L"https://www.orvane.fr"
#endif

namespace orvane {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

[[noreturn]] void RaiseSystemError(DWORD code) {
    throw AppError(about::SystemErrorText(code, win32::SystemMessage(code)));
}

enum class Look { Normal, Title, Frame, Caption, Notice, Link };

// One label of the box: where it stands inside the panel right of the strip, and how it looks.
struct TLabel {
    int id;
    int x, y, width, height;
    Look look;
    DWORD align;
};

class TfrmAbout {
public:
    TfrmAbout(std::wstring url, TAboutHooks hooks) : FUpdateURL(std::move(url)), hooks_(std::move(hooks)) {}

    void Show(HWND owner) {
        const std::wstring version = GetOwnVersionText();  // before anything opens: its error ends the command

        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        wc.lpszClassName = about::ids::kAboutClass;
        RegisterClassExW(&wc);  // a second registration fails harmlessly

        dpi_ = winui::WindowDpi(owner);
        const RECT at = about::CentredWindowRect(owner, S(about::kFormWidth), S(about::kFormHeight), kStyle, kExStyle);
        // The window procedure takes the handle in WM_NCCREATE.
        if (!CreateWindowExW(kExStyle, about::ids::kAboutClass, about::kCaption, kStyle, at.left, at.top,
                             at.right - at.left, at.bottom - at.top, owner, nullptr, instance, this))
            win32::ThrowWin32Error();
        CreateFonts();

        services_ = std::make_unique<TWin32UpdateServices>(window_.get());
        WebUpdate = std::make_unique<TWebUpdate>(services_->Services());
        ConfigureAboutEngine(*WebUpdate, FUpdateURL);
        if (hooks_.engineReady) hooks_.engineReady(*WebUpdate);

        CreateControls(version);
        about::RunModal(window_.get(), owner, Ctl(about::ids::bbtClose), &done_);
    }

private:
    int S(int units) const { return winui::Scale(units, dpi_); }
    HWND Ctl(int id) const { return GetDlgItem(window_.get(), id); }

    void CreateFonts() {
        font_ = about::CreateFormFont({}, dpi_);
        titleFont_ = about::CreateFormFont({L"Tahoma", 16}, dpi_);
        italicFont_ = about::CreateFormFont({L"Tahoma", 11, false, true}, dpi_);
        boldFont_ = about::CreateFormFont({L"Tahoma", 11, true}, dpi_);
        noticeFont_ = about::CreateFormFont({L"Verdana", 11}, dpi_);
        linkFont_ = about::CreateFormFont({L"Tahoma", 11, false, false, true}, dpi_);
    }

    HFONT FontOf(Look look) const {
        switch (look) {
            case Look::Title:
                return titleFont_.get();
            case Look::Frame:
                return italicFont_.get();
            case Look::Caption:
                return boldFont_.get();
            case Look::Notice:
                return noticeFont_.get();
            case Look::Link:
                return linkFont_.get();
            case Look::Normal:
                break;
        }
        return font_.get();
    }

    HWND Child(const wchar_t* className, const std::wstring& text, DWORD style, int id, int x, int y, int width,
               int height, HFONT font) {
        // Places are given inside the panel that fills the window right of the strip.
        const HWND control = CreateWindowExW(
            0, className, text.c_str(), WS_CHILD | style, S(about::kStripWidth + x), S(y), S(width), S(height),
            window_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    }

    void CreateControls(const std::wstring& version) {
        using namespace about::ids;
        const about::TIdentityRows identity = about::ReadIdentity(
            win32::TWin32Registry(), win32::TWin32WorkstationIdentity(), win32::TWin32HostIdentity());
        const std::wstring values[] = {identity.os,   identity.screen, identity.terminal,
                                       identity.user, identity.domain, identity.workgroup};

        const TLabel fixed[] = {
            {lblApplication, 16, 16, 341, 20, Look::Title, SS_LEFT},
            {lblVersion, 16, 38, 341, 14, Look::Normal, SS_LEFT},
            {lblCompilerVersion, 16, 54, 341, 14, Look::Frame, SS_LEFT},
            {lblAvertissement, 16, 200, 341, 97, Look::Notice, SS_CENTER},
            {lblWebSite, 16, 300, 341, 14, Look::Link, SS_CENTER | SS_NOTIFY},
        };
        const std::wstring texts[] = {about::kApplicationTitle, version,
                                      about::ToolChainLabel(about::BuildToolChainVersion()), about::kLegalNotice,
                                      ORVANE_WEBSITE};
        for (size_t i = 0; i < std::size(fixed); ++i) {
            const TLabel& l = fixed[i];
            Child(L"STATIC", texts[i], WS_VISIBLE | SS_NOPREFIX | l.align, l.id, l.x, l.y, l.width, l.height,
                  FontOf(l.look));
        }
        for (int row = 0; row < 6; ++row) {
            const int y = 80 + 16 * row;
            Child(L"STATIC", about::kIdentityCaptions[row], WS_VISIBLE | SS_NOPREFIX | SS_RIGHT,
                  lblIdentityFirst + 2 * row, 16, y, 135, 14, boldFont_.get());
            Child(L"STATIC", values[row], WS_VISIBLE | SS_NOPREFIX | SS_LEFT | SS_ENDELLIPSIS,
                  lblIdentityFirst + 2 * row + 1, 160, y, 373 - 160 - 4, 14, font_.get());
        }

        const DWORD shown = about::ShowsUpdateButtons(FUpdateURL) ? WS_VISIBLE : 0;
        Child(L"BUTTON", about::kUpdateButton, shown | WS_TABSTOP | BS_PUSHBUTTON, bbtUpdate, 16, 328, 158, 25,
              font_.get());
        Child(L"BUTTON", about::kNewsButton, shown | WS_TABSTOP | BS_PUSHBUTTON, bbtNews, 180, 328, 96, 25,
              font_.get());
        Child(L"BUTTON", about::kCloseButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, bbtClose, 282, 328, 75, 25,
              font_.get());
    }

    void bbtUpdateClick() {
        // The wizard makes the program's folder the current one itself (its InitPath).
        if (hooks_.runWizard) hooks_.runWizard(*WebUpdate, window_.get());
    }
    void bbtNewsClick() { ShowNews(FUpdateURL, window_.get()); }
    void bbtCloseClick() { done_ = true; }
    void lblWebSiteClick() {
        // A browser that cannot be started is not reported.
        ShellExecuteW(window_.get(), L"open", ORVANE_WEBSITE, nullptr, nullptr, SW_SHOWNORMAL);
    }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        using namespace about::ids;
        switch (message) {
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case bbtUpdate:
                        bbtUpdateClick();
                        break;
                    case bbtNews:
                        bbtNewsClick();
                        break;
                    case bbtClose:
                    case IDCANCEL:
                        bbtCloseClick();
                        break;
                    case lblWebSite:
                        if (HIWORD(wParam) == STN_CLICKED) lblWebSiteClick();
                        break;
                    default:
                        break;
                }
                return 0;
            case WM_CLOSE:
                done_ = true;
                return 0;
            case WM_SETCURSOR:
                if (reinterpret_cast<HWND>(wParam) == Ctl(lblWebSite)) {
                    SetCursor(LoadCursorW(nullptr, IDC_HAND));
                    return TRUE;
                }
                break;
            case WM_CTLCOLORSTATIC: {
                const HDC dc = reinterpret_cast<HDC>(wParam);
                const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
                COLORREF colour = GetSysColor(COLOR_WINDOWTEXT);
                if (id == lblCompilerVersion) colour = GetSysColor(COLOR_WINDOWFRAME);
                if (id == lblWebSite) colour = GetSysColor(COLOR_HOTLIGHT);
                SetTextColor(dc, colour);
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            case WM_PAINT: {
                PAINTSTRUCT paint;
                const HDC dc = BeginPaint(window_.get(), &paint);
                RECT client;
                GetClientRect(window_.get(), &client);
                about::PaintStrip(dc, S(about::kStripWidth), client.bottom);
                EndPaint(window_.get(), &paint);
                return 0;
            }
            default:
                break;
        }
        return DefWindowProcW(window_.get(), message, wParam, lParam);
    }

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* form = static_cast<TfrmAbout*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
            form->window_.reset(hwnd);
        }
        auto* form = reinterpret_cast<TfrmAbout*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_NCDESTROY && form) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            form->window_.release();
        }
        return form && form->window_ ? form->HandleMessage(message, wParam, lParam)
                                     : DefWindowProcW(hwnd, message, wParam, lParam);
    }

    std::wstring FUpdateURL;
    TAboutHooks hooks_;
    UINT dpi_ = 96;
    bool done_ = false;
    win32::unique_hfont font_, titleFont_, italicFont_, boldFont_, noticeFont_, linkFont_;
    std::unique_ptr<TWin32UpdateServices> services_;
    std::unique_ptr<TWebUpdate> WebUpdate;  // destroyed before its services
    win32::unique_hwnd window_;             // first to go
};

}  // namespace

std::wstring FileVersionTextOf(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) RaiseSystemError(GetLastError());
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) RaiseSystemError(GetLastError());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        RaiseSystemError(GetLastError());
    TFixedFileInfo info;
    info.dwFileVersionMS = fixed->dwFileVersionMS;
    info.dwFileVersionLS = fixed->dwFileVersionLS;
    return about::FileVersionText(info);
}

std::wstring GetOwnVersionText() {
    return FileVersionTextOf(win32::TWin32VersionResource().OwnExecutablePath());
}

void ShowAboutBox(const std::wstring& url, HWND owner, TAboutHooks hooks) {
    TfrmAbout(url, std::move(hooks)).Show(owner);
}

}  // namespace orvane
