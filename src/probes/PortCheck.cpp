#include "probes/PortCheck.h"

#include "landscape/LandscapeReader.h"

namespace orvane {

namespace {

std::optional<uint16_t> PortNumber(const std::wstring& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    uint32_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - L'0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return static_cast<uint16_t>(value);
}

std::vector<std::wstring> SplitSlashes(const std::wstring& text) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t slash = text.find(L'/', start);
        parts.push_back(text.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start));
        if (slash == std::wstring::npos) return parts;
        start = slash + 1;
    }
}

bool IsLetter(const std::wstring& part, wchar_t letter) {
    return part.size() == 1 && (part[0] == letter || part[0] == letter - L'A' + L'a');
}

}  // namespace

std::optional<TTcpTarget> HostAndPort(const std::wstring& value) {
    const size_t colon = value.rfind(L':');
    if (colon == std::wstring::npos || colon == 0) return std::nullopt;
    const auto port = PortNumber(value.substr(colon + 1));
    if (!port) return std::nullopt;
    return TTcpTarget{value.substr(0, colon), *port};
}

std::optional<TTcpTarget> RouterHop(const std::wstring& routerString) {
    const std::vector<std::wstring> parts = SplitSlashes(routerString);
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        if (!IsLetter(parts[i], L'H')) continue;
        if (parts[i + 1].empty()) return std::nullopt;
        TTcpTarget hop{parts[i + 1], kDefaultRouterPort};
        // The hop's own options follow its host, up to the next hop.
        for (size_t j = i + 2; j + 1 < parts.size() && !IsLetter(parts[j], L'H'); j += 2)
            if (IsLetter(parts[j], L'S')) {
                const auto port = PortNumber(parts[j + 1]);
                if (!port) return std::nullopt;
                hop.port = *port;
                break;
            }
        return hop;
    }
    return std::nullopt;
}

std::vector<TPortSource> GatherPortSources(const TServerSources& src, const std::wstring& saplogonIniPath,
                                           const std::wstring& landscapePath) {
    std::vector<TPortSource> sources;
    if (src.files.FileExists(saplogonIniPath)) {
        // The ping lists these values whole, port included.
        for (const auto& [key, value] : src.profiles.ReadSection(saplogonIniPath, L"Server"))
            if (const auto target = HostAndPort(value)) sources.push_back({value, *target});
        for (const auto& [key, value] : src.profiles.ReadSection(saplogonIniPath, L"Router"))
            if (const auto hop = RouterHop(value)) sources.push_back({hop->host, *hop});
    }
    if (src.files.FileExists(landscapePath)) {
        tyLandscape landscape;
        ReadLandscape(landscapePath, landscape, src.reader, src.ansi);
        for (const tyService& service : landscape.Services) {
            const auto name = ServerNameOf(service, landscape.MessageServers);
            if (!name) continue;
            if (service.Mode != 0) {
                if (const auto target = HostAndPort(service.Server)) sources.push_back({*name, {*name, target->port}});
                continue;
            }
            for (const tyMessageServer& ms : landscape.MessageServers)
                if (ms.UUID == service.MSID) {
                    if (ms.Port > 0 && ms.Port <= 65535)
                        sources.push_back({*name, {*name, static_cast<uint16_t>(ms.Port)}});
                    break;
                }
        }
        for (const tyRouter& router : landscape.Routers)
            if (const auto hop = RouterHop(router.Router)) sources.push_back({hop->host, *hop});
    }
    return sources;
}

std::vector<std::optional<TTcpTarget>> PortTargetsForRows(const std::vector<std::wstring>& rows,
                                                          const std::vector<TPortSource>& sources,
                                                          const TNameCollation& collation) {
    std::vector<std::optional<TTcpTarget>> targets;
    targets.reserve(rows.size());
    for (const std::wstring& row : rows) {
        std::optional<TTcpTarget> found;
        for (const TPortSource& source : sources)
            if (collation(source.name, row) == 0) {
                found = source.target;
                break;
            }
        targets.push_back(std::move(found));
    }
    return targets;
}

std::wstring TcpOutcomeText(const TTcpResult& result) {
    switch (result.outcome) {
        case TTcpOutcome::Open:
            return L"ouvert";
        case TTcpOutcome::Refused:
            return L"refusé";
        case TTcpOutcome::TimedOut:
            return L"délai dépassé";
        case TTcpOutcome::NameUnknown:
            return L"nom inconnu";
        case TTcpOutcome::Failed:
            break;
    }
    return L"erreur " + std::to_wstring(result.error);
}

void CheckServerPorts(ITcpConnector& connector, const std::vector<std::optional<TTcpTarget>>& targets,
                      const std::function<void()>& whileWaiting,
                      const std::function<void(size_t row, const TPortCheckCells& cells)>& setCells) {
    std::vector<TTcpTarget> batch;
    std::vector<size_t> rows;
    for (size_t i = 0; i < targets.size(); ++i)
        if (targets[i]) {
            batch.push_back(*targets[i]);
            rows.push_back(i);
        }
    if (batch.empty()) return;
    const std::vector<TTcpResult> results = connector.TryConnect(batch, kPortCheckTimeoutMs, whileWaiting);
    for (size_t k = 0; k < rows.size() && k < results.size(); ++k)
        setCells(rows[k], {std::to_wstring(batch[k].port), TcpOutcomeText(results[k])});
}

}  // namespace orvane
