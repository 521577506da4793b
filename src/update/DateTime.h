#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// A date-time: days since 1899-12-30, the time of day as the fraction.
using TDateTime = double;

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

std::optional<TDateTime> EncodeDate(int year, int month, int day);
std::optional<TDateTime> EncodeTime(int hour, int minute, int second, int millisecond = 0);
DateParts DecodeDateTime(TDateTime value);
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);

// The date with a system short date picture (d, dd, M, MM, yy, yyyy, 'literal'); "/" stands for the
// separator. Other picture letters (day and month names) are written as their numbers.
std::wstring FormatDatePicture(TDateTime value, std::wstring_view picture, wchar_t separator);
// "dd/mm/yyyy" with the given separator in place of "/".
std::wstring FormatDayMonthYear(TDateTime value, wchar_t separator);
// Day, month and year in that order, separated by the separator; years of two digits or fewer fall in 1950-2049.
std::optional<TDateTime> ParseDayMonthYear(std::wstring_view text, wchar_t separator);

// The time of day with a system time picture (h, hh, H, HH, m, mm, s, ss, t, tt, 'literal').
std::wstring FormatTimePicture(TDateTime value, std::wstring_view picture, std::wstring_view am, std::wstring_view pm);
// Hours and minutes, optional seconds, separated by the separator; an optional AM/PM designator.
std::optional<TDateTime> ParseTimeOfDay(std::wstring_view text, wchar_t separator, std::wstring_view am,
                                        std::wstring_view pm);

}  // namespace orvane
