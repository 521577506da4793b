// The read-only text viewer on the display: text in and out, scrolling, selection, clipboard, paint.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "probes/SyntaxColouring.h"
#include "winui/Dpi.h"
#include "winui/TextView.h"

namespace orvane {
namespace {

using winui::CreateTextView;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

class TextViewTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OrvaneTextViewTestHost";
        RegisterClassW(&wc);
        host_ = CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr,
                                wc.hInstance, nullptr);
        ASSERT_TRUE(host_) << "needs a display";
        view_ = CreateTextView(host_, 101, TSyntaxLanguage::Xml);
        ASSERT_TRUE(view_);
        MoveWindow(view_, 0, 0, 420, 300, TRUE);
    }
    void TearDown() override {
        SetKeys(false, false);
        if (host_) DestroyWindow(host_);
    }

    void SetText(const std::wstring& text) {
        EXPECT_TRUE(SendMessageW(view_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    std::wstring Text() {
        const auto length = static_cast<size_t>(SendMessageW(view_, WM_GETTEXTLENGTH, 0, 0));
        std::wstring text(length + 1, L'?');
        text.resize(
            static_cast<size_t>(SendMessageW(view_, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
        return text;
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(view_, message, wParam, lParam);
    }
    size_t FirstVisible() { return static_cast<size_t>(Send(EM_GETFIRSTVISIBLELINE)); }
    std::pair<DWORD, DWORD> Selection() {
        DWORD from = 0, to = 0;
        Send(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        return {from, to};
    }

    static void SetKeys(bool control, bool shift) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    void Key(WPARAM key, bool control = false, bool shift = false) {
        SetKeys(control, shift);
        Send(WM_KEYDOWN, key, 1);
        SetKeys(false, false);
    }

    int LineHeight() {
        HDC dc = GetDC(view_);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(Send(WM_GETFONT)));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(view_, dc);
        return metrics.tmHeight;
    }

    // The client area as WM_PRINTCLIENT draws it, pixels as 0x00RRGGBB, top-down.
    struct TShot {
        int width = 0, height = 0;
        std::vector<DWORD> pixels;
        DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
        int Count(const std::function<bool(int r, int g, int b)>& match, int left = 0) const {
            int n = 0;
            for (int y = 0; y < height; ++y)
                for (int x = left; x < width; ++x) {
                    const DWORD p = At(x, y);
                    n += match((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
                }
            return n;
        }
    };
    TShot Shot() {
        RECT client;
        GetClientRect(view_, &client);
        TShot shot;
        shot.width = client.right;
        shot.height = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = shot.width;
        info.bmiHeader.biHeight = -shot.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        GdiFlush();
        shot.pixels.assign(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + shot.width * shot.height);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return shot;
    }
    static DWORD Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

    HWND host_ = nullptr;
    HWND view_ = nullptr;
};

std::pair<DWORD, DWORD> Range(size_t from, size_t to) {
    return {static_cast<DWORD>(from), static_cast<DWORD>(to)};
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner)) return L"<no clipboard>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void SetClipboardText(HWND owner, const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

std::wstring NumberedLines(int count) {
    std::wstring text;
    for (int i = 0; i < count; ++i) text += L"line " + std::to_wstring(i) + L"\r\n";
    return text;
}

TEST_F(TextViewTest, TextRoundTripsWithEveryLineEnding) {
    struct {
        const wchar_t* text;
        LRESULT lines;
        LRESULT secondLineLength;  // -1: no second line
    } cases[] = {
        {L"", 1, -1},
        {L"one line", 1, -1},
        {L"a\r\nbc", 2, 2},
        {L"a\nbc\rd\r\ne", 4, 2},
        {L"a\r\rb", 3, 0},         // lone CR then CR: an empty line between
        {L"a\n\r\nb", 3, 0},       // LF then CR LF
        {L"trailing\r\n", 1, -1},  // a final break opens no line
        {L"\r\n", 1, -1},
        {L"caf\u00e9 \u20ac \u65e5\u672c\r\n\U0001D11E clef\r\n\u00c0 la ligne", 3, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        SetText(c.text);
        EXPECT_EQ(Send(WM_GETTEXTLENGTH), static_cast<LRESULT>(wcslen(c.text)));
        EXPECT_EQ(Text(), c.text);
        EXPECT_EQ(Send(EM_GETLINECOUNT), c.lines);
        if (c.secondLineLength >= 0)
            EXPECT_EQ(Send(EM_LINELENGTH, Send(EM_LINEINDEX, 1)), c.secondLineLength);
        else
            EXPECT_EQ(Send(EM_LINEINDEX, 1), -1);
    }

    // A short buffer gets what fits and its terminating NUL.
    SetText(L"abcdef");
    wchar_t small[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_EQ(Send(WM_GETTEXT, 4, reinterpret_cast<LPARAM>(small)), 3);
    EXPECT_STREQ(small, L"abc");
    EXPECT_EQ(Send(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(small)), 0);

    // Automation reading the window text the ordinary way sees the same.
    SetWindowTextW(view_, L"via SetWindowText\nsecond");
    wchar_t buffer[64];
    GetWindowTextW(view_, buffer, 64);
    EXPECT_STREQ(buffer, L"via SetWindowText\nsecond");
    EXPECT_EQ(Send(EM_GETLINECOUNT), 2);
}

TEST_F(TextViewTest, FontIsCourierNewAndCanBeReplaced) {
    const auto font = reinterpret_cast<HFONT>(Send(WM_GETFONT));
    ASSERT_TRUE(font);
    LOGFONTW logFont{};
    GetObjectW(font, sizeof logFont, &logFont);
    EXPECT_STREQ(logFont.lfFaceName, L"Courier New");
    EXPECT_EQ(logFont.lfHeight, -winui::Scale(13, winui::WindowDpi(view_)));

    SetText(NumberedLines(100));
    const size_t linesBefore = static_cast<size_t>(Send(EM_GETLINECOUNT));
    LOGFONTW big = logFont;
    big.lfHeight *= 3;
    HFONT bigFont = CreateFontIndirectW(&big);
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(bigFont), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(Send(WM_GETFONT)), bigFont);
    EXPECT_EQ(static_cast<size_t>(Send(EM_GETLINECOUNT)), linesBefore);
    // Fewer lines fit: scrolling to the end shows a later first line than with the small font.
    Send(WM_VSCROLL, SB_BOTTOM);
    const size_t bigLast = FirstVisible();
    Send(WM_SETFONT, 0, TRUE);  // back to its own font
    Send(WM_VSCROLL, SB_BOTTOM);
    EXPECT_GT(bigLast, FirstVisible());
    DeleteObject(bigFont);
}

TEST_F(TextViewTest, ScrollMessagesMoveTheFirstVisibleLine) {
    SetText(NumberedLines(1000));
    ASSERT_EQ(Send(EM_GETLINECOUNT), 1000);
    RECT client;
    GetClientRect(view_, &client);
    const size_t page = static_cast<size_t>(client.bottom / LineHeight());
    EXPECT_EQ(FirstVisible(), 0u);

    EXPECT_TRUE(Send(EM_LINESCROLL, 0, 10));
    EXPECT_EQ(FirstVisible(), 10u);
    Send(EM_LINESCROLL, 0, -3);
    EXPECT_EQ(FirstVisible(), 7u);
    Send(EM_LINESCROLL, 0, -100);
    EXPECT_EQ(FirstVisible(), 0u);
    Send(EM_LINESCROLL, 0, 100000);
    const size_t last = FirstVisible();
    EXPECT_EQ(last, 1000 - page) << "the last line shows at the bottom, not alone at the top";
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(view_, SB_VERT, &info);
    EXPECT_EQ(static_cast<size_t>(info.nPos), last);

    Send(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(FirstVisible(), 0u);
    Send(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_GE(FirstVisible(), page - 1);
    Send(WM_VSCROLL, SB_LINEUP);
    Send(WM_VSCROLL, SB_TOP);

    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    const size_t wheeled = FirstVisible();
    EXPECT_GT(wheeled, 0u);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(FirstVisible(), 0u);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA / 2)), 0);
    EXPECT_EQ(FirstVisible(), 0u) << "half a notch waits for the other half";
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA / 2)), 0);
    EXPECT_EQ(FirstVisible(), wheeled);

    // The caret brought into view: a selection deep in the text, then EM_SCROLLCARET.
    const LRESULT line500 = Send(EM_LINEINDEX, 500);
    Send(EM_SETSEL, line500, line500 + 3);
    EXPECT_EQ(FirstVisible(), wheeled) << "selecting alone does not scroll";
    Send(EM_SCROLLCARET);
    EXPECT_LE(FirstVisible(), 500u);
    EXPECT_GT(FirstVisible() + page, 500u);

    // Keyboard: Ctrl+End, Ctrl+Home, Page Down, arrows.
    Key(VK_END, true);
    EXPECT_EQ(FirstVisible(), last);
    EXPECT_EQ(Selection(), Range(Text().size(), Text().size()));
    Key(VK_HOME, true);
    EXPECT_EQ(FirstVisible(), 0u);
    EXPECT_EQ(Selection().second, 0u);
    Key(VK_NEXT);
    EXPECT_GE(FirstVisible(), page - 1);
    EXPECT_EQ(Send(EM_LINEFROMCHAR, Selection().second), static_cast<LRESULT>(page));
    Key(VK_DOWN);
    EXPECT_EQ(Send(EM_LINEFROMCHAR, Selection().second), static_cast<LRESULT>(page + 1));
    Key(VK_PRIOR);
    Key(VK_PRIOR);
    EXPECT_EQ(FirstVisible(), 0u);
    EXPECT_EQ(Selection().second, 0u);

    // New text shows from its top.
    Send(EM_LINESCROLL, 0, 400);
    SetText(NumberedLines(900));
    EXPECT_EQ(FirstVisible(), 0u);
    EXPECT_EQ(Selection(), Range(0, 0));
}

TEST_F(TextViewTest, HorizontalScrollFollowsTheWidestLine) {
    SetText(L"short\r\n" + std::wstring(500, L'x') + L"\r\n\tafter a tab");
    Send(EM_LINESCROLL, 40, 0);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS | SIF_RANGE | SIF_PAGE;
    GetScrollInfo(view_, SB_HORZ, &info);
    EXPECT_EQ(info.nPos, 40);
    EXPECT_GE(info.nMax, 500);
    Send(WM_HSCROLL, SB_RIGHT);
    GetScrollInfo(view_, SB_HORZ, &info);
    EXPECT_EQ(info.nPos + static_cast<int>(info.nPage), 501) << "the column after the last character is reachable";
    Send(WM_HSCROLL, SB_LEFT);
    GetScrollInfo(view_, SB_HORZ, &info);
    EXPECT_EQ(info.nPos, 0);
    // End on the long line brings its end into view.
    Send(EM_SETSEL, 7, 7);
    Key(VK_END);
    GetScrollInfo(view_, SB_HORZ, &info);
    EXPECT_GT(info.nPos + static_cast<int>(info.nPage), 500);
    // Up onto a tabbed line keeps the caret on a character boundary.
    Key(VK_DOWN);
    EXPECT_EQ(Send(EM_LINEFROMCHAR, Selection().second), 2);
}

TEST_F(TextViewTest, SelectionAndCopy) {
    const std::wstring text = L"abc\ndef\rghi\r\njkl";
    SetText(text);
    SetClipboardText(host_, L"before");

    struct {
        int from, to;
        const wchar_t* copied;
    } cases[] = {
        {1, 6, L"bc\r\nde"},                   // across a lone LF: the clipboard gets CR LF
        {5, 10, L"ef\r\ngh"},                  // across a lone CR
        {9, 14, L"hi\r\nj"},                   // across CR LF, kept as it is
        {6, 1, L"bc\r\nde"},                   // backwards
        {0, -1, L"abc\r\ndef\r\nghi\r\njkl"},  // -1: to the end
        {2, 999, L"c\r\ndef\r\nghi\r\njkl"},   // past the end: clamped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copied);
        Send(EM_SETSEL, static_cast<WPARAM>(c.from), c.to);
        Send(WM_COPY);
        EXPECT_EQ(ClipboardText(host_), c.copied);
    }

    // An empty selection copies nothing and leaves the clipboard alone.
    SetClipboardText(host_, L"kept");
    Send(EM_SETSEL, 3, 3);
    Send(WM_COPY);
    EXPECT_EQ(ClipboardText(host_), L"kept");

    // Ctrl+A, Ctrl+C.
    Key('A', true);
    EXPECT_EQ(Selection(), Range(0, text.size()));
    Key('C', true);
    EXPECT_EQ(ClipboardText(host_), L"abc\r\ndef\r\nghi\r\njkl");

    // Shift with arrows and End extends from the anchor; an arrow alone drops the selection.
    Send(EM_SETSEL, 1, 1);
    Key(VK_RIGHT, false, true);
    Key(VK_RIGHT, false, true);
    EXPECT_EQ(Selection(), Range(1, 3));
    Key(VK_RIGHT, false, true);  // over the line break
    EXPECT_EQ(Selection(), Range(1, 4));
    Key(VK_END, false, true);
    EXPECT_EQ(Selection(), Range(1, 7));
    Key(VK_LEFT);
    EXPECT_EQ(Selection(), Range(6, 6));
    Key(VK_UP, false, true);
    EXPECT_EQ(Selection(), Range(2, 6));

    // A character outside the BMP is one step for the arrows: its two halves are never split.
    SetText(L"a\U0001D11Eb");
    Send(EM_SETSEL, 1, 1);
    Key(VK_RIGHT, false, true);
    EXPECT_EQ(Selection(), Range(1, 3));
    Send(WM_COPY);
    EXPECT_EQ(ClipboardText(host_), L"\U0001D11E");
    Key(VK_RIGHT);
    Key(VK_LEFT);
    Key(VK_LEFT);
    EXPECT_EQ(Selection(), Range(1, 1));
    SetText(text);

    // The mouse: a click past the end of line 1 puts the caret at its end, dragging to line 3 selects.
    RECT client;
    GetClientRect(view_, &client);
    const int h = LineHeight(), right = client.right - 4;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(right, h + h / 2));
    EXPECT_EQ(Selection(), Range(7, 7));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(right, 2 * h + h / 2));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(right, 3 * h + h / 2));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(right, 3 * h + h / 2));
    EXPECT_EQ(Selection(), Range(7, 16));
    EXPECT_EQ(GetFocus(), view_);
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(right, 0));
    EXPECT_EQ(Selection(), Range(7, 16)) << "moving without the button keeps it";
    // A click in the gutter lands at the line's start; Shift+click extends.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, h / 2));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(1, h / 2));
    EXPECT_EQ(Selection(), Range(0, 0));
    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(right, 2 * h + h / 2));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(right, 2 * h + h / 2));
    EXPECT_EQ(Selection(), Range(0, 11));

    // A double click selects the word, blank run or sign under the mouse.
    SetText(L"server=sapprd01.example  next");
    struct {
        int under;
        size_t from, to;
    } words[] = {{9, 7, 15}, {7, 7, 15}, {14, 7, 15}, {6, 6, 7}, {24, 23, 25}, {0, 0, 6}, {28, 25, 29}};
    for (const auto& w : words) {
        SCOPED_TRACE(w.under);
        Send(WM_HSCROLL, SB_LEFT);  // the last case may have scrolled sideways
        const LRESULT at = Send(EM_POSFROMCHAR, static_cast<WPARAM>(w.under));
        EXPECT_EQ(LOWORD(Send(EM_CHARFROMPOS, 0, at)), w.under);
        // Near the right edge of the character: still that character, not the next one.
        const LPARAM point = MAKELPARAM(static_cast<short>(LOWORD(at)) + h / 3, static_cast<short>(HIWORD(at)) + 2);
        Send(WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        Send(WM_LBUTTONUP, 0, point);
        EXPECT_EQ(Selection(), Range(w.from, w.to));
    }

    // Dragging below the view scrolls it along.
    SetText(NumberedLines(200));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(right, h / 2));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(right, client.bottom + h));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(right, client.bottom + h));
    EXPECT_GT(FirstVisible(), 0u);
    EXPECT_EQ(Selection().first, 6u);
    EXPECT_GT(Send(EM_LINEFROMCHAR, Selection().second), static_cast<LRESULT>(client.bottom / h));
}

