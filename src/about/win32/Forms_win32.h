#pragma once

// What the About and news windows share: the picture strip, fonts, placement and the modal loop.

#include <windows.h>

#include "platform/win32/Handle.h"

namespace orvane::about {

inline constexpr int kFormWidth = 474, kFormHeight = 360, kStripWidth = 101;

// The strip on the left edge, WIDTH x HEIGHT pixels from the top left.
void PaintStrip(HDC dc, int width, int height);

struct TFontLook {
    const wchar_t* face = L"Tahoma";
    int pixelHeight = 11;  // 8 pt at 96 dpi
    bool bold = false, italic = false, underline = false;
};
win32::unique_hfont CreateFormFont(const TFontLook& look, UINT dpi);

// Where a window of that client size (already scaled) stands centred on OWNER, or on the screen.
RECT CentredWindowRect(HWND owner, int clientWidth, int clientHeight, DWORD style, DWORD exStyle);

// Shows WINDOW and runs its messages, OWNER disabled, until *DONE is set or the application quits.
void RunModal(HWND window, HWND owner, HWND initialFocus, const bool* done);

}  // namespace orvane::about
