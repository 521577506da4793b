#pragma once

#include <optional>
#include <string>

namespace orvane {

// The system's LZ (SZDD) expansion.
class ILzExpand {
public:
    virtual ~ILzExpand() = default;
    // The name the file expands to; empty when none is obtained.
    virtual std::optional<std::wstring> ExpandedName(const std::wstring& path) = 0;
    // Expands source into a new file at target; false when the expansion fails.
    virtual bool Expand(const std::wstring& source, const std::wstring& target) = 0;
};

}  // namespace orvane
