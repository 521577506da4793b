#pragma once

// In-memory form of the SAP UI landscape file. Every attribute field X is followed by its
// presence flag _X, which tells an absent attribute apart from an empty or zero one.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

enum tyCanvasAppType : uint8_t {
    catEmpty,
    catBrowserBSP,
    catBrowserES,
    catBrowserServiceMap,
    catBrowserTransaction,
    catBrowserURL,
    catBrowserWebDynpro,
    catBrowserWUI,
    catSapguiTransaction,
};

enum tyServiceType : uint8_t {
    stNWBC,
    stByDesign,
    stWDA,
    stMAP,
    stPortal,
    stSAPGUI,
    stSIDEPANEL,
    stURL,
    stSearch,
    stShortcut,
    stReference,
    stABAPmobile,
    stFIORI,
    stAO,
};

// Nominal ranges 0..2, 0..2 and -1..9; the reader stores the low 8 bits unchecked.
using tyModeType = uint8_t;
using tyServerTypeAO = uint8_t;
using tySNCOp = int8_t;

// Whole days since 30 December 1899; the fraction is the time of day.
using tyDateTime = double;

struct tyService {
    std::wstring Memo;
    bool _Memo = false;
    std::wstring Auth;
    tyCanvasAppType CanvasAppType = catEmpty;
    bool _CanvasAppType = false;
    std::wstring CEncoding;
    bool _CEncoding = false;
    int32_t Client = 0;
    bool _Client = false;
    std::wstring ClientType;
    bool _ClientType = false;
    std::wstring CLocale;
    bool _CLocale = false;
    std::wstring Cmd;
    bool _Cmd = false;
    std::wstring CmdType;
    bool _CmdType = false;
    std::wstring ConID;
    bool _ConID = false;
    int32_t DCpg = 0;
    bool _DCpg = false;
    int32_t Def = 0;
    bool _Def = false;
    std::wstring Description;
    bool _Description = false;
    std::wstring Encoding;
    bool _Encoding = false;
    bool Expert = false;
    bool _Expert = false;
    std::wstring Filterid;
    bool _FilterID = false;
    std::wstring GUIparam;
    bool _GUIparam = false;
    std::wstring Host;
    bool _Host = false;
    std::wstring HostSpec;
    bool _HostSpec = false;
    std::wstring Language;
    bool _Language = false;
    std::wstring Link;
    bool _Link = false;
    std::wstring Mnemonic;
    bool _Mnemonic = false;
    tyModeType Mode = 0;
    bool _Mode = false;
    std::wstring MSID;
    bool _MSID = false;
    std::wstring Name;
    bool _Name = false;
    std::wstring Parameters;
    bool _Parameters = false;
    int32_t Port = 0;
    bool _Port = false;
    std::wstring Protocol;
    bool _Protocol = false;
    bool Reuse = false;
    bool _Reuse = false;
    std::wstring RFCID;
    bool _RFCID = false;
    std::wstring RouterID;
    bool _RouterID = false;
    int32_t SAPcpg = 0;
    bool _SAPcpg = false;
    std::wstring SAPGuiID;
    bool _SAPGuiID = false;
    std::wstring Scheme;
    bool _Scheme = false;
    tyServerTypeAO ServerType = 0;
    bool _ServerType = false;
    bool Shortcut = false;
    bool _Shortcut = false;
    std::wstring Server;
    bool _Server = false;
    bool SLC = false;
    bool _SLC = false;
    std::wstring SNCname;
    bool _SNCname = false;
    bool SNCnoSSO = false;
    bool _SNCnoSSO = false;
    tySNCOp SNCop = 0;
    bool _SNCop = false;
    std::wstring SSO2;
    bool _SSO2 = false;
    std::wstring SystemID;
    bool _SystemID = false;
    int32_t Trace = 0;
    bool _Trace = false;
    std::wstring Transaction;
    bool _Transaction = false;
    tyServiceType ServiceType = stNWBC;
    bool _ServiceType = false;
    bool UNCoff = false;
    bool _UNCoff = false;
    std::wstring URL;
    bool _URL = false;
    std::wstring User;
    bool _User = false;
    std::wstring UUID;
    bool _UUID = false;
    bool Wan = false;
    bool _Wan = false;
    std::wstring WinMax;
    bool _WinMax = false;
    std::wstring WorkDir;
    bool _WorkDir = false;
    bool WP = false;
    bool _WP = false;
};

