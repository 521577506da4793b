#include "wizard/win32/WuWizForm_win32.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>

#include "core/Error.h"
#include "core/Text.h"
#include "winui/Controls.h"
#include "winui/Dpi.h"

namespace orvane {

TWizardWindowHooks WizardWindowHooks;

namespace {

using C = TWizardControl;

constexpr wchar_t kWindowClass[] = L"OrvaneUpdateWizard";
constexpr wchar_t kPageClass[] = L"OrvaneUpdateWizardPage";
constexpr UINT kActivated = WM_APP + 1;
constexpr int kClientWidth = 474, kClientHeight = 284;
constexpr RECT kFrame{2, 1, 2 + 471, 1 + 281};
constexpr RECT kPageStack{136, 8, 136 + 329, 8 + 265};
constexpr int kMenuCommand = 1;

void DestroyMenuHandle(HMENU menu) {
    DestroyMenu(menu);
}
using unique_hmenu = win32::unique_any<HMENU, DestroyMenuHandle>;

enum class Kind { Label, Button, DefaultButton, Radio, FirstRadio, Memo, RichEdit, CheckList, Progress };

struct ControlDesign {
    C control;
    int page;  // 1..7
    Kind kind;
    int left, top, width, height;
    bool enabled = true, visible = true;
};

// The pages as designed, in tab order; coordinates are the page's, in 96-dpi pixels.
const ControlDesign kDesign[] = {
    {C::WelcomeLabel, 1, Kind::Label, 8, 24, 305, 120},
    {C::StartButton, 1, Kind::DefaultButton, 224, 224, 91, 25},
    {C::VersionInfoLabel, 2, Kind::Label, 8, 16, 305, 85},
    {C::ControlButton, 2, Kind::Button, 224, 224, 91, 25, false},
    {C::Label1, 3, Kind::Label, 8, 4, 305, 17},
    {C::WhatsNewMemo, 3, Kind::Memo, 8, 24, 313, 193},
    {C::WhatsNewRichEdit, 3, Kind::RichEdit, 8, 24, 313, 193, true, false},
    {C::NewButton, 3, Kind::Button, 224, 224, 91, 25},
    {C::Label2, 4, Kind::Label, 8, 4, 305, 17},
    {C::EULAMemo, 4, Kind::Memo, 8, 24, 313, 193},
    {C::EULARichEdit, 4, Kind::RichEdit, 8, 24, 313, 193, true, false},
    {C::RAccept, 4, Kind::FirstRadio, 1, 220, 210, 17},
    {C::RNoAccept, 4, Kind::Radio, 1, 238, 210, 17},
    {C::EULAButton, 4, Kind::Button, 224, 224, 91, 25, false},
    {C::Label3, 5, Kind::Label, 8, 4, 305, 17},
    {C::CheckListBox1, 5, Kind::CheckList, 8, 24, 313, 193},
    {C::FilesButton, 5, Kind::Button, 224, 224, 91, 25},
    {C::Label4, 6, Kind::Label, 8, 4, 305, 17},
    {C::Label5, 6, Kind::Label, 8, 56, 140, 17},
    {C::FileLabel, 6, Kind::Label, 152, 56, 169, 17},
    {C::FileProgress, 6, Kind::Progress, 8, 80, 313, 17},
    {C::Label6, 6, Kind::Label, 8, 136, 305, 17},
    {C::TotalProgress, 6, Kind::Progress, 8, 160, 313, 17},
    {C::CancelButton, 6, Kind::Button, 224, 224, 91, 25},
    {C::Label7, 7, Kind::Label, 8, 4, 305, 17},
    {C::Label8, 7, Kind::Label, 8, 96, 305, 60},
    {C::RestartButton, 7, Kind::Button, 224, 224, 91, 25},
};

// Each page's own button, which Enter presses.
constexpr C kMainButtons[] = {C::StartButton, C::ControlButton, C::NewButton,    C::EULAButton,
                              C::FilesButton, C::CancelButton,  C::RestartButton};

// The built-in billboard: a dusk gradient with a download arrow in a ring, from the program's
// resources; drawn here the same way when a program was linked without them.
win32::unique_hgdiobj MakeBillboard() {
    if (const HANDLE picture =
            LoadImageW(GetModuleHandleW(nullptr), L"ORVANE_WIZARD_BILLBOARD", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
        return win32::unique_hgdiobj(picture);
    constexpr int w = 116, h = 201;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    win32::unique_hgdiobj bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return bitmap;
    auto* px = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < h; ++y) {
        const int r = 20 + 30 * y / h, g = 60 + 90 * y / h, b = 120 + 80 * y / h;
        for (int x = 0; x < w; ++x) px[y * w + x] = static_cast<std::uint32_t>((r << 16) | (g << 8) | b);
    }
    const win32::unique_hdc dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ oldBitmap = SelectObject(dc.get(), bitmap.get());
    const win32::unique_hgdiobj pen(CreatePen(PS_SOLID, 5, RGB(240, 248, 255)));
    const HGDIOBJ oldPen = SelectObject(dc.get(), pen.get());
    const HGDIOBJ oldBrush = SelectObject(dc.get(), GetStockObject(NULL_BRUSH));
    Ellipse(dc.get(), 23, 65, 93, 135);
    const win32::unique_hgdiobj white(CreateSolidBrush(RGB(240, 248, 255)));
    SelectObject(dc.get(), white.get());
    SelectObject(dc.get(), GetStockObject(NULL_PEN));
    const POINT arrow[] = {{52, 78}, {64, 78}, {64, 100}, {76, 100}, {58, 120}, {40, 100}, {52, 100}};
    Polygon(dc.get(), arrow, 7);
    SelectObject(dc.get(), oldBrush);
    SelectObject(dc.get(), oldPen);
    SelectObject(dc.get(), oldBitmap);
    return bitmap;
}

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    auto* rest = reinterpret_cast<std::string_view*>(cookie);
    const size_t n = std::min<size_t>(static_cast<size_t>(size), rest->size());
    std::copy(rest->begin(), rest->begin() + static_cast<std::ptrdiff_t>(n), buffer);
    rest->remove_prefix(n);
    *read = static_cast<LONG>(n);
    return 0;
}

}  // namespace

TWUWIZWindow::TWUWIZWindow() : FLogic(*this, &FLocale) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    winui::RegisterFormClass(instance, kWindowClass, WndProc);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(instance, kPageClass, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PageProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kPageClass;
        RegisterClassExW(&wc);
    }
    FRichEditLibrary.reset(LoadLibraryW(L"Msftedit.dll"));
    if (!FRichEditLibrary) FRichEditLibrary.reset(LoadLibraryW(L"riched20.dll"));
    FBillboard = MakeBillboard();

