#include <cstdio>
#include <exception>

#include <fcntl.h>
#include <io.h>

#include "Inspect.h"
#include "core/Error.h"
#include "core/Text.h"
#include "platform/win32/Clock_win32.h"
#include "platform/win32/Pinger_win32.h"
#include "platform/win32/ProfileReader_win32.h"
#include "platform/win32/SystemVersion_win32.h"
#include "platform/win32/TcpConnector_win32.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WorkstationIdentity_win32.h"
#include "probes/PortCheck.h"
#include "probes/ServerList.h"
#include "probes/ServerPing.h"
#include "shell/WorkstationReport.h"

namespace orvane::inspect {

namespace {

// The saved report of the main window, gathered without one on the workstation this runs on.
TWorkstationReport Gather(bool ping, bool ports) {
    const win32::TWin32Registry registry;
    const win32::TWin32Environment environment;
    const win32::TWin32FileSystem files;
    const win32::TWin32VersionResource versions;
    const win32::TWin32TextFileReader reader;
    const win32::TWin32AnsiCodePage ansi;

    TWorkstationReport report;
    FillIdentity(report, win32::TWin32SystemVersion(), win32::TWin32WorkstationIdentity(), win32::TWin32Clock());
    TConfigFilePaths paths;
    GatherProbes({registry, environment, files, versions, reader, ansi}, report, paths);

    const win32::TWin32ProfileReader profiles;
    const TServerSources sources{files, profiles, reader, ansi};
    TServerList servers(win32::CompareUserLocaleNoCase);
    GatherServerNames(sources, paths.FSAPLOGON_INI_FilePath, paths.FSAPUILANDSCAPE_XML_FilePath, servers);
    for (const std::wstring& name : servers.Names()) report.servers.push_back({name, L"", L"", L""});
    report.serversListed = true;

    if (ping) {
        win32::TWin32Pinger pinger(PingQueryText);
        size_t row = 0;
        PingServers(pinger, servers.Names(),
                    [&](const std::wstring&, const std::wstring& reply) { report.servers[row++].reply = reply; });
        report.pinged = true;
    }
    if (ports) {
        const auto known = GatherPortSources(sources, paths.FSAPLOGON_INI_FilePath, paths.FSAPUILANDSCAPE_XML_FilePath);
        win32::TWin32TcpConnector tcp;
        CheckServerPorts(tcp, PortTargetsForRows(servers.Names(), known, win32::CompareUserLocaleNoCase), {},
                         [&](size_t row, const TPortCheckCells& cells) {
                             report.servers[row].port = cells.port;
                             report.servers[row].tcp = cells.tcp;
                         });
        report.portsChecked = true;
    }
    return report;
}

int Report(const TCommandLine& line) {
    // UTF-8 bytes exactly as built, without CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
    std::string out;
    try {
        const TWorkstationReport report = Gather(line.Has("ping"), line.Has("ports"));
        out = line.Has("json") ? ReportJson(report) : ToUtf8(ReportText(report));
    } catch (const AppError& e) {
        std::fprintf(stderr, "orvane-inspect: %s\n", ToUtf8(e.Message()).c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvane-inspect: %s\n", e.what());
        return 1;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

const TCommand& ReportCommand() {
    static const TCommand command{{"report",
                                   "",
                                   "this workstation's report, as the window saves it",
                                   {{"json", false, "          one JSON object instead of text"},
                                    {"ping", false, "          ping every server"},
                                    {"ports", false, "         try every server's known port"}},
                                   0,
                                   0},
                                  Report};
    return command;
}

}  // namespace orvane::inspect
