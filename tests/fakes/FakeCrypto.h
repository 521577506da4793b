#pragma once

// The system's cryptography stood in for: a digest that tells different bytes apart, and signatures
// that are the key mixed with that digest, made by Sign.

#include <cstdint>
#include <string>

#include "fakes/FakeNet.h"
#include "platform/Crypto.h"
#include "update/UpdateSignature.h"

namespace orvane::fakes {

// A P-256 public key in PEM, as openssl writes it (the tests' own key).
inline constexpr const char* kTestPublicKeyPem =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEAk3JUOLvIHGt9xJUMjx1m3JM+zNo\n"
    "dm1NMTjYf1tVqG5Zj3qPL0409a5yt7l/QT2DYnqrbQJoeJKT3+EyTKkRtg==\n"
    "-----END PUBLIC KEY-----\n";

class FakeCrypto : public ICrypto {
public:
    explicit FakeCrypto(FakeFileOperations& files) : files_(files) {}

    static TSha256 Digest(const std::string& data) {
        TSha256 d{};
        for (size_t i = 0; i < d.size(); ++i) {
            std::uint64_t h = 1469598103934665603ull ^ i;
            for (const char c : data) h = (h ^ static_cast<std::uint8_t>(c)) * 1099511628211ull;
            d[i] = static_cast<std::uint8_t>(h >> 24) | 1;  // never zero: a signature half never vanishes
        }
        return d;
    }
    static std::string DigestHex(const std::string& data) {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string out;
        for (const std::uint8_t b : Digest(data)) out += {kDigits[b >> 4], kDigits[b & 15]};
        return out;
    }
    // The DER signature VerifyP256 accepts for data under key.
    static std::string Sign(const TP256Point& key, const std::string& data) { return RsToDerSignature(Mix(key, data)); }

    std::optional<TSha256> Sha256(const std::string& data) const override { return Digest(data); }
    std::optional<TSha256> Sha256File(const std::wstring& path) const override {
        const auto content = files_.Get(path);
        if (!content) return std::nullopt;
        return Digest(*content);
    }
    std::uint32_t VerifyP256(const TP256Point& key, const std::string& data, const TP256Signature& rs) const override {
        return rs == Mix(key, data) ? 0u : 0xC000A000u;
    }

private:
    static TP256Signature Mix(const TP256Point& key, const std::string& data) {
        const TSha256 d = Digest(data);
        TP256Signature rs{};
        for (size_t i = 0; i < rs.size(); ++i) rs[i] = static_cast<std::uint8_t>((key[i] & 0x7F) | d[i % 32]);
        return rs;
    }
    FakeFileOperations& files_;
};

}  // namespace orvane::fakes
