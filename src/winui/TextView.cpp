#include "winui/TextView.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/win32/Handle.h"
#include "winui/Controls.h"
#include "winui/Dpi.h"

namespace orvane::winui {

namespace {

constexpr int kTextPixels = 13;
constexpr int kGutterPixels = 11;
constexpr int kTabWidth = 8;
// XML scanner states are kept at the start of every this many lines, so that colouring line N
// walks at most this many lines.
constexpr size_t kCheckpointEvery = 256;
// Colour spans of lines at least this long are kept between paints: recolouring a megabyte line
// on every scroll step would stall.
constexpr size_t kLongLine = 4096;
constexpr UINT_PTR kDragTimer = 1;

#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

HINSTANCE g_classInstance = nullptr;

int XOf(LPARAM lParam) {
    return static_cast<short>(LOWORD(lParam));
}
int YOf(LPARAM lParam) {
    return static_cast<short>(HIWORD(lParam));
}

SCROLLINFO ScrollInfo(UINT mask) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    return info;
}

struct TCell {
    wchar_t ch;
    TTokenKind kind;
    bool selected;
};

class TTextView {
public:
    explicit TTextView(HWND window) : window_(window) { CreateOwnFonts(); }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void SetLanguage(TSyntaxLanguage language) {
        language_ = language;
        ResetColouring();
        InvalidateRect(window_, nullptr, FALSE);
    }

private:
    // Text and lines
    void SetText(const wchar_t* text);
    size_t LineCount() const { return starts_.size(); }
    size_t LineStart(size_t line) const { return starts_[line]; }
    size_t LineEnd(size_t line) const;  // before the line break
    std::wstring_view Line(size_t line) const {
        return std::wstring_view(text_).substr(LineStart(line), LineEnd(line) - LineStart(line));
    }
    size_t LineOf(size_t offset) const;
    // OFFSET moved back off the second half of a surrogate pair, so a pair is never split.
    size_t Boundary(size_t offset) const {
        return offset > 0 && offset < text_.size() && IS_LOW_SURROGATE(text_[offset]) &&
                       IS_HIGH_SURROGATE(text_[offset - 1])
                   ? offset - 1
                   : offset;
    }
    size_t ColumnOf(size_t line, size_t offset) const;  // display column, tabs expanded
    // The nearest character boundary; UNDER: the start of the character covering COLUMN.
    size_t OffsetAtColumn(size_t line, size_t column, bool under = false) const;

    // Colouring
    void ResetColouring();
    TLineState StateAt(size_t line);
    // Spans of LINE, which starts in STATE; STATE becomes the state the next line starts in.
    const std::vector<TColourSpan>& SpansOf(size_t line, TLineState& state);

    // Fonts and metrics
    void CreateOwnFonts();
    void DeriveStyledFonts(HFONT base);
    void Measure();
    HFONT FontFor(TTokenKind kind) const;
    int TextLeft() const { return gutterWidth_ + margin_; }
    int VisibleLines() const { return std::max(1, clientHeight_ / lineHeight_); }
    int VisibleColumns() const { return std::max(1, (clientWidth_ - TextLeft()) / charWidth_); }

    // Scrolling and caret
    void ScrollTo(long long top, long long left);
    void UpdateScrollBars();
    void EnsureVisible(size_t offset);
    void PlaceCaret();
    void MoveCaret(size_t offset, bool extend);
    void OnKey(WPARAM key);
    // The caret position nearest to a client point; UNDER: the character under it instead.
    size_t HitTest(int x, int y, bool under = false) const;
    void SelectWordAt(size_t offset);
    void DragTo(int x, int y);
    void OnVScroll(int code);
    void OnHScroll(int code);
    void OnWheel(int delta, bool horizontal);

    // Output
    void Paint(HDC dc, const RECT& area);
    void PaintLine(HDC dc, size_t line, int y, TLineState& state, std::vector<TCell>& cells);
    void Copy();

    HWND window_;
    TSyntaxLanguage language_ = TSyntaxLanguage::None;
    std::wstring text_;
    std::vector<size_t> starts_{0};
    size_t widestLine_ = 0;     // display columns
    std::vector<bool> hasTab_;  // per line; lines without tabs map columns to characters 1:1

    std::vector<TLineState> checkpoints_{TLineState::Text};  // state at line i * kCheckpointEvery
    struct TCachedSpans {
        std::vector<TColourSpan> spans;
        TLineState next;
    };
    std::unordered_map<size_t, TCachedSpans> longLineSpans_;
    std::vector<TColourSpan> spans_;

