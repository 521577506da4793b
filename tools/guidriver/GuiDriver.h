#pragma once

// Drives a running Orvane from another process through window messages only, as an
// accessibility or automation tool would: used by the end-to-end tests and by `make run`.

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace orvane::gui {

// The first visible top-level window titled TITLE (of process PID unless 0), waiting up to TIMEOUT ms.
HWND WaitForWindow(const std::wstring& title, DWORD pid, DWORD timeoutMs);

// The first visible top-level window of class CLASSNAME of process PID, waiting up to TIMEOUT ms.
HWND WaitForWindowOfClass(const std::wstring& className, DWORD pid, DWORD timeoutMs);

// A descendant of ROOT by control identifier, or by exact caption (ampersands included).
HWND FindById(HWND root, int id);
HWND FindByCaption(HWND root, const std::wstring& caption);

// Waits until the window's thread has handled everything sent or posted before this call.
bool WaitIdle(HWND window, DWORD timeoutMs = 30000);

// Presses a button like a mouse click would and returns at once; a command that opens a modal
// box keeps running while the caller looks at that box.
void Click(HWND button);
// Presses a button and waits until its command has ended.
void ClickAndWait(HWND button, DWORD timeoutMs = 60000);

// Selects tab INDEX as a click on it would (the owner hears the change).
void SelectTab(HWND tab, int index);
int SelectedTab(HWND tab);
std::wstring TabCaption(HWND tab, int index);
int TabCount(HWND tab);
// Where a tab's item is drawn, in screen coordinates.
RECT TabItemScreenRect(HWND tab, int index);

// Brings WINDOW to the front and types one key through the system's input queue, as a keyboard
// would, holding the modifiers given (VK_CONTROL, VK_SHIFT, VK_MENU). Returns once the input was
// queued; what it does happens when the window's thread reads it.
void PressKey(HWND window, WORD key, std::initializer_list<WORD> modifiers = {});
// The control that has the keyboard focus in the thread that owns WINDOW, or nullptr.
HWND FocusedControl(HWND window);
// Polls CONDITION every 20 ms until it holds or TIMEOUT ms have passed; its last answer.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

std::wstring Text(HWND control);
bool IsEnabled(HWND control);
bool IsVisible(HWND control);

// The rows of a report list view as "column 1=column 2", read across the process boundary.
std::vector<std::wstring> ListViewRows(HWND list);
std::vector<std::wstring> ListViewColumns(HWND list);
// Every cell of every row, first column first.
std::vector<std::vector<std::wstring>> ListViewCells(HWND list);

// The clipboard's Unicode text ("" when it holds none), and a way to put text there first.
std::wstring ClipboardText();
void SetClipboard(const std::wstring& text);

// The rectangle of a control in its top-level window's client coordinates.
RECT ClientRectIn(HWND control, HWND topLevel);

// A modal message box of process PID (#32770), waiting up to TIMEOUT ms; nullptr if none.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs);
std::wstring MessageBoxText(HWND box);
// Presses OK and returns once the box is gone.
void PressOk(HWND box);

// What the screen shows in AREA, as 0x00RRGGBB pixels row by row from the top.
struct TImage {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};
TImage CaptureScreen(const RECT& area);

// Saves what the window shows on the screen as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::wstring& path);

} // namespace orvane::gui
