#include "probes/SyntaxColouring.h"

namespace orvane {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool EndsName(wchar_t c) {
    return IsBlank(c) || c == L'>' || c == L'/' || c == L'<' || c == L'"' || c == L'\'' || c == L'=' || c == L'?';
}

// Builds spans, merging neighbours of one kind.
class SpanSink {
public:
    explicit SpanSink(std::vector<TColourSpan>& out) : out_(out) { out_.clear(); }
    void operator()(size_t start, size_t length, TTokenKind kind) {
        if (length == 0) return;
        if (!out_.empty() && out_.back().kind == kind && out_.back().start + out_.back().length == start) {
            out_.back().length += static_cast<std::uint32_t>(length);
            return;
        }
        out_.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length), kind});
    }

private:
    std::vector<TColourSpan>& out_;
};

struct NoSpans {
    void operator()(size_t, size_t, TTokenKind) const {}
};

template <class Emit>
void ScanIni(std::wstring_view line, Emit& emit) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    emit(0, i, TTokenKind::Text);
    if (i == line.size()) return;
    const size_t n = line.size();
    if (line[i] == L';' || line[i] == L'#') {
        emit(i, n - i, TTokenKind::Comment);
    } else if (line[i] == L'[') {
        const size_t close = line.find(L']', i);
        const size_t end = close == std::wstring_view::npos ? n : close + 1;
        emit(i, end - i, TTokenKind::Section);
        emit(end, n - end, TTokenKind::Text);
    } else if (const size_t eq = line.find(L'=', i); eq != std::wstring_view::npos) {
        emit(i, eq - i, TTokenKind::Key);
        emit(eq, 1, TTokenKind::Text);
        emit(eq + 1, n - eq - 1, TTokenKind::Value);
    } else {
        emit(i, n - i, TTokenKind::Text);  // a stray line without "="
    }
}

// Emits from I up to the end of TERMINATOR (or the line's end) as KIND; true when it was found.
template <class Emit>
bool RunUntil(std::wstring_view line, size_t& i, std::wstring_view terminator, TTokenKind kind, Emit& emit) {
    const size_t at = line.find(terminator, i);
    const size_t end = at == std::wstring_view::npos ? line.size() : at + terminator.size();
    emit(i, end - i, kind);
    i = end;
    return at != std::wstring_view::npos;
}

template <class Emit>
TLineState ScanXml(std::wstring_view line, TLineState state, Emit& emit) {
    const size_t n = line.size();
    size_t i = 0;
    while (i < n) {
        switch (state) {
            case TLineState::Text: {
                const size_t lt = line.find(L'<', i);
                const size_t end = lt == std::wstring_view::npos ? n : lt;
                emit(i, end - i, TTokenKind::Text);
                i = end;
                if (i == n) break;
                const std::wstring_view rest = line.substr(i);
                if (rest.starts_with(L"<!--")) {
                    emit(i, 4, TTokenKind::Comment);
                    i += 4;
                    state = TLineState::Comment;
                    break;
                }
                if (rest.starts_with(L"<![CDATA[")) {
                    emit(i, 9, TTokenKind::Tag);
                    i += 9;
                    state = TLineState::CData;
                    break;
                }
                size_t j = i + 1;
                if (j < n && (line[j] == L'/' || line[j] == L'?' || line[j] == L'!')) ++j;
                state = line[j - 1] == L'!' ? TLineState::Declaration : TLineState::InTag;
                while (j < n && !EndsName(line[j])) ++j;
                emit(i, j - i, TTokenKind::Tag);
                i = j;
                break;
            }
            case TLineState::Comment:
                if (RunUntil(line, i, L"-->", TTokenKind::Comment, emit)) state = TLineState::Text;
                break;
            case TLineState::CData: {
                const size_t close = line.find(L"]]>", i);
                const size_t end = close == std::wstring_view::npos ? n : close;
                emit(i, end - i, TTokenKind::Text);
                i = end;
                if (close != std::wstring_view::npos) {
                    emit(i, 3, TTokenKind::Tag);
                    i += 3;
                    state = TLineState::Text;
                }
                break;
            }
            case TLineState::Declaration:
                if (RunUntil(line, i, L">", TTokenKind::Tag, emit)) state = TLineState::Text;
                break;
            case TLineState::ValueDouble:
                if (RunUntil(line, i, L"\"", TTokenKind::AttributeValue, emit)) state = TLineState::InTag;
                break;
            case TLineState::ValueSingle:
                if (RunUntil(line, i, L"'", TTokenKind::AttributeValue, emit)) state = TLineState::InTag;
                break;
            case TLineState::InTag: {
                const wchar_t c = line[i];
                if (IsBlank(c) || c == L'=') {
                    emit(i, 1, TTokenKind::Text);
                    ++i;
                } else if (c == L'>') {
                    emit(i, 1, TTokenKind::Tag);
                    ++i;
                    state = TLineState::Text;
                } else if ((c == L'/' || c == L'?') && i + 1 < n && line[i + 1] == L'>') {
                    emit(i, 2, TTokenKind::Tag);
                    i += 2;
                    state = TLineState::Text;
                } else if (c == L'"' || c == L'\'') {
                    emit(i, 1, TTokenKind::AttributeValue);
                    ++i;
                    state = c == L'"' ? TLineState::ValueDouble : TLineState::ValueSingle;
                } else if (c == L'<') {
                    state = TLineState::Text;  // an unclosed tag: start over at the new one
                } else if (EndsName(c)) {
                    emit(i, 1, TTokenKind::Text);  // a stray "/" or "?"
                    ++i;
                } else {
                    size_t j = i;
                    while (j < n && !EndsName(line[j])) ++j;
                    emit(i, j - i, TTokenKind::AttributeName);
                    i = j;
                }
                break;
            }
        }
    }
    return state;
}

template <class Emit>
TLineState Scan(std::wstring_view line, TSyntaxLanguage language, TLineState start, Emit& emit) {
    switch (language) {
        case TSyntaxLanguage::Ini:
            ScanIni(line, emit);
            return TLineState::Text;
        case TSyntaxLanguage::Xml:
            return ScanXml(line, start, emit);
        case TSyntaxLanguage::None:
            break;
    }
    emit(0, line.size(), TTokenKind::Text);
    return TLineState::Text;
}

}  // namespace

TLineState ColourLine(std::wstring_view line, TSyntaxLanguage language, TLineState start,
                      std::vector<TColourSpan>& out) {
    SpanSink sink(out);
    return Scan(line, language, start, sink);
}

TLineState NextLineState(std::wstring_view line, TSyntaxLanguage language, TLineState start) {
    if (language != TSyntaxLanguage::Xml) return TLineState::Text;
    NoSpans none;
    return ScanXml(line, start, none);
}

TTokenStyle StyleOf(TTokenKind kind) {
    switch (kind) {
        case TTokenKind::Section:
            return {0x00800000, true, false};  // navy
        case TTokenKind::Key:
            return {0x00000080, false, false};  // maroon
        case TTokenKind::Value:
            return {0x00FF0000, false, false};  // blue
        case TTokenKind::Comment:
            return {0x00008000, false, true};  // green
        case TTokenKind::Tag:
            return {0x00A00000, false, false};  // dark blue
        case TTokenKind::AttributeName:
            return {0x000000C0, false, false};  // red
        case TTokenKind::AttributeValue:
            return {0x00FF0000, false, false};  // blue
        case TTokenKind::Text:
            break;
    }
    return {0x00000000, false, false};
}

}  // namespace orvane
