#pragma once

#include "platform/Crypto.h"

namespace orvane::win32 {

// SHA-256 and ECDSA P-256 through CNG (bcrypt.dll).
class TWin32Crypto : public ICrypto {
public:
    std::optional<TSha256> Sha256(const std::string& data) const override;
    std::optional<TSha256> Sha256File(const std::wstring& path) const override;
    std::uint32_t VerifyP256(const TP256Point& key, const std::string& data, const TP256Signature& rs) const override;
};

}  // namespace orvane::win32