    FWindow.reset(CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kWindowClass, L"",
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                  kClientWidth, kClientHeight, nullptr, nullptr, instance, this));
    if (!FWindow) throw AppError(L"The update wizard window could not be created");
    FDpi = winui::WindowDpi(FWindow.get());
    CreateControls();
    SetWizardFont(TWizardFont{});
    SetBorderStyle(TFormBorderStyle::bsDialog);
    FLogic.FormCreate();
}

TWUWIZWindow::~TWUWIZWindow() {
    if (FWindow) SetWindowLongPtrW(FWindow.get(), GWLP_USERDATA, 0);
}

int TWUWIZWindow::Scaled(int units) const {
    return winui::Scale(units, FDpi);
}

HWND TWUWIZWindow::Control(TWizardControl control) const {
    const auto it = FControls.find(control);
    return it == FControls.end() ? nullptr : it->second;
}

void TWUWIZWindow::CreateControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (int page = 0; page < 7; ++page) {
        FPages.push_back(CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"",
                                         WS_CHILD | WS_CLIPSIBLINGS | (page == 0 ? WS_VISIBLE : 0), 0, 0, 0, 0,
                                         FWindow.get(), nullptr, instance, nullptr));
    }
    const bool rich = static_cast<bool>(FRichEditLibrary);
    const wchar_t* richClass = GetModuleHandleW(L"Msftedit.dll") ? L"RICHEDIT50W" : L"RichEdit20W";
    for (const ControlDesign& d : kDesign) {
        const wchar_t* cls = L"BUTTON";
        DWORD style = WS_CHILD | (d.visible ? WS_VISIBLE : 0) | (d.enabled ? 0 : WS_DISABLED), ex = 0;
        switch (d.kind) {
            case Kind::Label:
                cls = L"STATIC";
                style |= SS_LEFT | SS_NOPREFIX;
                break;
            case Kind::Button:
                style |= BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP;
                break;
            case Kind::DefaultButton:
                style |= BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP;
                break;
            case Kind::FirstRadio:
                style |= BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP;
                break;
            case Kind::Radio:
                style |= BS_AUTORADIOBUTTON;
                break;
            case Kind::Memo:
                cls = L"EDIT";
                style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL |
                         WS_TABSTOP | WS_GROUP;
                ex = WS_EX_CLIENTEDGE;
                break;
            case Kind::RichEdit:
                cls = rich ? richClass : L"EDIT";
                style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
                ex = WS_EX_CLIENTEDGE;
                break;
            case Kind::CheckList:
                cls = WC_LISTVIEWW;
                style |= LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_GROUP;
                ex = WS_EX_CLIENTEDGE;
                break;
            case Kind::Progress:
                cls = PROGRESS_CLASSW;
                break;
        }
        const HWND hwnd = CreateWindowExW(ex, cls, L"", style, 0, 0, 0, 0, FPages[d.page - 1],
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(WizardControlId(d.control))),
                                          instance, nullptr);
        FControls[d.control] = hwnd;
        FDesign[d.control] = RECT{d.left, d.top, d.left + d.width, d.top + d.height};
        if (d.kind == Kind::Memo) SetWindowSubclass(hwnd, MemoProc, 1, reinterpret_cast<DWORD_PTR>(this));
        if (d.kind == Kind::CheckList) {
            ListView_SetExtendedListViewStyle(hwnd, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
            winui::ListViewAddColumn(hwnd, 0, L"", Scaled(d.width - 24));
        }
        if (d.kind == Kind::RichEdit && rich) SendMessageW(hwnd, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
    }
    Layout();
}

