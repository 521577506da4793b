#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// SHA-256 for the publisher's side, where the system's cryptography may be absent (a build machine);
// the engine checks what it downloads with the system's own.
class TSha256Hasher {
public:
    TSha256Hasher();
    void Update(std::string_view bytes);
    std::array<std::uint8_t, 32> Final();

private:
    void Block(const std::uint8_t* p);
    std::array<std::uint32_t, 8> h_;
    std::array<std::uint8_t, 64> buffer_{};
    size_t used_ = 0;
    std::uint64_t length_ = 0;
};

// The digest of BYTES as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);
// The same for a file read in pieces; none when it cannot be read.
std::optional<std::string> Sha256FileHexPortable(const std::wstring& path);

}  // namespace orvane
