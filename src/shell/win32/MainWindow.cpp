#include "shell/win32/MainWindow.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "about/win32/AboutBox_win32.h"
#include "core/Error.h"
#include "core/Text.h"
#include "platform/win32/Clock_win32.h"
#include "platform/win32/FileWriter_win32.h"
#include "platform/win32/SystemVersion_win32.h"
#include "platform/win32/WorkstationIdentity_win32.h"
#include "probes/ConfigurationFiles.h"
#include "probes/EnvironmentVariables.h"
#include "platform/win32/Pinger_win32.h"
#include "platform/win32/ProfileReader_win32.h"
#include "platform/win32/TcpConnector_win32.h"
#include "probes/FoldersAndTools.h"
#include "probes/PortCheck.h"
#include "probes/ServerPing.h"
#include "probes/VersionsReport.h"
#include "shell/ControlIds.h"
#include "shell/MainWindowTexts.h"
#include "shell/ReportText.h"
#include "shell/WorkstationReport.h"
#include "update/UpdatePolicy.h"
#include "update/WebUpdate.h"
#include "winui/Controls.h"
#include "winui/Dpi.h"
#include "winui/TextView.h"

namespace orvane {

namespace {

constexpr wchar_t kMainClass[] = L"TfrmMain";
constexpr wchar_t kPageClass[] = L"OrvanePage";

// How each file tab's viewer colours its file, in tab order.
constexpr TSyntaxLanguage kFileLanguages[] = {TSyntaxLanguage::Ini, TSyntaxLanguage::Ini, TSyntaxLanguage::Ini,
                                              TSyntaxLanguage::Xml, TSyntaxLanguage::None, TSyntaxLanguage::Xml};

// Design sizes at 96 dpi.
constexpr int kClientWidth = 635, kClientHeight = 382;
constexpr int kBottomBar = 33, kBorder = 4, kButtonHeight = 25, kPathStrip = 27;
constexpr int kAboutButtonWidth = 109, kCloseButtonWidth = 75, kSaveButtonWidth = 150;
constexpr int kFolderButtonWidth = 195, kToolButtonWidth = 139;
constexpr int kGridNameWidth = 150, kGridValueWidth = 455;
// The port checks' columns come after the ping's, which keep their widths.
constexpr int kGridPortWidth = 50, kGridTcpWidth = 100;
// The path box sits inside its strip with a small inset on every side.
constexpr int kPathInsetX = 2, kPathInsetY = 3;
// "Répertoires & Outils": group boxes inset from the page, buttons inset from the group's frame and
// below its caption, rows of buttons apart, and room under the last row for the frame.
constexpr int kGroupMargin = 8, kGroupCaption = 24, kGroupInset = 16, kButtonGap = 8;
constexpr int kFoldersBottom = 12, kToolsBottom = 14;

// Pages and panels forward what their controls tell them to the main window, so that every
// handler lives in one place.
LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_NEXTDLGCTL:  // a multi-line box passes Tab on to its parent
        case WM_CONTEXTMENU:
            return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// Text boxes bring their own editing menu; the read-only ones hand the right click to the window.
LRESULT CALLBACK ReadOnlyBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_CONTEXTMENU)
        return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, reinterpret_cast<WPARAM>(hwnd), lParam);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

enum : UINT { kMenuCopy = 1, kMenuSelectAll = 2 };

void RegisterClasses(HINSTANCE instance, WNDPROC mainProc) {
    WNDCLASSEXW page{};
    page.cbSize = sizeof(page);
    page.lpfnWndProc = PageProc;
    page.hInstance = instance;
    page.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    page.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    page.lpszClassName = kPageClass;
    RegisterClassExW(&page);

    WNDCLASSEXW main{};
    main.cbSize = sizeof(main);
    main.lpfnWndProc = mainProc;
    main.hInstance = instance;
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    main.hIcon = LoadIconW(instance, L"MAINICON");
    main.hIconSm = main.hIcon;
    main.lpszClassName = kMainClass;
    RegisterClassExW(&main);
}