    win32::unique_hfont ownFont_, gutterFont_, boldFont_, italicFont_, boldItalicFont_;
    HFONT font_ = nullptr;  // the text font: ownFont_ or one given by WM_SETFONT
    UINT dpi_ = 96;
    int charWidth_ = 8, lineHeight_ = 16, gutterCharWidth_ = 7, gutterWidth_ = 0, margin_ = 4;
    int clientWidth_ = 0, clientHeight_ = 0;

    size_t top_ = 0, left_ = 0;  // first visible line, first visible column
    size_t anchor_ = 0, caret_ = 0;
    size_t preferredColumn_ = 0;
    bool focused_ = false, dragging_ = false;
    int wheelRemainder_ = 0, hwheelRemainder_ = 0;
};

TTextView* ViewOf(HWND window) {
    return reinterpret_cast<TTextView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool IsTextView(HWND window) {
    wchar_t name[32] = L"";
    return window && GetClassNameW(window, name, 32) && lstrcmpW(name, kTextViewClass) == 0;
}

void TTextView::SetText(const wchar_t* text) {
    // Fresh buffers: a short text after a huge one does not keep the huge one's memory.
    text_ = std::wstring(text ? text : L"");
    starts_ = {};
    hasTab_ = {};
    widestLine_ = 0;
    // One pass: line starts (CR LF, CR or LF), widest line and which lines hold tabs.
    const size_t n = text_.size();
    const wchar_t* p = text_.data();
    size_t pos = 0;
    starts_.reserve(n / 40 + 1);
    do {
        starts_.push_back(pos);
        size_t column = 0;
        bool tab = false;
        size_t i = pos;
        for (; i < n; ++i) {
            const wchar_t c = p[i];
            if (c == L'\n' || c == L'\r') break;
            if (c == L'\t') {
                tab = true;
                column += kTabWidth - column % kTabWidth;
            } else {
                ++column;
            }
        }
        hasTab_.push_back(tab);
        widestLine_ = std::max(widestLine_, column);
        if (i == n) break;
        pos = i + 1;
        if (p[i] == L'\r' && pos < n && p[pos] == L'\n') ++pos;
    } while (pos < n);

    ResetColouring();
    anchor_ = caret_ = 0;
    preferredColumn_ = 0;
    top_ = left_ = 0;
    Measure();
    UpdateScrollBars();
    PlaceCaret();
    InvalidateRect(window_, nullptr, FALSE);
}

size_t TTextView::LineEnd(size_t line) const {
    size_t end = line + 1 < starts_.size() ? starts_[line + 1] : text_.size();
    if (end > starts_[line] && (text_[end - 1] == L'\n' || text_[end - 1] == L'\r')) {
        --end;
        if (end > starts_[line] && text_[end] == L'\n' && text_[end - 1] == L'\r') --end;
    }
    return end;
}

size_t TTextView::LineOf(size_t offset) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
    return it == starts_.begin() ? 0 : static_cast<size_t>(it - starts_.begin()) - 1;
}

size_t TTextView::ColumnOf(size_t line, size_t offset) const {
    const size_t start = LineStart(line);
    const size_t at = std::min(offset, LineEnd(line));
    if (!hasTab_[line]) return at - start;
    size_t column = 0;
    for (size_t i = start; i < at; ++i) column += text_[i] == L'\t' ? kTabWidth - column % kTabWidth : 1;
    return column;
}

size_t TTextView::OffsetAtColumn(size_t line, size_t column, bool under) const {
    const size_t start = LineStart(line), end = LineEnd(line);
    if (!hasTab_[line]) return Boundary(start + std::min(column, end - start));
    size_t at = 0;
    for (size_t i = start; i < end; ++i) {
        const size_t width = text_[i] == L'\t' ? kTabWidth - at % kTabWidth : 1;
        if (column < at + (under ? width : (width + 1) / 2)) return Boundary(i);
        at += width;
    }
    return end;
}

void TTextView::ResetColouring() {
    checkpoints_.assign(1, TLineState::Text);
    longLineSpans_.clear();
}

TLineState TTextView::StateAt(size_t line) {
    if (language_ != TSyntaxLanguage::Xml) return TLineState::Text;  // INI lines stand alone
    const size_t wanted = line / kCheckpointEvery;
    // Walk forward from the last known checkpoint, recording the ones passed.
    while (checkpoints_.size() <= wanted) {
        size_t from = (checkpoints_.size() - 1) * kCheckpointEvery;
        TLineState state = checkpoints_.back();
        for (size_t i = 0; i < kCheckpointEvery && from < LineCount(); ++i, ++from)
            state = NextLineState(Line(from), language_, state);
        checkpoints_.push_back(state);
    }
    TLineState state = checkpoints_[wanted];
    for (size_t i = wanted * kCheckpointEvery; i < line; ++i) state = NextLineState(Line(i), language_, state);
    return state;
}

const std::vector<TColourSpan>& TTextView::SpansOf(size_t line, TLineState& state) {
    const std::wstring_view text = Line(line);
    if (text.size() >= kLongLine) {
        if (auto found = longLineSpans_.find(line); found != longLineSpans_.end()) {
            state = found->second.next;
            return found->second.spans;
        }
        if (longLineSpans_.size() > 64) longLineSpans_.clear();
        auto& cached = longLineSpans_[line];
        cached.next = state = ColourLine(text, language_, state, cached.spans);
        return cached.spans;
    }
    state = ColourLine(text, language_, state, spans_);
    return spans_;
}

void TTextView::CreateOwnFonts() {
    dpi_ = WindowDpi(window_);
    ownFont_ = CreatePixelFont(L"Courier New", kTextPixels, dpi_);
    gutterFont_ = CreatePixelFont(L"Courier New", kGutterPixels, dpi_);
    margin_ = Scale(4, dpi_);
    font_ = ownFont_.get();
    DeriveStyledFonts(font_);
}

void TTextView::DeriveStyledFonts(HFONT base) {
    LOGFONTW font{};
    GetObjectW(base, sizeof font, &font);
    font.lfWeight = FW_BOLD;
    boldFont_.reset(CreateFontIndirectW(&font));
    font.lfItalic = TRUE;
    boldItalicFont_.reset(CreateFontIndirectW(&font));
    font.lfWeight = FW_NORMAL;
    italicFont_.reset(CreateFontIndirectW(&font));
}

HFONT TTextView::FontFor(TTokenKind kind) const {
    const TTokenStyle style = StyleOf(kind);
    if (style.bold && style.italic) return boldItalicFont_.get();
    if (style.bold) return boldFont_.get();
    if (style.italic) return italicFont_.get();
    return font_;
}

void TTextView::Measure() {
    HDC dc = GetDC(window_);
    TEXTMETRICW metrics{};
    HGDIOBJ old = SelectObject(dc, font_);
    GetTextMetricsW(dc, &metrics);
    SIZE zero{};
    GetTextExtentPoint32W(dc, L"0", 1, &zero);
    charWidth_ = std::max<int>(1, zero.cx);
    lineHeight_ = std::max<int>(1, metrics.tmHeight);
    SelectObject(dc, gutterFont_.get());
    GetTextExtentPoint32W(dc, L"0", 1, &zero);
    gutterCharWidth_ = std::max<int>(1, zero.cx);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);

