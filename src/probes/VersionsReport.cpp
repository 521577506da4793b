#include "probes/VersionsReport.h"

#include <initializer_list>
#include <string_view>
#include <vector>

#include "probes/ComponentCatalogue.h"
#include "probes/ReleaseNames.h"
#include "probes/VersionInfo.h"

namespace orvane {

namespace {

struct FolderBlock {
    TSapComponentKind kind;
    std::vector<const wchar_t*> files;  // the first one is the test file
    bool releaseLine;
};

struct Section {
    const wchar_t* heading;
    std::vector<FolderBlock> blocks;
};

// "Entreprise" is the report's own spelling, unlike the registry key of that viewer.
const std::vector<Section>& Sections() {
    static const std::vector<Section> sections = {
        {L"SAP Setup", {{ckSapSetup, {L"NwSapSetup.exe"}, false}}},
        {L"Business Explorer",
         {{ckBusinessExplorer,
           {L"BExAnalyzer.exe", L"BExQueryDesignerStarter.exe", L"BExReportDesignerStarter.exe",
            L"BExWebApplicationDesigner.exe"},
           false}}},
        {L"SAP GUI for Windows", {{ckSapGui, {L"saplogon.exe", L"saplgpad.exe"}, true}}},
        {L"SAP NetWeaver Business Client 4", {{ckNwbc4, {L"NWBC.exe"}, true}}},
        {L"SAP NetWeaver Business Client 5", {{ckNwbc5, {L"NWBC.exe"}, true}}},
        {L"SAP Business Client 6", {{ckNwbc6, {L"NWBC.exe"}, true}}},
        {L"SAP 3D Visual Entreprise Viewer", {{ckVisualEnterpriseViewer, {L"VEViewer.exe"}, false}}},
        {L"Engineering Client Viewer", {{ckEngineeringClientViewer, {L"WebViewer2D.dll"}, true}}},
        {L"SAP Secure Login Client",
         {{ckSecureLogin32,
           {L"bin\\sbus.exe", L"bin\\sbusagent.exe", L"lib\\sapcrypto.dll", L"lib\\sbussto.dll"},
           false},
          {ckSecureLogin64, {L"lib\\sapcrypto.dll"}, false}}},
        {L"SNC Client Encryption",
         {{ckSncEncryption, {L"seccrypt.dll", L"secgss.dll", L"seckerb.dll", L"secloader.dll", L"secxml.dll"}, false}}},
        {L"Kerberos DLL",
         {{ckKerberos32, {L"gsskrb5.dll", L"gssntlm.dll"}, false},
          {ckKerberos64, {L"gx64krb5.dll", L"gi64krb5.dll", L"gi64ntlm.dll", L"gx64ntlm.dll"}, false}}},
    };
    return sections;
}

// The text after the last backslash or colon.
std::wstring NameOnly(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\:");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

}  // namespace

void WriteVersionsReport(const IRegistry& registry, const IFileSystem& files, const IVersionResource& versions,
                         const TReportLineSink& sink) {
    for (const Section& section : Sections()) {
        const std::wstring heading = section.heading;
        sink(L"");
        sink(heading);
        sink(std::wstring(heading.size(), L'-'));
        for (const FolderBlock& block : section.blocks) {
            // Nothing is cached: each line asks the registry and the disk afresh.
            sink(L"Path = " + GetComponentFolder(registry, block.kind));
            const std::wstring testFile = block.files.front();
            if (!files.FileExists(GetComponentFolder(registry, block.kind) + testFile)) {
                sink(L"Fichier \"" + testFile + L"\" introuvable.");
                continue;
            }
            for (const wchar_t* file : block.files) {
                const std::wstring path = GetComponentFolder(registry, block.kind) + file;
                sink(NameOnly(path) + L" = " + GetFileVersionText(files, versions, path));
            }
            if (block.releaseLine) {
                const std::wstring path = GetComponentFolder(registry, block.kind) + testFile;
                sink(GetReleaseName(block.kind, GetFileVersionText(files, versions, path)));
            }
        }
    }
}

}  // namespace orvane
