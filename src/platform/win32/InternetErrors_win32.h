#pragma once

#include "platform/InternetErrors.h"

namespace orvane::win32 {

class TWin32InternetErrors : public IInternetErrors {
public:
    std::uint32_t LastError() const override;
    std::wstring Message(std::uint32_t code) const override;
    std::wstring LastResponse() const override;
};

}  // namespace orvane::win32
