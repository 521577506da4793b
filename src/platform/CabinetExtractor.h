#pragma once

#include <string>

namespace orvane {

// Unpacks a downloaded cabinet below a folder; 0 on success, -1 on failure.
class ICabinetExtractor {
public:
    virtual ~ICabinetExtractor() = default;
    virtual int Extract(const std::wstring& cabinet, const std::wstring& target) = 0;
};

}  // namespace orvane
