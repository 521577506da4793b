#include <cstdio>
#include <fstream>
#include <iterator>

#include "Inspect.h"
#include "core/Text.h"
#include "platform/win32/Crypto_win32.h"
#include "update/UpdateSignature.h"

namespace orvane::inspect {

namespace {

std::optional<std::string> ReadWhole(const std::string& utf8) {
    if (!IsReadableFile(utf8)) return std::nullopt;
    std::ifstream in(PathOf(utf8), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The engine's own check of a control file's detached signature.
int Verify(const TCommandLine& line) {
    const std::vector<std::string> keyFiles = line.Values("key");
    if (keyFiles.empty()) {
        std::fputs("orvane-inspect: verify needs --key PUBLIC.pem\n", stderr);
        return 2;
    }
    std::vector<std::string> keys;
    for (const std::string& file : keyFiles) {
        const auto pem = ReadWhole(file);
        if (!pem || !ParsePublicKeyPem(*pem)) {
            std::fprintf(stderr, "orvane-inspect: %s is not a readable P-256 public key (PEM)\n", file.c_str());
            return 2;
        }
        keys.push_back(*pem);
    }
    const auto control = ReadWhole(line.operands[0]);
    if (!control) {
        std::fprintf(stderr, "orvane-inspect: cannot read %s\n", line.operands[0].c_str());
        return 2;
    }
    const win32::TWin32Crypto crypto;
    const TSignatureVerdict verdict = VerifyDetachedSignature(&crypto, keys, *control, ReadWhole(line.operands[1]));
    if (verdict == TSignatureVerdict::Valid) {
        std::puts("valid");
        return 0;
    }
    std::printf("invalid: %s\n", ToUtf8(SignatureVerdictText(verdict)).c_str());
    return 1;
}

}  // namespace

const TCommand& VerifyCommand() {
    static const TCommand command{{"verify",
                                   "CONTROL SIGNATURE",
                                   "check a control file's signature as the update engine does (0 valid, 1 not)",
                                   {{"key", true, "PUBLIC.pem  a trusted public key; may be repeated"}},
                                   2,
                                   2},
                                  Verify};
    return command;
}

}  // namespace orvane::inspect
