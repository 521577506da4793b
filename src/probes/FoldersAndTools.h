#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/Registry.h"

namespace orvane {

// Full path of SAP Setup's workstation check tool (it may not exist).
std::wstring NwCheckWorkstationPath(const IRegistry& registry);

// Whether the workstation check tool's button is enabled: exactly when its file exists.
bool IsNwCheckWorkstationInstalled(const IRegistry& registry, const IFileSystem& files);

} // namespace orvane
