#include "about/win32/AboutBox_win32.h"

#include <shellapi.h>

#include <memory>
#include <vector>

#include "about/About.h"
#include "about/AboutIds.h"
#include "about/win32/Forms_win32.h"
#include "about/win32/News_win32.h"
#include "core/Error.h"
#include "core/Text.h"
#include "platform/win32/HostIdentity_win32.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WorkstationIdentity_win32.h"
#include "update/UpdateSignature.h"
#include "update/WebUpdate.h"
#include "wizard/WizardLanguage.h"
#include "wizard/win32/WebUpdateWizard.h"
#include "update/win32/UpdateServices_win32.h"
#include "winui/Controls.h"
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

// One control of the box: where it stands inside the panel right of the strip (96-dpi units), and
// how its text looks.
struct TPlace {
    int id;
    int x, y, width, height;
    Look look;
};

// The fonts of one DPI: labels take theirs by look.
struct TFonts {
    win32::unique_hfont normal, title, frame, caption, notice, link;

    explicit TFonts(UINT dpi)
        : normal(about::CreateFormFont({}, dpi)),
          title(about::CreateFormFont({L"Tahoma", 16}, dpi)),
          frame(about::CreateFormFont({L"Tahoma", 11, false, true}, dpi)),
          caption(about::CreateFormFont({L"Tahoma", 11, true}, dpi)),
          notice(about::CreateFormFont({L"Verdana", 11}, dpi)),
          link(about::CreateFormFont({L"Tahoma", 11, false, false, true}, dpi)) {}

    HFONT Of(Look look) const {
        switch (look) {
            case Look::Title:
                return title.get();
            case Look::Frame:
                return frame.get();
            case Look::Caption:
                return caption.get();
            case Look::Notice:
                return notice.get();
            case Look::Link:
                return link.get();
            case Look::Normal:
                break;
        }
        return normal.get();
    }
};

class TfrmAbout {
public:
    TfrmAbout(std::wstring url, TAboutHooks hooks) : FUpdateURL(std::move(url)), hooks_(std::move(hooks)) {}

    void Show(HWND owner) {
        const std::wstring version = GetOwnVersionText();  // before anything opens: its error ends the command

        const HINSTANCE instance = GetModuleHandleW(nullptr);
        winui::RegisterFormClass(instance, about::ids::kAboutClass, WndProc, COLOR_WINDOW);

        const UINT dpi = winui::WindowDpi(owner);
        const RECT at = about::CentredWindowRect(owner, winui::Scale(about::kFormWidth, dpi),
                                                 winui::Scale(about::kFormHeight, dpi), kStyle, kExStyle);
        // The window procedure takes the handle in WM_NCCREATE.
        if (!CreateWindowExW(kExStyle, about::ids::kAboutClass, about::kCaption, kStyle, at.left, at.top,
                             at.right - at.left, at.bottom - at.top, owner, nullptr, instance, this))
            win32::ThrowWin32Error();

        services_ = std::make_unique<TWin32UpdateServices>(window_.get());
        WebUpdate = std::make_unique<TWebUpdate>(services_->Services());
        ConfigureAboutEngine(*WebUpdate, FUpdateURL);
        WebUpdateWizard.Caption = about::kWizardCaption;
        WebUpdateWizard.Font = TWizardFont{L"Verdana", 9, 12, true};
        WebUpdateWizard.SetLanguage(&WebUpdateWizardFrench);
        WebUpdateWizard.SetWebUpdate(WebUpdate.get());

        CreateControls(version);
        ApplyDpi(dpi);
        about::RunModal(window_.get(), owner, Ctl(about::ids::bbtClose), &done_);
    }

private:
    int S(int units) const { return winui::Scale(units, dpi_); }
    HWND Ctl(int id) const { return GetDlgItem(window_.get(), id); }

    void Add(const TPlace& place, const wchar_t* className, const std::wstring& text, DWORD style) {
        CreateWindowExW(0, className, text.c_str(), WS_CHILD | style, 0, 0, 0, 0, window_.get(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), GetModuleHandleW(nullptr), nullptr);
        places_.push_back(place);
    }

