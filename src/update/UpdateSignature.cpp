#include "update/UpdateSignature.h"

#include <algorithm>
#include <cstdint>

#include "core/Text.h"
#include "update/Versions.h"

namespace orvane {

namespace {

// One DER element: its tag, and its content within the whole input. Lengths must be minimal.
struct TDerReader {
    std::string_view in;
    size_t at = 0;

    std::optional<std::string_view> Next(std::uint8_t tag) {
        if (at + 2 > in.size() || static_cast<std::uint8_t>(in[at]) != tag) return std::nullopt;
        size_t pos = at + 1;
        size_t length = static_cast<std::uint8_t>(in[pos++]);
        if (length & 0x80) {
            const size_t bytes = length & 0x7F;
            // Indefinite lengths and lengths beyond any signature's size are not DER here.
            if (bytes == 0 || bytes > 2 || pos + bytes > in.size()) return std::nullopt;
            length = 0;
            for (size_t i = 0; i < bytes; ++i) length = (length << 8) | static_cast<std::uint8_t>(in[pos++]);
            // The long form is only for lengths the short one cannot hold, without leading zero bytes.
            if (length < 0x80 || (bytes == 2 && length < 0x100)) return std::nullopt;
        }
        if (length > in.size() - pos) return std::nullopt;
        at = pos + length;
        return in.substr(pos, length);
    }
    bool AtEnd() const { return at == in.size(); }
};

// A positive INTEGER's content, right-aligned into 32 bytes.
bool ReadScalar(std::string_view content, std::uint8_t* out) {
    if (content.empty()) return false;
    const auto first = static_cast<std::uint8_t>(content[0]);
    if (first & 0x80) return false;  // negative
    if (first == 0) {
        // A zero byte only pads a value whose next byte has its high bit set.
        if (content.size() == 1) return false;  // zero is no signature value
        if (!(static_cast<std::uint8_t>(content[1]) & 0x80)) return false;
        content.remove_prefix(1);
    }
    if (content.size() > 32) return false;
    std::fill(out, out + 32, 0);
    std::copy(content.begin(), content.end(), out + (32 - content.size()));
    return true;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::optional<std::string> Base64Decode(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        digits += c;
    }
    if (digits.empty() || digits.size() % 4 != 0) return std::nullopt;
    size_t pad = 0;
    while (pad < 2 && digits[digits.size() - 1 - pad] == '=') ++pad;
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    for (size_t i = 0; i < digits.size() - pad; ++i) {
        const int v = Base64Value(digits[i]);
        if (v < 0) return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(v);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16);
            out += static_cast<char>(bits >> 8);
            out += static_cast<char>(bits);
            bits = 0;
            count = 0;
        }
    }
    if (count == 3) {
        out += static_cast<char>(bits >> 10);
        out += static_cast<char>(bits >> 2);
    } else if (count == 2) {
        out += static_cast<char>(bits >> 4);
    }
    return out;
}

// SubjectPublicKeyInfo { { id-ecPublicKey, prime256v1 }, BIT STRING 00 04 ... }: DER leaves one
// encoding, so everything before the point is fixed.
constexpr std::uint8_t kP256SpkiPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48,
                                            0xCE, 0x3D, 0x02, 0x01, 0x06, 0x08, 0x2A, 0x86, 0x48,
                                            0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// The four 16-bit parts as one number, for ordering.
std::uint64_t Ordered(const tfvi& v) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(v.versionms)) << 32) |
           static_cast<std::uint32_t>(v.versionls);
}

}  // namespace

std::optional<TP256Signature> DerSignatureToRS(std::string_view der) {
    TDerReader outer{der};
    const auto sequence = outer.Next(0x30);
    if (!sequence || !outer.AtEnd()) return std::nullopt;
    TDerReader inner{*sequence};
    const auto r = inner.Next(0x02);
    if (!r) return std::nullopt;
    const auto s = inner.Next(0x02);
    if (!s || !inner.AtEnd()) return std::nullopt;
    TP256Signature rs{};
    if (!ReadScalar(*r, rs.data()) || !ReadScalar(*s, rs.data() + 32)) return std::nullopt;
    return rs;
}

std::string RsToDerSignature(const TP256Signature& rs) {
    std::string body;
    for (size_t half = 0; half < 2; ++half) {
        const auto* n = rs.data() + 32 * half;
        size_t start = 0;
        while (start < 31 && n[start] == 0) ++start;
        std::string content(reinterpret_cast<const char*>(n) + start, 32 - start);
        if (static_cast<std::uint8_t>(content[0]) & 0x80) content.insert(content.begin(), '\0');
        body += '\x02';
        body += static_cast<char>(content.size());
        body += content;
    }
    return std::string(1, '\x30') + static_cast<char>(body.size()) + body;
}