    int digits = 2;
    for (size_t n = LineCount(); n >= 100; n /= 10) ++digits;
    gutterWidth_ = digits * gutterCharWidth_ + 2 * margin_;

    RECT client{};
    GetClientRect(window_, &client);
    clientWidth_ = client.right;
    clientHeight_ = client.bottom;
}

void TTextView::UpdateScrollBars() {
    SCROLLINFO info = ScrollInfo(SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL);
    info.nMin = 0;
    info.nMax = static_cast<int>(std::min<size_t>(LineCount() - 1, INT_MAX - 1));
    info.nPage = static_cast<UINT>(VisibleLines());
    info.nPos = static_cast<int>(std::min<size_t>(top_, INT_MAX - 1));
    SetScrollInfo(window_, SB_VERT, &info, TRUE);
    // One column more than the widest line, so the caret after the last character can be seen.
    info.nMax = static_cast<int>(std::min<size_t>(widestLine_, INT_MAX - 1));
    info.nPage = static_cast<UINT>(VisibleColumns());
    info.nPos = static_cast<int>(std::min<size_t>(left_, INT_MAX - 1));
    SetScrollInfo(window_, SB_HORZ, &info, TRUE);
}

void TTextView::ScrollTo(long long top, long long left) {
    const long long maxTop = std::max<long long>(0, static_cast<long long>(LineCount()) - VisibleLines());
    const long long maxLeft = std::max<long long>(0, static_cast<long long>(widestLine_) + 1 - VisibleColumns());
    const size_t newTop = static_cast<size_t>(std::clamp<long long>(top, 0, maxTop));
    const size_t newLeft = static_cast<size_t>(std::clamp<long long>(left, 0, maxLeft));
    if (newTop == top_ && newLeft == left_) return;
    top_ = newTop;
    left_ = newLeft;
    UpdateScrollBars();
    PlaceCaret();
    InvalidateRect(window_, nullptr, FALSE);
}

