#include "update/Versions.h"

#include <cwctype>
#include <optional>

namespace orvane {

namespace {

struct TNumber {
    std::uint32_t value = 0;
    bool malformed = false;
};

// As the platform's integer conversion reads: blanks, one sign, "$" or "0x" for hexadecimal, then digits
// until the first character that does not belong. A part above 16 bits is malformed as well.
TNumber ReadNumber(std::wstring_view t) {
    TNumber n;
    size_t i = 0;
    while (i < t.size() && t[i] == L' ') ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) negative = t[i++] == L'-';
    unsigned base = 10;
    if (i < t.size() && t[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == L'0' && (t[i + 1] == L'x' || t[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    std::uint64_t v = 0;
    size_t digits = 0;
    for (; i < t.size(); ++i, ++digits) {
        const wchar_t c = t[i];
        unsigned d;
        if (c >= L'0' && c <= L'9')
            d = static_cast<unsigned>(c - L'0');
        else if (base == 16 && c >= L'a' && c <= L'f')
            d = static_cast<unsigned>(c - L'a' + 10);
        else if (base == 16 && c >= L'A' && c <= L'F')
            d = static_cast<unsigned>(c - L'A' + 10);
        else
            break;
        v = v * base + d;
        if (v > 0xFFFFFFFFull) n.malformed = true;
        v &= 0xFFFFFFFFull;
    }
    if (digits == 0 || i != t.size() || v > 0xFFFF) n.malformed = true;
    n.value = static_cast<std::uint32_t>(negative ? 0 - v : v);
    return n;
}

std::int32_t Pack(std::uint32_t high, std::uint32_t low) {
    return static_cast<std::int32_t>(((high & 0xFFFFu) << 16) | (low & 0xFFFFu));
}

}  // namespace

TVersionReading ReadVersionText(std::wstring_view text) {
    TVersionReading r;
    wchar_t sep = 0;
    if (text.find(L'.') != std::wstring_view::npos) sep = L'.';
    if (text.find(L',') != std::wstring_view::npos) sep = L',';
    if (sep == 0) {
        const TNumber a = ReadNumber(text);
        r.malformed = a.malformed;
        if (!a.malformed) r.version = {Pack(a.value, 0), 0};
        return r;
    }
    auto take = [&text, sep]() {
        const size_t at = text.find(sep);
        const TNumber n = ReadNumber(text.substr(0, at));
        text.remove_prefix(at + 1);
        return n;
    };
    const TNumber a = take();
    r.malformed = a.malformed;
    if (text.find(sep) == std::wstring_view::npos || a.malformed) {
        const TNumber b = ReadNumber(text);
        r.malformed |= b.malformed;
        r.version = {Pack(a.value, b.value), 0};
        return r;
    }
    const TNumber b = take();
    r.malformed |= b.malformed;
    r.version.versionms = Pack(a.value, b.value);
    if (text.find(sep) == std::wstring_view::npos || b.malformed) {
        const TNumber c = ReadNumber(text);
        r.malformed |= c.malformed;
        r.version.versionls = Pack(c.value, 0);
        return r;
    }
    const TNumber c = take();
    const TNumber d = ReadNumber(text);
    r.malformed |= c.malformed || d.malformed;
    if (!d.malformed) r.version.versionls = Pack(c.value, d.value);
    return r;
}

tfvi VersionFromText(std::wstring_view text) {
    return ReadVersionText(text).version;
}

std::wstring VersionToText(const tfvi& v) {
    const auto ms = static_cast<std::uint32_t>(v.versionms), ls = static_cast<std::uint32_t>(v.versionls);
    return std::to_wstring(ms >> 16) + L'.' + std::to_wstring(ms & 0xFFFF) + L'.' + std::to_wstring(ls >> 16) + L'.' +
           std::to_wstring(ls & 0xFFFF);
}

namespace {

std::optional<int> Field(std::wstring_view t, size_t& digits) {
    while (!t.empty() && t.front() == L' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == L' ') t.remove_suffix(1);
    if (t.empty() || t.size() > 9) return std::nullopt;
    int v = 0;
    for (wchar_t c : t) {
        if (c < L'0' || c > L'9') return std::nullopt;
        v = v * 10 + (c - L'0');
    }
    digits = t.size();
    return v;
}

}  // namespace

TDateTime ParseUpdateDateTime(std::wstring_view dateText, std::wstring_view timeText, std::wstring_view dateFormat,
                              wchar_t dateSeparator, wchar_t timeSeparator) {
    TDateTime result = *EncodeDate(1980, 1, 1);
    wchar_t order = L'd';
    for (wchar_t c : dateFormat) {
        const auto l = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
        if (l == L'd' || l == L'm' || l == L'y') {
            order = l;
            break;
        }
    }
    const size_t s1 = dateText.find(dateSeparator);
    const size_t s2 = s1 == std::wstring_view::npos ? s1 : dateText.find(dateSeparator, s1 + 1);
    if (s2 != std::wstring_view::npos) {
        size_t d1 = 0, d2 = 0, d3 = 0;
        const auto a = Field(dateText.substr(0, s1), d1);
        const auto b = Field(dateText.substr(s1 + 1, s2 - s1 - 1), d2);
        const auto c = Field(dateText.substr(s2 + 1), d3);
        if (a && b && c) {
            int day = *a, month = *b, year = *c;
            size_t yearDigits = d3;
            if (order == L'm') day = *b, month = *a;
            if (order == L'y') year = *a, month = *b, day = *c, yearDigits = d1;
            // Two-digit years fall in 1950-2049, as the update date store reads them.
            if (yearDigits <= 2) year += year < 50 ? 2000 : 1900;
            if (const auto d = EncodeDate(year, month, day)) result = *d;
        }
    }
    if (!timeText.empty())
        if (const auto t = ParseTimeOfDay(timeText, timeSeparator, L"", L"")) result += *t;
    return result;
}

}  // namespace orvane
