#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/win32/Handle.h"
#include "update/WebUpdate.h"
#include "wizard/WizardLanguage.h"
#include "wizard/win32/WuWizForm_win32.h"

namespace orvane {

// The update wizard an application places beside its engine: Execute shows the wizard window
// modally and drives the engine through it.
//
// The wizard refers to its engine and its text set without owning them. Whoever destroys one of them
// first calls Notification(it), which clears the wizard's reference (the engine's events are then
// not given back either).
class TWebUpdateWizard {
public:
    TWebUpdateWizard();
    ~TWebUpdateWizard();
    TWebUpdateWizard(const TWebUpdateWizard&) = delete;
    TWebUpdateWizard& operator=(const TWebUpdateWizard&) = delete;

    void SetWebUpdate(TWebUpdate* engine) { FWebUpdate = engine; }
    TWebUpdate* WebUpdate() const { return FWebUpdate; }
    // None: the English texts.
    void SetLanguage(const TWebUpdateWizardLanguage* language) { FLanguage = language; }
    const TWebUpdateWizardLanguage* Language() const { return FLanguage; }
    // COMPONENT is being destroyed: references to it are cleared.
    void Notification(const void* component);

    std::wstring Caption;
    TWizardFont Font;
    // A copy of PICTURE shows instead of the window's own; none goes back to it.
    void SetBillBoard(HBITMAP picture);
    HBITMAP BillBoard() const { return static_cast<HBITMAP>(FBillBoard.get()); }
    int BillBoardLeft = 9, BillBoardTop = 27, BillBoardWidth = 116, BillBoardHeight = 201;
    bool BillBoardStretch = false, BillBoardCenter = false;
    TPosition Position = TPosition::poScreenCenter;
    TFormBorderStyle BorderStyle = TFormBorderStyle::bsDialog;
    bool AutoStart = false, AutoRun = false;

    // Returns when the window has closed; throws AppError("No WebUpdate component assigned") without
    // an engine. INITPATH makes the program's folder the current one first.
    void Execute(bool initPath, HWND owner = nullptr);
    // Asks the open window to close, as the user would (a running step is cancelled first).
    void CloseWizard();

    // The window while Execute runs.
    TWUWIZWindow* Window() const { return FWuWiz.get(); }
    // Runs once the window is set up, just before it is shown (tests drive it from here).
    std::function<void(TWUWIZWindow&)> OnWindowReady;

private:
    TWebUpdate* FWebUpdate = nullptr;
    const TWebUpdateWizardLanguage* FLanguage = nullptr;
    win32::unique_hgdiobj FBillBoard;
    std::unique_ptr<TWUWIZWindow> FWuWiz;
};

// The texts of SET (none: the English ones) go to the window.
void InitLanguage(TWUWIZWindow& window, const TWebUpdateWizardLanguage* set);

}  // namespace orvane
