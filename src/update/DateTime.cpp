#include "update/DateTime.h"

#include <cmath>

#include "core/Text.h"

namespace orvane {

namespace {

constexpr long kDaysTo18991230 = -25569;  // 1899-12-30 relative to 1970-01-01

// Days since 1970-01-01 of a proleptic Gregorian date.
long DaysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long>(yoe) + era * 400 + (m <= 2));
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

std::wstring TwoDigits(int v) {
    std::wstring s = std::to_wstring(v);
    return s.size() < 2 ? L"0" + s : s;
}

// Reads a run of decimal digits; false when there is none.
bool ReadNumber(std::wstring_view text, size_t& pos, int& value, size_t& digits) {
    value = 0;
    digits = 0;
    while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9' && digits < 9) {
        value = value * 10 + (text[pos] - L'0');
        ++pos;
        ++digits;
    }
    return digits > 0;
}

void SkipBlanks(std::wstring_view text, size_t& pos) {
    while (pos < text.size() && text[pos] == L' ') ++pos;
}

}  // namespace

std::optional<TDateTime> EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                               kDaysTo18991230);
}

std::optional<TDateTime> EncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return std::nullopt;
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / 86400000.0;
}

DateParts DecodeDateTime(TDateTime value) {
    DateParts p;
    // Round to the millisecond first so that 0.99999999 of a day does not read as 23:59:59.999 of the wrong day.
    const double totalMs = std::round(value * 86400000.0);
    long days = static_cast<long>(std::floor(totalMs / 86400000.0));
    long ms = static_cast<long>(totalMs - static_cast<double>(days) * 86400000.0);
    CivilFromDays(days + kDaysTo18991230, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3600000);
    ms %= 3600000;
    p.minute = static_cast<int>(ms / 60000);
    ms %= 60000;
    p.second = static_cast<int>(ms / 1000);
    p.millisecond = static_cast<int>(ms % 1000);
    return p;
}

TDateTime DateOf(TDateTime value) {
    const DateParts p = DecodeDateTime(value);
    return EncodeDate(p.year, p.month, p.day).value_or(0.0);
}

TDateTime TimeOf(TDateTime value) {
    const DateParts p = DecodeDateTime(value);
    return EncodeTime(p.hour, p.minute, p.second, p.millisecond).value_or(0.0);
}

std::wstring FormatDayMonthYear(TDateTime value, wchar_t separator) {
    const DateParts p = DecodeDateTime(value);
    std::wstring year = std::to_wstring(p.year);
    while (year.size() < 4) year = L"0" + year;
    return TwoDigits(p.day) + separator + TwoDigits(p.month) + separator + year;
}

std::optional<TDateTime> ParseDayMonthYear(std::wstring_view text, wchar_t separator) {
    size_t pos = 0, digits = 0;
    int day, month, year;
    SkipBlanks(text, pos);
    if (!ReadNumber(text, pos, day, digits) || pos >= text.size() || text[pos++] != separator) return std::nullopt;
    if (!ReadNumber(text, pos, month, digits) || pos >= text.size() || text[pos++] != separator) return std::nullopt;
    if (!ReadNumber(text, pos, year, digits)) return std::nullopt;
    if (digits <= 2) year += year < 50 ? 2000 : 1900;
    SkipBlanks(text, pos);
    if (pos != text.size()) return std::nullopt;
    return EncodeDate(year, month, day);
}

namespace {

// Walks a picture: quoted text is copied without its quotes, and each run of one letter goes to
// FIELD, which appends its text and answers whether the letter was one of its own; other runs are
// copied as they stand.
template <typename Field>
std::wstring FormatPicture(std::wstring_view picture, Field field) {
    std::wstring out;
    for (size_t i = 0; i < picture.size();) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            const size_t close = picture.find(L'\'', i + 1);
            const size_t end = close == std::wstring_view::npos ? picture.size() : close;
            out += picture.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        if (!field(c, run, out)) out.append(run, c);
        i += run;
    }
    return out;
}

std::wstring Number(int value, size_t run) { return run >= 2 ? TwoDigits(value) : std::to_wstring(value); }

}  // namespace

std::wstring FormatDatePicture(TDateTime value, std::wstring_view picture, wchar_t separator) {
    const DateParts p = DecodeDateTime(value);
    return FormatPicture(picture, [&](wchar_t c, size_t run, std::wstring& out) {
        switch (c) {
            case L'd': out += Number(p.day, run); return true;
            case L'M': out += Number(p.month, run); return true;
            case L'y': out += run <= 2 ? TwoDigits(p.year % 100) : std::to_wstring(p.year); return true;
            case L'/': out.append(run, separator); return true;
            default: return false;
        }
    });
}

std::wstring FormatTimePicture(TDateTime value, std::wstring_view picture, std::wstring_view am, std::wstring_view pm) {
    const DateParts p = DecodeDateTime(value);
    return FormatPicture(picture, [&](wchar_t c, size_t run, std::wstring& out) {
        switch (c) {
            case L'H': out += Number(p.hour, run); return true;
            case L'h': out += Number(p.hour % 12 == 0 ? 12 : p.hour % 12, run); return true;
            case L'm': out += Number(p.minute, run); return true;
            case L's': out += Number(p.second, run); return true;
            case L't': {
                const std::wstring_view d = p.hour < 12 ? am : pm;
                out += run >= 2 ? d : d.substr(0, 1);
                return true;
            }
            default: return false;
        }
    });
}

std::optional<TDateTime> ParseTimeOfDay(std::wstring_view text, wchar_t separator, std::wstring_view am,
                                        std::wstring_view pm) {
    size_t pos = 0, digits = 0;
    int hour, minute, second = 0;
    int half = 0;  // 1 morning, 2 afternoon
    auto readDesignator = [&] {
        SkipBlanks(text, pos);
        const std::wstring_view rest = text.substr(pos);
        if (!am.empty() && rest.size() >= am.size() && EqualsNoCaseAscii(rest.substr(0, am.size()), am)) {
            half = 1;
            pos += am.size();
        } else if (!pm.empty() && rest.size() >= pm.size() && EqualsNoCaseAscii(rest.substr(0, pm.size()), pm)) {
            half = 2;
            pos += pm.size();
        }
        SkipBlanks(text, pos);
    };
    readDesignator();
    if (!ReadNumber(text, pos, hour, digits) || pos >= text.size() || text[pos++] != separator) return std::nullopt;
    if (!ReadNumber(text, pos, minute, digits)) return std::nullopt;
    if (pos < text.size() && text[pos] == separator) {
        ++pos;
        if (!ReadNumber(text, pos, second, digits)) return std::nullopt;
    }
    if (half == 0) readDesignator();
    SkipBlanks(text, pos);
    if (pos != text.size()) return std::nullopt;
    if (half != 0) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (half == 2 ? 12 : 0);
    }
    return EncodeTime(hour, minute, second);
}

}  // namespace orvane