TEST_F(TextViewTest, PaintsTokenColoursOfItsLanguage) {
    auto reddish = [](int r, int g, int b) { return r > g + 80 && r > b + 80; };   // attribute names
    auto greenish = [](int r, int g, int b) { return g > r + 60 && g > b + 60; };  // comments
    std::wstring xml;
    for (int i = 0; i < 10; ++i) xml += L"<Item name=\"x\" other=\"y\"/>\r\n";

    SetText(xml);
    TShot shot = Shot();
    const DWORD window = Rgb(GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(shot.At(shot.width - 2, shot.height - 2), window) << "background of a read-only view";
    EXPECT_EQ(shot.At(1, 1), Rgb(GetSysColor(COLOR_BTNFACE))) << "gutter";
    EXPECT_GT(shot.Count(reddish), 20);

    winui::TextViewSetLanguage(view_, TSyntaxLanguage::None);
    EXPECT_EQ(Shot().Count(reddish), 0);
    winui::TextViewSetLanguage(view_, TSyntaxLanguage::Ini);
    SetText(L"; a comment\r\n[Section]\r\nkey=value\r\n");
    EXPECT_GT(Shot().Count(greenish), 10);

    // An XML comment opened far above the visible lines still colours them: the scanner's state is
    // carried down from the top, not guessed from the first visible line.
    winui::TextViewSetLanguage(view_, TSyntaxLanguage::Xml);
    std::wstring longComment = L"<!-- opened here\r\n";
    for (int i = 0; i < 2000; ++i) longComment += L"still inside the comment\r\n";
    longComment += L"-->\r\n<a name=\"v\"/>\r\n";
    SetText(longComment);
    Send(EM_LINESCROLL, 0, 1500);
    EXPECT_GT(Shot().Count(greenish), 50);
    Send(WM_VSCROLL, SB_BOTTOM);
    const TShot bottom = Shot();
    EXPECT_GT(bottom.Count(reddish), 5) << "after the comment closes, markup again";
    Send(EM_LINESCROLL, 0, -1000);  // back up, past checkpoints already walked
    EXPECT_GT(Shot().Count(greenish), 50);

    // The selection shows in the highlight colour.
    SetFocus(view_);
    SetText(xml);
    const DWORD highlight = Rgb(GetSysColor(COLOR_HIGHLIGHT));
    auto isHighlight = [&](int r, int g, int b) { return static_cast<DWORD>((r << 16) | (g << 8) | b) == highlight; };
    const int before = Shot().Count(isHighlight);
    Send(EM_SETSEL, 0, -1);
    EXPECT_GT(Shot().Count(isHighlight), before + 1000);
}

TEST_F(TextViewTest, EmptyTextIsOneEmptyLine) {
    SetText(L"some\r\ntext");
    SetText(L"");
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), 0);
    EXPECT_EQ(Text(), L"");
    EXPECT_EQ(Send(EM_GETLINECOUNT), 1);
    EXPECT_EQ(Send(EM_LINELENGTH, 0), 0);
    const TShot shot = Shot();
    const DWORD window = Rgb(GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(shot.Count([&](int r, int g, int b) { return static_cast<DWORD>((r << 16) | (g << 8) | b) != window; },
                         shot.width / 2),
              0)
        << "nothing drawn in the text area";
    for (WPARAM key : {VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT, VK_NEXT, VK_PRIOR, VK_END, VK_HOME}) Key(key, false, true);
    Key('A', true);
    EXPECT_EQ(Selection(), Range(0, 0));
    Send(EM_LINESCROLL, 5, 5);
    EXPECT_EQ(FirstVisible(), 0u);
    SendMessageW(view_, WM_SETTEXT, 0, 0);  // a null text is the empty text
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), 0);
}

