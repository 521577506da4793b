#include "probes/FoldersAndTools.h"

#include "probes/ComponentCatalogue.h"
#include "probes/EnvironmentVariables.h"

namespace orvane {

std::wstring NwCheckWorkstationPath(const IRegistry& registry) {
    return GetComponentFolder(registry, ckSapSetup) + L"NwCheckWorkstation.exe";
}

bool IsNwCheckWorkstationInstalled(const IRegistry& registry, const IFileSystem& files) {
    return files.FileExists(NwCheckWorkstationPath(registry));
}

std::wstring FolderForTag(const IRegistry& registry, const IEnvironment& env, int tag) {
    switch (tag) {
        case 1:
            // The "LOGs" folder beside SAP Setup's "setup" folder; the "..\" is left for Windows to resolve.
            return GetComponentFolder(registry, ckSapSetup) + L"..\\LOGs\\";
        case 2:
            return ExpandPercentVars(env, L"%APPDATA%\\SAP\\");
        case 3:
            return L"D:\\Users\\Public\\SAP\\";
        case 4:
            return L"D:\\Users\\All Users\\SAP\\";
        default:
            return {};
    }
}

std::wstring MissingFolderMessage(const std::wstring& folder) {
    return L"Le répertoire \"" + folder + L"\" n'existe pas.";
}

void OpenFolderForTag(int tag, const IRegistry& registry, const IEnvironment& env, const IFileSystem& files,
                      IShell& shell, IDialogs& dialogs) {
    const std::wstring folder = FolderForTag(registry, env, tag);
    if (folder.empty()) return;
    if (files.FolderExists(folder))
        shell.Open(folder);
    else
        dialogs.ShowError(MissingFolderMessage(folder));
}

void StartNwCheckWorkstation(const IRegistry& registry, const IFileSystem& files, IShell& shell) {
    const std::wstring tool = NwCheckWorkstationPath(registry);
    if (files.FileExists(tool)) shell.Open(tool);
}

}  // namespace orvane
