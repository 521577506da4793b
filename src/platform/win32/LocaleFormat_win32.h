#pragma once

#include "platform/LocaleFormat.h"

namespace orvane::win32 {

// The user's default locale, read at each call so a change of settings is seen at once.
class TWin32LocaleFormat : public ILocaleFormat {
public:
    wchar_t DateSeparator() const override;
    wchar_t TimeSeparator() const override;
    std::wstring LongTimeFormat() const override;
    std::wstring AmDesignator() const override;
    std::wstring PmDesignator() const override;
    std::wstring ShortDateFormat() const override;
};

}  // namespace orvane::win32
