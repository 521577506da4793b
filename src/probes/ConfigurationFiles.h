#pragma once

#include <functional>
#include <string>

#include "platform/CodePage.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/TextFileReader.h"

namespace orvane {

// The file tabs, in the order they sit in the window.
enum class TConfigFileTab { SapLogonIni, SapMsgIni, SapRouteIni, SapLogonTreeXml, Services, SapUiLandscapeXml };

// The tab's caption ("SAPLOGON.INI", ...).
const wchar_t* ConfigFileTabCaption(TConfigFileTab tab);

// What one tab shows: the path box text and the viewer text.
struct TConfigFileView {
    TConfigFileTab tab = TConfigFileTab::SapLogonIni;
    bool found = false;
    std::wstring pathBox;  // the path, or "Fichier non trouvé."
    std::wstring text;     // the decoded file (line breaks as CR LF), empty when not found
};

using TConfigFileSink = std::function<void(const TConfigFileView& view)>;

// The two paths the search settles on, kept by the main window between searches.
struct TConfigFilePaths {
    std::wstring FSAPLOGON_INI_FilePath;
    std::wstring FSAPUILANDSCAPE_XML_FilePath;
};

struct TConfigFileSources {
    const IEnvironment& env;
    const IRegistry& registry;
    const IFileSystem& files;
    const ITextFileReader& reader;
    const IAnsiCodePage& ansi;
};

inline constexpr const wchar_t* kSapLogonOptionsKey = L"SOFTWARE\\Wow6432Node\\SAP\\SAPLogon\\Options";

// Path of the Windows services file, built from "windir" (no %NAME% expansion).
std::wstring ServicesFilePath(const IEnvironment& env);

// Everything up to and including the last backslash or colon; the empty text when there is none.
std::wstring FolderPart(const std::wstring& path);

// What a tab shows for PATH: the decoded file when a file exists there, "Fichier non trouvé." otherwise.
// A file that exists but cannot be read raises AppError.
TConfigFileView LoadConfigFile(const TConfigFileSources& src, TConfigFileTab tab, const std::wstring& path);

// Locates the six files and hands each tab's view to SHOW as soon as it is ready, in the order
// SERVICES, SAPLOGON.INI, SAPLOGONTREE.XML, SAPROUTE.INI, SAPMSG.INI, SAPUILANDSCAPE.XML, setting
// PATHS on the way. An unreadable file or a registry value that is not text raises AppError at that
// step: the tabs already shown and the paths already set stay as they are.
void SearchConfigFiles(const TConfigFileSources& src, TConfigFilePaths& paths, const TConfigFileSink& show);

}  // namespace orvane
