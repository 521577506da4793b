// The download window, created on the display and driven as the download loop drives it.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "update/WebUpdate.h"
#include "update/win32/ProgressForm_win32.h"
#include "winui/Controls.h"
#include "winui/Dpi.h"

namespace orvane {
namespace {

TEST(Win32ProgressForm, WindowShowsProgressAndCancels) {
    TWin32ProgressForm form(nullptr);
    const HWND window = form.Window();
    ASSERT_TRUE(window) << "needs a display";
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(winui::GetText(window), L"Downloading...");
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_FALSE(style & WS_SYSMENU) << "no close box";
    EXPECT_TRUE(style & WS_DLGFRAME);

    RECT r;
    GetWindowRect(window, &r);
    const UINT dpi = winui::WindowDpi(window);
    EXPECT_EQ(r.right - r.left, winui::Scale(300, dpi));
    EXPECT_EQ(r.bottom - r.top, winui::Scale(110, dpi));
    const int centre = (r.left + r.right) / 2, screen = GetSystemMetrics(SM_CXSCREEN) / 2;
    EXPECT_LE(std::abs(centre - screen), 1) << "centred";

    RECT bar;
    GetWindowRect(form.ProgressBar(), &bar);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(bar.left, winui::Scale(10, dpi));
    EXPECT_EQ(bar.top, winui::Scale(40, dpi));
    EXPECT_EQ(bar.right - bar.left, winui::Scale(264, dpi));

    // The engine reports progress through the window: sizes beyond 32 bits are scaled, not cut.
    TWebUpdate engine(TWebUpdateServices{});
    engine.SetProgressForm(&form);
    const long long gigabytes = 6LL << 30;
    engine.DoFileProgress(L"C:\\temp\\orvane-2.0.cab", gigabytes / 2, gigabytes);
    const int high = static_cast<int>(SendMessageW(form.ProgressBar(), PBM_GETRANGE, FALSE, 0));
    const int pos = static_cast<int>(SendMessageW(form.ProgressBar(), PBM_GETPOS, 0, 0));
    EXPECT_GT(high, 0);
    EXPECT_NEAR(static_cast<double>(pos) / high, 0.5, 0.001);
    EXPECT_EQ(winui::GetText(form.FileLabel()), L"Downloading : orvane-2.0.cab");
    engine.DoFileProgress(L"small.bin", 10, 40);
    EXPECT_EQ(SendMessageW(form.ProgressBar(), PBM_GETPOS, 0, 0), 10);
    EXPECT_EQ(SendMessageW(form.ProgressBar(), PBM_GETRANGE, FALSE, 0), 40);

    bool heard = false;
    form.OnCancel = [&] { heard = true; };
    EXPECT_FALSE(form.CancelRequested());
    SendMessageW(form.CancelButton(), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.CancelRequested());
    EXPECT_TRUE(heard);

    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window)) << "only the download ends the window";
}

TEST(Win32ProgressForm, DestroyedWithItsObject) {
    HWND window;
    {
        TWin32ProgressForm form(nullptr);
        window = form.Window();
        ASSERT_TRUE(IsWindow(window));
    }
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace orvane