void TTextView::EnsureVisible(size_t offset) {
    const size_t line = LineOf(offset);
    const size_t column = ColumnOf(line, offset);
    long long top = static_cast<long long>(top_), left = static_cast<long long>(left_);
    const long long lines = VisibleLines(), columns = VisibleColumns();
    if (static_cast<long long>(line) < top)
        top = static_cast<long long>(line);
    else if (static_cast<long long>(line) >= top + lines)
        top = static_cast<long long>(line) - lines + 1;
    if (static_cast<long long>(column) < left)
        left = std::max<long long>(0, static_cast<long long>(column) - columns / 4);
    else if (static_cast<long long>(column) >= left + columns)
        left = static_cast<long long>(column) - columns * 3 / 4;
    ScrollTo(top, left);
}

void TTextView::PlaceCaret() {
    if (!focused_) return;
    const size_t line = LineOf(caret_);
    const size_t column = ColumnOf(line, caret_);
    const bool visible =
        line >= top_ && line < top_ + VisibleLines() + 1 && column >= left_ && column <= left_ + VisibleColumns();
    if (!visible) {
        SetCaretPos(-1000, -1000);
        return;
    }
    SetCaretPos(TextLeft() + static_cast<int>(column - left_) * charWidth_,
                static_cast<int>(line - top_) * lineHeight_);
}

void TTextView::MoveCaret(size_t offset, bool extend) {
    caret_ = std::min(offset, text_.size());
    if (!extend) anchor_ = caret_;
    EnsureVisible(caret_);
    PlaceCaret();
    InvalidateRect(window_, nullptr, FALSE);
}

void TTextView::OnKey(WPARAM key) {
    const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
    const size_t line = LineOf(caret_);
    const size_t page = static_cast<size_t>(VisibleLines());
    auto toLine = [&](size_t target) { MoveCaret(OffsetAtColumn(target, preferredColumn_), shift); };
    auto remember = [&] { preferredColumn_ = ColumnOf(LineOf(caret_), caret_); };
    switch (key) {
        case VK_LEFT:
            if (caret_ > LineEnd(line))
                MoveCaret(LineEnd(line), shift);  // parked inside a line break
            else if (caret_ > LineStart(line))
                MoveCaret(Boundary(caret_ - 1), shift);
            else if (line > 0)
                MoveCaret(LineEnd(line - 1), shift);
            else
                MoveCaret(caret_, shift);
            remember();
            break;
        case VK_RIGHT:
            if (caret_ < LineEnd(line))
                MoveCaret(Boundary(caret_ + 1) == caret_ ? caret_ + 2 : caret_ + 1, shift);
            else if (line + 1 < LineCount())
                MoveCaret(LineStart(line + 1), shift);
            else
                MoveCaret(caret_, shift);
            remember();
            break;
        case VK_UP:
            if (control) return ScrollTo(static_cast<long long>(top_) - 1, static_cast<long long>(left_));
            toLine(line > 0 ? line - 1 : 0);
            break;
        case VK_DOWN:
            if (control) return ScrollTo(static_cast<long long>(top_) + 1, static_cast<long long>(left_));
            toLine(std::min(line + 1, LineCount() - 1));
            break;
        case VK_PRIOR:
            ScrollTo(static_cast<long long>(top_) - static_cast<long long>(page), static_cast<long long>(left_));
            toLine(line > page ? line - page : 0);
            break;
        case VK_NEXT:
            ScrollTo(static_cast<long long>(top_ + page), static_cast<long long>(left_));
            toLine(std::min(line + page, LineCount() - 1));
            break;
        case VK_HOME:
            MoveCaret(control ? 0 : LineStart(line), shift);
            remember();
            break;
        case VK_END:
            MoveCaret(control ? text_.size() : LineEnd(line), shift);
            remember();
            break;
        case 'A':
            if (control) {
                anchor_ = 0;
                caret_ = text_.size();
                InvalidateRect(window_, nullptr, FALSE);
            }
            break;
        case 'C':
        case VK_INSERT:
            if (control) Copy();
            break;
        default:
            break;
    }
}

size_t TTextView::HitTest(int x, int y, bool under) const {
    const long long row = y < 0 ? -1 - (-y - 1) / lineHeight_ : y / lineHeight_;
    const long long line =
        std::clamp<long long>(static_cast<long long>(top_) + row, 0, static_cast<long long>(LineCount()) - 1);
    const int dx = x - TextLeft();
    // Left of the text while scrolled sideways: one column before the first shown, so a drag scrolls back.
    const long long column =
        dx < 0 ? std::max<long long>(0, static_cast<long long>(left_) - 1)
               : static_cast<long long>(left_) + (under ? dx / charWidth_ : (dx + charWidth_ / 2) / charWidth_);
    return OffsetAtColumn(static_cast<size_t>(line), static_cast<size_t>(column), under);
}

