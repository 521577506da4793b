#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <filesystem>

#include "core/Text.h"
#include "crash/CrashDialogTexts.h"
#include "crash/Mail.h"
#include "crash/win32/CrashReporter_win32.h"
#include "crash/win32/MapiMail_win32.h"
#include "platform/win32/Win32Platform.h"
#include "winui/Controls.h"
#include "winui/Dpi.h"

namespace orvane::crash {

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 560;
constexpr int kHeightClosed = 384;
constexpr int kHeightOpen = 576;

struct TDialog {
    TDialog(const TCrashSettings& s, const TWrittenReport& r) : settings(s), report(r) {}
    const TCrashSettings& settings;
    const TWrittenReport& report;
    HWND window = nullptr;
    bool detailsShown = false;
    UINT dpi = 96;
    win32::unique_hfont font;
    win32::unique_hfont fixedFont;  // the text report lines up its columns
};

void FreeIdList(PIDLIST_ABSOLUTE list) {
    CoTaskMemFree(list);
}
using unique_idlist = win32::unique_any<PIDLIST_ABSOLUTE, FreeIdList>;

HWND Item(HWND dialog, int id) {
    return GetDlgItem(dialog, id);
}

std::wstring TextOf(HWND dialog, int id) {
    const HWND control = Item(dialog, id);
    std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
    text.resize(GetWindowTextW(control, text.data(), static_cast<int>(text.size())));
    return text;
}

// Positions and sizes in 96-dpi units.
void Add(const TDialog& d, const wchar_t* cls, const std::wstring& text, DWORD style, int id, int x, int y, int w,
         int h, DWORD exStyle = 0) {
    const auto s = [&](int v) { return winui::Scale(v, d.dpi); };
    const HWND control =
        CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, s(x), s(y), s(w), s(h), d.window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    winui::SetFont(control, d.font.get());
}

void Resize(const TDialog& d, int clientHeight) {
    const HWND window = d.window;
    RECT r{0, 0, winui::Scale(kWidth, d.dpi), winui::Scale(clientHeight, d.dpi)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

// In the middle of the monitor's work area, or at its top left when larger.
void Centre(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return;
    RECT r;
    GetWindowRect(window, &r);
    const RECT& work = info.rcWork;
    const int x = work.left + std::max(0L, ((work.right - work.left) - (r.right - r.left)) / 2);
    const int y = work.top + std::max(0L, ((work.bottom - work.top) - (r.bottom - r.top)) / 2);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void Build(TDialog& d) {
    const HWND w = d.window;
    d.dpi = winui::WindowDpi(w);
    d.font = winui::CreatePixelFont(L"Tahoma", 11, d.dpi);
    d.fixedFont = winui::CreatePixelFont(L"Courier New", 12, d.dpi);
    Add(d, L"STATIC", CrashSentence(d.report.facts), SS_LEFT, dlg::lblWhat, 12, 12, 536, 34);
    Add(d, L"STATIC", L"", SS_BITMAP | SS_CENTERIMAGE | WS_BORDER, dlg::imgScreenshot, 12, 52, 200, 128);
    if (d.report.thumbnail)
        SendMessageW(Item(w, dlg::imgScreenshot), STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(d.report.thumbnail.get()));
    Add(d, L"STATIC", dlg::kFiles, SS_LEFT, dlg::lblFiles, 224, 52, 324, 16);
    Add(d, L"LISTBOX", L"", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT, dlg::lstFiles, 224, 70, 324,
        76);
    for (const std::wstring& file : d.report.files)
        SendMessageW(Item(w, dlg::lstFiles), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file.c_str()));
    Add(d, L"BUTTON", dlg::kDetailsShow, BS_PUSHBUTTON | WS_TABSTOP, dlg::bbtDetails, 224, 154, 130, 26);
    Add(d, L"STATIC", dlg::kName, SS_LEFT, dlg::lblName, 12, 192, 150, 16);
    Add(d, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, dlg::edtName, 170, 190, 378, 22, WS_EX_CLIENTEDGE);
    Add(d, L"STATIC", dlg::kEmail, SS_LEFT, dlg::lblEmail, 12, 218, 150, 16);
    Add(d, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, dlg::edtEmail, 170, 216, 378, 22, WS_EX_CLIENTEDGE);
    Add(d, L"STATIC", dlg::kDoing, SS_LEFT, dlg::lblDoing, 12, 244, 150, 16);
    Add(d, L"EDIT", L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP, dlg::memDoing, 170,
        242, 378, 60, WS_EX_CLIENTEDGE);
    Add(d, L"BUTTON", dlg::kSend, BS_DEFPUSHBUTTON | WS_TABSTOP, dlg::bbtSend, 12, 312, 170, 26);
    Add(d, L"BUTTON", dlg::kSave, BS_PUSHBUTTON | WS_TABSTOP, dlg::bbtSave, 190, 312, 170, 26);
    Add(d, L"BUTTON", dlg::kClose, BS_PUSHBUTTON | WS_TABSTOP, dlg::bbtClose, 428, 312, 120, 26);
    Add(d, L"STATIC", L"", SS_LEFT, dlg::lblStatus, 12, 346, 536, 32);
    Add(d, L"EDIT", d.report.text,
        ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
        dlg::memDetails, 12, 384, 536, 180, WS_EX_CLIENTEDGE);
    winui::SetFont(Item(w, dlg::memDetails), d.fixedFont.get());
    ShowWindow(Item(w, dlg::memDetails), SW_HIDE);
    Resize(d, kHeightClosed);
}

void ToggleDetails(TDialog& d) {
    d.detailsShown = !d.detailsShown;
    SetWindowTextW(Item(d.window, dlg::bbtDetails), d.detailsShown ? dlg::kDetailsHide : dlg::kDetailsShow);
    ShowWindow(Item(d.window, dlg::memDetails), d.detailsShown ? SW_SHOW : SW_HIDE);
    Resize(d, d.detailsShown ? kHeightOpen : kHeightClosed);
}

void Send(TDialog& d) {
    const TContact contact{TextOf(d.window, dlg::edtName), TextOf(d.window, dlg::edtEmail),
                           TextOf(d.window, dlg::memDoing)};
    std::vector<std::wstring> names;
    for (const std::wstring& file : d.report.files) names.push_back(fs::path(file).filename().wstring());
    const TMailMessage message{d.settings.mailTo, MailSubject(d.report.facts), MailBody(contact, d.report.facts, names),
                               d.report.files};
    TMapiMailClient mapi(d.window);
    IMailClient& client = d.settings.mailClient ? *d.settings.mailClient : mapi;
    win32::TWin32Shell systemShell(d.window);
    IShell& shell = d.settings.shell ? *d.settings.shell : systemShell;
    SetWindowTextW(Item(d.window, dlg::lblStatus),
                   MailRouteText(SendReportMail(client, shell, message, d.report.folder)).c_str());
}

// The folder the user picks, or "" when cancelled.
std::wstring PickFolder(HWND owner) {
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = L"Dossier où enregistrer le rapport";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    const unique_idlist chosen(SHBrowseForFolderW(&browse));
    wchar_t path[MAX_PATH] = {};
    if (!chosen || !SHGetPathFromIDListW(chosen.get(), path)) return L"";
    return path;
}

void Save(TDialog& d) {
    const std::wstring chosen = d.settings.pickFolder ? d.settings.pickFolder() : PickFolder(d.window);
    if (chosen.empty()) return;
    const fs::path target = fs::path(chosen) / fs::path(d.report.folder).filename();
    std::error_code error;
    fs::create_directories(target, error);
    for (const std::wstring& file : d.report.files)
        if (!error)
            fs::copy_file(file, target / fs::path(file).filename(), fs::copy_options::overwrite_existing, error);
    const std::wstring status = error ? dlg::kSaveFailed + FromUtf8(error.message()) : dlg::kSaved + target.wstring();
    SetWindowTextW(Item(d.window, dlg::lblStatus), status.c_str());
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* d = reinterpret_cast<TDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE:
            d = static_cast<TDialog*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            d->window = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(d));
            break;
        case WM_CREATE:
            Build(*d);
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED || !d) break;
            switch (LOWORD(wParam)) {
                case dlg::bbtDetails:
                    ToggleDetails(*d);
                    return 0;
                case dlg::bbtSend:
                    Send(*d);
                    return 0;
                case dlg::bbtSave:
                    Save(*d);
                    return 0;
                case dlg::bbtClose:
                case IDCANCEL:
                    DestroyWindow(window);
                    return 0;
            }
            break;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void ShowCrashDialog(const TCrashSettings& settings, const TWrittenReport& report) {
    // Apartment-threaded for the folder picker and the mail client.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = DialogProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = L"OrvaneCrashDialog";
    RegisterClassExW(&cls);
    TDialog d(settings, report);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT r{0, 0, kWidth, kHeightClosed};
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME | WS_EX_TOPMOST);
    const HWND window =
        CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, cls.lpszClassName, dlg::kTitle, style, CW_USEDEFAULT,
                        CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr, cls.hInstance, &d);
    if (window) {
        // Created at the top left so that sizing for the DPI is never cut by the screen's edge.
        Centre(window);
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (!IsDialogMessageW(window, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
    if (com) CoUninitialize();
}

}  // namespace orvane::crash
