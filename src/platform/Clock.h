#pragma once

namespace orvane {

// A moment of local time, broken down.
struct LocalTime {
    int year = 1980, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The wall clock, in local time.
class IClock {
public:
    virtual ~IClock() = default;
    virtual LocalTime Now() const = 0;
};

}  // namespace orvane
