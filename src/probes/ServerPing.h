#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "landscape/LandscapeTypes.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Pinger.h"
#include "platform/ProfileReader.h"
#include "platform/TextFileReader.h"
#include "probes/ServerList.h"

namespace orvane {

struct TServerSources {
    const IFileSystem& files;
    const IProfileReader& profiles;
    const ITextFileReader& reader;
    const IAnsiCodePage& ansi;
};

// The name a landscape entry contributes to the ping: SAP GUI entries only; the server named
// directly, or with mode 0 the host of the message server whose UUID equals the entry's MSID; a
// port or instance after ":" is cut off. Nothing for other entries or an MSID that matches nothing.
std::optional<std::wstring> ServerNameOf(const tyService& service, const tyMessageServers& messageServers);

// Gathers the names to ping from saplogon.ini and the landscape file, each only when a file exists
// at its path. CLEAR runs before the saplogon.ini names are added, and only when that file exists;
// ADD receives each [Server] value whole, then each landscape name, in the order found. An
// unreadable landscape file raises AppError after the saplogon.ini names were added.
void GatherServerNames(const TServerSources& src, const std::wstring& saplogonIniPath,
                       const std::wstring& landscapePath, const std::function<void()>& clear,
                       const std::function<void(const std::wstring&)>& add);

// The same into the main window's list, which keeps names from earlier runs unless saplogon.ini exists.
inline void GatherServerNames(const TServerSources& src, const std::wstring& saplogonIniPath,
                              const std::wstring& landscapePath, TServerList& servers) {
    GatherServerNames(
        src, saplogonIniPath, landscapePath, [&] { servers.Clear(); },
        [&](const std::wstring& name) { servers.Add(name); });
}

// The reply text of one echo in the Windows ping tool's words; empty when the system gave no result.
std::wstring PingServer(IPinger& pinger, const std::wstring& address, uint16_t bufferSize);

// The English name of an IP_STATUS code; "Unknow" for codes outside the table.
std::wstring GetPingStatusText(int32_t code);

// Pings every name in the given order, one after another, handing each row to ADDROW as soon as
// its answer is in. An error of the pinger ends the run at that name.
void PingServers(IPinger& pinger, const std::vector<std::wstring>& names,
                 const std::function<void(const std::wstring& name, const std::wstring& reply)>& addRow);

// The system's ping-status query for ADDRESS: in single quotes with each quote doubled.
std::wstring PingQueryText(const std::wstring& address, uint16_t bufferSize);

} // namespace orvane