std::optional<TP256Point> ParsePublicKeyPem(std::string_view pem) {
    constexpr std::string_view begin = "-----BEGIN PUBLIC KEY-----";
    constexpr std::string_view end = "-----END PUBLIC KEY-----";
    const size_t b = pem.find(begin);
    if (b == std::string_view::npos) return std::nullopt;
    const size_t body = b + begin.size();
    const size_t e = pem.find(end, body);
    if (e == std::string_view::npos) return std::nullopt;
    const auto der = Base64Decode(pem.substr(body, e - body));
    if (!der || der->size() != sizeof kP256SpkiPrefix + 64) return std::nullopt;
    if (!std::equal(std::begin(kP256SpkiPrefix), std::end(kP256SpkiPrefix), der->begin(),
                    [](std::uint8_t a, char c) { return a == static_cast<std::uint8_t>(c); }))
        return std::nullopt;
    TP256Point point{};
    std::copy(der->begin() + sizeof kP256SpkiPrefix, der->end(), point.begin());
    return point;
}

std::optional<TSha256> ParseSha256Hex(std::wstring_view text) {
    if (text.size() != 64) return std::nullopt;
    TSha256 digest{};
    for (size_t i = 0; i < 32; ++i) {
        const int hi = HexValue(text[2 * i]), lo = HexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        digest[i] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    return digest;
}

std::string Sha256Hex(const TSha256& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const std::uint8_t b : digest) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::optional<std::string> Sha256FileHex(const ICrypto& crypto, const std::wstring& path) {
    const auto digest = crypto.Sha256File(path);
    if (!digest) return std::nullopt;
    return Sha256Hex(*digest);
}

const wchar_t* SignatureVerdictText(TSignatureVerdict verdict) {
    switch (verdict) {
        case TSignatureVerdict::Valid:
            return L"valid";
        case TSignatureVerdict::NoSignature:
            return L"no signature";
        case TSignatureVerdict::MalformedSignature:
            return L"malformed signature";
        case TSignatureVerdict::NoUsableKey:
            return L"no usable key";
        case TSignatureVerdict::Invalid:
            return L"signature does not match";
    }
    return L"";
}

TSignatureVerdict VerifyDetachedSignature(const ICrypto* crypto, const std::vector<std::string>& keys,
                                          const std::string& data, const std::optional<std::string>& der) {
    if (!der) return TSignatureVerdict::NoSignature;
    const auto rs = DerSignatureToRS(*der);
    if (!rs) return TSignatureVerdict::MalformedSignature;
    bool anyKey = false;
    for (const std::string& pem : keys) {
        const auto point = ParsePublicKeyPem(pem);
        if (!point || !crypto) continue;
        anyKey = true;
        if (crypto->VerifyP256(*point, data, *rs) == 0) return TSignatureVerdict::Valid;
    }
    return anyKey ? TSignatureVerdict::Invalid : TSignatureVerdict::NoUsableKey;
}

TControlFileTrust DecideControlFileTrust(bool keysTrusted, TSignatureVerdict signature,
                                         std::wstring_view offeredVersion, std::wstring_view ownVersion) {
    if (!keysTrusted) return TControlFileTrust::Accept;
    if (signature != TSignatureVerdict::Valid) return TControlFileTrust::RefuseSignature;
    // A release that names no version could be any older one, signed long ago: it is not taken.
    const tfvi offered = VersionFromText(offeredVersion);
    if (offered.versionms == -1 || offered.versionls == -1) return TControlFileTrust::RefuseNoVersion;
    const tfvi own = VersionFromText(ownVersion);
    if (own.versionms == -1 || own.versionls == -1) return TControlFileTrust::RefuseOwnUnknown;
    return Ordered(offered) < Ordered(own) ? TControlFileTrust::RefuseOlder : TControlFileTrust::Accept;
}

std::string BuildUpdatePublicKey() {
    static const char kKey[] =
#include "update/BuildKey.inc"
        ;
    return kKey;
}

std::vector<std::string> TrustedUpdateKeys(const std::string& buildKey, const IRegistry& registry,
                                           const std::function<void(const std::wstring&)>& log) {
    std::vector<std::string> keys;
    if (buildKey.find_first_not_of(" \t\r\n") != std::string::npos) {
        // Kept even when unreadable: updates then fail closed instead of going unsigned.
        if (!ParsePublicKeyPem(buildKey) && log) log(L"Build update key cannot be read");
        keys.push_back(buildKey);
    }
    const auto policy = registry.ReadMultiText(RegHive::LocalMachine, kUpdatePolicyKey, kUpdatePublicKeysValue);
    if (!policy) return keys;
    for (size_t i = 0; i < policy->size(); ++i) {
        const std::string pem = ToUtf8((*policy)[i]);
        if (ParsePublicKeyPem(pem)) {
            keys.push_back(pem);
        } else if (log) {
            log(L"Policy update key " + std::to_wstring(i + 1) + L" skipped: not a P-256 public key");
        }
    }
    return keys;
}

std::vector<std::string> TrustedUpdateKeys(const IRegistry& registry,
                                           const std::function<void(const std::wstring&)>& log) {
    return TrustedUpdateKeys(BuildUpdatePublicKey(), registry, log);
}

}  // namespace orvane
