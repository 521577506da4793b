#pragma once

#include <memory>
#include <string>

namespace orvane {

// A long text shown in a 400 by 400 dialog: plain text, or rich text given as its bytes.
struct TTextDialogContent {
    std::wstring caption;
    bool rich = false;
    std::wstring plain;  // lines joined with CR LF
    std::string rtf;     // the rich text as downloaded
};

// A window shown while something runs; it goes when the object goes.
class IShownWindow {
public:
    virtual ~IShownWindow() = default;
};

// The update engine's modal questions and dialogs.
class IEngineDialogs {
public:
    virtual ~IEngineDialogs() = default;
    // An information message box with OK.
    virtual void Inform(const std::wstring& text) = 0;
    // An information message box with Yes and No; true for Yes.
    virtual bool AskInformation(const std::wstring& text) = 0;
    // A confirmation (question) message box with Yes and No; true for Yes.
    virtual bool Confirm(const std::wstring& text) = 0;
    // The what's-new dialog: true when it closed through the accept button.
    virtual bool ShowWhatsNew(const TTextDialogContent& content, const std::wstring& okButton,
                              const std::wstring& cancelButton) = 0;
    // The licence dialog: true when the accept choice was chosen when it closed.
    virtual bool ShowLicence(const TTextDialogContent& content, const std::wstring& okButton,
                             const std::wstring& accept, const std::wstring& notAccept) = 0;
    // An HTML page in the system's HTML dialog; raises AppError when the page cannot be shown.
    virtual void ShowHtml(const std::wstring& url) = 0;
    // The system's copy-files animation with CAPTION and MESSAGE, shown while the patcher runs;
    // nullptr when it cannot be shown, which never stops the run.
    virtual std::unique_ptr<IShownWindow> ShowCopyAnimation(const std::wstring& caption,
                                                            const std::wstring& message) = 0;
};

}  // namespace orvane