struct tyMessageServer {
    std::wstring Description;
    bool _Description = false;
    std::wstring Host;
    bool _Host = false;
    std::wstring Name;
    bool _Name = false;
    int32_t Port = 0;
    bool _Port = false;
    std::wstring RouterID;
    bool _RouterID = false;
    std::wstring LdapID;
    bool _LdapID = false;
    int32_t HttpPort = 0;
    bool _HttpPort = false;
    std::wstring UUID;
    bool _UUID = false;
};

struct tyRouter {
    std::wstring Description;
    bool _Description = false;
    std::wstring Name;
    bool _Name = false;
    std::wstring Router;
    bool _Router = false;
    std::wstring UUID;
    bool _UUID = false;
};

struct tyInclude {
    std::wstring URL;
    bool _URL = false;
    int32_t Index = 0;
    bool _Index = false;
    std::wstring Name;
    bool _Name = false;
    std::wstring Description;
    bool _Description = false;
};

struct tyParameter {
    std::wstring Key;
    bool _Key = false;
    std::wstring Value;
    bool _Value = false;
};

struct tyItem {
    bool Hidden = false;
    bool _Hidden = false;
    std::wstring ServiceID;
    bool _ServiceID = false;
    tyDateTime TimeStamp = 0;
    bool _TimeStamp = false;
    std::wstring UUID;
    bool _UUID = false;
};

struct tyNode {
    std::vector<tyNode> Node;
    std::vector<tyItem> Item;
    std::wstring Description;
    bool _Description = false;
    bool Expanded = false;
    bool _Expanded = false;
    bool Hidden = false;
    bool _Hidden = false;
    std::wstring Name;
    bool _Name = false;
    tyDateTime TimeStamp = 0;
    bool _TimeStamp = false;
    std::wstring UUID;
    bool _UUID = false;
};

// A workspace has the layout of a node.
using tyWorkspace = tyNode;

struct tyLDAP {
    std::wstring Description;
    bool _Description = false;
    std::wstring Name;
    bool _Name = false;
    std::wstring Server;
    bool _Server = false;
    std::wstring Mode;
    bool _Mode = false;
    std::wstring Node;
    bool _Node = false;
    std::wstring Options;
    bool _Options = false;
    std::wstring UUID;
    bool _UUID = false;
};

using tyServices = std::vector<tyService>;
using tyWorkspaces = std::vector<tyWorkspace>;
using tyMessageServers = std::vector<tyMessageServer>;
using tyRouters = std::vector<tyRouter>;
using tyLDAPS = std::vector<tyLDAP>;
using tyIncludes = std::vector<tyInclude>;
using tyConfiguration = std::vector<tyParameter>;

struct tyLandscape {
    tyServices Services;
    tyWorkspaces Workspaces;
    tyMessageServers MessageServers;
    tyRouters Routers;
    tyLDAPS LDAPS;
    tyIncludes Includes;
    tyConfiguration Configuration;
    std::wstring Generator;
    bool _Generator = false;
    std::wstring Localization;
    bool _Localization = false;
    std::wstring Origin;
    bool _Origin = false;
    std::wstring Updated;
    bool _Updated = false;
    int32_t Version = 0;
    bool _Version = false;
};

// Trims, lower-cases and matches a fixed keyword; anything else gives catEmpty.
tyCanvasAppType CanvasAppTypeFromText(std::wstring_view text);
// Same for service types; anything else gives stSAPGUI (stAO is never produced).
tyServiceType ServiceTypeFromText(std::wstring_view text);

// Enumeration names as written in code ("catBrowserURL", "stSAPGUI"); "" out of range.
const char* CanvasAppTypeName(tyCanvasAppType value);
const char* ServiceTypeName(tyServiceType value);

} // namespace orvane

// VisitFields(record, visit): visit(name, field, flag) for every field in declared order.
#include "landscape/LandscapeFields.inl"
