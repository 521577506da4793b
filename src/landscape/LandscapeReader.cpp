#include "landscape/LandscapeReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "core/Error.h"
#include "core/Text.h"

// The scan works on the joined bytes, before widening: every character it looks for ("<", ">",
// "=", the double quote, "/", blanks) is a single byte in every ANSI code page and never the
// second byte of a double-byte character, so the cuts fall where they would in the widened text.
// Only the values that are stored get decoded, which keeps large files fast. Every search starts
// at the cursor and the cursor only moves forward, so the whole scan is linear.

namespace orvane {

namespace {

constexpr size_t npos = std::string_view::npos;

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// KEYWORD is lower case ASCII.
bool SameName(std::string_view name, std::string_view keyword) {
    if (name.size() != keyword.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (AsciiLower(name[i]) != keyword[i]) return false;
    return true;
}

// The values of one element, decoded on demand.
class TValues {
public:
    explicit TValues(const IAnsiCodePage& ansi) : ansi_(ansi) {}

    // Every ANSI code page agrees with ASCII below 0x80, so plain ASCII values (nearly all of
    // them) are widened directly.
    std::wstring Text(std::string_view v) const {
        unsigned char high = 0;
        for (const char c : v) high |= static_cast<unsigned char>(c);
        if (high < 0x80) return std::wstring(v.begin(), v.end());
        return ansi_.Decode(v);
    }

    // The standard text-to-integer conversion: leading spaces, a sign, then decimal digits or hex
    // digits after "$", "x" or "0x"; the whole text must be used.
    int32_t Integer(std::string_view v) const {
        size_t i = 0;
        while (i < v.size() && v[i] == ' ') ++i;
        bool negative = false;
        if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
        bool hex = false;
        if (i < v.size() && (v[i] == '$' || v[i] == 'x' || v[i] == 'X')) {
            hex = true;
            ++i;
        } else if (i + 1 < v.size() && v[i] == '0' && (v[i + 1] == 'x' || v[i + 1] == 'X')) {
            hex = true;
            i += 2;
        }
        if (i == v.size()) Fail(v);
        uint64_t value = 0;
        for (; i < v.size(); ++i) {
            const char c = v[i];
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                Fail(v);
            value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
            // Hex may use all 32 bits (wrapping to negative); decimal must fit the signed range.
            if (value > (hex ? 0xFFFFFFFFull : negative ? 0x80000000ull : 0x7FFFFFFFull)) Fail(v);
        }
        const auto bits = static_cast<uint32_t>(value);
        return static_cast<int32_t>(negative ? 0u - bits : bits);
    }

    static bool Boolean(std::string_view v) { return v == "1"; }

private:
    [[noreturn]] void Fail(std::string_view v) const {
        throw AppError(FormatText(L"'%s' n'est pas une valeur entière correcte", {ansi_.Decode(v)}));
    }

    const IAnsiCodePage& ansi_;
};

template <class R>
struct TAttribute {
    std::string_view key;
    void (*store)(R& r, std::string_view value, const TValues& values);
};

#define ORV_TEXT(key, F)                                                                           \
    {                                                                                              \
        key, [](auto& r, std::string_view v, const TValues& c) { r.F = c.Text(v), r._##F = true; } \
    }
#define ORV_INT(key, F)                                                                               \
    {                                                                                                 \
        key, [](auto& r, std::string_view v, const TValues& c) { r.F = c.Integer(v), r._##F = true; } \
    }
#define ORV_BYTE(key, F, T)                                                                 \
    {                                                                                       \
        key, [](auto& r, std::string_view v, const TValues& c) {                            \
            r.F = static_cast<T>(static_cast<uint8_t>(c.Integer(v) & 0xFF)), r._##F = true; \
        }                                                                                   \
    }
#define ORV_BOOL(key, F)                                                                                   \
    {                                                                                                      \
        key, [](auto& r, std::string_view v, const TValues&) { r.F = TValues::Boolean(v), r._##F = true; } \
    }
#define ORV_KEYWORD(key, F, Conv)                                                                        \
    {                                                                                                    \
        key, [](auto& r, std::string_view v, const TValues& c) { r.F = Conv(c.Text(v)), r._##F = true; } \
    }

const TAttribute<tyLandscape> kLandscapeAttributes[] = {
    ORV_TEXT("generator", Generator), ORV_TEXT("localization", Localization),
    ORV_TEXT("origin", Origin),       ORV_TEXT("updated", Updated),
    ORV_INT("version", Version),
};

const TAttribute<tyParameter> kParameterAttributes[] = {ORV_TEXT("key", Key), ORV_TEXT("value", Value)};

const TAttribute<tyMessageServer> kMessageServerAttributes[] = {
    ORV_TEXT("uuid", UUID),
    ORV_TEXT("name", Name),
    ORV_TEXT("host", Host),
    ORV_INT("port", Port),
    ORV_TEXT("description", Description),
    ORV_TEXT("routerid", RouterID),
    ORV_TEXT("ldapid", LdapID),
    ORV_INT("http_port", HttpPort),
};

const TAttribute<tyRouter> kRouterAttributes[] = {
    ORV_TEXT("uuid", UUID),
    ORV_TEXT("name", Name),
    ORV_TEXT("router", Router),
    ORV_TEXT("description", Description),
};

const TAttribute<tyInclude> kIncludeAttributes[] = {
    ORV_TEXT("url", URL),
    ORV_INT("index", Index),
    ORV_TEXT("name", Name),
    ORV_TEXT("description", Description),
};

const TAttribute<tyService> kServiceAttributes[] = {
    ORV_KEYWORD("canvasapptype", CanvasAppType, CanvasAppTypeFromText),
    ORV_TEXT("cencoding", CEncoding),
    ORV_INT("client", Client),
    ORV_TEXT("client_type", ClientType),
    ORV_TEXT("clocale", CLocale),
    ORV_TEXT("cmd", Cmd),
    ORV_TEXT("cmd_type", CmdType),
    ORV_TEXT("conid", ConID),
    ORV_INT("dcpg", DCpg),
    ORV_INT("def", Def),
    ORV_TEXT("description", Description),
    ORV_TEXT("encoding", Encoding),
    ORV_BOOL("expert", Expert),
    ORV_TEXT("guiparam", GUIparam),
    ORV_TEXT("hostspec", HostSpec),
    ORV_TEXT("language", Language),
    ORV_TEXT("link", Link),
    ORV_TEXT("mnemonic", Mnemonic),
    ORV_BYTE("mode", Mode, tyModeType),
    ORV_TEXT("msid", MSID),
    ORV_TEXT("name", Name),
    ORV_TEXT("parameters", Parameters),
    ORV_TEXT("protocol", Protocol),
    ORV_BOOL("reuse", Reuse),
    ORV_TEXT("rfcid", RFCID),
    ORV_TEXT("routerid", RouterID),
    ORV_INT("sapcpg", SAPcpg),
    ORV_TEXT("sapguiid", SAPGuiID),
    ORV_BOOL("shortcut", Shortcut),
    ORV_TEXT("server", Server),
    ORV_BOOL("slc", SLC),
    ORV_TEXT("sncname", SNCname),
    ORV_BOOL("sncnosso", SNCnoSSO),
    ORV_BYTE("sncop", SNCop, tySNCOp),
    ORV_TEXT("sso2", SSO2),
    ORV_TEXT("systemid", SystemID),
    ORV_INT("trace", Trace),
    ORV_TEXT("transaction", Transaction),
    ORV_KEYWORD("type", ServiceType, ServiceTypeFromText),
    ORV_BOOL("uncoff", UNCoff),
    ORV_TEXT("url", URL),
    ORV_TEXT("user", User),
    ORV_TEXT("uuid", UUID),
    ORV_BOOL("wan", Wan),
    ORV_TEXT("winmax", WinMax),
    ORV_TEXT("work_dir", WorkDir),
    ORV_BOOL("wp", WP),
};

#undef ORV_TEXT
#undef ORV_INT
#undef ORV_BYTE
#undef ORV_BOOL
#undef ORV_KEYWORD

// The entry of TABLE for NAME (compared without regard to case), or null. Entries are grouped by
// key length, which leaves a handful of candidates for each name.
template <class R, size_t N>
const TAttribute<R>* Find(const TAttribute<R> (&table)[N], std::string_view name) {
    constexpr size_t kLongest = 16;
    static const auto byLength = [&table] {
        std::array<std::vector<const TAttribute<R>*>, kLongest + 1> groups;
        for (const TAttribute<R>& a : table) groups[a.key.size()].push_back(&a);
        return groups;
    }();
    if (name.size() > kLongest) return nullptr;
    for (const TAttribute<R>* a : byLength[name.size()])
        if (SameName(name, a->key)) return a;
    return nullptr;
}

// Reads the attributes of one element: name, "=", value in double quotes. Names not in TABLE are
// ignored. Values are neither trimmed nor decoded.
template <class R, size_t N>
void ScanAttributes(std::string_view s, R& record, const TAttribute<R> (&table)[N], const TValues& values) {
    s = Trim(s);
    size_t i = 0;
    // Once no double quote is left, later values need not look for one again.
    bool quotesLeft = true;
    while (i < s.size()) {
        const size_t eq = s.find('=', i);
        // Without "=" no later name can be read: the rest holds nothing to store (this also ends
        // attributes without a value and single-quoted values, which would otherwise never move on).
        if (eq == npos) return;
        const std::string_view name = Trim(s.substr(i, eq - i));
        i = eq + 1;
        while (i < s.size() && IsBlank(s[i])) ++i;
        if (i < s.size() && s[i] == '"') ++i;
        const size_t quote = quotesLeft ? s.find('"', i) : npos;
        quotesLeft = quote != npos;
        // Without a closing quote the value is empty and nothing is consumed.
        std::string_view value;
        if (quote != npos) {
            value = s.substr(i, quote - i);
            i = quote + 1;
            while (i < s.size() && IsBlank(s[i])) ++i;
        }
        if (s.size() - i == 1 && s[i] == '/') i = s.size();
        if (const TAttribute<R>* a = Find(table, name)) a->store(record, value, values);
    }
}

struct TTag {
    std::string_view tag;   // without the angle brackets
    std::string_view name;  // as written; compared without regard to case

    std::string_view Attributes() const { return Trim(tag.substr(name.size())); }
    bool Is(std::string_view upper) const {
        if (name.size() != upper.size()) return false;
        for (size_t i = 0; i < name.size(); ++i)
            if (AsciiLower(name[i]) != AsciiLower(upper[i])) return false;
        return true;
    }
};

class TScanner {
public:
    TScanner(std::string_view text, tyLandscape& landscape, const IAnsiCodePage& ansi)
        : text_(Trim(text)), landscape_(landscape), values_(ansi) {}

    void Run() {
        ReserveServices();
        // A tag looked ahead is dispatched even when it was the last one, so nothing is lost at
        // the end of the file.
        while (pending_ || pos_ < text_.size()) {
            TTag tag;
            if (pending_) {
                tag = lookAhead_;
                pending_ = false;
            } else if (!TakeTag(tag)) {
                return;  // no ">" left: the rest holds no more tags
            }
            Dispatch(tag);
            while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
        }
    }

private:
    // Service records are large; growing the array by doubling would write most of them twice.
    // "<S" bounds the number of Service tags well enough in real files; real Service tags take a
    // few hundred bytes, so a file full of "<s" reserves no more than a few times its size.
    void ReserveServices() {
        size_t count = 0;
        for (size_t at = text_.find('<'); at != npos && at + 1 < text_.size(); at = text_.find('<', at + 1))
            count += (text_[at + 1] | 0x20) == 's';
        landscape_.Services.reserve(landscape_.Services.size() + std::min(count, text_.size() / 256));
    }

    // The text from the first "<" to the first ">"; the cursor moves past that ">". Text before a
    // ">" with no "<" ahead of it gives an empty tag. False, with nothing taken, when no ">" is left.
    bool TakeTag(TTag& t) {
        const size_t close = text_.find('>', pos_);
        if (close == npos) return false;
        const void* open = std::memchr(text_.data() + pos_, '<', close - pos_);
        pos_ = close + 1;
        t = TTag{};
        if (!open) return true;
        const size_t from = static_cast<const char*>(open) - text_.data() + 1;
        t.tag = text_.substr(from, close - from);
        const size_t space = t.tag.find(' ');
        t.name = space == npos ? t.tag : Trim(t.tag.substr(0, space));
        return true;
    }

    void Dispatch(const TTag& tag) {
        if (tag.Is("SERVICE")) {
            Service(tag);
        } else if (tag.Is("MESSAGESERVER")) {
            Append(landscape_.MessageServers, tag, kMessageServerAttributes);
        } else if (tag.Is("ROUTER")) {
            Append(landscape_.Routers, tag, kRouterAttributes);
        } else if (tag.Is("INCLUDE")) {
            Append(landscape_.Includes, tag, kIncludeAttributes);
        } else if (tag.Is("CONFIGURATION")) {
            Append(landscape_.Configuration, tag, kParameterAttributes);
        } else if (tag.Is("LANDSCAPE")) {
            ScanAttributes(tag.Attributes(), landscape_, kLandscapeAttributes, values_);
        }
    }

    // Fills the new entry in place (records are large); an entry whose attributes fail to convert
    // is taken back out, so only whole entries are ever appended.
    template <class R, size_t N>
    R& Append(std::vector<R>& to, const TTag& tag, const TAttribute<R> (&table)[N]) {
        R& record = to.emplace_back();
        try {
            ScanAttributes(tag.Attributes(), record, table, values_);
        } catch (...) {
            to.pop_back();
            throw;
        }
        return record;
    }

    void Service(const TTag& tag) {
        std::string_view memo;
        if (tag.tag.empty() || tag.tag.back() != '/') {
            TTag next;
            if (TakeTag(next)) {
                // A self-closed Memo holds nothing, blanks before or after its slash included;
                // reading up to the next "</" would swallow the elements after it.
                const std::string_view nextTag = Trim(next.tag);
                if (next.Is("MEMO") && (nextTag.empty() || nextTag.back() != '/')) {
                    memo = TakeMemo();
                } else {
                    // Not followed by a Memo (<Service ...></Service>): the entry is still kept,
                    // with an empty memo, and the tag looked at is dispatched next.
                    lookAhead_ = next;
                    pending_ = true;
                }
            }
        }
        tyService& service = Append(landscape_.Services, tag, kServiceAttributes);
        if (!Trim(memo).empty()) {
            service.Memo = values_.Text(memo);
            service._Memo = true;
        }
    }

    // The text up to the next "</", which then starts the rest; empty when there is none.
    std::string_view TakeMemo() {
        if (!closeKnown_ || (closeTag_ != npos && closeTag_ < pos_)) {
            closeTag_ = text_.find("</", pos_);
            closeKnown_ = true;
        }
        if (closeTag_ == npos) return {};
        const std::string_view memo = text_.substr(pos_, closeTag_ - pos_);
        pos_ = closeTag_;
        return memo;
    }

    std::string_view text_;
    size_t pos_ = 0;
    TTag lookAhead_;
    bool pending_ = false;
    size_t closeTag_ = 0;
    bool closeKnown_ = false;
    tyLandscape& landscape_;
    TValues values_;
};

// Joins in place: the write position never passes the read position.
void JoinLinesInPlace(std::string& bytes) {
    char* const base = bytes.data();
    const char* p = base;
    const char* const end = base + bytes.size();
    char* out = base;
    while (p < end) {
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* lineEnd = lf ? lf : end;
        const auto* cr = static_cast<const char*>(std::memchr(p, '\r', lineEnd - p));
        const char* keepEnd = cr ? cr : lineEnd;
        if (out != p) std::memmove(out, p, keepEnd - p);
        out += keepEnd - p;
        if (!lf) break;  // a lone CR drops the rest up to an LF that never comes
        p = lf + 1;
    }
    bytes.resize(out - base);
}

} // namespace

std::string JoinLandscapeLines(std::string_view bytes) {
    std::string joined(bytes);
    JoinLinesInPlace(joined);
    return joined;
}

void ReadLandscapeBytes(std::string_view bytes, tyLandscape& landscape, const IAnsiCodePage& ansi) {
    std::string text(bytes);
    JoinLinesInPlace(text);
    TScanner(text, landscape, ansi).Run();
}

void ReadLandscape(const std::wstring& path, tyLandscape& landscape, const ITextFileReader& files,
                   const IAnsiCodePage& ansi) {
    std::string text = files.ReadAll(path);
    JoinLinesInPlace(text);
    TScanner(text, landscape, ansi).Run();
}

} // namespace orvane
