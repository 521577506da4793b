#pragma once

#include "platform/Clock.h"

namespace orvane::win32 {

class TWin32Clock : public IClock {
public:
    LocalTime Now() const override;
};

}  // namespace orvane::win32
