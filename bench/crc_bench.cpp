// FileCRC32 over a 256 MB file next to a plain byte-at-a-time table CRC-32 over the same bytes in memory.
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "core/Text.h"
#include "update/Checksum.h"

namespace {

constexpr size_t kSize = 256u << 20;

std::array<std::uint32_t, 256> PlainTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

std::uint32_t PlainCrc32(const std::array<std::uint32_t, 256>& table, const unsigned char* data, size_t size) {
    std::uint32_t s = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) s = table[(s ^ data[i]) & 0xFF] ^ (s >> 8);
    return s ^ 0xFFFFFFFFu;
}

template <typename F>
double BestSeconds(int runs, F f) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        f();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (s < best) best = s;
    }
    return best;
}

}  // namespace

int main() {
    std::vector<unsigned char> buffer(kSize);
    std::mt19937_64 random(12345);
    for (size_t i = 0; i < kSize; i += 8) {
        const std::uint64_t v = random();
        for (size_t k = 0; k < 8 && i + k < kSize; ++k) buffer[i + k] = static_cast<unsigned char>(v >> (8 * k));
    }
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "orvane_crc_bench.bin";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        if (!out) {
            std::fprintf(stderr, "crc_bench: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    const std::wstring widePath = orvane::FromUtf8(path.string());
    const auto table = PlainTable();

    constexpr int kRuns = 3;
    std::int32_t fileCrc = 0;
    std::uint32_t plainCrc = 0;
    const double fileSeconds = BestSeconds(kRuns, [&] { fileCrc = orvane::FileCRC32(widePath); });
    const double plainSeconds = BestSeconds(kRuns, [&] { plainCrc = PlainCrc32(table, buffer.data(), buffer.size()); });
    // The same additive loop without the file, to tell reading from computing.
    std::uint32_t memoryCrc = 0;
    const double memorySeconds = BestSeconds(kRuns, [&] {
        memoryCrc = orvane::AdditiveCrc32Update(0xFFFFFFFFu, buffer.data(), buffer.size()) ^ 0xFFFFFFFFu;
    });
    std::filesystem::remove(path);

    const double mb = static_cast<double>(kSize) / (1 << 20);
    const double ratio = fileSeconds / plainSeconds;
    std::printf("bytes            %zu\n", kSize);
    std::printf("FileCRC32 (file) %8.1f MB/s  %.3f s  value %d\n", mb / fileSeconds, fileSeconds, fileCrc);
    std::printf("additive (memory)%8.1f MB/s  %.3f s  value %d\n", mb / memorySeconds, memorySeconds,
                static_cast<std::int32_t>(memoryCrc));
    std::printf("plain CRC-32     %8.1f MB/s  %.3f s  value 0x%08X\n", mb / plainSeconds, plainSeconds, plainCrc);
    std::printf("time ratio       %.2f (bound 1.50): %s\n", ratio, ratio <= 1.5 ? "within" : "EXCEEDED");
    return ratio <= 1.5 ? 0 : 3;
}
