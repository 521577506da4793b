#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/LocaleFormat_win32.h"
#include "wizard/WuWiz.h"

namespace orvane {

// The wizard window's font: a size in points, or a character height in pixels when Height is set.
struct TWizardFont {
    std::wstring Name = L"Verdana";
    int Size = 9;    // points
    int Height = 0;  // pixels at 96 dpi; wins over Size when not zero
    bool Bold = true;
};

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};

// Hooks for tests: what a message box or the "open" action would do. Empty: the system's own.
struct TWizardWindowHooks {
    std::function<void(HWND window, const std::wstring& text)> messageBox;
    std::function<void(const std::wstring& path)> open;
};
extern TWizardWindowHooks WizardWindowHooks;

// Control ids of the window, for tests and the keyboard: 1000 + the control's place in TWizardControl.
inline int WizardControlId(TWizardControl control) {
    return 1000 + static_cast<int>(control);
}

// The wizard window: a frame, the billboard on the left and a stack of seven pages without tabs,
// every page a child panel. Its logic is TWUWIZ; this class only shows and reports.
class TWUWIZWindow : public IWizardView {
public:
    TWUWIZWindow();
    ~TWUWIZWindow() override;
    TWUWIZWindow(const TWUWIZWindow&) = delete;
    TWUWIZWindow& operator=(const TWUWIZWindow&) = delete;

    TWUWIZ& Logic() { return FLogic; }
    HWND Handle() const { return FWindow.get(); }
    HWND Control(TWizardControl control) const;

    void SetBorderStyle(TFormBorderStyle style);
    void SetWizardFont(const TWizardFont& font);
    // A copy of PICTURE replaces the built-in one.
    void SetBillboardPicture(HBITMAP picture);
    void SetBillboardBounds(int left, int top, int width, int height, bool stretch, bool center);
    void SetFrameOutlineVisible(bool visible);
    void SetClientToFrame();  // the window's size: the frame plus 2 pixels each way
    void SetWindowCaption(const std::wstring& caption);
    void SetPosition(TPosition position, HWND owner);
    // Shows the window and runs its messages until it closes; the owner is disabled meanwhile.
    void ShowModal(HWND owner);
    // A close as if the user had closed it.
    void RequestClose();

    // IWizardView
    void ShowPage(TWizardPage page) override;
    void SetCaption(TWizardControl control, const std::wstring& text) override;
    std::wstring Caption(TWizardControl control) const override;
    void SetEnabled(TWizardControl control, bool enabled) override;
    void SetVisible(TWizardControl control, bool visible) override;
    void SetFocus(TWizardControl control) override;
    void SetWidth(TWizardControl control, int width) override;
    void SizeButtonToCaption(TWizardControl button) override;
    bool RadioChecked(TWizardControl radio) const override;
    int AddItem(const std::wstring& text) override;
    int ItemCount() const override;
    void SetItem(int index, bool checked, bool enabled, std::intptr_t data) override;
    bool ItemChecked(int index) const override;
    std::intptr_t ItemData(int index) const override;
    void SetProgress(TWizardControl bar, std::int64_t max, std::int64_t pos) override;
    void LoadPlainText(TWizardControl memo, const std::wstring& text) override;
    void LoadRichText(TWizardControl richEdit, const std::string& rtf) override;
    void OpenInEditor(const std::wstring& path, const std::wstring& text) override;
    void ShowMessage(const std::wstring& text) override;
    void SetBusy(bool busy) override;
    void ProcessMessages() override;
    void Pause(int milliseconds) override;
    void Close() override;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MemoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Layout();
    void Paint(HDC dc);
    void Press(TWizardControl control);
    bool Dispatch(MSG& msg);
    void ShowError(const std::exception& error);
    int Scaled(int units) const;
    void Place(TWizardControl control, int left, int top, int width, int height);

    win32::unique_hwnd FWindow;
    win32::TWin32LocaleFormat FLocale;
    TWUWIZ FLogic;
    win32::unique_hmodule FRichEditLibrary;
    UINT FDpi = 96;
    std::vector<HWND> FPages;  // TabSheet1 .. TabSheet7
    std::map<TWizardControl, HWND> FControls;
    std::map<TWizardControl, RECT> FDesign;  // design bounds in 96-dpi units, page-relative
    std::map<TWizardControl, std::wstring> FMenuCaptions;
    std::vector<bool> FItemEnabled;
    bool FSettingItem = false;
    win32::unique_hfont FFont;
    TWizardFont FFontSpec;  // made again at a new DPI
    win32::unique_hgdiobj FBillboard;
    RECT FBillboardRect{9, 27, 9 + 116, 27 + 201};
    bool FStretch = true, FCenter = false;
    bool FOutline = true;
    bool FBusy = false;
    bool FDone = false;
    TWizardPage FPage = TWizardPage::TabSheet1;
};

}  // namespace orvane
