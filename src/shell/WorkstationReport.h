#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemVersion.h"
#include "platform/TextFileReader.h"
#include "platform/VersionResource.h"
#include "platform/WorkstationIdentity.h"
#include "probes/ConfigurationFiles.h"

namespace orvane {

// One server as the "Serveurs" tab lists it; reply, port and TCP stay empty when not asked for.
struct TServerCheck {
    std::wstring name;
    std::wstring reply;
    std::wstring port;
    std::wstring tcp;
};

// What a technician hands on: the same facts the window shows, in one piece.
struct TWorkstationReport {
    std::wstring program;  // "Orvane" and its version
    std::wstring when;     // "dd/mm/yyyy hh:nn:ss"
    std::wstring os, computer, user;
    std::vector<std::wstring> versions;                              // the versions report, line by line
    std::vector<std::pair<std::wstring, std::wstring>> environment;  // the six variables
    std::vector<TConfigFileView> files;                              // the six files, in tab order
    std::vector<TServerCheck> servers;
    bool serversListed = false;  // the servers were gathered at all
    bool pinged = false;         // replies were asked for
    bool portsChecked = false;   // ports were tried
};

struct TReportSources {
    const IRegistry& registry;
    const IEnvironment& env;
    const IFileSystem& files;
    const IVersionResource& versions;
    const ITextFileReader& reader;
    const IAnsiCodePage& ansi;
};

// The versions report, the environment grid and the file search, computed afresh; PATHS receives
// the two paths the search settles on, for the servers.
void GatherProbes(const TReportSources& src, TWorkstationReport& report, TConfigFilePaths& paths);

// Values of keys or attributes whose name says password or secret, as "***": "Password=x" lines of
// INI files, name="x" attributes of XML files. Other text is left exactly as it is.
std::wstring MaskSecrets(const std::wstring& text);

// The report as a text file's lines (CR LF between them), configuration files masked.
std::wstring ReportText(const TWorkstationReport& report);

// The report as one JSON object, UTF-8.
std::string ReportJson(const TWorkstationReport& report);

// Orvane's name and version, the time, and the workstation: the system as the update engine names
// it, the computer's and the user's names.
void FillIdentity(TWorkstationReport& report, const ISystemVersion& system, const IWorkstationIdentity& identity,
                  const IClock& clock);

// "dd/mm/yyyy hh:nn:ss"
std::wstring ReportTime(int day, int month, int year, int hour, int minute, int second);

}  // namespace orvane
