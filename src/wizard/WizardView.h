#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// The pages of the wizard window, in the order the user meets them.
enum class TWizardPage { TabSheet1 = 1, TabSheet2, TabSheet3, TabSheet4, TabSheet5, TabSheet6, TabSheet7 };

// The controls the wizard's logic talks to, by their names in the window.
enum class TWizardControl {
    WelcomeLabel,
    StartButton,
    VersionInfoLabel,
    ControlButton,
    Label1,
    WhatsNewMemo,
    WhatsNewRichEdit,
    NewButton,
    Label2,
    EULAMemo,
    EULARichEdit,
    RAccept,
    RNoAccept,
    EULAButton,
    Label3,
    CheckListBox1,
    FilesButton,
    Label4,
    Label5,
    FileLabel,
    FileProgress,
    Label6,
    TotalProgress,
    CancelButton,
    Label7,
    Label8,
    RestartButton,
    ViewinNotepad1,  // menu item of the what's-new text
    ViewinNotepad2,  // menu item of the licence text
};

// What the wizard's logic needs from its window. The Win32 window implements it; tests record it.
class IWizardView {
public:
    virtual ~IWizardView() = default;
    virtual void ShowPage(TWizardPage page) = 0;
    virtual void SetCaption(TWizardControl control, const std::wstring& text) = 0;
    virtual std::wstring Caption(TWizardControl control) const = 0;
    virtual void SetEnabled(TWizardControl control, bool enabled) = 0;
    virtual void SetVisible(TWizardControl control, bool visible) = 0;
    virtual void SetFocus(TWizardControl control) = 0;
    virtual void SetWidth(TWizardControl control, int width) = 0;  // 96-dpi pixels
    // Widens the button to its caption + 16 pixels when that is wider, keeping its right edge.
    virtual void SizeButtonToCaption(TWizardControl button) = 0;
    virtual bool RadioChecked(TWizardControl radio) const = 0;

    // The check list.
    virtual int AddItem(const std::wstring& text) = 0;  // its index
    virtual int ItemCount() const = 0;
    virtual void SetItem(int index, bool checked, bool enabled, std::intptr_t data) = 0;
    virtual bool ItemChecked(int index) const = 0;
    virtual std::intptr_t ItemData(int index) const = 0;

    virtual void SetProgress(TWizardControl bar, std::int64_t max, std::int64_t pos) = 0;
    virtual void LoadPlainText(TWizardControl memo, const std::wstring& text) = 0;  // lines joined by CR LF
    virtual void LoadRichText(TWizardControl richEdit, const std::string& rtf) = 0;
    // Saves TEXT to PATH and opens it with the system's "open" action.
    virtual void OpenInEditor(const std::wstring& path, const std::wstring& text) = 0;

    virtual void ShowMessage(const std::wstring& text) = 0;
    virtual void SetBusy(bool busy) = 0;  // hourglass cursor over the window
    virtual void ProcessMessages() = 0;
    virtual void Pause(int milliseconds) = 0;  // waits, processing messages
    // Ends the window's modal run; the window itself is destroyed by its owner afterwards.
    virtual void Close() = 0;
};

}  // namespace orvane
