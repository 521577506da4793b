#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileOperations.h"
#include "platform/LzExpand.h"

namespace orvane {

// The 14-byte header of an SZDD ("LZ") compressed file.
struct TSzddHeader {
    unsigned char missingCharacter = 0;  // the last character of the name, replaced by "_"
    std::uint32_t expandedSize = 0;
};
constexpr size_t kSzddHeaderSize = 14;

// The header at the start of the bytes; empty when they do not start an SZDD file.
std::optional<TSzddHeader> ReadSzddHeader(std::string_view bytes);
// A missing character that would turn the expanded name into a path or an unusable name.
bool IsUnsafeMissingCharacter(unsigned char c);

// Expands an LZ file beside its expanded name and removes the compressed one; the path of the
// expanded file, or PATH itself when the file is not expanded (not LZ, refused, or failed: then
// both the compressed file and any older expanded file stay as they were).
std::wstring ExpandLzFile(ILzExpand& lz, IFileOperations& files, const std::wstring& path);

}  // namespace orvane
