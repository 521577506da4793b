#include "update/HostProbes.h"

#include <array>

#include "core/Error.h"
#include "core/Text.h"

namespace orvane {

namespace {

struct NTRow {
    unsigned major, minor;
    const wchar_t* workstation;
    const wchar_t* server;
};

constexpr NTRow kNTRows[] = {
    {5, 0, L"Windows 2000", L"Windows 2000"},          {5, 1, L"Windows XP", L"Windows XP"},
    {5, 2, L"Windows 2003", L"Windows 2003"},          {6, 0, L"Windows Vista", L"Windows Server 2008"},
    {6, 1, L"Windows 7", L"Windows Server 2008R2"},    {6, 2, L"Windows 8", L"Windows Server 2012"},
    {6, 3, L"Windows 8.1", L"Windows Server 2012R2"},  {6, 4, L"Windows 10", L"Windows Server Preview"},
    {10, 0, L"Windows 10", L"Windows Server Preview"},
};

constexpr unsigned kFirstWindows11Build = 22000;

const wchar_t* NTName(unsigned major, unsigned minor, bool workstation) {
    for (const NTRow& row : kNTRows)
        if (row.major == major && row.minor == minor) return workstation ? row.workstation : row.server;
    return L"Unknown";
}

// No development environment is probed: the log shows an empty list.
struct IDEKey {
    const wchar_t* key;
    const wchar_t* tag;
};
constexpr std::array<IDEKey, 0> kIDEKeys{};

}  // namespace

std::wstring OSNameFromVersion(const std::optional<OSVersionRecord>& reported,
                               const std::optional<OSVersionNumber>& refined) {
    if (!reported) return L"Unknown";
    const OSVersionRecord& v = *reported;
    if (v.platform == OSVersionRecord::Platform::Windows9x) {
        if (v.major == 4 && v.minor == 0) return L"Windows 95";
        if (v.major == 4 && v.minor == 10)
            return v.servicePack.size() >= 2 && v.servicePack[1] == L'A' ? L"Windows 98 SE" : L"Windows 98";
        if (v.major == 4 && v.minor == 90) return L"Windows ME";
        return L"Unknown";
    }
    if (v.platform != OSVersionRecord::Platform::WindowsNT) return L"Unknown";
    const bool workstation = v.productType == 1;
    if (v.major <= 4) return L"Windows NT";
    // A manifest that declares Windows 10 gets 10.0 reported directly; without one the system
    // says 6.2 and only the refinement tells.
    OSVersionNumber version{v.major, v.minor, v.build};
    if (v.major == 6 && v.minor == 2) {
        version = refined.value_or(OSVersionNumber{6, 2, v.build});
        const bool known = (version.major == 6 && (version.minor == 2 || version.minor == 3)) ||
                           (version.major == 10 && version.minor == 0);
        if (!known) return L"Unknown";
    }
    // Windows 11 still calls itself 10.0; its first build tells it apart.
    if (version.major == 10 && version.minor == 0 && workstation && version.build >= kFirstWindows11Build)
        return L"Windows 11";
    return NTName(version.major, version.minor, workstation);
}

std::wstring OSName(const ISystemVersion& system) {
    const auto reported = system.Reported();
    std::optional<OSVersionNumber> refined;
    if (reported && reported->platform == OSVersionRecord::Platform::WindowsNT && reported->major == 6 &&
        reported->minor == 2)
        refined = system.Refined();
    return OSNameFromVersion(reported, refined);
}

bool HasLocaleInfoEx(const ISystemVersion& system) {
    return system.HasLocaleInfoEx();
}

KnownFolderQuery ChooseKnownFolderQuery(const std::optional<OSVersionRecord>& reported) {
    if (!reported || reported->platform != OSVersionRecord::Platform::WindowsNT) return KnownFolderQuery::None;
    if (reported->major == 5) return KnownFolderQuery::Csidl;
    if (reported->major == 6 || reported->major == 10) return KnownFolderQuery::FolderId;
    return KnownFolderQuery::None;
}

std::optional<KnownFolderIds> IdsOfKnownFolder(KnownFolder folder) {
    switch (folder) {
        case KnownFolder::Documents:
            return KnownFolderIds{5, L"{FDD39AD0-238F-46AF-ADB4-6C85480369C7}"};
        case KnownFolder::LocalAppData:
            return KnownFolderIds{28, L"{F1B32785-6FBA-4FCF-9D55-7B8E7F157091}"};
        case KnownFolder::CommonAppData:
            return KnownFolderIds{35, L"{62AB5D82-FDC1-4DC3-A9DD-070D1D495D97}"};
        default:
            return std::nullopt;
    }
}

std::wstring IEVersion(const IRegistry& registry) {
    const RegText value =
        registry.ReadText(RegHive::LocalMachine, L"Software\\Microsoft\\Internet Explorer\\Version Vector", L"IE");
    switch (value.state) {
        case RegText::State::NoKey:
            return L"(not found)";
        case RegText::State::NoValue:
            return L"";
        case RegText::State::Text:
            return value.text;
        case RegText::State::OtherType:
            break;
    }
    throw AppError(FormatText(L"Type de données incorrect pour '%s'", {L"IE"}));
}

bool RegistryKeyExists(const IRegistry& registry, std::wstring_view key) {
    while (!key.empty() && key.front() == L'\\') key.remove_prefix(1);
    return registry.KeyExists(RegHive::LocalMachine, std::wstring(key));
}

std::wstring IDETag() {
    return L"GCC";
}

std::wstring InstalledIDEs(const IRegistry& registry) {
    std::wstring tags;
    for (const IDEKey& entry : kIDEKeys)
        if (RegistryKeyExists(registry, entry.key) && tags.find(entry.tag) == std::wstring::npos) tags += entry.tag;
    return tags;
}

std::wstring DocumentsFolder(const IKnownFolders& folders) {
    return folders.Path(KnownFolder::Documents);
}
std::wstring LocalAppDataFolder(const IKnownFolders& folders) {
    return folders.Path(KnownFolder::LocalAppData);
}
std::wstring CommonAppDataFolder(const IKnownFolders& folders) {
    return folders.Path(KnownFolder::CommonAppData);
}

std::wstring EnvironmentValue(const IEnvironment& environment, const std::wstring& name) {
    return environment.Get(name).value_or(std::wstring());
}

std::wstring ProgramFilesFolder(const IEnvironment& environment) {
    return EnvironmentValue(environment, L"ProgramFiles");
}

std::wstring ExpandNewlineMarkers(std::wstring text) {
    // One pass is enough: a carriage return can never form a new marker with its neighbours.
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
            out += L'\r';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

size_t PosNoCase(std::wstring_view needle, std::wstring_view haystack) {
    const std::wstring n = UpperCaseAscii(needle), h = UpperCaseAscii(haystack);
    if (n.empty()) return 0;
    const size_t at = h.find(n);
    return at == std::wstring::npos ? 0 : at + 1;
}

std::wstring WithTrailingBackslash(std::wstring path) {
    return WithBackslash(std::move(path));
}

}  // namespace orvane
