#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// The calling thread's last system error and the Internet library's texts for it.
class IInternetErrors {
public:
    virtual ~IInternetErrors() = default;
    virtual std::uint32_t LastError() const = 0;
    // The Internet library's message for the code, empty when it has none.
    virtual std::wstring Message(std::uint32_t code) const = 0;
    // The server's last response text (at most 2050 characters), empty when there is none.
    virtual std::wstring LastResponse() const = 0;
};

}  // namespace orvane
