#pragma once

// Control identifiers of the About and news windows, shared with the tests that drive them.

namespace orvane::about::ids {

enum : int {
    lblApplication = 300,
    lblVersion,
    lblCompilerVersion,
    lblAvertissement,
    lblWebSite,
    bbtUpdate,
    bbtNews,
    bbtClose,
    // Caption and value of each identity row, in display order: caption first + 2 * row, value + 1.
    lblIdentityFirst = 320,
    memNews = 340,
};

inline constexpr wchar_t kAboutClass[] = L"TfrmAbout";
inline constexpr wchar_t kNewsClass[] = L"TfrmShowNews";

}  // namespace orvane::about::ids
