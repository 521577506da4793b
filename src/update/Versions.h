#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "update/DateTime.h"

namespace orvane {

// A file version: major and minor in versionms, release and build in versionls; -1 means none.
struct tfvi {
    std::int32_t versionms = -1;
    std::int32_t versionls = -1;
    bool operator==(const tfvi&) const = default;
};

// What VersionFromText could read, and whether any part of the text was malformed.
struct TVersionReading {
    tfvi version;
    bool malformed = false;
};

// Up to four numbers separated by "." or "," ("," wins when both occur).
TVersionReading ReadVersionText(std::wstring_view text);
tfvi VersionFromText(std::wstring_view text);
// The four 16-bit halves in decimal, joined by ".".
std::wstring VersionToText(const tfvi& v);

// A control-file date in the order DATEFORMAT names first (d, m or y) and a time of day; what cannot
// be read leaves 1 January 1980 00:00 (a bad date) or the date alone (a bad time).
TDateTime ParseUpdateDateTime(std::wstring_view dateText, std::wstring_view timeText, std::wstring_view dateFormat,
                              wchar_t dateSeparator, wchar_t timeSeparator);

}  // namespace orvane
