#include "update/Checksum.h"

#include <array>
#include <fstream>

#include "update/PathHelpers.h"

namespace orvane {

namespace {

constexpr size_t kBlock = 4096;

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

// Opens a regular file for reading; a folder or a missing file reads as unopenable.
bool OpenFile(const std::wstring& path, std::ifstream& in) {
    std::error_code ec;
    const auto native = NativePath(path);
    if (!std::filesystem::is_regular_file(native, ec)) return false;
    in.open(native, std::ios::binary);
    return in.is_open();
}

// Feeds the file to the consumer in 4096-byte blocks until a read comes back short.
template <typename Consume>
bool StreamFile(const std::wstring& path, Consume consume) {
    std::ifstream in;
    if (!OpenFile(path, in)) return false;
    unsigned char buffer[kBlock];
    for (;;) {
        in.read(reinterpret_cast<char*>(buffer), kBlock);
        const auto got = static_cast<size_t>(in.gcount());
        consume(buffer, got);
        if (got != kBlock) break;
    }
    return true;
}

}  // namespace

std::uint32_t AdditiveCrc32Update(std::uint32_t s, const unsigned char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) s += kTable[(s ^ data[i]) & 0xFF] ^ (s >> 8);
    return s;
}

std::uint32_t StandardCrc32(const unsigned char* data, size_t size) {
    std::uint32_t s = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) s = kTable[(s ^ data[i]) & 0xFF] ^ (s >> 8);
    return s ^ 0xFFFFFFFFu;
}

std::int32_t FileCRC32(const std::wstring& path) {
    std::uint32_t s = 0xFFFFFFFFu;
    StreamFile(path, [&](const unsigned char* data, size_t n) { s = AdditiveCrc32Update(s, data, n); });
    return static_cast<std::int32_t>(s ^ 0xFFFFFFFFu);
}

std::int32_t FileByteSum(const std::wstring& path) {
    std::uint32_t s = 0xFFFFFFFFu;
    StreamFile(path, [&](const unsigned char* data, size_t n) {
        for (size_t i = 0; i < n; ++i) s += data[i];
    });
    return static_cast<std::int32_t>(s);
}

std::int32_t FileSizeOf(const std::wstring& path) {
    // Opened as the checksums open it: a file that exists but cannot be read measures 0.
    std::ifstream in;
    if (!OpenFile(path, in)) return 0;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return 0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(size) & 0xFFFFFFFFu));
}

}  // namespace orvane
