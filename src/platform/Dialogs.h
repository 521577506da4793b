#pragma once

#include <string>

namespace orvane {

// Modal message boxes owned by the window that runs the command.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    // An error message box with a single OK button.
    virtual void ShowError(const std::wstring& text) = 0;
    // A confirmation with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(const std::wstring& text) = 0;
};

} // namespace orvane
