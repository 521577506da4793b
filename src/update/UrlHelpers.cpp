#include "update/UrlHelpers.h"

#include "core/Text.h"

namespace orvane {

namespace {

std::wstring_view AfterLast(std::wstring_view s, wchar_t c) {
    const size_t at = s.rfind(c);
    return at == std::wstring_view::npos ? s : s.substr(at + 1);
}

// The authority of a "scheme://" URL: the text up to the first "/", "\", "?" or "#".
std::wstring_view Authority(std::wstring_view url, size_t& start) {
    const size_t sep = url.find(L"://");
    start = sep == std::wstring_view::npos ? 0 : sep + 3;
    const size_t end = url.find_first_of(L"/\\?#", start);
    return url.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start);
}

std::optional<std::uint16_t> ParsePort(std::wstring_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    std::uint32_t v = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        v = v * 10 + static_cast<std::uint32_t>(c - L'0');
    }
    if (v == 0 || v > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(v);
}

}  // namespace

std::wstring FileNameOfUrl(std::wstring_view url) {
    std::wstring_view s = AfterLast(url, L'/');
    s = AfterLast(s, L'\\');
    s = AfterLast(s, L'?');
    return std::wstring(s);
}

std::wstring DomainOfUrl(std::wstring_view url) {
    std::wstring_view s = url;
    const size_t sep = s.find(L"://");
    if (sep != std::wstring_view::npos) s.remove_prefix(sep + 3);
    const size_t slash = s.find(L'/');
    if (slash != std::wstring_view::npos) s = s.substr(0, slash);
    const size_t back = s.find(L'\\');
    if (back != std::wstring_view::npos) s = s.substr(0, back);
    return std::wstring(s);
}

std::wstring ProxyUrl(std::wstring_view url, std::wstring_view user, std::wstring_view password) {
    if (user.empty() || !StartsWith(UpperCaseAscii(url.substr(0, 7)), L"HTTP://")) return std::wstring(url);
    return L"http://" + std::wstring(user) + L":" + std::wstring(password) + L"@" + std::wstring(url.substr(7));
}

std::wstring Base64Encode(std::wstring_view text) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::wstring out;
    out.reserve((text.size() + 2) / 3 * 4);
    for (size_t i = 0; i < text.size(); i += 3) {
        const size_t n = std::min<size_t>(3, text.size() - i);
        std::uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k)
            group = (group << 8) | (k < n ? (static_cast<std::uint32_t>(text[i + k]) & 0xFF) : 0);
        for (size_t k = 0; k < 4; ++k)
            out += k <= n ? static_cast<wchar_t>(kAlphabet[(group >> (18 - 6 * k)) & 0x3F]) : L'=';
    }
    return out;
}

std::wstring WithoutCredentials(std::wstring_view url) {
    size_t start = 0;
    const std::wstring_view authority = Authority(url, start);
    const size_t at = authority.rfind(L'@');
    if (at == std::wstring_view::npos) return std::wstring(url);
    return std::wstring(url.substr(0, start)) + std::wstring(url.substr(start + at + 1));
}

std::optional<TUrlOrigin> OriginOfUrl(std::wstring_view url) {
    const size_t sep = url.find(L"://");
    if (sep == std::wstring_view::npos || sep == 0) return std::nullopt;
    TUrlOrigin o;
    o.scheme = LowerCaseAscii(url.substr(0, sep));
    size_t start = 0;
    std::wstring_view hostPort = Authority(url, start);
    const size_t at = hostPort.rfind(L'@');
    if (at != std::wstring_view::npos) hostPort.remove_prefix(at + 1);
    const size_t colon = hostPort.rfind(L':');
    const size_t bracket = hostPort.rfind(L']');
    if (colon != std::wstring_view::npos && (bracket == std::wstring_view::npos || colon > bracket)) {
        const auto port = ParsePort(hostPort.substr(colon + 1));
        if (!port) return std::nullopt;
        o.port = *port;
        hostPort = hostPort.substr(0, colon);
    } else if (o.scheme == L"http") {
        o.port = 80;
    } else if (o.scheme == L"https") {
        o.port = 443;
    } else if (o.scheme == L"ftp") {
        o.port = 21;
    }
    if (hostPort.empty()) return std::nullopt;
    o.host = LowerCaseAscii(hostPort);
    return o;
}

std::optional<THttpTarget> HttpTargetOfUrl(std::wstring_view url) {
    const auto origin = OriginOfUrl(url);
    if (!origin || (origin->scheme != L"http" && origin->scheme != L"https")) return std::nullopt;
    THttpTarget t;
    t.secure = origin->scheme == L"https";
    t.host = origin->host;
    t.port = origin->port;
    size_t start = 0;
    const std::wstring_view authority = Authority(url, start);
    std::wstring_view rest = url.substr(start + authority.size());
    const size_t hash = rest.find(L'#');
    if (hash != std::wstring_view::npos) rest = rest.substr(0, hash);
    t.object = std::wstring(rest);
    if (t.object.empty() || t.object[0] != L'/') t.object.insert(0, L"/");
    return t;
}

bool IsSafeFileName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
    if (name.back() == L'.' || name.back() == L' ') return false;
    // A device name stays a device whatever extension follows it.
    std::wstring base = UpperCaseAscii(name.substr(0, name.find(L'.')));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    static constexpr std::wstring_view kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (std::wstring_view d : kDevices)
        if (base == d) return false;
    if (base.size() == 4 && (StartsWith(base, L"COM") || StartsWith(base, L"LPT")) &&
        ((base[3] >= L'0' && base[3] <= L'9') || base[3] == L'\u00B9' || base[3] == L'\u00B2' || base[3] == L'\u00B3'))
        return false;
    return true;
}

}  // namespace orvane
