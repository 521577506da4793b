#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/TcpConnector.h"
#include "probes/ServerPing.h"

namespace orvane {

// How long one server has to take the connection.
inline constexpr uint32_t kPortCheckTimeoutMs = 2000;

// The port SAP GUI's router listens on when a router string names none.
inline constexpr uint16_t kDefaultRouterPort = 3299;

// A port known for a server: NAME is the server as the ping lists it, TARGET what to connect to.
struct TPortSource {
    std::wstring name;
    TTcpTarget target;
};

// Compares two server names like the ping's list does (<0, 0, >0).
using TNameCollation = std::function<int(const std::wstring&, const std::wstring&)>;

// "host:3200" gives host and 3200; nothing when the text after the last ":" is not a port number.
std::optional<TTcpTarget> HostAndPort(const std::wstring& value);

// The first hop of a router string ("/H/router/S/3299/H/app/S/3200"): its host and its port,
// kDefaultRouterPort when the hop names none. Nothing when no host is named.
std::optional<TTcpTarget> RouterHop(const std::wstring& routerString);

// Every port the configuration files tell, in the order found: saplogon.ini's [Server] values with
// a port, then its [Router] strings; the landscape's SAP GUI servers with a port, the message
// servers of its mode-0 connections (host and port), then its routers. Same conditions and errors
// as GatherServerNames.
std::vector<TPortSource> GatherPortSources(const TServerSources& src, const std::wstring& saplogonIniPath,
                                           const std::wstring& landscapePath);

// For each row name, the target of the first source with an equal name; nothing when none.
std::vector<std::optional<TTcpTarget>> PortTargetsForRows(const std::vector<std::wstring>& rows,
                                                          const std::vector<TPortSource>& sources,
                                                          const TNameCollation& collation);

// The "TCP" column's text: "ouvert", "refusé", "délai dépassé", "nom inconnu", or "erreur N".
std::wstring TcpOutcomeText(const TTcpResult& result);

// What a row shows in its "Port" and "TCP" columns.
struct TPortCheckCells {
    std::wstring port;
    std::wstring tcp;
};

// Checks every row that has a target, all at once, and hands each such row's cells to SETCELLS
// (row index, cells) in row order once all are settled. Rows without target are left alone.
void CheckServerPorts(ITcpConnector& connector, const std::vector<std::optional<TTcpTarget>>& targets,
                      const std::function<void()>& whileWaiting,
                      const std::function<void(size_t row, const TPortCheckCells& cells)>& setCells);

}  // namespace orvane
