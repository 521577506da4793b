#include "update/Szdd.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace orvane {

namespace {

constexpr unsigned char kSignature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr size_t kWindow = 4096;
constexpr size_t kWindowMask = kWindow - 1;
constexpr size_t kStart = kWindow - 16;
constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 18;

bool HasSignature(std::string_view file) {
    return file.size() >= kSzddHeaderSize && std::memcmp(file.data(), kSignature, sizeof kSignature) == 0;
}

}  // namespace

std::optional<TSzddHeader> ParseSzddHeader(std::string_view file) {
    if (!HasSignature(file)) return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(file.data());
    TSzddHeader header;
    header.missingChar = file[9];
    header.expandedSize =
        std::uint32_t(b[10]) | std::uint32_t(b[11]) << 8 | std::uint32_t(b[12]) << 16 | std::uint32_t(b[13]) << 24;
    return header;
}

std::optional<char> SzddMode(std::string_view file) {
    if (!HasSignature(file)) return std::nullopt;
    return file[8];
}

TSzddResult SzddDecompress(std::string_view file, size_t maxOutput) {
    TSzddResult result;
    const auto header = ParseSzddHeader(file);
    if (!header) return result;
    result.header = *header;
    if (file[8] != 'A') {
        result.status = TSzddStatus::szddBadMode;
        return result;
    }
    if (header->expandedSize > maxOutput) {
        result.status = TSzddStatus::szddTooLarge;
        return result;
    }
    // Reserve from what the input can hold, never from the declared size alone.
    result.data.reserve(std::min<size_t>(header->expandedSize, (file.size() - kSzddHeaderSize) * 9));

    std::array<unsigned char, kWindow> window;
    window.fill(' ');
    size_t pos = kStart;
    const auto* in = reinterpret_cast<const unsigned char*>(file.data());
    size_t i = kSzddHeaderSize;
    const size_t end = file.size();
    bool cut = false;
    std::string& out = result.data;
    while (i < end && !cut) {
        const unsigned control = in[i++];
        for (unsigned bit = 0; bit < 8 && i < end; ++bit) {
            if (out.size() >= maxOutput) {
                result.status = TSzddStatus::szddTooLarge;
                return result;
            }
            if (control & (1u << bit)) {
                const unsigned char c = in[i++];
                out.push_back(char(c));
                window[pos] = c;
                pos = (pos + 1) & kWindowMask;
                continue;
            }
            if (end - i < 2) {
                cut = true;  // half a match: the data was cut
                break;
            }
            size_t from = in[i] | (size_t(in[i + 1] & 0xF0) << 4);
            const size_t length = size_t(in[i + 1] & 0x0F) + kMinMatch;
            i += 2;
            if (length > maxOutput - out.size()) {
                result.status = TSzddStatus::szddTooLarge;
                return result;
            }
            // Byte by byte: source and destination may overlap.
            for (size_t k = 0; k < length; ++k) {
                const unsigned char c = window[from];
                from = (from + 1) & kWindowMask;
                out.push_back(char(c));
                window[pos] = c;
                pos = (pos + 1) & kWindowMask;
            }
        }
    }
    if (cut || out.size() < header->expandedSize)
        result.status = TSzddStatus::szddTruncated;
    else if (out.size() > header->expandedSize)
        result.status = TSzddStatus::szddOverlong;
    else
        result.status = TSzddStatus::szddOk;
    return result;
}

std::string SzddCompress(std::string_view data, char missingChar) {
    const auto* in = reinterpret_cast<const unsigned char*>(data.data());
    const size_t n = data.size();
    std::string out(reinterpret_cast<const char*>(kSignature), sizeof kSignature);
    out.push_back('A');
    out.push_back(missingChar);
    const auto size = std::uint32_t(n);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(char((size >> shift) & 0xFF));
    out.reserve(out.size() + n + n / 8 + 16);

    // Hash chains over the last 4096 bytes of input. Matches only reach back into data already
    // written (never the blank prefill), at most kWindow - kMaxMatch behind, so the decoder's window
    // still holds every source byte.
    constexpr size_t kHashBits = 14;
    constexpr size_t kChainLimit = 256;
    constexpr size_t kMaxDistance = kWindow - kMaxMatch;
    std::vector<std::int64_t> head(size_t(1) << kHashBits, -1);
    std::vector<std::int64_t> prev(kWindow, -1);
    const auto hash = [&](size_t p) {
        return ((size_t(in[p]) << 10) ^ (size_t(in[p + 1]) << 5) ^ in[p + 2]) & ((size_t(1) << kHashBits) - 1);
    };
    size_t inserted = 0;  // positions below this are in the chains
    const auto insertUpTo = [&](size_t end) {
        for (; inserted < end; ++inserted) {
            if (inserted + kMinMatch > n) continue;
            const size_t h = hash(inserted);
            prev[inserted & kWindowMask] = head[h];
            head[h] = std::int64_t(inserted);
        }
    };

    size_t controlAt = 0;
    unsigned bit = 8;
    const auto token = [&]() -> unsigned {
        if (bit == 8) {
            controlAt = out.size();
            out.push_back(0);
            bit = 0;
        }
        return bit++;
    };

    const auto longest = [&](size_t at, size_t& from) -> size_t {
        if (at + kMinMatch > n) return 0;
        size_t best = 0;
        const size_t limit = std::min(kMaxMatch, n - at);
        std::int64_t candidate = head[hash(at)];
        for (size_t chain = 0; candidate >= 0 && chain < kChainLimit; ++chain) {
            const auto c = size_t(candidate);
            if (at - c > kMaxDistance) break;
            size_t length = 0;
            while (length < limit && in[c + length] == in[at + length]) ++length;
            if (length > best) {
                best = length;
                from = c;
                if (length == limit) break;
            }
            const std::int64_t next = prev[c & kWindowMask];
            if (next >= std::int64_t(c)) break;  // the ring slot was reused by a newer position
            candidate = next;
        }
        return best;
    };

    size_t p = 0;
    while (p < n) {
        size_t from = 0;
        size_t length = longest(p, from);
        if (length >= kMinMatch && length < kMaxMatch) {
            // One step of lazy matching: a literal now may buy a longer match at the next byte.
            insertUpTo(p + 1);
            size_t nextFrom = 0;
            if (longest(p + 1, nextFrom) > length) length = 0;
        }
        const unsigned b = token();
        if (length >= kMinMatch) {
            const size_t windowPos = (kStart + from) & kWindowMask;
            out.push_back(char(windowPos & 0xFF));
            out.push_back(char(((windowPos >> 4) & 0xF0) | (length - kMinMatch)));
            p += length;
            insertUpTo(p);
        } else {
            out[controlAt] = char(out[controlAt] | (1u << b));
            out.push_back(char(in[p]));
            insertUpTo(++p);
        }
    }
    return out;
}

std::optional<std::wstring> SzddExpandedName(std::wstring_view compressedName, char missingChar) {
    std::wstring name(compressedName);
    if (name.empty() || name.back() != L'_') return name;
    name.pop_back();
    if (missingChar == 0) return name;
    const auto c = static_cast<unsigned char>(missingChar);
    if (c < 0x20 || c == 0x7F || std::strchr("\\/:*?\"<>|", c) != nullptr) return std::nullopt;
    wchar_t w = wchar_t(c);  // the missing character is 8-bit; outside ASCII it is refused below
    if (c >= 0x80) return std::nullopt;
    if (!name.empty() && name.back() >= L'A' && name.back() <= L'Z' && w >= L'a' && w <= L'z') w = wchar_t(w - 32);
    name.push_back(w);
    return name;
}

}  // namespace orvane
