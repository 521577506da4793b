#pragma once

#include <string>

#include "platform/Dialogs.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace orvane {

// Full path of SAP Setup's workstation check tool (it may not exist).
std::wstring NwCheckWorkstationPath(const IRegistry& registry);

// Whether the workstation check tool's button is enabled: exactly when its file exists.
bool IsNwCheckWorkstationInstalled(const IRegistry& registry, const IFileSystem& files);

// The folder a folder button (tag 1 to 4) opens; the empty text for any other tag.
std::wstring FolderForTag(const IRegistry& registry, const IEnvironment& env, int tag);

// The message shown for a folder that does not exist.
std::wstring MissingFolderMessage(const std::wstring& folder);

// A folder button: opens its folder in the shell, or reports the folder as missing.
void OpenFolderForTag(int tag, const IRegistry& registry, const IEnvironment& env, const IFileSystem& files,
                      IShell& shell, IDialogs& dialogs);

// The NwCheckWorkstation button: starts the tool when its file exists, otherwise does nothing.
void StartNwCheckWorkstation(const IRegistry& registry, const IFileSystem& files, IShell& shell);

}  // namespace orvane
