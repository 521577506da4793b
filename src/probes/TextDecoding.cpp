#include "probes/TextDecoding.h"

#include "core/Text.h"

namespace orvane {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF) with at least one
// multi-byte sequence.
bool IsNonAsciiUtf8(std::string_view bytes) {
    bool multiByte = false;
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t extra;
        unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (i + extra >= n) return false;  // cut short at the end
        for (size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF)) return false;
        }
        multiByte = true;
        i += extra + 1;
    }
    return multiByte;
}

// Line breaks to CR LF, NUL to U+FFFD: sized first, then written in place.
std::wstring NormaliseBreaks(const std::wstring& in) {
    const size_t n = in.size();
    size_t extra = 0;
    for (size_t i = 0; i < n; ++i) {
        if (in[i] == L'\n' && (i == 0 || in[i - 1] != L'\r')) ++extra;
        if (in[i] == L'\r' && (i + 1 == n || in[i + 1] != L'\n')) ++extra;
    }
    std::wstring out(n + extra, L'\0');
    wchar_t* o = out.data();
    for (size_t i = 0; i < n; ++i) {
        const wchar_t c = in[i];
        if (c == L'\r' || c == L'\n') {
            *o++ = L'\r';
            *o++ = L'\n';
            if (c == L'\r' && i + 1 < n && in[i + 1] == L'\n') ++i;
        } else {
            *o++ = c == 0 ? kReplacement : c;
        }
    }
    return out;
}

}  // namespace

TDecodedText DecodeTextFile(std::string_view bytes, const IAnsiCodePage& ansi) {
    TDecodedText result;
    std::wstring raw;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        result.encoding = TTextEncoding::Utf8;
        raw = FromUtf8(bytes.substr(3));
    } else if (bytes.starts_with("\xFF\xFE")) {
        result.encoding = TTextEncoding::Utf16LE;
        raw = DecodeUtf16(bytes.substr(2), false);
    } else if (bytes.starts_with("\xFE\xFF")) {
        result.encoding = TTextEncoding::Utf16BE;
        raw = DecodeUtf16(bytes.substr(2), true);
    } else if (IsNonAsciiUtf8(bytes)) {
        result.encoding = TTextEncoding::Utf8WithoutBom;
        raw = FromUtf8(bytes);
    } else {
        raw = ansi.Decode(bytes);
    }
    result.text = NormaliseBreaks(raw);
    return result;
}

std::vector<size_t> LineStarts(std::wstring_view text) {
    std::vector<size_t> starts;
    starts.reserve(text.size() / 40 + 1);
    const size_t n = text.size();
    size_t pos = 0;
    while (pos < n) {
        starts.push_back(pos);
        size_t brk = pos;
        while (brk < n && text[brk] != L'\n' && text[brk] != L'\r') ++brk;
        if (brk == n) break;
        pos = brk + 1;
        if (text[brk] == L'\r' && pos < n && text[pos] == L'\n') ++pos;
    }
    return starts;
}

std::wstring_view LineAt(std::wstring_view text, size_t start) {
    if (start >= text.size()) return {};
    size_t end = start;
    while (end < text.size() && text[end] != L'\n' && text[end] != L'\r') ++end;
    return text.substr(start, end - start);
}

}  // namespace orvane
