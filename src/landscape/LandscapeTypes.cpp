#include "landscape/LandscapeTypes.h"

#include "core/Text.h"

namespace orvane {

namespace {

std::wstring_view TrimControl(std::wstring_view text) {
    while (!text.empty() && text.front() <= L' ') text.remove_prefix(1);
    while (!text.empty() && text.back() <= L' ') text.remove_suffix(1);
    return text;
}

template <class E, size_t N>
E FromKeyword(std::wstring_view text, const std::pair<const wchar_t*, E> (&table)[N], E fallback) {
    const std::wstring lower = LowerCaseAscii(TrimControl(text));
    for (const auto& [keyword, value] : table)
        if (lower == keyword) return value;
    return fallback;
}

constexpr std::pair<const wchar_t*, tyCanvasAppType> kCanvasAppTypes[] = {
    {L"empty", catEmpty},
    {L"browserbsp", catBrowserBSP},
    {L"browseres", catBrowserES},
    {L"browserservicemap", catBrowserServiceMap},
    {L"browsertransaction", catBrowserTransaction},
    {L"browserurl", catBrowserURL},
    {L"browserwebdynpro", catBrowserWebDynpro},
    {L"browserwui", catBrowserWUI},
    {L"sapguitransaction", catSapguiTransaction},
};

constexpr std::pair<const wchar_t*, tyServiceType> kServiceTypes[] = {
    {L"nwbc", stNWBC},
    {L"bydesign", stByDesign},
    {L"wda", stWDA},
    {L"map", stMAP},
    {L"portal", stPortal},
    {L"sapgui", stSAPGUI},
    {L"sidepanel", stSIDEPANEL},
    {L"url", stURL},
    {L"search", stSearch},
    {L"shortcut", stShortcut},
    {L"reference", stReference},
    {L"abapmobile", stABAPmobile},
    {L"fiori", stFIORI},
};

constexpr const char* kCanvasAppTypeNames[] = {
    "catEmpty",      "catBrowserBSP",       "catBrowserES",  "catBrowserServiceMap", "catBrowserTransaction",
    "catBrowserURL", "catBrowserWebDynpro", "catBrowserWUI", "catSapguiTransaction",
};

constexpr const char* kServiceTypeNames[] = {
    "stNWBC", "stByDesign", "stWDA",      "stMAP",       "stPortal",     "stSAPGUI", "stSIDEPANEL",
    "stURL",  "stSearch",   "stShortcut", "stReference", "stABAPmobile", "stFIORI",  "stAO",
};

} // namespace

tyCanvasAppType CanvasAppTypeFromText(std::wstring_view text) {
    return FromKeyword(text, kCanvasAppTypes, catEmpty);
}

tyServiceType ServiceTypeFromText(std::wstring_view text) {
    return FromKeyword(text, kServiceTypes, stSAPGUI);
}

const char* CanvasAppTypeName(tyCanvasAppType value) {
    return value < std::size(kCanvasAppTypeNames) ? kCanvasAppTypeNames[value] : "";
}

const char* ServiceTypeName(tyServiceType value) {
    return value < std::size(kServiceTypeNames) ? kServiceTypeNames[value] : "";
}

} // namespace orvane
