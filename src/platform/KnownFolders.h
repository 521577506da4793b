#pragma once

#include <string>

namespace orvane {

enum class KnownFolder {
    Documents,      // the user's documents folder
    LocalAppData,   // the user's local application-data folder
    CommonAppData,  // the application-data folder shared by all users
    Windows,        // the Windows directory
    System,         // the Windows system directory
    Application,    // the folder of the running executable
    Temp            // the system's temporary folder
};

// Well-known folders of the workstation: a path as the system gives it (trailing backslash or not), empty when it does
// not tell.
class IKnownFolders {
public:
    virtual ~IKnownFolders() = default;
    virtual std::wstring Path(KnownFolder folder) const = 0;
};

}  // namespace orvane
