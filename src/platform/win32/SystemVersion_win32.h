#pragma once

#include "platform/SystemVersion.h"

namespace orvane::win32 {

class TWin32SystemVersion : public ISystemVersion {
public:
    std::optional<OSVersionRecord> Reported() const override;
    std::optional<OSVersionNumber> Refined() const override;
    bool HasLocaleInfoEx() const override;
};

}  // namespace orvane::win32
