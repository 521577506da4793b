#pragma once

#include <optional>
#include <string>

namespace orvane {

// The process environment. A variable that is set but empty gives an empty text, an unset one nullopt.
class IEnvironment {
public:
    virtual ~IEnvironment() = default;
    virtual std::optional<std::wstring> Get(const std::wstring& name) const = 0;
};

} // namespace orvane
