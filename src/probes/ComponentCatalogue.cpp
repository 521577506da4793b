#include "probes/ComponentCatalogue.h"

#include <iterator>

#include "core/Error.h"
#include "core/Text.h"

namespace orvane {

namespace {

constexpr const wchar_t* kShared = L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared";
constexpr const wchar_t* kSecureLogin = L"SOFTWARE\\Wow6432Node\\SAP\\SecureLogin";

// Indexed by kind. Defaults are stored exactly as SAP setups write them, lower-case drive included.
constexpr ComponentSource kCatalogue[] = {
    {kShared, L"SAPSetupDir", L"c:\\Program Files (x86)\\SAP\\SapSetup\\", L"setup\\"},
    {L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared\\SAPBI", L"SAPDestDir", L"c:\\Program Files (x86)\\SAP\\Business Explorer\\", L"BI\\"},
    {kShared, L"SAPsysdir", L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\", L""},
    {L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared\\SAP_Engineering Client Viewer 7.0", L"SAPDestDir",
     L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SapGui\\", L"Program\\"},
    {L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared\\SAP_NWBC40", L"SAPDestDir", L"c:\\Program Files (x86)\\SAP\\NWBC40\\", L""},
    {L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared\\SAP_NWBC50", L"SAPDestDir", L"c:\\Program Files (x86)\\SAP\\NWBC50\\", L""},
    {L"SOFTWARE\\Wow6432Node\\SAP\\SAP Shared\\SAP_NWBC60", L"SAPDestDir", L"c:\\Program Files (x86)\\SAP\\NWBC60\\", L""},
    {L"SOFTWARE\\Wow6432Node\\SAP\\SAP 3D Visual Enterprise Viewer", L"Path",
     L"c:\\Program Files (x86)\\SAP\\SAP 3D Visual Enterprise Viewer\\", L""},
    {nullptr, nullptr, L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SAPgui\\Encryption\\", L""},
    {kSecureLogin, L"InstallPath32", L"c:\\Program Files (x86)\\SAP\\FrontEnd\\SecureLogin\\", L""},
    {kSecureLogin, L"InstallPath64", L"c:\\Program Files\\SAP\\FrontEnd\\SecureLogin\\", L""},
    {nullptr, nullptr, L"c:\\Program Files (x86)\\SAP\\Kerberos\\", L""},
    {nullptr, nullptr, L"c:\\Program Files\\SAP\\Kerberos\\", L""},
};

static_assert(std::size(kCatalogue) == kLastComponentKind + 1);

} // namespace

const ComponentSource* FindComponentSource(TSapComponentKind kind) {
    if (kind < kFirstComponentKind || kind > kLastComponentKind) return nullptr;
    return &kCatalogue[kind];
}

std::wstring GetComponentFolder(const IRegistry& registry, TSapComponentKind kind) {
    const ComponentSource* source = FindComponentSource(kind);
    if (!source) return {};

    std::wstring folder;
    if (source->registryKey) {
        const RegText value = registry.ReadText(RegHive::LocalMachine, source->registryKey, source->valueName);
        if (value.state == RegText::State::OtherType)
            throw AppError(FormatText(L"Type de données incorrect pour '%s'", {source->valueName}));
        if (value.state == RegText::State::Text) folder = WithBackslash(value.text);
    }
    if (folder.empty()) folder = source->defaultFolder;
    return folder + source->subFolder;
}

} // namespace orvane
