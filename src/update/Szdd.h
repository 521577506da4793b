#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The LZ format of the system's LZ expansion functions: "SZDD" 88 F0 27 33, mode 'A', the missing
// last character of the expanded name (0 when unknown), the expanded size (32-bit little-endian),
// then LZSS data over a 4096-byte window.
inline constexpr size_t kSzddHeaderSize = 14;

struct TSzddHeader {
    char missingChar = 0;
    std::uint32_t expandedSize = 0;
};

enum class TSzddStatus {
    szddOk,         // decoded exactly the declared size
    szddNotSzdd,    // no header: bad signature, fewer than 14 bytes, other formats
    szddBadMode,    // a signature with a compression mode other than 'A'
    szddTruncated,  // the data ended before the declared size (or inside a match)
    szddOverlong,   // the data went on past the declared size
    szddTooLarge,   // the declared or decoded size exceeds the caller's limit
};

struct TSzddResult {
    TSzddStatus status = TSzddStatus::szddNotSzdd;
    TSzddHeader header;
    std::string data;  // what was decoded, also when the status is not szddOk

    bool ok() const { return status == TSzddStatus::szddOk; }
};

// nullopt unless the bytes start with a full header (any mode: the caller checks it).
std::optional<TSzddHeader> ParseSzddHeader(std::string_view file);
std::optional<char> SzddMode(std::string_view file);

// Decodes a whole compressed file. Nothing is allocated from the declared size: the output grows with
// the data and stops at maxOutput.
inline constexpr size_t kSzddDefaultLimit = 256u << 20;
TSzddResult SzddDecompress(std::string_view file, size_t maxOutput = kSzddDefaultLimit);

// The whole compressed file for DATA (at most 4 GiB - 1), its header naming MISSINGCHAR.
std::string SzddCompress(std::string_view data, char missingChar);

// The name the expanded file gets: a last "_" is replaced by the missing character (upper-cased when
// the character before it is upper case) or dropped when there is none; a name without a last "_"
// stays. nullopt when the character would make the name a path, a stream or an invalid name.
std::optional<std::wstring> SzddExpandedName(std::wstring_view compressedName, char missingChar);

}  // namespace orvane