    void CreateControls(const std::wstring& version) {
        using namespace about::ids;
        const about::TIdentityRows identity = about::ReadIdentity(
            win32::TWin32Registry(), win32::TWin32WorkstationIdentity(), win32::TWin32HostIdentity());
        const std::wstring values[] = {identity.os,   identity.screen, identity.terminal,
                                       identity.user, identity.domain, identity.workgroup};
        constexpr DWORD kLabel = WS_VISIBLE | SS_NOPREFIX;

        Add({lblApplication, 16, 16, 341, 20, Look::Title}, L"STATIC", about::kApplicationTitle, kLabel);
        Add({lblVersion, 16, 38, 341, 14, Look::Normal}, L"STATIC", version, kLabel);
        Add({lblCompilerVersion, 16, 54, 341, 14, Look::Frame}, L"STATIC",
            about::ToolChainLabel(about::BuildToolChainVersion()), kLabel);
        for (int row = 0; row < 6; ++row) {
            const int y = 80 + 16 * row;
            Add({lblIdentityFirst + 2 * row, 16, y, 135, 14, Look::Caption}, L"STATIC", about::kIdentityCaptions[row],
                kLabel | SS_RIGHT);
            Add({lblIdentityFirst + 2 * row + 1, 160, y, 209, 14, Look::Normal}, L"STATIC", values[row],
                kLabel | SS_ENDELLIPSIS);
        }
        Add({lblAvertissement, 16, 200, 341, 97, Look::Notice}, L"STATIC", about::kLegalNotice, kLabel | SS_CENTER);
        Add({lblWebSite, 16, 300, 341, 14, Look::Link}, L"STATIC", ORVANE_WEBSITE, kLabel | SS_CENTER | SS_NOTIFY);

        // Tab order follows creation: update, news, close.
        const DWORD shown = about::ShowsUpdateButtons(FUpdateURL) ? WS_VISIBLE : 0;
        constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
        Add({bbtUpdate, 16, 328, 158, 25, Look::Normal}, L"BUTTON", about::kUpdateButton, shown | kButton);
        Add({bbtNews, 180, 328, 96, 25, Look::Normal}, L"BUTTON", about::kNewsButton, shown | kButton);
        Add({bbtClose, 282, 328, 75, 25, Look::Normal}, L"BUTTON", about::kCloseButton, WS_VISIBLE | kButton);
    }

    // Places and fonts for DPI; the old fonts go only once every control has its new one.
    void ApplyDpi(UINT dpi) {
        dpi_ = dpi;
        auto fonts = std::make_unique<TFonts>(dpi);
        for (const TPlace& p : places_) {
            const HWND control = Ctl(p.id);
            SetWindowPos(control, nullptr, S(about::kStripWidth + p.x), S(p.y), S(p.width), S(p.height),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->Of(p.look)), TRUE);
        }
        fonts_ = std::move(fonts);
        InvalidateRect(window_.get(), nullptr, TRUE);
    }

    void bbtUpdateClick() {
        if (hooks_.updateStarting) hooks_.updateStarting(*WebUpdate);
        // Read when an update starts, so that opening the box writes nothing to the log.
        WebUpdate->TrustedKeys =
            TrustedUpdateKeys(win32::TWin32Registry(), [this](const std::wstring& s) { WebUpdate->AddToLog(s); });
        // The wizard makes the program's folder the current one itself (its InitPath). An error must
        // not travel through the window procedure: it is shown here and the box stays.
        try {
            WebUpdateWizard.Execute(true, window_.get());
        } catch (const AppError& e) {
            MessageBoxW(window_.get(), e.Message().c_str(), about::kCaption, MB_OK | MB_ICONERROR);
        } catch (const std::exception& e) {
            const std::wstring text = FromUtf8(e.what());
            MessageBoxW(window_.get(), text.c_str(), about::kCaption, MB_OK | MB_ICONERROR);
        }
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
            case WM_DPICHANGED: {
                ApplyDpi(HIWORD(wParam));
                const auto* suggested = reinterpret_cast<const RECT*>(lParam);
                SetWindowPos(window_.get(), nullptr, suggested->left, suggested->top,
                             suggested->right - suggested->left, suggested->bottom - suggested->top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
                return 0;
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
    std::vector<TPlace> places_;
    std::unique_ptr<TFonts> fonts_;
    std::unique_ptr<TWin32UpdateServices> services_;
    std::unique_ptr<TWebUpdate> WebUpdate;  // destroyed before its services
    TWebUpdateWizardFrench WebUpdateWizardFrench = ConfiguredFrenchLanguage();
    TWebUpdateWizard WebUpdateWizard;  // goes before the engine and the texts it refers to
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
