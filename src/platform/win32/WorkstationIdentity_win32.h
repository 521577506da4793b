#pragma once

#include "platform/WorkstationIdentity.h"

namespace orvane::win32 {

// GetComputerNameW and GetUserNameW; the empty text when the system does not say.
class TWin32WorkstationIdentity : public IWorkstationIdentity {
public:
    std::wstring ComputerName() const override;
    std::wstring UserName() const override;
};

}  // namespace orvane::win32
