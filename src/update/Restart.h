#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// What the restart helper is told: who to wait for, what to start again and what to install.
struct TRestartRequest {
    std::uint32_t processId = 0;
    bool logging = false;
    std::wstring appName;        // a name in the current folder, or a path when it holds ":"
    std::wstring currentFolder;  // the application's folder
    bool autoRestart = true;
    std::wstring appParam;    // quoted in place when it holds a blank
    std::wstring workFolder;  // passed as given, between double quotes
    std::wstring appComps;    // blank-separated file names
};

// The helper's parameter text. A parameter already in quotes is not quoted again, so a second
// attempt after a failed start sends the same text.
std::wstring RestartParameters(TRestartRequest& request);

}  // namespace orvane