void TWUWIZWindow::Place(TWizardControl control, int left, int top, int width, int height) {
    MoveWindow(Control(control), Scaled(left), Scaled(top), Scaled(width), Scaled(height), TRUE);
}

void TWUWIZWindow::Layout() {
    for (HWND page : FPages)
        MoveWindow(page, Scaled(kPageStack.left), Scaled(kPageStack.top), Scaled(kPageStack.right - kPageStack.left),
                   Scaled(kPageStack.bottom - kPageStack.top), TRUE);
    for (const auto& [control, r] : FDesign) Place(control, r.left, r.top, r.right - r.left, r.bottom - r.top);
    InvalidateRect(FWindow.get(), nullptr, TRUE);
}

void TWUWIZWindow::SetBorderStyle(TFormBorderStyle style) {
    DWORD ws = WS_POPUP | WS_CLIPCHILDREN, ex = WS_EX_CONTROLPARENT;
    switch (style) {
        case TFormBorderStyle::bsNone:
            break;
        case TFormBorderStyle::bsSingle:
            ws |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
            break;
        case TFormBorderStyle::bsSizeable:
            ws |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME;
            break;
        case TFormBorderStyle::bsDialog:
            ws |= WS_CAPTION | WS_SYSMENU;
            ex |= WS_EX_DLGMODALFRAME;
            break;
        case TFormBorderStyle::bsToolWindow:
            ws |= WS_CAPTION | WS_SYSMENU;
            ex |= WS_EX_TOOLWINDOW;
            break;
        case TFormBorderStyle::bsSizeToolWin:
            ws |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
            ex |= WS_EX_TOOLWINDOW;
            break;
    }
    SetWindowLongPtrW(FWindow.get(), GWL_STYLE, static_cast<LONG_PTR>(ws));
    SetWindowLongPtrW(FWindow.get(), GWL_EXSTYLE, static_cast<LONG_PTR>(ex));
    RECT r{0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
    AdjustWindowRectEx(&r, ws, FALSE, ex);
    SetWindowPos(FWindow.get(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TWUWIZWindow::SetClientToFrame() {
    SetWindowPos(FWindow.get(), nullptr, 0, 0, Scaled(kFrame.right - kFrame.left + 2),
                 Scaled(kFrame.bottom - kFrame.top + 2), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWUWIZWindow::SetWizardFont(const TWizardFont& font) {
    LOGFONTW lf{};
    lf.lfHeight = font.Height ? -Scaled(font.Height) : -MulDiv(font.Size, static_cast<int>(FDpi), 72);
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, font.Name.c_str(), LF_FACESIZE);
    win32::unique_hfont created(CreateFontIndirectW(&lf));
    if (!created) return;
    FFontSpec = font;
    for (const auto& [control, hwnd] : FControls) winui::SetFont(hwnd, created.get());
    FFont = std::move(created);
}

void TWUWIZWindow::SetBillboardPicture(HBITMAP picture) {
    if (!picture) return;
    win32::unique_hgdiobj copy(CopyImage(picture, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (copy) FBillboard = std::move(copy);
    InvalidateRect(FWindow.get(), nullptr, TRUE);
}

void TWUWIZWindow::SetBillboardBounds(int left, int top, int width, int height, bool stretch, bool center) {
    FBillboardRect = RECT{left, top, left + width, top + height};
    FStretch = stretch;
    FCenter = center;
    InvalidateRect(FWindow.get(), nullptr, TRUE);
}

void TWUWIZWindow::SetFrameOutlineVisible(bool visible) {
    FOutline = visible;
    InvalidateRect(FWindow.get(), nullptr, TRUE);
}

void TWUWIZWindow::SetWindowCaption(const std::wstring& caption) {
    SetWindowTextW(FWindow.get(), caption.c_str());
}

void TWUWIZWindow::SetPosition(TPosition position, HWND owner) {
    RECT self{};
    GetWindowRect(FWindow.get(), &self);
    const int w = self.right - self.left, h = self.bottom - self.top;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    switch (position) {
        case TPosition::poDesigned:
        case TPosition::poDefault:
        case TPosition::poDefaultPosOnly:
        case TPosition::poDefaultSizeOnly:
            return;  // where the system put it
        case TPosition::poDesktopCenter:
            area = RECT{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                        GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                        GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
            break;
        case TPosition::poMainFormCenter:
        case TPosition::poOwnerFormCenter:
            if (owner) GetWindowRect(owner, &area);
            break;
        case TPosition::poScreenCenter:
            break;
    }
    SetWindowPos(FWindow.get(), nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWUWIZWindow::Paint(HDC dc) {
    const RECT frame{Scaled(kFrame.left), Scaled(kFrame.top), Scaled(kFrame.right), Scaled(kFrame.bottom)};
    FillRect(dc, &frame, GetSysColorBrush(COLOR_BTNFACE));
    if (FOutline) FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (!FBillboard) return;
    BITMAP bm{};
    GetObjectW(FBillboard.get(), sizeof bm, &bm);
    const win32::unique_hdc memory(CreateCompatibleDC(dc));
    const HGDIOBJ old = SelectObject(memory.get(), FBillboard.get());
    const RECT r{Scaled(FBillboardRect.left), Scaled(FBillboardRect.top), Scaled(FBillboardRect.right),
                 Scaled(FBillboardRect.bottom)};
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (FStretch) {
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, r.left, r.top, w, h, memory.get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    } else {
        const int x = FCenter ? r.left + (w - bm.bmWidth) / 2 : r.left;
        const int y = FCenter ? r.top + (h - bm.bmHeight) / 2 : r.top;
        const int save = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, memory.get(), 0, 0, SRCCOPY);
        RestoreDC(dc, save);
    }
    SelectObject(memory.get(), old);
}

void TWUWIZWindow::ShowModal(HWND owner) {
    FDone = FLogic.Closed();
    const bool ownerEnabled = owner && IsWindowEnabled(owner);
    if (owner) SetWindowLongPtrW(FWindow.get(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (ownerEnabled) EnableWindow(owner, FALSE);
    ShowWindow(FWindow.get(), SW_SHOW);
    SetForegroundWindow(FWindow.get());
    UpdateWindow(FWindow.get());
    MSG msg;
    while (!FDone) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Dispatch(msg);
    }
    if (ownerEnabled) EnableWindow(owner, TRUE);
    ShowWindow(FWindow.get(), SW_HIDE);
}

bool TWUWIZWindow::Dispatch(MSG& msg) {
    if (IsDialogMessageW(FWindow.get(), &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void TWUWIZWindow::RequestClose() {
    if (FLogic.FormCloseQuery()) FDone = true;
}

void TWUWIZWindow::ShowError(const std::exception& error) {
    const auto* app = dynamic_cast<const AppError*>(&error);
    const std::wstring text = app ? app->Message() : FromUtf8(error.what());
    ::MessageBoxW(FWindow.get(), text.c_str(), winui::GetText(FWindow.get()).c_str(), MB_OK | MB_ICONERROR);
}

void TWUWIZWindow::Press(TWizardControl control) {
    try {
        FLogic.Click(control);
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

LRESULT CALLBACK TWUWIZWindow::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<TWUWIZWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->FWindow) return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

// Pages pass their children's reports up to the window.
LRESULT CALLBACK TWUWIZWindow::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == WM_NOTIFY) return SendMessageW(GetParent(window), message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// The plain-text boxes' own menu: one item, "View in Notepad" in the set's words.
LRESULT CALLBACK TWUWIZWindow::MemoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
    if (message == WM_CONTEXTMENU) {
        auto* self = reinterpret_cast<TWUWIZWindow*>(data);
        const C item = window == self->Control(C::WhatsNewMemo) ? C::ViewinNotepad1 : C::ViewinNotepad2;
        const unique_hmenu menu(CreatePopupMenu());
        AppendMenuW(menu.get(), MF_STRING, kMenuCommand, self->FMenuCaptions[item].c_str());
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (lParam == static_cast<LPARAM>(-1)) {  // from the keyboard
            RECT r{};
            GetWindowRect(window, &r);
            at = POINT{r.left + 8, r.top + 8};
        }
        if (TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr) == kMenuCommand)
            self->Press(item);
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT TWUWIZWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = FWindow.get();
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDOK) {
                const HWND main = Control(kMainButtons[static_cast<int>(FPage) - 1]);
                if (IsWindowEnabled(main)) SendMessageW(main, BM_CLICK, 0, 0);
                return 0;
            }
            if (id == IDCANCEL) {
                RequestClose();
                return 0;
            }
            if (HIWORD(wParam) == BN_CLICKED && id >= 1000 && id <= WizardControlId(C::RestartButton)) {
                Press(static_cast<C>(id - 1000));
                return 0;
            }
            break;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->hwndFrom != Control(C::CheckListBox1)) break;
            if (header->code == LVN_ITEMCHANGING) {
                auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
                const bool checkChange =
                    (change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK);
                const bool locked = change->iItem >= 0 && static_cast<size_t>(change->iItem) < FItemEnabled.size() &&
                                    !FItemEnabled[static_cast<size_t>(change->iItem)];
                return checkChange && locked && !FSettingItem ? TRUE : FALSE;
            }
            if (header->code == NM_CUSTOMDRAW) {
                auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
                if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
                if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                    const size_t item = draw->nmcd.dwItemSpec;
                    if (item < FItemEnabled.size() && !FItemEnabled[item]) draw->clrText = GetSysColor(COLOR_GRAYTEXT);
                    return CDRF_DODEFAULT;
                }
            }
            break;
        }
        case WM_DPICHANGED: {
            FDpi = HIWORD(wParam);
            const auto* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            SetWizardFont(FFontSpec);
            Layout();
            return 0;
        }
        case WM_CLOSE:
            RequestClose();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(window, kActivated, 0, 0);
            break;
        case kActivated:
            if (FDone) return 0;
            try {
                FLogic.FormActivate();
            } catch (const std::exception& e) {
                ShowError(e);
            }
            return 0;
        case WM_SETCURSOR:
            if (FBusy) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_ERASEBKGND: {
            RECT r{};
            GetClientRect(window, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
            Paint(reinterpret_cast<HDC>(wParam));
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(window, &ps);
            Paint(ps.hdc);
            EndPaint(window, &ps);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void TWUWIZWindow::ShowPage(TWizardPage page) {
    FPage = page;
    for (size_t i = 0; i < FPages.size(); ++i)
        ShowWindow(FPages[i], static_cast<int>(i) + 1 == static_cast<int>(page) ? SW_SHOW : SW_HIDE);
    // The page's own button answers Enter.
    for (C button : kMainButtons) SendMessageW(Control(button), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    SendMessageW(Control(kMainButtons[static_cast<int>(page) - 1]), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void TWUWIZWindow::SetCaption(TWizardControl control, const std::wstring& text) {
    if (control == C::ViewinNotepad1 || control == C::ViewinNotepad2) {
        FMenuCaptions[control] = text;
        return;
    }
    if (HWND hwnd = Control(control)) SetWindowTextW(hwnd, text.c_str());
}

std::wstring TWUWIZWindow::Caption(TWizardControl control) const {
    if (control == C::ViewinNotepad1 || control == C::ViewinNotepad2) {
        const auto it = FMenuCaptions.find(control);
        return it == FMenuCaptions.end() ? std::wstring() : it->second;
    }
    const HWND hwnd = Control(control);
    return hwnd ? winui::GetText(hwnd) : std::wstring();
}

void TWUWIZWindow::SetEnabled(TWizardControl control, bool enabled) {
    if (HWND hwnd = Control(control)) EnableWindow(hwnd, enabled);
}

void TWUWIZWindow::SetVisible(TWizardControl control, bool visible) {
    if (HWND hwnd = Control(control)) ShowWindow(hwnd, visible ? SW_SHOW : SW_HIDE);
}

void TWUWIZWindow::SetFocus(TWizardControl control) {
    if (HWND hwnd = Control(control)) ::SetFocus(hwnd);
}

void TWUWIZWindow::SetWidth(TWizardControl control, int width) {
    RECT& r = FDesign[control];
    r.right = r.left + width;
    Place(control, r.left, r.top, width, r.bottom - r.top);
}

void TWUWIZWindow::SizeButtonToCaption(TWizardControl button) {
    const HWND hwnd = Control(button);
    const std::wstring text = winui::GetText(hwnd);
    const win32::unique_hdc dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ old =
        SelectObject(dc.get(), FFont ? static_cast<HGDIOBJ>(FFont.get()) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc.get(), old);
    RECT& r = FDesign[button];
    const int wanted = MulDiv(size.cx, 96, static_cast<int>(FDpi)) + 16;
    if (wanted > r.right - r.left) r.left = r.right - wanted;
    Place(button, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool TWUWIZWindow::RadioChecked(TWizardControl radio) const {
    return SendMessageW(Control(radio), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int TWUWIZWindow::AddItem(const std::wstring& text) {
    const HWND list = Control(C::CheckListBox1);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.lParam = -1;
    FSettingItem = true;
    const int at = ListView_InsertItem(list, &item);
    FSettingItem = false;
    FItemEnabled.insert(FItemEnabled.begin() + std::max(at, 0), true);
    return at;
}

int TWUWIZWindow::ItemCount() const {
    return ListView_GetItemCount(Control(C::CheckListBox1));
}

void TWUWIZWindow::SetItem(int index, bool checked, bool enabled, std::intptr_t data) {
    const HWND list = Control(C::CheckListBox1);
    if (index < 0 || static_cast<size_t>(index) >= FItemEnabled.size()) return;
    FSettingItem = true;
    ListView_SetCheckState(list, index, checked);
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = data;
    ListView_SetItem(list, &item);
    FSettingItem = false;
    FItemEnabled[static_cast<size_t>(index)] = enabled;
    ListView_RedrawItems(list, index, index);
}

bool TWUWIZWindow::ItemChecked(int index) const {
    return ListView_GetCheckState(Control(C::CheckListBox1), index) != 0;
}

std::intptr_t TWUWIZWindow::ItemData(int index) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!ListView_GetItem(Control(C::CheckListBox1), &item)) return -1;
    return item.lParam;
}

void TWUWIZWindow::SetProgress(TWizardControl bar, std::int64_t max, std::int64_t pos) {
    // The bar counts in int; large sizes are scaled down together.
    int shift = 0;
    while ((max >> shift) > INT_MAX) ++shift;
    const HWND hwnd = Control(bar);
    SendMessageW(hwnd, PBM_SETRANGE32, 0, static_cast<LPARAM>(std::max<std::int64_t>(max >> shift, 1)));
    SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(std::clamp<std::int64_t>(pos >> shift, 0, INT_MAX)), 0);
}

void TWUWIZWindow::LoadPlainText(TWizardControl memo, const std::wstring& text) {
    SetWindowTextW(Control(memo), text.c_str());
}

void TWUWIZWindow::LoadRichText(TWizardControl richEdit, const std::string& rtf) {
    const HWND box = Control(richEdit);
    if (!FRichEditLibrary) {
        SetWindowTextW(box, FromUtf8(rtf).c_str());
        return;
    }
    std::string_view rest = rtf;
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&rest), 0, StreamIn};
    SendMessageW(box, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

void TWUWIZWindow::OpenInEditor(const std::wstring& path, const std::wstring& text) {
    // UTF-8 with its mark: the editor shows every character of the text as it is.
    const std::string bytes = "\xEF\xBB\xBF" + ToUtf8(text);
    {
        const win32::unique_hfile file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw AppError(L"The file " + path + L" could not be written");
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            throw AppError(L"The file " + path + L" could not be written");
    }
    if (WizardWindowHooks.open)
        WizardWindowHooks.open(path);
    else
        ShellExecuteW(FWindow.get(), L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TWUWIZWindow::ShowMessage(const std::wstring& text) {
    if (WizardWindowHooks.messageBox) {
        WizardWindowHooks.messageBox(FWindow.get(), text);
        return;
    }
    ::MessageBoxW(FWindow.get(), text.c_str(), winui::GetText(FWindow.get()).c_str(), MB_OK | MB_ICONINFORMATION);
}

void TWUWIZWindow::SetBusy(bool busy) {
    FBusy = busy;
    POINT at{};
    GetCursorPos(&at);
    if (WindowFromPoint(at) && GetAncestor(WindowFromPoint(at), GA_ROOT) == FWindow.get())
        SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void TWUWIZWindow::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            RequestClose();
            return;
        }
        Dispatch(msg);
    }
}

void TWUWIZWindow::Pause(int milliseconds) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
    ProcessMessages();
}

void TWUWIZWindow::Close() {
    FDone = true;
}

}  // namespace orvane
