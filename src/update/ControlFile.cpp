#include "update/ControlFile.h"

#include "core/Text.h"

namespace orvane {

namespace {

bool IsBlank(wchar_t c) {
    return c <= L' ';
}

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A dangling last byte of a UTF-16 file carries no character.
std::string_view EvenBytes(std::string_view bytes) { return bytes.substr(0, bytes.size() & ~size_t{1}); }

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

std::wstring DecodeControlText(std::string_view bytes, const IAnsiCodePage& ansi) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return FromUtf8(bytes.substr(3));
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") return DecodeUtf16(EvenBytes(bytes.substr(2)), false);
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") return DecodeUtf16(EvenBytes(bytes.substr(2)), true);
    return ansi.Decode(bytes);
}

std::vector<std::wstring> DecodeTextLines(std::string_view bytes, const IAnsiCodePage& ansi) {
    const std::wstring text = DecodeControlText(bytes, ansi);
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r' && text[i] != L'\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::optional<std::int32_t> ParseControlInteger(std::wstring_view text) {
    if (text.empty()) return std::nullopt;
    std::wstring_view digits;
    if (text.size() > 2 && text[0] == L'$')
        digits = text.substr(1);
    else if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
        digits = text.substr(2);
    if (!digits.empty()) {
        // Up to 32 bits; the top bit gives a negative value, as the file's signed checksums expect.
        std::uint64_t value = 0;
        for (wchar_t c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            value = value * 16 + static_cast<unsigned>(d);
            if (value > 0xFFFFFFFFull) return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    bool negative = false;
    size_t i = 0;
    if (text[0] == L'-' || text[0] == L'+') {
        negative = text[0] == L'-';
        i = 1;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        value = value * 10 + (text[i] - L'0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

TControlFile TControlFile::FromBytes(std::string_view bytes, const IAnsiCodePage& ansi) {
    return FromText(DecodeControlText(bytes, ansi));
}

TControlFile TControlFile::FromText(std::wstring_view text) {
    TControlFile file;
    Section* current = nullptr;  // null before the first section and inside a repeated one
    bool inSection = false;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        if (end == std::wstring_view::npos) end = text.size();
        const std::wstring_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (end < text.size() && text[end] == L'\r' && pos < text.size() && text[pos] == L'\n') ++pos;

        if (line.empty() || line.front() == L';') continue;
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            const std::wstring name(Trim(line.substr(1, line.size() - 2)));
            inSection = true;
            if (file.index_.emplace(UpperCaseAscii(name), file.sections_.size()).second) {
                file.sections_.push_back({name, {}, {}});
                current = &file.sections_.back();
            } else {
                current = nullptr;
            }
            continue;
        }
        if (!inSection || !current) continue;
        const size_t eq = line.find(L'=');
        if (eq == std::wstring_view::npos) continue;
        const std::wstring_view key = Trim(line.substr(0, eq));
        if (current->index.emplace(UpperCaseAscii(key), current->keys.size()).second)
            current->keys.push_back({std::wstring(key), std::wstring(Trim(line.substr(eq + 1)))});
    }
    return file;
}

const TControlFile::Section* TControlFile::FindSection(std::wstring_view name) const {
    const auto it = index_.find(UpperCaseAscii(name));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

bool TControlFile::HasSection(std::wstring_view section) const {
    return FindSection(section) != nullptr;
}

std::optional<std::wstring> TControlFile::Find(std::wstring_view section, std::wstring_view key) const {
    const Section* s = FindSection(section);
    if (!s) return std::nullopt;
    const auto it = s->index.find(UpperCaseAscii(key));
    if (it == s->index.end()) return std::nullopt;
    return s->keys[it->second].value;
}

std::wstring TControlFile::ReadString(std::wstring_view section, std::wstring_view key,
                                      const std::wstring& fallback) const {
    return Find(section, key).value_or(fallback);
}

std::int32_t TControlFile::ReadInteger(std::wstring_view section, std::wstring_view key, std::int32_t fallback) const {
    const auto value = Find(section, key);
    if (!value) return fallback;
    return ParseControlInteger(*value).value_or(fallback);
}

bool TControlFile::ReadFlag(std::wstring_view section, std::wstring_view key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) == 1;
}

TControlFileValues::File ReadFileSection(const TControlFile& f, std::int32_t number) {
    const std::wstring s = L"file" + std::to_wstring(number);
    TControlFileValues::File e;
    e.url = f.ReadString(s, L"url");
    e.localversion = f.ReadString(s, L"localversion");
    e.newversion = f.ReadString(s, L"newversion");
    e.newsize = f.ReadInteger(s, L"newsize", 0);
    e.newchecksum = f.ReadInteger(s, L"newchecksum", -1);
    e.customversion = f.ReadString(s, L"customversion");
    e.date = f.ReadString(s, L"date");
    e.time = f.ReadString(s, L"time");
    e.descr = f.ReadString(s, L"descr");
    e.targetdir = f.ReadString(s, L"targetdir");
    e.compressed = f.ReadFlag(s, L"compressed", false);
    e.filesize = f.ReadInteger(s, L"filesize", 0);
    e.mandatory = f.ReadFlag(s, L"mandatory", false);
    e.preselect = f.ReadFlag(s, L"preselect", true);
    e.hidden = f.ReadFlag(s, L"hidden", false);
    e.sha256 = f.ReadString(s, L"sha256");
    return e;
}

TControlFileValues ReadControlFileValues(const TControlFile& f, const std::wstring& languageID) {
    TControlFileValues v;
    auto& u = v.update;
    u.signature = f.ReadString(L"update", L"signature");
    u.descr = f.ReadString(L"update", L"descr");
    u.date = f.ReadString(L"update", L"date");
    u.time = f.ReadString(L"update", L"time");
    u.localversion = f.ReadString(L"update", L"localversion");
    u.unconditional = f.ReadString(L"update", L"unconditional");
    u.newversion = f.ReadString(L"update", L"newversion");
    u.newsize = f.ReadInteger(L"update", L"newsize", 0);
    u.newchecksum = f.ReadInteger(L"update", L"newchecksum", -1);

    auto& a = v.application;
    a.appupdate = f.ReadFlag(L"application", L"appupdate", false);
    a.appname = f.ReadString(L"application", L"appname");
    a.appparam = f.ReadString(L"application", L"appparam");
    a.appcomps = f.ReadString(L"application", L"appcomps");
    a.silentrestart = f.ReadFlag(L"application", L"silentrestart", false);

    auto& act = v.action;
    act.msg = f.ReadString(L"action", L"msg");
    act.htmldlg = f.ReadString(L"action", L"htmldlg");
    act.runbefore = f.ReadString(L"action", L"runbefore");
    act.runbeforeparam = f.ReadString(L"action", L"runbeforeparam");
    act.showURL = f.ReadString(L"action", L"showURL");
    act.query = f.ReadString(L"action", L"query");
    act.updateURL = f.ReadString(L"action", L"updateURL");
    act.runafter = f.ReadString(L"action", L"runafter");
    act.runafterparam = f.ReadString(L"action", L"runafterparam");

    auto& c = v.custom;
    c.validatemsg = f.ReadString(L"custom", L"validatemsg");
    c.validateparam = f.ReadString(L"custom", L"validateparam");
    c.processmsg = f.ReadString(L"custom", L"processmsg");
    c.processparam = f.ReadString(L"custom", L"processparam");

    // Only the file addresses follow the language; the dialog texts always come from the plain sections.
    v.languageID = languageID;
    v.whatsnew.file = f.ReadString(L"whatsnew" + languageID, L"file");
    v.whatsnew.caption = f.ReadString(L"whatsnew", L"caption");
    v.whatsnew.okbtn = f.ReadString(L"whatsnew", L"okbtn", L"Ok");
    v.whatsnew.cancelbtn = f.ReadString(L"whatsnew", L"cancelbtn", L"Cancel");
    v.eula.file = f.ReadString(L"eula" + languageID, L"file");
    v.eula.caption = f.ReadString(L"eula", L"caption");
    v.eula.okbtn = f.ReadString(L"eula", L"okbtn", L"Ok");
    v.eula.accept = f.ReadString(L"eula", L"accept", L"I accept");
    v.eula.notaccept = f.ReadString(L"eula", L"notaccept", L"I do not accept");

    v.count = f.ReadInteger(L"files", L"count", 0);
    const std::int32_t entries = v.count > kMaxControlFileEntries ? kMaxControlFileEntries : v.count;
    for (std::int32_t i = 1; i <= entries; ++i) v.files.push_back(ReadFileSection(f, i));
    return v;
}

}  // namespace orvane
