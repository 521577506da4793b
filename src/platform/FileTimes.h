#pragma once

#include <optional>
#include <string>

namespace orvane {

// File modification times, as days since 1899-12-30 in local time with the time of day as the fraction.
class IFileTimes {
public:
    virtual ~IFileTimes() = default;
    // nullopt when the path is not an existing file.
    virtual std::optional<double> LastWriteLocal(const std::wstring& path) const = 0;
};

}  // namespace orvane
