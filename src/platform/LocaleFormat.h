#pragma once

#include <string>

namespace orvane {

// The user's locale settings for writing dates and times. The long time format uses the system's
// picture letters: h/hh (12-hour), H/HH (24-hour), m/mm, s/ss, t/tt (AM/PM), text in single quotes.
class ILocaleFormat {
public:
    virtual ~ILocaleFormat() = default;
    virtual wchar_t DateSeparator() const = 0;
    virtual wchar_t TimeSeparator() const = 0;
    virtual std::wstring LongTimeFormat() const = 0;
    virtual std::wstring AmDesignator() const = 0;
    virtual std::wstring PmDesignator() const = 0;
    // The short date picture: d/dd, M/MM, yy/yyyy, text in single quotes ("dd/MM/yyyy").
    virtual std::wstring ShortDateFormat() const { return L"dd/MM/yyyy"; }
};

}  // namespace orvane
