#pragma once

#include <optional>
#include <string>

#include "platform/UrlDownload.h"

namespace orvane::about {

inline constexpr const wchar_t* kNewsCaption = L"Nouveautés !";
// The longest value the profile reader's 2048-character buffer holds.
inline constexpr size_t kNewsMaxLength = 2047;

// Every two-character marker "\n" or "\N" becomes a line feed, wherever it stands.
std::wstring ExpandNewsMarkers(std::wstring_view text);
// Line feeds as an edit control shows line breaks: CR LF (pairs already there stay as they are).
std::wstring EditLineBreaks(std::wstring_view text);

// The release notes the control file at URL carries (key "descr" of section "update"), with line
// feeds for its markers; nothing on any failure or for an empty value. The downloaded copy is
// removed in every case.
std::optional<std::wstring> FetchNews(IUrlDownload& download, const std::wstring& url);

}  // namespace orvane::about
