#include "winui/Controls.h"

namespace orvane::winui {

HWND CreateChild(HWND parent, const CreateArgs& args) {
    return CreateWindowExW(args.exStyle, args.className, args.text, WS_CHILD | WS_VISIBLE | args.style, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), GetModuleHandleW(nullptr),
                           nullptr);
}

win32::unique_hfont CreatePixelFont(const wchar_t* face, int pixelHeight, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(pixelHeight, static_cast<int>(dpi), 96);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return win32::unique_hfont(CreateFontIndirectW(&font));
}

void SetFont(HWND control, HFONT font) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

std::wstring GetText(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SetText(HWND control, const std::wstring& text) { SetWindowTextW(control, text.c_str()); }

void EditAppendLine(HWND edit, const std::wstring& line) {
    const int end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, end, end);
    const std::wstring text = line + L"\r\n";
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void EditScrollToTop(HWND edit) {
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    SendMessageW(edit, WM_VSCROLL, SB_TOP, 0);
}

void ListViewAddColumn(HWND list, int index, const wchar_t* title, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(title);
    column.cx = width;
    column.iSubItem = index;
    ListView_InsertColumn(list, index, &column);
}

void ListViewClear(HWND list) { ListView_DeleteAllItems(list); }

std::pair<std::wstring, std::wstring> SplitNameValue(const std::wstring& row) {
    const size_t equals = row.find(L'=');
    if (equals == std::wstring::npos) return {row, L""};
    return {row.substr(0, equals), row.substr(equals + 1)};
}

void ListViewAddRow(HWND list, const std::wstring& nameValue) {
    auto [name, value] = SplitNameValue(nameValue);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = name.data();
    const int at = ListView_InsertItem(list, &item);
    ListView_SetItemText(list, at, 1, value.data());
}

std::vector<std::wstring> ListViewRows(HWND list) {
    std::vector<std::wstring> rows;
    const int count = ListView_GetItemCount(list);
    wchar_t buffer[4096];
    for (int i = 0; i < count; ++i) {
        ListView_GetItemText(list, i, 0, buffer, 4096);
        std::wstring row = buffer;
        ListView_GetItemText(list, i, 1, buffer, 4096);
        rows.push_back(row + L"=" + buffer);
    }
    return rows;
}

void ListViewSetCell(HWND list, int row, int column, const std::wstring& text) {
    std::wstring copy = text;
    ListView_SetItemText(list, row, column, copy.data());
}

int ListViewColumnCount(HWND list) { return Header_GetItemCount(ListView_GetHeader(list)); }

std::vector<std::vector<std::wstring>> ListViewCells(HWND list, bool selectedOnly) {
    std::vector<std::vector<std::wstring>> rows;
    const int columns = ListViewColumnCount(list);
    std::vector<wchar_t> buffer(32768);
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i) {
        if (selectedOnly && !(ListView_GetItemState(list, i, LVIS_SELECTED) & LVIS_SELECTED)) continue;
        std::vector<std::wstring> cells;
        for (int c = 0; c < columns; ++c) {
            buffer[0] = L'\0';
            ListView_GetItemText(list, i, c, buffer.data(), static_cast<int>(buffer.size()));
            cells.emplace_back(buffer.data());
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

bool SetClipboardText(HWND owner, const std::wstring& text) {
    // Another program may hold the clipboard for a moment (a clipboard viewer reading it).
    bool opened = false;
    for (int attempt = 0; attempt < 20 && !(opened = OpenClipboard(owner)); ++attempt) Sleep(10);
    if (!opened) return false;
    EmptyClipboard();
    bool done = false;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            memcpy(target, text.c_str(), bytes);
            GlobalUnlock(memory);
            done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!done) GlobalFree(memory);  // the clipboard owns it only once set
    }
    CloseClipboard();
    return done;
}

void TabAdd(HWND tab, int index, const wchar_t* caption) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption);
    TabCtrl_InsertItem(tab, index, &item);
}

int TabSelected(HWND tab) { return TabCtrl_GetCurSel(tab); }

void TabSelect(HWND tab, int index) {
    TabCtrl_SetCurSel(tab, index);
    NMHDR header{tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(GetParent(tab), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void RegisterFormClass(HINSTANCE instance, const wchar_t* className, WNDPROC proc, int background) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, className, &existing)) return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(background);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

} // namespace orvane::winui
