#include "update/win32/EngineDialogs_win32.h"

#include <commctrl.h>
#include <urlmon.h>

#include <memory>

#include "core/Error.h"
#include "platform/win32/Handle.h"
#include "update/win32/TextDialog_win32.h"

namespace orvane {

namespace {

using ShowHtmlDialogFn = HRESULT(WINAPI*)(HWND, IMoniker*, VARIANT*, WCHAR*, VARIANT*);
using CreateUrlMonikerFn = HRESULT(WINAPI*)(IMoniker*, LPCWSTR, IMoniker**);

// An export of a library loaded for the call; none when either is missing.
template <typename Fn>
Fn Export(const win32::unique_hmodule& library, const char* name) {
    return library ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library.get(), name))) : nullptr;
}

// A VARIANT cleared whatever it ends up holding.
struct TVariant {
    VARIANT value;
    TVariant() { VariantInit(&value); }
    ~TVariant() { VariantClear(&value); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
};

struct ReleaseMoniker {
    void operator()(IMoniker* m) const {
        if (m) m->Release();
    }
};

}  // namespace

std::wstring TWin32EngineDialogs::Title() const {
    wchar_t title[256] = L"";
    if (owner_) GetWindowTextW(GetAncestor(owner_, GA_ROOT), title, 256);
    return title;
}

void TWin32EngineDialogs::Inform(const std::wstring& text) {
    MessageBoxW(owner_, text.c_str(), Title().c_str(), MB_OK | MB_ICONINFORMATION);
}

bool TWin32EngineDialogs::AskInformation(const std::wstring& text) {
    return MessageBoxW(owner_, text.c_str(), Title().c_str(), MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

bool TWin32EngineDialogs::Confirm(const std::wstring& text) {
    return MessageBoxW(owner_, text.c_str(), Title().c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool TWin32EngineDialogs::ShowWhatsNew(const TTextDialogContent& content, const std::wstring& okButton,
                                       const std::wstring& cancelButton) {
    return ShowTextDialog(owner_, content, {false, okButton, cancelButton, {}, {}});
}

bool TWin32EngineDialogs::ShowLicence(const TTextDialogContent& content, const std::wstring& okButton,
                                      const std::wstring& accept, const std::wstring& notAccept) {
    return ShowTextDialog(owner_, content, {true, okButton, {}, accept, notAccept});
}

void TWin32EngineDialogs::ShowHtml(const std::wstring& url) {
    // Both libraries are loaded only for the dialog: systems without an HTML engine still run the update.
    // From the system folder only: the program may run from a folder that holds downloads.
    const win32::unique_hmodule library(LoadLibraryExW(L"MSHTML.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    const win32::unique_hmodule monikers(LoadLibraryExW(L"urlmon.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    const auto show = Export<ShowHtmlDialogFn>(library, "ShowHTMLDialog");
    const auto createMoniker = Export<CreateUrlMonikerFn>(monikers, "CreateURLMoniker");
    if (!show || !createMoniker) throw AppError(L"The HTML dialog is not available on this system: " + url);
    IMoniker* raw = nullptr;
    if (FAILED(createMoniker(nullptr, url.c_str(), &raw)) || !raw) throw AppError(L"The page cannot be shown: " + url);
    const std::unique_ptr<IMoniker, ReleaseMoniker> moniker(raw);
    TVariant in, out;
    in.value.vt = VT_BSTR;
    in.value.bstrVal = SysAllocString(L"");
    const HRESULT hr = show(owner_, moniker.get(), &in.value, nullptr, &out.value);
    if (FAILED(hr)) throw AppError(L"The page cannot be shown: " + url);
}

namespace {

constexpr wchar_t kAnimationClass[] = L"TWUAnimation";
constexpr int kAnimationWidth = 300, kAnimationHeight = 170, kAnimationMargin = 10, kAnimationGap = 8;
constexpr int kCopyFilesAnimation = 161;  // the system's copy-files clip, in shell32

class TCopyAnimationWindow : public IShownWindow {
public:
    explicit TCopyAnimationWindow(HWND window) : window_(window) {}
    ~TCopyAnimationWindow() override { DestroyWindow(window_); }
    TCopyAnimationWindow(const TCopyAnimationWindow&) = delete;
    TCopyAnimationWindow& operator=(const TCopyAnimationWindow&) = delete;

private:
    HWND window_;
};

}  // namespace

std::unique_ptr<IShownWindow> TWin32EngineDialogs::ShowCopyAnimation(const std::wstring& caption,
                                                                     const std::wstring& message) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kAnimationClass;
    RegisterClassW(&wc);  // a second registration fails harmlessly

    // A dialog border and a caption, but no border icons: it only tells the user to wait.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kAnimationWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kAnimationHeight) / 2;
    const HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, kAnimationClass, caption.c_str(), WS_POPUP | WS_CAPTION, x,
                                        y, kAnimationWidth, kAnimationHeight, owner_, nullptr, instance, nullptr);
    if (!window) return nullptr;
    auto shown = std::make_unique<TCopyAnimationWindow>(window);

    const HWND clip = CreateWindowExW(0, ANIMATE_CLASSW, L"", WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_AUTOPLAY,
                                      kAnimationMargin, kAnimationMargin, 0, 0, window, nullptr, instance, nullptr);
    // Opening the clip sizes the control to its frames; a system without it still shows the message.
    if (clip)
        SendMessageW(clip, ACM_OPENW, reinterpret_cast<WPARAM>(GetModuleHandleW(L"shell32.dll")),
                     reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(kCopyFilesAnimation)));
    RECT clipRect{kAnimationMargin, kAnimationMargin, kAnimationMargin, kAnimationMargin};
    if (clip) {
        GetWindowRect(clip, &clipRect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&clipRect), 2);
    }
    RECT client;
    GetClientRect(window, &client);
    const HWND text = CreateWindowExW(0, L"STATIC", message.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, kAnimationMargin,
                                      clipRect.bottom + kAnimationGap, client.right - 2 * kAnimationMargin,
                                      client.bottom - clipRect.bottom - kAnimationGap, window, nullptr, instance,
                                      nullptr);
    if (text) SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    if (clip) SendMessageW(clip, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF));
    return shown;
}

}  // namespace orvane
