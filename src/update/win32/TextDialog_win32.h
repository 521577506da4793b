#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/EngineDialogs.h"

namespace orvane {

// The what's-new and licence dialogs: 400 by 400 pixels, centred on the screen, the text read-only
// in a plain or rich text box, with accept and refuse buttons (what's new) or an OK button and the
// accept / do-not-accept choice (licence).
struct TTextDialogButtons {
    bool licence = false;
    std::wstring ok, cancel;         // what's new: accept and refuse buttons
    std::wstring accept, notAccept;  // licence: the two choices
};

// Modal; true when accepted (what's new: closed by the accept button; licence: the accept choice
// chosen when it closed, however it closed).
bool ShowTextDialog(HWND owner, const TTextDialogContent& content, const TTextDialogButtons& buttons);

// Tests watch the dialog once it is shown: its window, text box and buttons by control id.
inline constexpr int kTextBoxId = 100, kAcceptButtonId = IDOK, kRefuseButtonId = IDCANCEL, kAcceptChoiceId = 101,
                     kNotAcceptChoiceId = 102;
extern std::function<void(HWND dialog)> OnTextDialogShown;

}  // namespace orvane
