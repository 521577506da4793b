// Feeds arbitrary bytes to the LZ reader. Besides crashes and hangs it checks that the output never
// passes the limit, that a clean result matches its header, and that whatever was decoded survives
// the compressor and the reader again unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "update/Szdd.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orvane;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    constexpr size_t kLimit = 1 << 20;
    const TSzddResult r = SzddDecompress(bytes, kLimit);
    Require(r.data.size() <= kLimit);
    if (r.ok()) Require(r.data.size() == r.header.expandedSize);
    if (r.status == TSzddStatus::szddNotSzdd || r.status == TSzddStatus::szddBadMode) Require(r.data.empty());
    const TSzddResult again = SzddDecompress(SzddCompress(r.data, r.header.missingChar), kLimit);
    Require(again.ok() && again.data == r.data);
    return 0;
}
