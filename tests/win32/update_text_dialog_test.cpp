// The what's-new and licence dialogs as the user meets them: texts, layout, and which way out
// accepts.

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "update/win32/TextDialog_win32.h"

namespace orvane {
namespace {

std::wstring TextOf(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

RECT ClientRectOf(HWND dialog, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Shows the dialog and lets ACT work on it once it is up; ACT ends it.
bool Show(const TTextDialogContent& content, const TTextDialogButtons& buttons, std::function<void(HWND)> act) {
    OnTextDialogShown = [act](HWND dialog) { act(dialog); };
    const bool result = ShowTextDialog(nullptr, content, buttons);
    OnTextDialogShown = nullptr;
    return result;
}

void Click(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

TEST(UpdateTextDialog, WhatsNewLayoutAndAnswers) {
    TTextDialogContent content;
    content.caption = L"What's new";
    content.plain = L"line one\r\nline two";
    const TTextDialogButtons buttons{false, L"Ok", L"Cancel", {}, {}};
    struct Case {
        const char* name;
        std::function<void(HWND)> end;
        bool accepted;
    };
    const Case cases[] = {
        {"accept button", [](HWND d) { Click(d, kAcceptButtonId); }, true},
        {"refuse button", [](HWND d) { Click(d, kRefuseButtonId); }, false},
        {"close box", [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }, false},
    };
    for (const Case& c : cases) {
        bool checked = false;
        const bool result = Show(content, buttons, [&](HWND d) {
            RECT window{}, client{};
            GetWindowRect(d, &window);
            GetClientRect(d, &client);
            EXPECT_EQ(window.right - window.left, 400);
            EXPECT_EQ(window.bottom - window.top, 400);
            EXPECT_EQ(TextOf(d), L"What's new");
            const HWND box = GetDlgItem(d, kTextBoxId);
            EXPECT_EQ(TextOf(box), L"line one\r\nline two");
            const RECT b = ClientRectOf(d, box);
            EXPECT_EQ(b.left, 10);
            EXPECT_EQ(b.right - b.left, client.right - 20);
            EXPECT_EQ(b.bottom - b.top, client.bottom - 60);
            const RECT ok = ClientRectOf(d, GetDlgItem(d, kAcceptButtonId));
            const RECT cancel = ClientRectOf(d, GetDlgItem(d, kRefuseButtonId));
            EXPECT_EQ(ok.top, b.bottom + 10);
            EXPECT_EQ(cancel.left, b.right - (cancel.right - cancel.left));
            EXPECT_EQ(ok.left, b.right - 2 * (ok.right - ok.left) - 10);
            EXPECT_EQ(TextOf(GetDlgItem(d, kAcceptButtonId)), L"Ok");
            checked = true;
            c.end(d);
        });
        EXPECT_TRUE(checked) << c.name;
        EXPECT_EQ(result, c.accepted) << c.name;
    }
}

TEST(UpdateTextDialog, LicenceAcceptsOnlyThroughItsChoice) {
    TTextDialogContent content;
    content.plain = L"terms";
    const TTextDialogButtons buttons{true, L"Ok", {}, L"I accept", L"I do not accept"};
    struct Case {
        const char* name;
        bool chooseAccept;
        bool byButton;
        bool accepted;
    };
    const Case cases[] = {
        {"OK without choosing", false, true, false},
        {"accept chosen, OK", true, true, true},
        {"accept chosen, close box", true, false, true},
        {"close box", false, false, false},
    };
    for (const Case& c : cases) {
        const bool result = Show(content, buttons, [&](HWND d) {
            EXPECT_EQ(SendMessageW(GetDlgItem(d, kNotAcceptChoiceId), BM_GETCHECK, 0, 0), BST_CHECKED);
            const RECT accept = ClientRectOf(d, GetDlgItem(d, kAcceptChoiceId));
            const RECT notAccept = ClientRectOf(d, GetDlgItem(d, kNotAcceptChoiceId));
            EXPECT_EQ(accept.left, 10);
            EXPECT_EQ(notAccept.left, (accept.right - accept.left) + 20);
            if (c.chooseAccept) SendMessageW(GetDlgItem(d, kAcceptChoiceId), BM_CLICK, 0, 0);
            if (c.byButton)
                Click(d, kAcceptButtonId);
            else
                PostMessageW(d, WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(result, c.accepted) << c.name;
    }
}

TEST(UpdateTextDialog, RichTextIsShownAsText) {
    TTextDialogContent content;
    content.rich = true;
    content.rtf = "{\\rtf1\\ansi Licence {\\b terms}}";
    std::wstring shown;
    Show(content, {false, L"Ok", L"Cancel", {}, {}}, [&](HWND d) {
        shown = TextOf(GetDlgItem(d, kTextBoxId));
        Click(d, kAcceptButtonId);
    });
    EXPECT_EQ(shown, L"Licence terms");
}

}  // namespace
}  // namespace orvane