void TTextView::SelectWordAt(size_t offset) {
    const size_t line = LineOf(offset);
    const size_t start = LineStart(line), end = LineEnd(line);
    if (offset >= end) return MoveCaret(end, false);
    // Letters, digits and "_" make words; a run of blanks or of other signs is selected as a whole.
    auto kind = [&](size_t i) {
        const wchar_t c = text_[i];
        if (c == L' ' || c == L'\t') return 0;
        if (c == L'_' || IsCharAlphaNumericW(c) || IS_HIGH_SURROGATE(c) || IS_LOW_SURROGATE(c)) return 1;
        return 2;
    };
    const int wanted = kind(offset);
    size_t from = offset, to = offset + 1;
    while (from > start && kind(from - 1) == wanted) --from;
    while (to < end && kind(to) == wanted) ++to;
    anchor_ = from;
    caret_ = to;
    preferredColumn_ = ColumnOf(line, caret_);
    EnsureVisible(caret_);
    PlaceCaret();
    InvalidateRect(window_, nullptr, FALSE);
}

void TTextView::DragTo(int x, int y) {
    MoveCaret(HitTest(x, y), true);
    // Held outside the text, the view keeps scrolling towards the mouse.
    const bool outside = y < 0 || y >= clientHeight_ || x < TextLeft() || x >= clientWidth_;
    if (outside)
        SetTimer(window_, kDragTimer, 50, nullptr);
    else
        KillTimer(window_, kDragTimer);
}

void TTextView::OnVScroll(int code) {
    const long long top = static_cast<long long>(top_), left = static_cast<long long>(left_);
    switch (code) {
        case SB_LINEUP:
            return ScrollTo(top - 1, left);
        case SB_LINEDOWN:
            return ScrollTo(top + 1, left);
        case SB_PAGEUP:
            return ScrollTo(top - VisibleLines(), left);
        case SB_PAGEDOWN:
            return ScrollTo(top + VisibleLines(), left);
        case SB_TOP:
            return ScrollTo(0, left);
        case SB_BOTTOM:
            return ScrollTo(static_cast<long long>(LineCount()), left);
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 32-bit position: the message's own is 16 bits.
            SCROLLINFO info = ScrollInfo(SIF_TRACKPOS);
            GetScrollInfo(window_, SB_VERT, &info);
            return ScrollTo(info.nTrackPos, left);
        }
        default:
            return;
    }
}

void TTextView::OnHScroll(int code) {
    const long long top = static_cast<long long>(top_), left = static_cast<long long>(left_);
    switch (code) {
        case SB_LINELEFT:
            return ScrollTo(top, left - 1);
        case SB_LINERIGHT:
            return ScrollTo(top, left + 1);
        case SB_PAGELEFT:
            return ScrollTo(top, left - VisibleColumns());
        case SB_PAGERIGHT:
            return ScrollTo(top, left + VisibleColumns());
        case SB_LEFT:
            return ScrollTo(top, 0);
        case SB_RIGHT:
            return ScrollTo(top, static_cast<long long>(widestLine_));
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info = ScrollInfo(SIF_TRACKPOS);
            GetScrollInfo(window_, SB_HORZ, &info);
            return ScrollTo(top, info.nTrackPos);
        }
        default:
            return;
    }
}

