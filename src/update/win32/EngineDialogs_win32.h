#pragma once

#include <windows.h>

#include "platform/EngineDialogs.h"

namespace orvane {

// The engine's message boxes and the HTML dialog, owned by the window that runs the update.
class TWin32EngineDialogs : public IEngineDialogs {
public:
    explicit TWin32EngineDialogs(HWND owner) : owner_(owner) {}
    void Inform(const std::wstring& text) override;
    bool AskInformation(const std::wstring& text) override;
    bool Confirm(const std::wstring& text) override;
    bool ShowWhatsNew(const TTextDialogContent& content, const std::wstring& okButton,
                      const std::wstring& cancelButton) override;
    bool ShowLicence(const TTextDialogContent& content, const std::wstring& okButton, const std::wstring& accept,
                     const std::wstring& notAccept) override;
    void ShowHtml(const std::wstring& url) override;
    std::unique_ptr<IShownWindow> ShowCopyAnimation(const std::wstring& caption, const std::wstring& message) override;

private:
    std::wstring Title() const;
    HWND owner_;
};

}  // namespace orvane
