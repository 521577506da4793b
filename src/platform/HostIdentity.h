#pragma once

#include <optional>
#include <string>

namespace orvane {

struct TScreenSize {
    unsigned width = 0;
    unsigned height = 0;
};

// What the system says about the machine beyond its names; each answer is empty when it does not say.
class IHostIdentity {
public:
    virtual ~IHostIdentity() = default;
    // The display settings stored for the default display, not the momentary mode.
    virtual std::optional<TScreenSize> StoredScreenSize() const = 0;
    // One of the machine's own IPv4 addresses, dotted; found without asking any name service.
    virtual std::wstring OwnIPv4Address() const = 0;
    // The domain of the account the process runs as.
    virtual std::wstring AccountDomain() const = 0;
    // The workstation's LAN group (workgroup or domain) as the network service reports it.
    virtual std::wstring LanGroup() const = 0;
};

}  // namespace orvane
