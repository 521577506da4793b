#pragma once

// Field lists of the landscape records, for code that walks every field (JSON output, tests).
// visit(name, field, flagName, flag): FLAG points to the presence flag, or is nullptr (and FLAGNAME
// empty) for a field that has none.

#include <concepts>
#include <type_traits>

namespace orvane {

template <class R, class V>
requires std::same_as<std::remove_const_t<R>, tyService>
void VisitFields(R& r, V&& visit) {
    visit("Memo", r.Memo, "_Memo", &r._Memo);
    visit("Auth", r.Auth, "", nullptr);
    visit("CanvasAppType", r.CanvasAppType, "_CanvasAppType", &r._CanvasAppType);
    visit("CEncoding", r.CEncoding, "_CEncoding", &r._CEncoding);
    visit("Client", r.Client, "_Client", &r._Client);
    visit("ClientType", r.ClientType, "_ClientType", &r._ClientType);
    visit("CLocale", r.CLocale, "_CLocale", &r._CLocale);
    visit("Cmd", r.Cmd, "_Cmd", &r._Cmd);
    visit("CmdType", r.CmdType, "_CmdType", &r._CmdType);
    visit("ConID", r.ConID, "_ConID", &r._ConID);
    visit("DCpg", r.DCpg, "_DCpg", &r._DCpg);
    visit("Def", r.Def, "_Def", &r._Def);
    visit("Description", r.Description, "_Description", &r._Description);
    visit("Encoding", r.Encoding, "_Encoding", &r._Encoding);
    visit("Expert", r.Expert, "_Expert", &r._Expert);
    visit("Filterid", r.Filterid, "_FilterID", &r._FilterID);
    visit("GUIparam", r.GUIparam, "_GUIparam", &r._GUIparam);
    visit("Host", r.Host, "_Host", &r._Host);
    visit("HostSpec", r.HostSpec, "_HostSpec", &r._HostSpec);
    visit("Language", r.Language, "_Language", &r._Language);
    visit("Link", r.Link, "_Link", &r._Link);
    visit("Mnemonic", r.Mnemonic, "_Mnemonic", &r._Mnemonic);
    visit("Mode", r.Mode, "_Mode", &r._Mode);
    visit("MSID", r.MSID, "_MSID", &r._MSID);
    visit("Name", r.Name, "_Name", &r._Name);
    visit("Parameters", r.Parameters, "_Parameters", &r._Parameters);
    visit("Port", r.Port, "_Port", &r._Port);
    visit("Protocol", r.Protocol, "_Protocol", &r._Protocol);
    visit("Reuse", r.Reuse, "_Reuse", &r._Reuse);
    visit("RFCID", r.RFCID, "_RFCID", &r._RFCID);
    visit("RouterID", r.RouterID, "_RouterID", &r._RouterID);
    visit("SAPcpg", r.SAPcpg, "_SAPcpg", &r._SAPcpg);
    visit("SAPGuiID", r.SAPGuiID, "_SAPGuiID", &r._SAPGuiID);
    visit("Scheme", r.Scheme, "_Scheme", &r._Scheme);
    visit("ServerType", r.ServerType, "_ServerType", &r._ServerType);
    visit("Shortcut", r.Shortcut, "_Shortcut", &r._Shortcut);
    visit("Server", r.Server, "_Server", &r._Server);
    visit("SLC", r.SLC, "_SLC", &r._SLC);
    visit("SNCname", r.SNCname, "_SNCname", &r._SNCname);
    visit("SNCnoSSO", r.SNCnoSSO, "_SNCnoSSO", &r._SNCnoSSO);
    visit("SNCop", r.SNCop, "_SNCop", &r._SNCop);
    visit("SSO2", r.SSO2, "_SSO2", &r._SSO2);
    visit("SystemID", r.SystemID, "_SystemID", &r._SystemID);
    visit("Trace", r.Trace, "_Trace", &r._Trace);
    visit("Transaction", r.Transaction, "_Transaction", &r._Transaction);
    visit("ServiceType", r.ServiceType, "_ServiceType", &r._ServiceType);
    visit("UNCoff", r.UNCoff, "_UNCoff", &r._UNCoff);
    visit("URL", r.URL, "_URL", &r._URL);
    visit("User", r.User, "_User", &r._User);
    visit("UUID", r.UUID, "_UUID", &r._UUID);
    visit("Wan", r.Wan, "_Wan", &r._Wan);
    visit("WinMax", r.WinMax, "_WinMax", &r._WinMax);
    visit("WorkDir", r.WorkDir, "_WorkDir", &r._WorkDir);
    visit("WP", r.WP, "_WP", &r._WP);
}

template <class R, class V>
requires std::same_as<std::remove_const_t<R>, tyMessageServer>
void VisitFields(R& r, V&& visit) {
    visit("Description", r.Description, "_Description", &r._Description);
    visit("Host", r.Host, "_Host", &r._Host);
    visit("Name", r.Name, "_Name", &r._Name);
    visit("Port", r.Port, "_Port", &r._Port);
    visit("RouterID", r.RouterID, "_RouterID", &r._RouterID);
    visit("LdapID", r.LdapID, "_LdapID", &r._LdapID);
    visit("HttpPort", r.HttpPort, "_HttpPort", &r._HttpPort);
    visit("UUID", r.UUID, "_UUID", &r._UUID);
}

template <class R, class V>
requires std::same_as<std::remove_const_t<R>, tyRouter>
void VisitFields(R& r, V&& visit) {
    visit("Description", r.Description, "_Description", &r._Description);
    visit("Name", r.Name, "_Name", &r._Name);
    visit("Router", r.Router, "_Router", &r._Router);
    visit("UUID", r.UUID, "_UUID", &r._UUID);
}

template <class R, class V>
requires std::same_as<std::remove_const_t<R>, tyInclude>
void VisitFields(R& r, V&& visit) {
    visit("URL", r.URL, "_URL", &r._URL);
    visit("Index", r.Index, "_Index", &r._Index);
    visit("Name", r.Name, "_Name", &r._Name);
    visit("Description", r.Description, "_Description", &r._Description);
}

template <class R, class V>
requires std::same_as<std::remove_const_t<R>, tyParameter>
void VisitFields(R& r, V&& visit) {
    visit("Key", r.Key, "_Key", &r._Key);
    visit("Value", r.Value, "_Value", &r._Value);
}

template <class R, class V>
requires std::same_as<std::remove_const_t<R>, tyItem>
void VisitFields(R& r, V&& visit) {
    visit("Hidden", r.Hidden, "_Hidden", &r._Hidden);
    visit("ServiceID", r.ServiceID, "_ServiceID", &r._ServiceID);
    visit("TimeStamp", r.TimeStamp, "_TimeStamp", &r._TimeStamp);
    visit("UUID", r.UUID, "_UUID", &r._UUID);
}

template <class R, class V>
requires std::same_as<std::remove_const_t<R>, tyNode>
void VisitFields(R& r, V&& visit) {
    visit("Node", r.Node, "", nullptr);
    visit("Item", r.Item, "", nullptr);
    visit("Description", r.Description, "_Description", &r._Description);
    visit("Expanded", r.Expanded, "_Expanded", &r._Expanded);
    visit("Hidden", r.Hidden, "_Hidden", &r._Hidden);
    visit("Name", r.Name, "_Name", &r._Name);
    visit("TimeStamp", r.TimeStamp, "_TimeStamp", &r._TimeStamp);
    visit("UUID", r.UUID, "_UUID", &r._UUID);
}

template <class R, class V>
requires std::same_as<std::remove_const_t<R>, tyLDAP>
void VisitFields(R& r, V&& visit) {
    visit("Description", r.Description, "_Description", &r._Description);
    visit("Name", r.Name, "_Name", &r._Name);
    visit("Server", r.Server, "_Server", &r._Server);
    visit("Mode", r.Mode, "_Mode", &r._Mode);
    visit("Node", r.Node, "_Node", &r._Node);
    visit("Options", r.Options, "_Options", &r._Options);
    visit("UUID", r.UUID, "_UUID", &r._UUID);
}

template <class R, class V>
requires std::same_as<std::remove_const_t<R>, tyLandscape>
void VisitFields(R& r, V&& visit) {
    visit("Services", r.Services, "", nullptr);
    visit("Workspaces", r.Workspaces, "", nullptr);
    visit("MessageServers", r.MessageServers, "", nullptr);
    visit("Routers", r.Routers, "", nullptr);
    visit("LDAPS", r.LDAPS, "", nullptr);
    visit("Includes", r.Includes, "", nullptr);
    visit("Configuration", r.Configuration, "", nullptr);
    visit("Generator", r.Generator, "_Generator", &r._Generator);
    visit("Localization", r.Localization, "_Localization", &r._Localization);
    visit("Origin", r.Origin, "_Origin", &r._Origin);
    visit("Updated", r.Updated, "_Updated", &r._Updated);
    visit("Version", r.Version, "_Version", &r._Version);
}

} // namespace orvane
