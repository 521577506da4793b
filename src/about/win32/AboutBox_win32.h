#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace orvane {

class TWebUpdate;

// What the program plugs into the About box behind "Mise à jour du programme": a word to the engine
// as the update starts, before the wizard opens (the main window logs where its URL came from).
struct TAboutHooks {
    std::function<void(TWebUpdate& engine)> updateStarting;
};

// The program file's own version, "major.minor.release.build"; raises AppError with the system's
// report when it has no readable version resource.
std::wstring GetOwnVersionText();
// The same for any file.
std::wstring FileVersionTextOf(const std::wstring& path);

// Opens the About box modally over OWNER with the control-file URL, and destroys it when it closes.
void ShowAboutBox(const std::wstring& url, HWND owner, TAboutHooks hooks = {});

}  // namespace orvane