void Place(HWND control, int x, int y, int width, int height) {
    SetWindowPos(control, nullptr, x, y, width < 0 ? 0 : width, height < 0 ? 0 : height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT PageRect(HWND tab) {
    RECT r;
    GetClientRect(tab, &r);
    TabCtrl_AdjustRect(tab, FALSE, &r);
    return r;
}

} // namespace

TfrmMain::TfrmMain() = default;

TfrmMain::~TfrmMain() {
    if (hwnd_) DestroyWindow(hwnd_);
}

HWND TfrmMain::Create(int showCommand) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterClasses(instance, WndProc);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kMainClass, texts::kAppTitle, style, CW_USEDEFAULT, CW_USEDEFAULT,
                            kClientWidth, kClientHeight, nullptr, nullptr, instance, this);
    if (!hwnd_) return nullptr;

    // Size the frame around the design client area at this monitor's DPI, then centre it.
    RECT frame{0, 0, winui::Scale(kClientWidth, dpi_), winui::Scale(kClientHeight, dpi_)};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER);
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    return hwnd_;
}

LRESULT CALLBACK TfrmMain::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TfrmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TfrmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            dpi_ = winui::WindowDpi(hwnd_);
            CreateControls();
            ApplyDpi(dpi_);
            FormCreate();
            return 0;
        case WM_SIZE:
            Layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {winui::Scale(420, dpi_), winui::Scale(300, dpi_)};
            return 0;
        }
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            ApplyDpi(HIWORD(wParam));
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_SETCURSOR:
            if (busy_) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC: {
            // Read-only text boxes keep a window-coloured background like the viewers beside them.
            wchar_t className[16] = L"";
            GetClassNameW(reinterpret_cast<HWND>(lParam), className, 16);
            if (lstrcmpiW(className, L"Edit") == 0) {
                SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        case WM_CONTEXTMENU:
            if (const HWND display = DisplayOf(reinterpret_cast<HWND>(wParam))) {
                ShowDisplayMenu(display, lParam);
                return 0;
            }
            break;
        case WM_NEXTDLGCTL:  // from a multi-line box that was handed Tab
            if (LOWORD(lParam))
                SetFocus(reinterpret_cast<HWND>(wParam));
            else
                MoveFocus(wParam != 0);
            return 0;
        case WM_CLOSE:
            if (busy_) {
                closeRequested_ = true;
                return 0;
            }
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            FormDestroy();
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

HWND TfrmMain::Add(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle) {
    const HWND control = winui::CreateChild(parent, {className, text, style, exStyle, id});
    controls_[id] = control;
    return control;
}

HWND TfrmMain::Ctl(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void TfrmMain::CreateControls() {
    using namespace ids;
    const DWORD page = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    // Group boxes do not paint their inside: the page under them must, so it does not clip them.
    const DWORD groupPage = WS_CLIPSIBLINGS;
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;

    // Bottom bar first, then the tab control that fills the rest.
    const HWND bottom = Add(hwnd_, pnlBottom, kPageClass, L"", page, WS_EX_CONTROLPARENT);
    Add(bottom, bbtAbout, L"BUTTON", texts::kAbout, button);
    Add(bottom, bbtSaveReport, L"BUTTON", texts::kSaveReport, button);
    Add(bottom, bbtClose, L"BUTTON", texts::kClose, button);

    // The tab controls hold the pages: as control parents, Tab and the mnemonics reach inside them.
    const HWND tabs = Add(hwnd_, pgMain, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                          WS_EX_CONTROLPARENT);
    const wchar_t* captions[] = {texts::kTabVersions, texts::kTabEnvVar, texts::kTabFichiers, texts::kTabServeurs,
                                 texts::kTabRepertoires};
    const int pageIds[] = {tshVersions, tshEnvVar, tshFichiers, TabSheet1, tshRepertoires};
    for (int i = 0; i < 5; ++i) {
        winui::TabAdd(tabs, i, captions[i]);
        mainPages_[i] = Add(tabs, pageIds[i], kPageClass, L"", i == 4 ? groupPage : page, WS_EX_CONTROLPARENT);
    }

    const DWORD report = LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP;
    const DWORD grid = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER;

    Add(mainPages_[0], bbtGetVersions, L"BUTTON", texts::kGetVersions, button);
    const HWND memo = Add(mainPages_[0], memVersions, L"EDIT", L"",
                          WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE);
    SendMessageW(memo, EM_SETLIMITTEXT, 0, 0);  // no 32K cap on the report
    SetWindowSubclass(memo, ReadOnlyBoxProc, 0, 0);

    Add(mainPages_[1], bbtGetEnvVar, L"BUTTON", texts::kGetEnvVar, button);
    const HWND env = Add(mainPages_[1], vlEnvVar, WC_LISTVIEWW, L"", report, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(env, grid);

    Add(mainPages_[2], bbtSearchFiles, L"BUTTON", texts::kSearchFiles, button);
    const HWND fileTabs = Add(mainPages_[2], pgFile, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                              WS_EX_CONTROLPARENT);
    for (int i = 0; i < kFileTabCount; ++i) {
        winui::TabAdd(fileTabs, i, texts::kFileTabs[i]);
        filePages_[i] = Add(fileTabs, fileTabFirst + i, kPageClass, L"", page, WS_EX_CONTROLPARENT);
        const HWND pathBox =
            Add(filePages_[i], edtFileFirst + i, L"EDIT", L"", WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
        SetWindowSubclass(pathBox, ReadOnlyBoxProc, 0, 0);
        controls_[synMemFirst + i] = winui::CreateTextView(filePages_[i], synMemFirst + i, kFileLanguages[i]);
    }

    Add(mainPages_[3], bbtPing, L"BUTTON", texts::kPing, button);
    // Several rows can be chosen, as in the environment grid, so that they can be copied together.
    const HWND ping = Add(mainPages_[3], vlPing, WC_LISTVIEWW, L"", report, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(ping, grid);

    Add(mainPages_[4], grpRepertoires, L"BUTTON", texts::kGroupRepertoires, BS_GROUPBOX);
    for (int i = 0; i < 4; ++i) {
        const HWND folder = Add(mainPages_[4], bbtOpenFolder1 + i, L"BUTTON", texts::kFolderButtons[i], button);
        SetWindowLongPtrW(folder, GWLP_USERDATA, i + 1);  // the tag tells the folder
    }
    Add(mainPages_[4], grpOutils, L"BUTTON", texts::kGroupOutils, BS_GROUPBOX);
    Add(mainPages_[4], bbtNwCheckWorkstation, L"BUTTON", texts::kNwCheckWorkstation, button);
}

void TfrmMain::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    font_ = winui::CreatePixelFont(L"Tahoma", 11, dpi);
    reportFont_ = winui::CreatePixelFont(L"Courier New", 12, dpi);
    viewerFont_ = winui::CreatePixelFont(L"Courier New", 13, dpi);
    for (const auto& [id, control] : controls_) winui::SetFont(control, font_.get());
    winui::SetFont(Ctl(ids::memVersions), reportFont_.get());
    for (int i = 0; i < ids::kFileTabCount; ++i) winui::SetFont(Ctl(ids::synMemFirst + i), viewerFont_.get());

    for (const int grid : {ids::vlEnvVar, ids::vlPing}) {
        const HWND list = Ctl(grid);
        if (Header_GetItemCount(ListView_GetHeader(list)) == 0) {
            const bool env = grid == ids::vlEnvVar;
            winui::ListViewAddColumn(list, 0, env ? texts::kColVariable : texts::kColServeur, 0);
            winui::ListViewAddColumn(list, 1, env ? texts::kColValeur : texts::kColStatut, 0);
            if (!env) {
                winui::ListViewAddColumn(list, 2, texts::kColPort, 0);
                winui::ListViewAddColumn(list, 3, texts::kColTcp, 0);
            }
        }
        ListView_SetColumnWidth(list, 0, winui::Scale(kGridNameWidth, dpi));
        ListView_SetColumnWidth(list, 1, winui::Scale(kGridValueWidth, dpi));
    }
    ListView_SetColumnWidth(Ctl(ids::vlPing), 2, winui::Scale(kGridPortWidth, dpi));
    ListView_SetColumnWidth(Ctl(ids::vlPing), 3, winui::Scale(kGridTcpWidth, dpi));
    Layout();
}

void TfrmMain::Layout() {
    if (!hwnd_ || controls_.empty()) return;
    const auto S = [this](int units) { return winui::Scale(units, dpi_); };
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = client.right, height = client.bottom;

    Place(Ctl(ids::pnlBottom), 0, height - S(kBottomBar), width, S(kBottomBar));
    Place(Ctl(ids::bbtAbout), S(kBorder), S(kBorder), S(kAboutButtonWidth), S(kButtonHeight));
    Place(Ctl(ids::bbtClose), width - S(kBorder) - S(kCloseButtonWidth), S(kBorder), S(kCloseButtonWidth),
          S(kButtonHeight));
    // Beside "&Fermer", so that "A propos de..." keeps its place at the other end.
    Place(Ctl(ids::bbtSaveReport), width - 2 * S(kBorder) - S(kCloseButtonWidth) - S(kSaveButtonWidth), S(kBorder),
          S(kSaveButtonWidth), S(kButtonHeight));

    const HWND tabs = Ctl(ids::pgMain);
    Place(tabs, S(kBorder), S(kBorder), width - 2 * S(kBorder), height - S(kBottomBar) - S(kBorder));
    const RECT pageRect = PageRect(tabs);
    const int pw = pageRect.right - pageRect.left, ph = pageRect.bottom - pageRect.top;
    for (const HWND page : mainPages_) Place(page, pageRect.left, pageRect.top, pw, ph);

    // One command button on top, its display below.
    const int body = ph - S(kButtonHeight);
    const std::pair<int, int> stacks[] = {{ids::bbtGetVersions, ids::memVersions},
                                          {ids::bbtGetEnvVar, ids::vlEnvVar},
                                          {ids::bbtSearchFiles, ids::pgFile},
                                          {ids::bbtPing, ids::vlPing}};
    for (const auto& [button, display] : stacks) {
        Place(Ctl(button), 0, 0, pw, S(kButtonHeight));
        Place(Ctl(display), 0, S(kButtonHeight), pw, body);
    }

    const HWND fileTabs = Ctl(ids::pgFile);
    const RECT fileRect = PageRect(fileTabs);
    const int fw = fileRect.right - fileRect.left, fh = fileRect.bottom - fileRect.top;
    for (int i = 0; i < ids::kFileTabCount; ++i) {
        Place(filePages_[i], fileRect.left, fileRect.top, fw, fh);
        Place(Ctl(ids::edtFileFirst + i), S(kPathInsetX), S(kPathInsetY), fw - 2 * S(kPathInsetX),
              S(kPathStrip) - 2 * S(kPathInsetY));
        Place(Ctl(ids::synMemFirst + i), 0, S(kPathStrip), fw, fh - S(kPathStrip));
    }

    // "Répertoires" above "Outils": the left column holds one folder, the right column three.
    const int groupTop = S(kGroupMargin), groupLeft = S(kGroupMargin), groupWidth = pw - 2 * S(kGroupMargin);
    const int rowPitch = S(kButtonHeight) + S(kButtonGap);
    const int foldersHeight = S(kGroupCaption) + 3 * rowPitch - S(kButtonGap) + S(kFoldersBottom);
    Place(Ctl(ids::grpRepertoires), groupLeft, groupTop, groupWidth, foldersHeight);
    const int leftX = groupLeft + S(kGroupInset);
    const int rightX = groupLeft + groupWidth - S(kGroupInset) - S(kFolderButtonWidth);
    const int firstRow = groupTop + S(kGroupCaption);
    Place(Ctl(ids::bbtOpenFolder1), leftX, firstRow, S(kFolderButtonWidth), S(kButtonHeight));
    for (int row = 0; row < 3; ++row)
        Place(Ctl(ids::bbtOpenFolder2 + row), rightX, firstRow + row * rowPitch, S(kFolderButtonWidth),
              S(kButtonHeight));
    const int toolsTop = groupTop + foldersHeight + S(kGroupMargin);
    Place(Ctl(ids::grpOutils), groupLeft, toolsTop, groupWidth,
          S(kGroupCaption) + S(kButtonHeight) + S(kToolsBottom));
    Place(Ctl(ids::bbtNwCheckWorkstation), (pw - S(kToolButtonWidth)) / 2, toolsTop + S(kGroupCaption),
          S(kToolButtonWidth), S(kButtonHeight));
}

void TfrmMain::ShowPage(HWND tab) {
    const int selected = winui::TabSelected(tab);
    const bool main = tab == Ctl(ids::pgMain);
    const HWND* pages = main ? mainPages_.data() : filePages_.data();
    const int count = main ? static_cast<int>(mainPages_.size()) : static_cast<int>(filePages_.size());
    for (int i = 0; i < count; ++i) ShowWindow(pages[i], i == selected ? SW_SHOW : SW_HIDE);
}

bool TfrmMain::TranslateKeys(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    if (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd)) return false;
    const bool control = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
    if (control && !alt && message.wParam == 'S') {
        if (!busy_) bbtSaveReportClick();
        return true;
    }
    if (control && !alt && (message.wParam == 'A' || message.wParam == 'C')) {
        const HWND display = DisplayOf(GetFocus());
        if (!display) return false;
        if (message.wParam == 'A')
            SelectAll(display);
        else
            CopySelection(display);
        return true;
    }
    if (message.wParam != VK_TAB) return false;
    const bool backwards = GetKeyState(VK_SHIFT) < 0;
    if (GetKeyState(VK_CONTROL) >= 0) {
        MoveFocus(backwards);
        return true;
    }
    const HWND tabs = Ctl(ids::pgMain);
    const int count = static_cast<int>(mainPages_.size());
    winui::TabSelect(tabs, (winui::TabSelected(tabs) + (backwards ? count - 1 : 1)) % count);
    // The control that had the focus may sit on the page just hidden.
    const HWND focus = GetFocus();
    if (!focus || !IsWindowVisible(focus)) SetFocus(tabs);
    return true;
}

namespace {

// Every control that Tab stops at, in order. The dialog manager steps into a control parent but
// never stops at it, so a tab strip holding its pages would be out of reach: here it is both.
void CollectTabStops(HWND parent, std::vector<HWND>& stops) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) continue;
        if (style & WS_TABSTOP) stops.push_back(child);
        if (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) CollectTabStops(child, stops);
    }
}

} // namespace

void TfrmMain::MoveFocus(bool backwards) {
    std::vector<HWND> stops;
    CollectTabStops(hwnd_, stops);
    if (stops.empty()) return;
    const HWND focus = GetFocus();
    // The focus may be inside a control (a list view's header), and a tab strip holds the controls
    // of its pages: the innermost stop that holds the focus is where we are. Inner stops come later.
    const auto current = std::find_if(stops.rbegin(), stops.rend(),
                                      [focus](HWND stop) { return stop == focus || IsChild(stop, focus); });
    const size_t count = stops.size();
    size_t next = backwards ? count - 1 : 0;
    if (current != stops.rend()) {
        const size_t at = static_cast<size_t>(stops.rend() - current) - 1;
        next = backwards ? (at + count - 1) % count : (at + 1) % count;
    }
    const HWND target = stops[next];
    SetFocus(target);
    // As in a dialog, a text box entered with Tab has its text selected.
    if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(target, EM_SETSEL, 0, -1);
}

HWND TfrmMain::DisplayOf(HWND window) const {
    if (!window) return nullptr;
    std::vector<int> displays = {ids::memVersions, ids::vlEnvVar, ids::vlPing};
    for (int i = 0; i < ids::kFileTabCount; ++i) {
        displays.push_back(ids::edtFileFirst + i);
        displays.push_back(ids::synMemFirst + i);
    }
    for (const int id : displays) {
        const HWND display = Ctl(id);
        if (window == display || IsChild(display, window)) return display;  // a list's header belongs to it
    }
    return nullptr;
}

bool TfrmMain::IsGrid(HWND display) const { return display == Ctl(ids::vlEnvVar) || display == Ctl(ids::vlPing); }

void TfrmMain::SelectAll(HWND display) {
    if (IsGrid(display)) {
        ListView_SetItemState(display, -1, LVIS_SELECTED, LVIS_SELECTED);
    } else {
        SendMessageW(display, EM_SETSEL, 0, -1);
    }
}

bool TfrmMain::HasSelection(HWND display) const {
    if (IsGrid(display)) return ListView_GetSelectedCount(display) > 0;
    DWORD from = 0, to = 0;
    SendMessageW(display, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return from != to;
}

void TfrmMain::CopySelection(HWND display) {
    if (!IsGrid(display)) {
        SendMessageW(display, WM_COPY, 0, 0);
        return;
    }
    const auto rows = winui::ListViewCells(display, true);
    if (!rows.empty()) winui::SetClipboardText(hwnd_, TabSeparatedLines(rows));
}

void TfrmMain::ShowDisplayMenu(HWND display, LPARAM at) {
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) {  // from the keyboard: at the display's corner
        RECT r;
        GetWindowRect(display, &r);
        point = {r.left + 8, r.top + 8};
    }
    SetFocus(display);
    const HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING | (HasSelection(display) ? 0 : MF_GRAYED), kMenuCopy, texts::kMenuCopy);
    AppendMenuW(menu, MF_STRING, kMenuSelectAll, texts::kMenuSelectAll);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, point.x, point.y, 0, hwnd_, nullptr));
    DestroyMenu(menu);
    if (chosen == kMenuCopy) CopySelection(display);
    if (chosen == kMenuSelectAll) SelectAll(display);
}

