#pragma once

#include "platform/HostIdentity.h"

namespace orvane::win32 {

// The stored display settings, the adapters' own addresses, the process token's account and the
// workstation service; the empty answer wherever the system does not say.
class TWin32HostIdentity : public IHostIdentity {
public:
    std::optional<TScreenSize> StoredScreenSize() const override;
    std::wstring OwnIPv4Address() const override;
    std::wstring AccountDomain() const override;
    std::wstring LanGroup() const override;
};

}  // namespace orvane::win32