TEST_F(TextViewTest, FiveMegabyteSingleLine) {
    std::wstring line;
    line.reserve(5'000'000);
    while (line.size() < 5'000'000) line += L"<Item uuid=\"20a99bb0-55bf\" name=\"x\"/>";
    SetText(line);
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), static_cast<LRESULT>(line.size()));
    EXPECT_EQ(Send(EM_GETLINECOUNT), 1);
    EXPECT_EQ(Text(), line);
    auto inked = [](int r, int g, int b) { return r + g + b < 600; };
    EXPECT_GT(Shot().Count(inked, 60), 100);

    Key(VK_END);
    EXPECT_EQ(Selection().second, static_cast<DWORD>(line.size()));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS | SIF_PAGE;
    GetScrollInfo(view_, SB_HORZ, &info);
    EXPECT_GT(static_cast<size_t>(info.nPos) + info.nPage, line.size()) << "the end of the line is in view";
    EXPECT_GT(Shot().Count(inked, 60), 100) << "the far end is drawn";
    Send(WM_HSCROLL, SB_LEFT);
    Send(EM_LINESCROLL, 2'500'000, 0);
    EXPECT_GT(Shot().Count(inked, 60), 100);
    // A real paint through the window, too.
    InvalidateRect(view_, nullptr, FALSE);
    UpdateWindow(view_);
}

}  // namespace
}  // namespace orvane
