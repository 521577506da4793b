#include "probes/ConfigurationFiles.h"

#include "core/Error.h"
#include "core/Text.h"
#include "probes/ComponentCatalogue.h"
#include "probes/EnvironmentVariables.h"
#include "probes/TextDecoding.h"
#include "probes/VersionInfo.h"

namespace orvane {

namespace {

std::wstring LandscapeFileOnServer(const IRegistry& registry) {
    static constexpr const wchar_t* kValue = L"LandscapeFileOnServer";
    const RegText value = registry.ReadText(RegHive::LocalMachine, kSapLogonOptionsKey, kValue);
    if (value.state == RegText::State::OtherType)
        throw AppError(FormatText(L"Type de données incorrect pour '%s'", {kValue}));
    return value.state == RegText::State::Text ? value.text : std::wstring();
}

}  // namespace

const wchar_t* ConfigFileTabCaption(TConfigFileTab tab) {
    switch (tab) {
        case TConfigFileTab::SapLogonIni:
            return L"SAPLOGON.INI";
        case TConfigFileTab::SapMsgIni:
            return L"SAPMSG.INI";
        case TConfigFileTab::SapRouteIni:
            return L"SAPROUTE.INI";
        case TConfigFileTab::SapLogonTreeXml:
            return L"SAPLOGONTREE.XML";
        case TConfigFileTab::Services:
            return L"SERVICES";
        case TConfigFileTab::SapUiLandscapeXml:
            return L"SAPUILANDSCAPE.XML";
    }
    return L"";
}

std::wstring ServicesFilePath(const IEnvironment& env) {
    std::wstring path = EnsureTrailingBackslash(EnvValue(env, L"windir")) + L"System32";
    path = EnsureTrailingBackslash(path) + L"drivers";
    path = EnsureTrailingBackslash(path) + L"etc";
    return EnsureTrailingBackslash(path) + L"services";
}

std::wstring FolderPart(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\:");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

TConfigFileView LoadConfigFile(const TConfigFileSources& src, TConfigFileTab tab, const std::wstring& path) {
    TConfigFileView view;
    view.tab = tab;
    if (!src.files.FileExists(path)) {
        view.pathBox = kFileNotFound;
        return view;
    }
    view.found = true;
    view.text = DecodeTextFile(src.reader.ReadAll(path), src.ansi).text;
    view.pathBox = path;
    return view;
}

void SearchConfigFiles(const TConfigFileSources& src, TConfigFilePaths& paths, const TConfigFileSink& show) {
    show(LoadConfigFile(src, TConfigFileTab::Services, ServicesFilePath(src.env)));

    // Candidates are tested as they will finally be used, with their references expanded, so that a
    // folder recorded with %NAME% in it is not passed over for the Windows folder.
    auto exists = [&](const std::wstring& path) { return src.files.FileExists(ExpandPercentVars(src.env, path)); };
    std::wstring& ini = paths.FSAPLOGON_INI_FilePath;
    ini = EnvValue(src.env, L"SAPLOGON_INI_FILE");
    if (ini.empty()) {
        ini = EnsureTrailingBackslash(EnvValue(src.env, L"APPDATA")) + L"SAP\\Common\\saplogon.ini";
        if (!exists(ini)) {
            ini = EnsureTrailingBackslash(GetComponentFolder(src.registry, ckSapGui)) + L"saplogon.ini";
            if (!exists(ini)) ini = EnsureTrailingBackslash(EnvValue(src.env, L"windir")) + L"saplogon.ini";
        }
    }
    ini = ExpandPercentVars(src.env, ini);
    show(LoadConfigFile(src, TConfigFileTab::SapLogonIni, ini));

    // The companions are looked for beside the saplogon.ini settled on, even a missing one.
    const std::wstring folder = FolderPart(ini);
    show(LoadConfigFile(src, TConfigFileTab::SapLogonTreeXml, folder + L"SAPlogontree.xml"));
    show(LoadConfigFile(src, TConfigFileTab::SapRouteIni, folder + L"saproute.ini"));
    show(LoadConfigFile(src, TConfigFileTab::SapMsgIni, folder + L"sapmsg.ini"));

    std::wstring& landscape = paths.FSAPUILANDSCAPE_XML_FilePath;
    landscape = EnvValue(src.env, L"SAPLOGON_LSXML_FILE");
    if (landscape.empty()) landscape = LandscapeFileOnServer(src.registry);
    if (landscape.empty())
        landscape = EnsureTrailingBackslash(EnvValue(src.env, L"APPDATA")) + L"SAP\\Common\\sapuilandscape.xml";
    landscape = ExpandPercentVars(src.env, landscape);
    show(LoadConfigFile(src, TConfigFileTab::SapUiLandscapeXml, landscape));
}

}  // namespace orvane