void TfrmMain::FormCreate() {
    winui::TabSelect(Ctl(ids::pgMain), 0);
    winui::TabSelect(Ctl(ids::pgFile), 0);
    FServeurs = std::make_unique<TServerList>(win32::CompareUserLocaleNoCase);
    UpdateToolButtons();
}

void TfrmMain::FormDestroy() { FServeurs.reset(); }

void TfrmMain::OnNotify(const NMHDR& header) {
    if (header.code == static_cast<UINT>(TCN_SELCHANGE) &&
        (header.idFrom == static_cast<UINT_PTR>(ids::pgMain) || header.idFrom == static_cast<UINT_PTR>(ids::pgFile)))
        ShowPage(header.hwndFrom);
}

void TfrmMain::OnCommand(int id, HWND control) {
    using namespace ids;
    // The port checks serve the window while they wait: no second command starts meanwhile.
    if (busy_) return;
    switch (id) {
        case bbtGetVersions: bbtGetVersionsClick(); break;
        case bbtGetEnvVar: bbtGetEnvVarClick(); break;
        case bbtSearchFiles: bbtSearchFilesClick(); break;
        case bbtPing: bbtPingClick(); break;
        case bbtOpenFolder1:
        case bbtOpenFolder2:
        case bbtOpenFolder3:
        case bbtOpenFolder4: bbtOpenFolderClick(control); break;
        case bbtNwCheckWorkstation: bbtNwCheckWorkstationClick(); break;
        case bbtAbout: bbtAboutClick(); break;
        case bbtSaveReport: bbtSaveReportClick(); break;
        case bbtClose: bbtCloseClick(); break;
        default: break;
    }
}

