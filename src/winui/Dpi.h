#pragma once

#include <windows.h>

namespace orvane::winui {

// Dots per inch of the monitor WINDOW is on. ORVANE_DPI in the environment overrides it, so that
// scaling can be checked under Wine.
UINT WindowDpi(HWND window);

// A length in 96-dpi design units at DPI.
inline int Scale(int designUnits, UINT dpi) { return MulDiv(designUnits, static_cast<int>(dpi), 96); }

// Opts the process into per-monitor DPI awareness where the manifest could not (older systems).
void EnableDpiAwareness();

} // namespace orvane::winui
