// The LZ compressor and reader on 16 MB of three kinds of data: ratio, and MB/s of each direction.
// The packer compresses the restart helper (about 1.5 MB) at every build, so it has to stay quick.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "update/Szdd.h"

namespace {

constexpr size_t kSize = 16u << 20;

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

std::string Data(int kind) {
    std::mt19937 rng(42);
    std::string s;
    s.reserve(kSize);
    const char* words[] = {"kernel32", "  mov eax, ", "\0\0\0\0", "SAP Logon ", "\r\n", "0x7FFE", "wusetup"};
    while (s.size() < kSize) {
        if (kind == 0)
            s += char(rng());  // random bytes
        else if (kind == 1)
            s += words[rng() % std::size(words)];  // text and code-like
        else
            s += std::string(rng() % 64, char(rng() % 4));  // long runs
    }
    s.resize(kSize);
    return s;
}

}  // namespace

int main() {
    const char* names[] = {"random", "words", "runs"};
    for (int kind = 0; kind < 3; ++kind) {
        const std::string data = Data(kind);
        std::string packed;
        const double pack = BestSeconds(3, [&] { packed = orvane::SzddCompress(data, 'e'); });
        orvane::TSzddResult back;
        const double unpack = BestSeconds(3, [&] { back = orvane::SzddDecompress(packed, kSize); });
        if (!back.ok() || back.data != data) {
            std::printf("%s: round trip FAILED\n", names[kind]);
            return 1;
        }
        std::printf("%-7s %5.1f%% of %zu MB   compress %7.1f MB/s   expand %7.1f MB/s\n", names[kind],
                    100.0 * double(packed.size()) / double(data.size()), kSize >> 20, (kSize >> 20) / pack,
                    (kSize >> 20) / unpack);
    }
    return 0;
}
