// Feeds arbitrary bytes to the signature and key readers. Strict DER has one encoding per value, so
// whatever the signature reader accepts must be exactly what the encoder writes for its result; a
// key read from a text must be read again the same from that text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "update/UpdateSignature.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orvane;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto rs = DerSignatureToRS(bytes)) Require(RsToDerSignature(*rs) == bytes);
    if (const auto point = ParsePublicKeyPem(bytes)) Require(ParsePublicKeyPem(std::string(bytes)) == point);
    ParseSha256Hex(std::wstring(bytes.begin(), bytes.end()));
    return 0;
}