void TfrmMain::SetBusyCursor(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
    if (!busy && closeRequested_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void TfrmMain::ReportError(const std::wstring& text) {
    MessageBoxW(hwnd_, text.c_str(), texts::kAppTitle, MB_OK | MB_ICONERROR);
}

void TfrmMain::bbtGetVersionsClick() {
    const HWND memo = Ctl(ids::memVersions);
    RunCommand(*this, CommandCursor::Busy, [&] {
        winui::SetText(memo, L"");
        WriteVersionsReport(registry_, files_, versions_, [memo](const std::wstring& line) {
            winui::EditAppendLine(memo, line);
        });
        winui::EditScrollToTop(memo);
    });
}

void TfrmMain::bbtGetEnvVarClick() {
    const HWND grid = Ctl(ids::vlEnvVar);
    RunCommand(*this, CommandCursor::Busy, [&] {
        winui::ListViewClear(grid);
        for (const std::wstring& row : EnvironmentGridRows(environment_)) winui::ListViewAddRow(grid, row);
    });
}

void TfrmMain::SearchFiles() {
    const TConfigFileSources sources{environment_, registry_, files_, fileReader_, ansi_};
    // An error ends the search where it is; the paths keep what they were set to so far.
    SearchConfigFiles(sources, FFilePaths, [this](const TConfigFileView& view) {
        const int index = static_cast<int>(view.tab);
        winui::SetText(Ctl(ids::synMemFirst + index), view.text);
        winui::EditScrollToTop(Ctl(ids::synMemFirst + index));
        winui::SetText(Ctl(ids::edtFileFirst + index), view.pathBox);
    });
}

void TfrmMain::bbtSearchFilesClick() {
    RunCommand(*this, CommandCursor::Busy, [&] { SearchFiles(); });
}

void TfrmMain::bbtPingClick() {
    RunCommand(*this, CommandCursor::Busy, [&] {
        const HWND grid = Ctl(ids::vlPing);
        winui::ListViewClear(grid);
        serversPinged_ = portsChecked_ = false;
        SearchFiles();

        const win32::TWin32ProfileReader profiles;
        const TServerSources sources{files_, profiles, fileReader_, ansi_};
        GatherServerNames(sources, FFilePaths.FSAPLOGON_INI_FilePath, FFilePaths.FSAPUILANDSCAPE_XML_FilePath,
                          *FServeurs);

        serversPinged_ = true;
        win32::TWin32Pinger pinger(PingQueryText);
        PingServers(pinger, FServeurs->Names(), [grid](const std::wstring& name, const std::wstring& reply) {
            winui::ListViewAddRow(grid, name + L"=" + reply);
            UpdateWindow(grid);  // each row shows as soon as its server has answered
        });

        const std::vector<TPortSource> ports = GatherPortSources(sources, FFilePaths.FSAPLOGON_INI_FilePath,
                                                                 FFilePaths.FSAPUILANDSCAPE_XML_FilePath);
        portsChecked_ = true;
        win32::TWin32TcpConnector tcp;
        CheckServerPorts(tcp, PortTargetsForRows(FServeurs->Names(), ports, win32::CompareUserLocaleNoCase),
                         [this] { ServeWhileWaiting(); },
                         [grid](size_t row, const TPortCheckCells& cells) {
                             winui::ListViewSetCell(grid, static_cast<int>(row), 2, cells.port);
                             winui::ListViewSetCell(grid, static_cast<int>(row), 3, cells.tcp);
                         });
    });
}

void TfrmMain::ServeWhileWaiting() {
    // Paint, move and answer other programs; keys and clicks wait until the command has ended,
    // and a close asked for meanwhile is carried out then.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        const bool input = (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) ||
                           (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST);
        if (input) continue;
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void TfrmMain::bbtOpenFolderClick(HWND sender) {
    RunCommand(*this, CommandCursor::Normal, [&] {
        win32::TWin32Shell shell(hwnd_);
        win32::TWin32Dialogs dialogs(hwnd_);
        const int tag = static_cast<int>(GetWindowLongPtrW(sender, GWLP_USERDATA));
        OpenFolderForTag(tag, registry_, environment_, files_, shell, dialogs);
    });
}

void TfrmMain::bbtNwCheckWorkstationClick() {
    RunCommand(*this, CommandCursor::Normal, [&] {
        win32::TWin32Shell shell(hwnd_);
        StartNwCheckWorkstation(registry_, files_, shell);
    });
}

void TfrmMain::UpdateToolButtons() {
    RunCommand(*this, CommandCursor::Normal, [&] {
        EnableWindow(Ctl(ids::bbtNwCheckWorkstation), IsNwCheckWorkstationInstalled(registry_, files_));
    });
}

void TfrmMain::bbtSaveReportClick() {
    std::vector<wchar_t> file(32768, L'\0');
    wcscpy(file.data(), texts::kReportFileName);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = hwnd_;
    dialog.lpstrFilter = texts::kReportFilter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = texts::kSaveReportTitle;
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog)) return;
    const std::wstring path = file.data();

    RunCommand(*this, CommandCursor::Busy, [&] {
        TWorkstationReport report;
        FillIdentity(report, win32::TWin32SystemVersion(), win32::TWin32WorkstationIdentity(), win32::TWin32Clock());
        // Computed afresh, like the buttons do, without touching what the window shows.
        TConfigFilePaths paths;
        GatherProbes({registry_, environment_, files_, versions_, fileReader_, ansi_}, report, paths);
        // The servers as listed, since their checks take time and may have been run.
        for (const auto& cells : winui::ListViewCells(Ctl(ids::vlPing))) {
            TServerCheck server;
            server.name = cells.size() > 0 ? cells[0] : L"";
            server.reply = cells.size() > 1 ? cells[1] : L"";
            server.port = cells.size() > 2 ? cells[2] : L"";
            server.tcp = cells.size() > 3 ? cells[3] : L"";
            report.servers.push_back(std::move(server));
        }
        report.serversListed = report.pinged = serversPinged_;
        report.portsChecked = portsChecked_;
        win32::TWin32FileWriter writer;
        if (!writer.CreateWith(path, "\xEF\xBB\xBF" + ToUtf8(ReportText(report))))
            throw AppError(L"Le rapport n'a pas pu être enregistré dans \"" + path + L"\".");
    });
}

void TfrmMain::bbtAboutClick() {
    RunCommand(*this, CommandCursor::Normal, [&] {
        const TUpdateURLChoice choice = ChooseUpdateURL(registry_, ORVANE_UPDATE_URL);
        TAboutHooks hooks;
        // Only an update writes the log; it says where a policy sent it.
        hooks.updateStarting = [choice](TWebUpdate& engine) { LogUpdateURLChoice(engine, choice); };
        ShowAboutBox(choice.url, hwnd_, std::move(hooks));
    });
}

void TfrmMain::bbtCloseClick() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

} // namespace orvane
