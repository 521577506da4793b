#pragma once

// A read-only text viewer with a line-number gutter and syntax colouring, fast on files of tens of
// megabytes: only the visible lines are coloured and drawn.
//
// Speaks the messages a read-only edit speaks, so window code and automation treat it like one:
// WM_SETTEXT / WM_GETTEXT / WM_GETTEXTLENGTH (the whole text), WM_SETFONT / WM_GETFONT, WM_COPY,
// EM_GETLINECOUNT, EM_LINESCROLL, EM_GETFIRSTVISIBLELINE, EM_SETSEL, EM_GETSEL, EM_SCROLLCARET,
// EM_LINEINDEX, EM_LINELENGTH, EM_LINEFROMCHAR, EM_POSFROMCHAR, EM_CHARFROMPOS, WM_PRINTCLIENT.
//
// Lines end with CR LF, CR or LF. A final line break does not open an empty last line; the empty
// text counts as one empty line, as in an edit.

#include <windows.h>

#include "probes/SyntaxColouring.h"

namespace orvane::winui {

inline constexpr const wchar_t* kTextViewClass = L"OrvaneTextView";

// Registers the window class once per process; later calls do nothing.
void RegisterTextView(HINSTANCE instance);

// A child viewer with a sunken border, both scroll bars and a tab stop, in Courier New of
// 13 pixels at 96 dpi (its gutter 11 pixels). Registers the class first when needed.
HWND CreateTextView(HWND parent, int id, TSyntaxLanguage language);

// Recolours the text already shown.
void TextViewSetLanguage(HWND view, TSyntaxLanguage language);

}  // namespace orvane::winui
