#include "update/LzFile.h"

#include "core/Text.h"
#include "update/PathHelpers.h"
#include "update/UrlHelpers.h"

namespace orvane {

namespace {

constexpr std::string_view kSzddMagic("SZDD\x88\xF0\x27\x33", 8);
constexpr char kSzddModeA = 'A';

}  // namespace

std::optional<TSzddHeader> ReadSzddHeader(std::string_view bytes) {
    if (bytes.size() < kSzddHeaderSize || bytes.substr(0, 8) != kSzddMagic || bytes[8] != kSzddModeA)
        return std::nullopt;
    TSzddHeader h;
    h.missingCharacter = static_cast<unsigned char>(bytes[9]);
    for (int i = 3; i >= 0; --i) h.expandedSize = (h.expandedSize << 8) | static_cast<unsigned char>(bytes[10 + i]);
    return h;
}

bool IsUnsafeMissingCharacter(unsigned char c) {
    // 0 means "no missing character": the name only loses its "_".
    return (c > 0 && c < 0x20) || c == '\\' || c == ':' || c == '/';
}

std::wstring ExpandLzFile(ILzExpand& lz, IFileOperations& files, const std::wstring& path) {
    std::optional<TSzddHeader> header;
    if (const auto in = files.OpenRead(path)) {
        char head[kSzddHeaderSize];
        size_t got = 0;
        while (got < sizeof head) {
            const auto n = in->Read(head + got, static_cast<std::uint32_t>(sizeof head - got));
            if (!n || *n == 0) break;
            got += *n;
        }
        header = ReadSzddHeader(std::string_view(head, got));
    }
    // A file that is not compressed is what it is: it stays in place under its own name.
    if (!header || IsUnsafeMissingCharacter(header->missingCharacter)) return path;
    const auto expanded = lz.ExpandedName(path);
    if (!expanded || EqualsNoCaseAscii(*expanded, path) || !IsSafeFileName(FileNamePart(*expanded))) return path;

    std::wstring folder = DirectoryPart(*expanded);
    if (folder.empty()) folder = L".";
    const auto temp = files.TempFileName(folder, L"WUPD");
    if (!temp) return path;
    if (!lz.Expand(path, *temp) || !files.FileExists(*temp)) {
        files.Delete(*temp);
        return path;
    }
    // The header's size is the only check the format has: a truncated or lying file stops here.
    const auto size = [&]() -> std::optional<std::uint64_t> {
        const auto check = files.OpenRead(*temp);
        return check ? check->Size() : std::nullopt;
    }();
    if (!size || *size != header->expandedSize) {
        files.Delete(*temp);
        return path;
    }
    if (files.FileExists(*expanded)) files.ClearReadOnlyHidden(*expanded);
    if (!files.MoveReplace(*temp, *expanded)) {
        files.Delete(*temp);
        return path;
    }
    files.Delete(path);
    return *expanded;
}

}  // namespace orvane
