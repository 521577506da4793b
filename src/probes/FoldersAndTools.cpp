#include "probes/FoldersAndTools.h"

#include "probes/ComponentCatalogue.h"

namespace orvane {

std::wstring NwCheckWorkstationPath(const IRegistry& registry) {
    return GetComponentFolder(registry, ckSapSetup) + L"NwCheckWorkstation.exe";
}

bool IsNwCheckWorkstationInstalled(const IRegistry& registry, const IFileSystem& files) {
    return files.FileExists(NwCheckWorkstationPath(registry));
}

} // namespace orvane
