#include <cstdint>
#include <cstdio>

#include "Inspect.h"
#include "core/Text.h"
#include "update/Checksum.h"

namespace orvane::inspect {

namespace {

int Checksum(const TCommandLine& line) {
    const std::string& file = line.operands[0];
    if (!IsReadableFile(file)) {
        std::fprintf(stderr, "orvane-inspect: cannot read %s\n", file.c_str());
        return 1;
    }
    const std::wstring path = FromUtf8(file);
    std::printf("crc32=%d bytesum=%d size=%u\n", FileCRC32(path), FileByteSum(path),
                static_cast<std::uint32_t>(FileSizeOf(path)));
    return 0;
}

}  // namespace

const TCommand& ChecksumCommand() {
    static const TCommand command{{"checksum", "FILE", "the update engine's checksums of a file", {}, 1, 1}, Checksum};
    return command;
}

}  // namespace orvane::inspect
