#pragma once

// Small typed helpers over the common controls, so window code does not scatter SendMessage calls.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/win32/Handle.h"

namespace orvane::winui {

struct CreateArgs {
    const wchar_t* className = L"BUTTON";
    const wchar_t* text = L"";
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
};

// A visible child control; its position comes later from the layout.
HWND CreateChild(HWND parent, const CreateArgs& args);

// A font of the given character height in pixels at 96 dpi (LOGFONT's negative height), scaled to DPI.
win32::unique_hfont CreatePixelFont(const wchar_t* face, int pixelHeight, UINT dpi);

// Registers a top-level window class of the program once: the face colour behind, the arrow cursor.
void RegisterFormClass(HINSTANCE instance, const wchar_t* className, WNDPROC proc, int background = COLOR_BTNFACE);

void SetFont(HWND control, HFONT font);
std::wstring GetText(HWND control);
void SetText(HWND control, const std::wstring& text);

// Edit controls
void EditAppendLine(HWND edit, const std::wstring& line);  // adds LINE and a line break at the end
void EditScrollToTop(HWND edit);

// Report-style list views holding "name=value" rows: the part before the first "=" goes to the
// first column, the rest to the second.
void ListViewAddColumn(HWND list, int index, const wchar_t* title, int width);
void ListViewClear(HWND list);
void ListViewAddRow(HWND list, const std::wstring& nameValue);
std::vector<std::wstring> ListViewRows(HWND list);  // back as "name=value"
void ListViewSetCell(HWND list, int row, int column, const std::wstring& text);
int ListViewColumnCount(HWND list);
// Every cell of each row, first column first.
std::vector<std::vector<std::wstring>> ListViewCells(HWND list, bool selectedOnly = false);

// The clipboard's text, replaced (CF_UNICODETEXT); false when the clipboard could not be had.
bool SetClipboardText(HWND owner, const std::wstring& text);

// Tab controls
void TabAdd(HWND tab, int index, const wchar_t* caption);
int TabSelected(HWND tab);
void TabSelect(HWND tab, int index);  // like a click: the parent hears TCN_SELCHANGE

// Splits "name=value" at the first "=" (no "=": all is name).
std::pair<std::wstring, std::wstring> SplitNameValue(const std::wstring& row);

} // namespace orvane::winui
