#pragma once

#include <string>

namespace orvane {

// The process's current folder.
class ICurrentFolder {
public:
    virtual ~ICurrentFolder() = default;
    virtual std::wstring Get() const = 0;
    virtual bool Set(const std::wstring& folder) = 0;
};

}  // namespace orvane
