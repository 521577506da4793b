#pragma once

#include <string>

namespace orvane {

// Who and where: the computer's name and the signed-in user's name.
class IWorkstationIdentity {
public:
    virtual ~IWorkstationIdentity() = default;
    virtual std::wstring ComputerName() const = 0;
    virtual std::wstring UserName() const = 0;
};

}  // namespace orvane
