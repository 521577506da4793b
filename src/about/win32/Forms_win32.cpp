#include "about/win32/Forms_win32.h"

namespace orvane::about {

void PaintStrip(HDC dc, int width, int height) {
    // Only orvane.exe carries the picture; elsewhere the strip keeps its top colour.
    static const HBITMAP picture = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), L"ABOUTSTRIP", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!picture) {
        const win32::unique_hgdiobj brush(CreateSolidBrush(RGB(27, 42, 73)));
        const RECT area{0, 0, width, height};
        FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
        return;
    }
    BITMAP info{};
    GetObjectW(picture, sizeof(info), &info);
    const win32::unique_hdc source(CreateCompatibleDC(dc));
    const HGDIOBJ old = SelectObject(source.get(), picture);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(source.get(), old);
}

win32::unique_hfont CreateFormFont(const TFontLook& look, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(look.pixelHeight, static_cast<int>(dpi), 96);
    font.lfWeight = look.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = look.italic;
    font.lfUnderline = look.underline;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(font.lfFaceName, look.face, LF_FACESIZE);
    return win32::unique_hfont(CreateFontIndirectW(&font));
}

RECT CentredWindowRect(HWND owner, int clientWidth, int clientHeight, DWORD style, DWORD exStyle) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &around);
    const int x = around.left + (around.right - around.left - width) / 2;
    const int y = around.top + (around.bottom - around.top - height) / 2;
    return {x, y, x + width, y + height};
}

void RunModal(HWND window, HWND owner, HWND initialFocus, const bool* done) {
    const bool ownerEnabled = owner && IsWindowEnabled(owner);
    if (ownerEnabled) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetFocus(initialFocus);
    MSG message;
    while (!*done) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
            break;
        }
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The owner comes back before this window goes, so that it gets the activation.
    if (ownerEnabled) EnableWindow(owner, TRUE);
    ShowWindow(window, SW_HIDE);
}

}  // namespace orvane::about