void TTextView::OnWheel(int delta, bool horizontal) {
    int& remainder = horizontal ? hwheelRemainder_ : wheelRemainder_;
    remainder += delta;
    const int notches = remainder / WHEEL_DELTA;
    remainder %= WHEEL_DELTA;
    if (notches == 0) return;
    UINT lines = 3;
    SystemParametersInfoW(horizontal ? 0x006C /* SPI_GETWHEELSCROLLCHARS */ : SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const long long step =
        lines == WHEEL_PAGESCROLL ? (horizontal ? VisibleColumns() : VisibleLines()) : static_cast<long long>(lines);
    if (horizontal)
        ScrollTo(static_cast<long long>(top_), static_cast<long long>(left_) + notches * step);
    else
        ScrollTo(static_cast<long long>(top_) - notches * step, static_cast<long long>(left_));
}

void TTextView::PaintLine(HDC dc, size_t line, int y, TLineState& state, std::vector<TCell>& cells) {
    const size_t start = LineStart(line), end = LineEnd(line);
    const size_t columns = static_cast<size_t>(VisibleColumns()) + 1;
    const size_t selMin = std::min(anchor_, caret_), selMax = std::max(anchor_, caret_);
    const std::vector<TColourSpan>& spans = SpansOf(line, state);

    // Cells of the visible columns only: a megabyte line costs what a short one does.
    cells.clear();
    size_t i, column;
    if (!hasTab_[line]) {
        i = start + std::min(left_, end - start);
        column = i - start;
    } else {
        i = start;
        column = 0;
        while (i < end) {
            const size_t width = text_[i] == L'\t' ? kTabWidth - column % kTabWidth : 1;
            if (column + width > left_) break;
            column += width;
            ++i;
        }
    }
    auto span = std::upper_bound(spans.begin(), spans.end(), static_cast<std::uint32_t>(i - start),
                                 [](std::uint32_t at, const TColourSpan& s) { return at < s.start; });
    if (span != spans.begin()) --span;
    for (; i < end && column < left_ + columns; ++i) {
        while (span != spans.end() && span->start + span->length <= i - start) ++span;
        const TTokenKind kind = span != spans.end() ? span->kind : TTokenKind::Text;
        const bool selected = i >= selMin && i < selMax;
        const wchar_t c = text_[i];
        const size_t width = c == L'\t' ? kTabWidth - column % kTabWidth : 1;
        for (size_t w = 0; w < width; ++w, ++column) {
            if (column >= left_ && column < left_ + columns) cells.push_back({c == L'\t' ? L' ' : c, kind, selected});
        }
    }
    // A selected line break shows as one highlighted cell.
    if (end < text_.size() && selMin <= end && selMax > end && column >= left_ && column < left_ + columns)
        cells.push_back({L' ', TTokenKind::Text, true});

    const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT), window = GetSysColor(COLOR_WINDOW);
    const COLORREF highlight = GetSysColor(focused_ ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    const COLORREF highlightText = GetSysColor(focused_ ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    std::vector<INT> dx(cells.size(), charWidth_);
    int x = TextLeft();
    std::wstring run;
    for (size_t c = 0; c < cells.size();) {
        size_t e = c + 1;
        while (e < cells.size() && cells[e].kind == cells[c].kind && cells[e].selected == cells[c].selected) ++e;
        run.clear();
        for (size_t k = c; k < e; ++k) run.push_back(cells[k].ch);
        const TTokenKind kind = language_ == TSyntaxLanguage::None ? TTokenKind::Text : cells[c].kind;
        const COLORREF colour = kind == TTokenKind::Text ? windowText : static_cast<COLORREF>(StyleOf(kind).colour);
        SelectObject(dc, FontFor(kind));
        SetTextColor(dc, cells[c].selected ? highlightText : colour);
        SetBkColor(dc, cells[c].selected ? highlight : window);
        const int width = static_cast<int>(e - c) * charWidth_;
        RECT box{x, y, x + width, y + lineHeight_};
        ExtTextOutW(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &box, run.data(), static_cast<UINT>(run.size()), dx.data());
        x += width;
        c = e;
    }
}

void TTextView::Paint(HDC dc, const RECT& area) {
    const int saved = SaveDC(dc);
    const HBRUSH windowBrush = GetSysColorBrush(COLOR_WINDOW);
    FillRect(dc, &area, windowBrush);

    // Gutter: line numbers right-aligned on the button face, a rule at its edge.
    RECT gutter{0, area.top, gutterWidth_, area.bottom};
    FillRect(dc, &gutter, GetSysColorBrush(COLOR_BTNFACE));
    RECT rule{gutterWidth_ - 1, area.top, gutterWidth_, area.bottom};
    FillRect(dc, &rule, GetSysColorBrush(COLOR_BTNSHADOW));

    SetBkMode(dc, OPAQUE);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    std::vector<TCell> cells;
    cells.reserve(static_cast<size_t>(VisibleColumns()) + 2);
    const size_t firstRow = static_cast<size_t>(std::max(0L, area.top / lineHeight_));
    wchar_t number[24];
    // Lines are coloured in order from the first one drawn, each starting where the last one left off.
    TLineState state = StateAt(top_ + firstRow);
    for (size_t row = firstRow;; ++row) {
        const int y = static_cast<int>(row) * lineHeight_;
        const size_t line = top_ + row;
        if (y >= area.bottom || y >= clientHeight_ || line >= LineCount()) break;

        SelectObject(dc, gutterFont_.get());
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        SetBkMode(dc, TRANSPARENT);
        int length = 0;
        for (size_t n = line + 1; n; n /= 10) number[23 - ++length] = static_cast<wchar_t>(L'0' + n % 10);
        RECT numberBox{0, y, gutterWidth_ - margin_, y + lineHeight_};
        DrawTextW(dc, number + 23 - length, length, &numberBox, DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SetBkMode(dc, OPAQUE);

        if (area.right > TextLeft() && !text_.empty()) {
            const int textClip = SaveDC(dc);
            IntersectClipRect(dc, TextLeft(), y, clientWidth_, y + lineHeight_);
            PaintLine(dc, line, y, state, cells);
            RestoreDC(dc, textClip);
        }
    }
    RestoreDC(dc, saved);
}

void TTextView::Copy() {
    const size_t from = std::min(anchor_, caret_), to = std::max(anchor_, caret_);
    if (from == to) return;
    // The clipboard speaks CR LF: lone CR and LF become CR LF.
    std::wstring out;
    out.reserve(to - from + 16);
    for (size_t i = from; i < to; ++i) {
        const wchar_t c = text_[i];
        if (c == L'\r') {
            out += L"\r\n";
            if (i + 1 < to && text_[i + 1] == L'\n') ++i;
        } else if (c == L'\n') {
            out += L"\r\n";
        } else {
            out.push_back(c);
        }
    }
    SetClipboardText(window_, out);
}

LRESULT TTextView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetText(create->lpszName && !IS_INTRESOURCE(create->lpszName) ? create->lpszName : L"");
            return 0;
        }
        case WM_SETTEXT:
            SetText(reinterpret_cast<const wchar_t*>(lParam));
            return TRUE;
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(text_.size());
        case WM_GETTEXT: {
            if (wParam == 0 || !lParam) return 0;
            const size_t count = std::min(text_.size(), static_cast<size_t>(wParam) - 1);
            auto* buffer = reinterpret_cast<wchar_t*>(lParam);
            std::memcpy(buffer, text_.data(), count * sizeof(wchar_t));
            buffer[count] = L'\0';
            return static_cast<LRESULT>(count);
        }
        case WM_SETFONT: {
            font_ = wParam ? reinterpret_cast<HFONT>(wParam) : ownFont_.get();
            DeriveStyledFonts(font_);
            Measure();
            ScrollTo(static_cast<long long>(top_), static_cast<long long>(left_));
            UpdateScrollBars();
            if (focused_) {
                CreateCaret(window_, nullptr, Scale(1, dpi_), lineHeight_);
                ShowCaret(window_);
                PlaceCaret();
            }
            if (LOWORD(lParam)) InvalidateRect(window_, nullptr, FALSE);
            return 0;
        }
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_DPICHANGED_AFTERPARENT: {
            const HFONT given = font_ == ownFont_.get() ? nullptr : font_;
            CreateOwnFonts();
            return Handle(WM_SETFONT, reinterpret_cast<WPARAM>(given), TRUE);
        }
        case WM_SIZE:
            Measure();
            UpdateScrollBars();
            ScrollTo(static_cast<long long>(top_), static_cast<long long>(left_));
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window_, &ps);
            // Drawn off screen and copied in one go: no flicker.
            const int width = std::max(1, clientWidth_), height = std::max(1, clientHeight_);
            win32::unique_hdc memory(CreateCompatibleDC(dc));
            win32::unique_hgdiobj bitmap(CreateCompatibleBitmap(dc, width, height));
            if (memory && bitmap) {
                HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
                Paint(memory.get(), ps.rcPaint);
                BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                       ps.rcPaint.bottom - ps.rcPaint.top, memory.get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
                SelectObject(memory.get(), old);
            } else {
                Paint(dc, ps.rcPaint);
            }
            EndPaint(window_, &ps);
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT client{0, 0, clientWidth_, clientHeight_};
            Paint(reinterpret_cast<HDC>(wParam), client);
            return 0;
        }
        case WM_VSCROLL:
            OnVScroll(LOWORD(wParam));
            return 0;
        case WM_HSCROLL:
            OnHScroll(LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            OnWheel(GET_WHEEL_DELTA_WPARAM(wParam), (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0);
            return 0;
        case WM_MOUSEHWHEEL:
            OnWheel(GET_WHEEL_DELTA_WPARAM(wParam), true);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_KEYDOWN:
            OnKey(wParam);
            return 0;
        case WM_COPY:
            Copy();
            return 0;
        case WM_SETFOCUS:
            focused_ = true;
            CreateCaret(window_, nullptr, Scale(1, dpi_), lineHeight_);
            PlaceCaret();
            ShowCaret(window_);
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        case WM_KILLFOCUS:
            focused_ = false;
            DestroyCaret();
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDOWN: {
            SetFocus(window_);
            SetCapture(window_);
            dragging_ = true;
            MoveCaret(HitTest(XOf(lParam), YOf(lParam)), (wParam & MK_SHIFT) != 0);
            preferredColumn_ = ColumnOf(LineOf(caret_), caret_);
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            SelectWordAt(HitTest(XOf(lParam), YOf(lParam), true));
            return 0;
        case WM_MOUSEMOVE:
            if (dragging_) DragTo(XOf(lParam), YOf(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == kDragTimer) {
                POINT at{};
                GetCursorPos(&at);
                ScreenToClient(window_, &at);
                if (dragging_)
                    DragTo(at.x, at.y);
                else
                    KillTimer(window_, kDragTimer);
            }
            return 0;
        case WM_LBUTTONUP:
            if (dragging_) {
                KillTimer(window_, kDragTimer);
                dragging_ = false;
                ReleaseCapture();
                preferredColumn_ = ColumnOf(LineOf(caret_), caret_);
            }
            return 0;
        case WM_CAPTURECHANGED:
            KillTimer(window_, kDragTimer);
            dragging_ = false;
            return 0;
        case EM_GETLINECOUNT:
            return static_cast<LRESULT>(LineCount());
        case EM_GETFIRSTVISIBLELINE:
            return static_cast<LRESULT>(top_);
        case EM_LINESCROLL:
            ScrollTo(static_cast<long long>(top_) + static_cast<int>(lParam),
                     static_cast<long long>(left_) + static_cast<int>(wParam));
            return TRUE;
        case EM_SETSEL: {
            // As in an edit (32-bit arguments): a start of -1 removes the selection, an end of -1 means the
            // end of the text.
            const long long start = static_cast<int>(wParam);
            const long long end = static_cast<int>(lParam);
            const long long size = static_cast<long long>(text_.size());
            if (start < 0) {
                anchor_ = caret_;
            } else {
                anchor_ = static_cast<size_t>(std::min(start, size));
                caret_ = static_cast<size_t>(end < 0 ? size : std::min(end, size));
            }
            preferredColumn_ = ColumnOf(LineOf(caret_), caret_);
            PlaceCaret();
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        }
        case EM_GETSEL: {
            const size_t from = std::min(anchor_, caret_), to = std::max(anchor_, caret_);
            if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(from);
            if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(to);
            return MAKELRESULT(std::min<size_t>(from, 0xFFFF), std::min<size_t>(to, 0xFFFF));
        }
        case EM_POSFROMCHAR: {
            // As in an edit: the top-left corner of the character, in client coordinates.
            const size_t at = std::min(static_cast<size_t>(static_cast<unsigned>(wParam)), text_.size());
            const size_t line = LineOf(at);
            const long long x =
                TextLeft() + (static_cast<long long>(ColumnOf(line, at)) - static_cast<long long>(left_)) * charWidth_;
            const long long y = (static_cast<long long>(line) - static_cast<long long>(top_)) * lineHeight_;
            return MAKELRESULT(static_cast<short>(std::clamp<long long>(x, SHRT_MIN, SHRT_MAX)),
                               static_cast<short>(std::clamp<long long>(y, SHRT_MIN, SHRT_MAX)));
        }
        case EM_CHARFROMPOS: {
            const size_t at = HitTest(XOf(lParam), YOf(lParam));
            return MAKELRESULT(std::min<size_t>(at, 0xFFFF), std::min<size_t>(LineOf(at), 0xFFFF));
        }
        case EM_SCROLLCARET:
            EnsureVisible(caret_);
            return TRUE;
        case EM_LINEINDEX: {
            const int line = static_cast<int>(wParam);
            if (line < 0) return static_cast<LRESULT>(LineStart(LineOf(caret_)));
            return static_cast<size_t>(line) < LineCount() ? static_cast<LRESULT>(LineStart(static_cast<size_t>(line)))
                                                           : -1;
        }
        case EM_LINEFROMCHAR: {
            const int at = static_cast<int>(wParam);
            return static_cast<LRESULT>(LineOf(at < 0 ? caret_ : static_cast<size_t>(at)));
        }
        case EM_LINELENGTH: {
            const int at = static_cast<int>(wParam);
            const size_t line = LineOf(at < 0 ? caret_ : std::min(static_cast<size_t>(at), text_.size()));
            return static_cast<LRESULT>(LineEnd(line) - LineStart(line));
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK TextViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* view = new TTextView(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
        // The text goes into the view in WM_CREATE, not into the window title.
        auto create = *reinterpret_cast<CREATESTRUCTW*>(lParam);
        create.lpszName = nullptr;
        return DefWindowProcW(window, message, wParam, reinterpret_cast<LPARAM>(&create));
    }
    TTextView* view = ViewOf(window);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete view;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return view ? view->Handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RegisterTextView(HINSTANCE instance) {
    if (g_classInstance) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = TextViewProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = kTextViewClass;
    if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) g_classInstance = instance;
}

HWND CreateTextView(HWND parent, int id, TSyntaxLanguage language) {
    if (!g_classInstance) RegisterTextView(GetModuleHandleW(nullptr));
    HWND view = CreateWindowExW(WS_EX_CLIENTEDGE, kTextViewClass, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_classInstance, nullptr);
    if (view) TextViewSetLanguage(view, language);
    return view;
}

void TextViewSetLanguage(HWND view, TSyntaxLanguage language) {
    if (!IsTextView(view)) return;
    if (TTextView* state = ViewOf(view)) state->SetLanguage(language);
}

}  // namespace orvane::winui
