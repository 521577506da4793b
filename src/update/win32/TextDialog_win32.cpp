#include "update/win32/TextDialog_win32.h"

#include <richedit.h>

#include <string>

#include "platform/win32/Handle.h"

namespace orvane {

std::function<void(HWND dialog)> OnTextDialogShown;

namespace {

constexpr wchar_t kClassName[] = L"OrvaneTextDialog";
constexpr int kWidth = 400, kHeight = 400, kButtonWidth = 75, kButtonHeight = 25;

struct TState {
    bool licence = false;
    bool done = false;
    bool accepted = false;  // what's new: closed through the accept button
    HWND acceptChoice = nullptr;
};

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    auto* rest = reinterpret_cast<std::string_view*>(cookie);
    const size_t n = std::min<size_t>(static_cast<size_t>(size), rest->size());
    std::copy(rest->begin(), rest->begin() + static_cast<std::ptrdiff_t>(n), buffer);
    rest->remove_prefix(n);
    *read = static_cast<LONG>(n);
    return 0;
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<TState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
            break;
        case WM_COMMAND:
            if (state && HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
                state->accepted = LOWORD(wParam) == IDOK;
                state->done = true;
                return 0;
            }
            break;
        case WM_CLOSE:
            if (state) state->done = true;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int TextWidth(HWND control, const std::wstring& text) {
    const win32::unique_hdc dc(CreateCompatibleDC(nullptr));  // measures only
    SIZE size{};
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc.get(), old);
    return size.cx;
}

}  // namespace

bool ShowTextDialog(HWND owner, const TTextDialogContent& content, const TTextDialogButtons& buttons) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);  // a second registration fails harmlessly
    const win32::unique_hmodule richEdit(content.rich ? LoadLibraryW(L"Msftedit.dll") : nullptr);

    TState state;
    state.licence = buttons.licence;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    const win32::unique_hwnd window(CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, content.caption.c_str(),
                                                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, x, y, kWidth,
                                                    kHeight, owner, nullptr, instance, &state));
    if (!window) return false;
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    RECT client{};
    GetClientRect(window.get(), &client);
    const int boxWidth = client.right - 20, boxHeight = client.bottom - 60;
    const int boxRight = 10 + boxWidth, below = 10 + boxHeight + 10;
    const DWORD boxStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
    const bool rich = content.rich && richEdit;
    HWND box =
        CreateWindowExW(0, rich ? L"RICHEDIT50W" : L"EDIT", L"", boxStyle, 10, 10, boxWidth, boxHeight, window.get(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextBoxId)), instance, nullptr);
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (rich) {
        std::string_view rest = content.rtf;
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&rest), 0, StreamIn};
        SendMessageW(box, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    } else {
        SetWindowTextW(
            box, content.rich ? std::wstring(content.rtf.begin(), content.rtf.end()).c_str() : content.plain.c_str());
    }
    auto button = [&](const std::wstring& text, int id, DWORD style, int left, int width) {
        HWND b = CreateWindowExW(0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, left, below,
                                 width, kButtonHeight, window.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 instance, nullptr);
        SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return b;
    };
    if (!buttons.licence) {
        button(buttons.ok, IDOK, BS_DEFPUSHBUTTON, boxRight - 2 * kButtonWidth - 10, kButtonWidth);
        button(buttons.cancel, IDCANCEL, BS_PUSHBUTTON, boxRight - kButtonWidth, kButtonWidth);
    } else {
        button(buttons.ok, IDOK, BS_DEFPUSHBUTTON, boxRight - kButtonWidth, kButtonWidth);
        HWND accept = button(buttons.accept, kAcceptChoiceId, BS_AUTORADIOBUTTON | WS_GROUP, 10, 0);
        const int acceptWidth = TextWidth(accept, buttons.accept) + 24;
        SetWindowPos(accept, nullptr, 0, 0, acceptWidth, kButtonHeight, SWP_NOMOVE | SWP_NOZORDER);
        HWND notAccept = button(buttons.notAccept, kNotAcceptChoiceId, BS_AUTORADIOBUTTON, acceptWidth + 20,
                                TextWidth(accept, buttons.notAccept) + 24);
        SendMessageW(notAccept, BM_SETCHECK, BST_CHECKED, 0);
        state.acceptChoice = accept;
    }

    // Modal: the owner waits while the dialog runs its own loop.
    const bool ownerEnabled = owner && IsWindowEnabled(owner);
    if (ownerEnabled) EnableWindow(owner, FALSE);
    ShowWindow(window.get(), SW_SHOW);
    UpdateWindow(window.get());
    if (OnTextDialogShown) OnTextDialogShown(window.get());
    MSG msg;
    while (!state.done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window.get(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    const bool accepted =
        buttons.licence ? SendMessageW(state.acceptChoice, BM_GETCHECK, 0, 0) == BST_CHECKED : state.accepted;
    if (ownerEnabled) EnableWindow(owner, TRUE);
    return accepted;
}

}  // namespace orvane
