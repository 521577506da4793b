#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

using TSha256 = std::array<std::uint8_t, 32>;
// A P-256 public point as X followed by Y, and a signature as r followed by s: 32 bytes each, big-endian.
using TP256Point = std::array<std::uint8_t, 64>;
using TP256Signature = std::array<std::uint8_t, 64>;

// Hashing and signature checks of the system's cryptography.
class ICrypto {
public:
    virtual ~ICrypto() = default;
    virtual std::optional<TSha256> Sha256(const std::string& data) const = 0;
    // nullopt when the file cannot be read to its end.
    virtual std::optional<TSha256> Sha256File(const std::wstring& path) const = 0;
    // 0 when rs is a valid ECDSA signature of SHA-256(data) under key; otherwise the system's status
    // (STATUS_INVALID_SIGNATURE for a signature that does not match).
    virtual std::uint32_t VerifyP256(const TP256Point& key, const std::string& data,
                                     const TP256Signature& rs) const = 0;
};

}  // namespace orvane
