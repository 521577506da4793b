#include "probes/ServerPing.h"

#include "core/Text.h"
#include "landscape/LandscapeReader.h"

namespace orvane {

namespace {

constexpr uint16_t kEchoSize = 32;

struct TStatusText {
    int32_t code;
    const wchar_t* text;
};

constexpr TStatusText kStatusTexts[] = {
    {0, L"Success"},
    {11001, L"Buffer Too Small"},
    {11002, L"Destination Net Unreachable"},
    {11003, L"Destination Host Unreachable"},
    {11004, L"Destination Protocol Unreachable"},
    {11005, L"Destination Port Unreachable"},
    {11006, L"No Resources"},
    {11007, L"Bad Option"},
    {11008, L"Hardware Error"},
    {11009, L"Packet Too Big"},
    {11010, L"Request Timed Out"},
    {11011, L"Bad Request"},
    {11012, L"Bad Route"},
    {11013, L"TimeToLive Expired Transit"},
    {11014, L"TimeToLive Expired Reassembly"},
    {11015, L"Parameter Problem"},
    {11016, L"Source Quench"},
    {11017, L"Option Too Big"},
    {11018, L"Bad Destination"},
    {11032, L"Negotiating IPSEC"},
    {11050, L"General Failure"},
};

std::wstring Number(uint32_t value) {
    return std::to_wstring(value);
}

} // namespace

std::optional<std::wstring> ServerNameOf(const tyService& service, const tyMessageServers& messageServers) {
    if (service.ServiceType != stSAPGUI) return std::nullopt;
    std::wstring name;
    if (service.Mode != 0) {
        name = service.Server;
    } else {
        const tyMessageServer* match = nullptr;
        for (const tyMessageServer& ms : messageServers)
            if (ms.UUID == service.MSID) {
                match = &ms;
                break;
            }
        // Nothing to ping for a connection whose message server is not in the file.
        if (!match) return std::nullopt;
        name = match->Host;
    }
    const size_t colon = name.find(L':');
    if (colon != std::wstring::npos) name.resize(colon);
    return name;
}

void GatherServerNames(const TServerSources& src, const std::wstring& saplogonIniPath,
                       const std::wstring& landscapePath, const std::function<void()>& clear,
                       const std::function<void(const std::wstring&)>& add) {
    if (src.files.FileExists(saplogonIniPath)) {
        clear();
        for (const auto& [key, value] : src.profiles.ReadSection(saplogonIniPath, L"Server")) {
            const std::wstring entry = key + L"=" + value;
            add(entry.substr(entry.find(L'=') + 1));
        }
    }
    if (src.files.FileExists(landscapePath)) {
        tyLandscape landscape;
        ReadLandscape(landscapePath, landscape, src.reader, src.ansi);
        for (const tyService& service : landscape.Services)
            if (const auto name = ServerNameOf(service, landscape.MessageServers)) add(*name);
    }
}

std::wstring GetPingStatusText(int32_t code) {
    for (const TStatusText& s : kStatusTexts)
        if (s.code == code) return s.text;
    return L"Unknow";
}

std::wstring PingServer(IPinger& pinger, const std::wstring& address, uint16_t bufferSize) {
    const std::optional<TPingReply> reply = pinger.Ping(address, bufferSize);
    if (!reply) return {};
    if (!reply->statusCode) return FormatText(L"Reply from %s: %s", {address, L"Error processing request"});
    if (*reply->statusCode == 0) {
        if (reply->responseTime > 0)
            return FormatText(L"Reply from %s: bytes=%s time=%sms TTL=%s",
                              {reply->protocolAddress, Number(reply->replySize), Number(reply->responseTime),
                               Number(reply->timeToLive)});
        return FormatText(L"Reply from %s: bytes=%s time=<1ms TTL=%s",
                          {reply->protocolAddress, Number(reply->replySize), Number(reply->timeToLive)});
    }
    return FormatText(L"Reply from %s: %s", {reply->protocolAddress, GetPingStatusText(*reply->statusCode)});
}

void PingServers(IPinger& pinger, const std::vector<std::wstring>& names,
                 const std::function<void(const std::wstring& name, const std::wstring& reply)>& addRow) {
    for (const std::wstring& name : names) addRow(name, PingServer(pinger, name, kEchoSize));
}

std::wstring PingQueryText(const std::wstring& address, uint16_t bufferSize) {
    std::wstring quoted = L"'";
    for (const wchar_t c : address) {
        if (c == L'\'') quoted += L'\'';
        quoted += c;
    }
    quoted += L'\'';
    return L"SELECT * FROM Win32_PingStatus where Address=" + quoted + L" AND BufferSize=" +
           std::to_wstring(bufferSize);
}

} // namespace orvane
