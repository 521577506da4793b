#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/LocaleFormat.h"
#include "update/WebUpdate.h"
#include "wizard/WizardLanguage.h"
#include "wizard/WizardView.h"

namespace orvane {

// The wizard window's logic: its pages, handlers and texts, over a view that is the real window or a
// test's recorder. Everything runs on the window's thread; engine steps pump messages, so a close or
// a Cancel press can arrive while a step runs.
class TWUWIZ {
public:
    // LOCALE writes the version dates; none uses "dd/MM/yyyy" and "HH:mm:ss".
    TWUWIZ(IWizardView& view, const ILocaleFormat* locale);
    TWUWIZ(const TWUWIZ&) = delete;
    TWUWIZ& operator=(const TWUWIZ&) = delete;

    void FormCreate();
    // The texts of SET go to their controls and fields.
    void InitLanguage(const TWebUpdateWizardLanguage& set);
    // Points the engine's progress and cancel events at this window; none detaches.
    void AttachEngine(TWebUpdate* engine);
    TWebUpdate* WebUpdate() const { return FWebUpdate; }

    // Each activation of the window; only the first one starts anything.
    void FormActivate();
    // A request to close (close box, Esc, CloseWizard). While a step runs it only cancels, and the
    // window closes when the step returns; otherwise it closes now. True when the window may go.
    bool FormCloseQuery();
    // A press of a button, radio button or menu item. Presses other than Cancel are ignored while a
    // step runs.
    void Click(TWizardControl control);

    // The engine's events while the wizard is open.
    void WebUpdateFileProgress(const std::wstring& fileName, std::int64_t pos, std::int64_t size);
    void WebUpdateCancel(bool& cancel) const { cancel = FCancelled; }

    void UpdateDone();
    bool CheckFileCount();

    bool StepRunning() const { return FSteps > 0; }
    bool Closed() const { return FClosed; }

    bool FCancelled = false;
    bool FAutoRun = false;
    bool FAutoStart = false;

    std::wstring FStrNewFound, FStrNoUpdate, FStrNoNewFiles, FStrGetUpdate, FStrNewVersion, FStrNext, FStrNoNewVersion,
        FStrUCNewVersion, FStrCannotConnect, FStrCurVersion, FStrExit, FFailedDownload, FStrLicensePopup,
        FStrWhatsNewPopup;

    // The version page's text for a version check result; none leaves the label as it is.
    std::optional<std::wstring> VersionText(int result) const;

private:
    // Runs a handler as a step: a close request meanwhile only cancels, and is carried out at the end.
    void RunStep(const std::function<void()>& step);
    void StartButtonClick();
    void ControlButtonClick();
    void NewButtonClick();
    void RAcceptClick();
    void EULAButtonClick();
    void FilesButtonClick();
    void RestartButtonClick();
    void ViewInNotepad(TWizardControl memo, const wchar_t* fileName);

    // Licence page when the engine offers a licence text; false when it offers none.
    bool ShowLicence(bool offerToHandler);
    // Fills the check list from the file list: every visible file checked unless only PRESELECTED
    // ones are, mandatory ones checked and locked.
    void FillCheckList(bool nameEmptyDescriptions, bool preselectedOnly);
    // The components page, or the download when every file is hidden.
    void ShowComponents();
    void RunDownload();
    // A pause of an automatic run; false when a close request arrived meanwhile.
    bool Pause();
    void EnableNamedButton(TWizardControl button, const std::wstring& caption);
    std::vector<std::wstring> TextLines(const std::string& bytes) const;

    IWizardView& FView;
    const ILocaleFormat* FLocale;
    TWebUpdate* FWebUpdate = nullptr;
    int FSteps = 0;                // handlers running, nested ones included
    bool FCloseRequested = false;  // a close arrived while a step ran
    bool FClosed = false;
    bool FActivated = false;
};

// True when the first 5 bytes, upper-cased, read "{\RTF".
bool IsFormattedText(const std::string& stream);

}  // namespace orvane
