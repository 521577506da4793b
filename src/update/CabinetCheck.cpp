#include "update/CabinetCheck.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "core/Text.h"
#include "update/PathHelpers.h"

namespace orvane {

namespace {

constexpr std::uint16_t kPrevCabinet = 0x0001, kNextCabinet = 0x0002, kReservePresent = 0x0004;
constexpr std::uint16_t kContinuedFromPrev = 0xFFFD, kContinuedToNext = 0xFFFE, kContinuedBoth = 0xFFFF;
constexpr size_t kMaxName = 256;  // including the terminating zero
constexpr std::uint32_t kMaxBlockUncompressed = 32768;

std::uint16_t U16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t U32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Folder {
    std::uint32_t dataStart = 0;
    std::uint16_t blocks = 0;
    std::uint64_t uncompressed = 0;
};

class Checker {
public:
    Checker(const CabinetReader& read, std::uint64_t size) : read_(read), size_(size) {}

    TCabinetCheck Run() {
        TCabinetCheck r;
        if (!Check(r)) {
            r.ok = false;
            if (r.reason.empty()) r.reason = L"refused";
        } else {
            r.ok = true;
        }
        return r;
    }

private:
    bool Fail(TCabinetCheck& r, const wchar_t* why) {
        r.reason = why;
        return false;
    }

    bool Read(std::uint64_t offset, void* out, size_t n) {
        return offset <= size_ && n <= size_ - offset && read_(offset, out, n);
    }

    // A zero-terminated string of at most kMaxName bytes at pos; pos moves past it.
    bool ReadString(std::uint64_t& pos, std::string& out) {
        out.clear();
        char c;
        while (out.size() < kMaxName) {
            if (!Read(pos, &c, 1)) return false;
            ++pos;
            if (c == 0) return true;
            out += c;
        }
        return false;
    }

    bool Check(TCabinetCheck& r) {
        unsigned char h[36];
        if (!Read(0, h, sizeof h) || std::memcmp(h, "MSCF", 4) != 0) return Fail(r, L"not a cabinet");
        const std::uint32_t cabinetSize = U32(h + 8), filesOffset = U32(h + 16);
        if (h[25] != 1) return Fail(r, L"unknown cabinet version");
        r.folderCount = U16(h + 26);
        const std::uint16_t fileCount = U16(h + 28);
        r.flags = U16(h + 30);
        if (cabinetSize > size_) return Fail(r, L"cabinet is truncated");
        if (fileCount > 0 && r.folderCount == 0) return Fail(r, L"files without a folder");

        std::uint64_t pos = 36;
        unsigned folderReserve = 0, dataReserve = 0;
        if (r.flags & kReservePresent) {
            unsigned char rs[4];
            if (!Read(pos, rs, 4)) return Fail(r, L"header reserve outside the file");
            pos += 4 + U16(rs);
            folderReserve = rs[2];
            dataReserve = rs[3];
            if (pos > size_) return Fail(r, L"header reserve outside the file");
        }
        std::string text;
        const int links = ((r.flags & kPrevCabinet) ? 2 : 0) + ((r.flags & kNextCabinet) ? 2 : 0);
        for (int i = 0; i < links; ++i)
            if (!ReadString(pos, text)) return Fail(r, L"cabinet link name outside the file or too long");

        std::vector<Folder> folders(r.folderCount);
        for (Folder& f : folders) {
            unsigned char fh[8];
            if (!Read(pos, fh, 8)) return Fail(r, L"folder table outside the file");
            f.dataStart = U32(fh);
            f.blocks = U16(fh + 4);
            pos += 8 + folderReserve;
            if (pos > size_) return Fail(r, L"folder table outside the file");
        }
        const std::uint64_t sequentialFiles = pos;

        // Folders are walked in the order of their data and each must begin where the one before
        // it ended or later: no two share a block, so every block header is read once at most and
        // the walk is bounded by the file's size, however many folders claim the same blocks.
        std::vector<Folder*> byData;
        for (Folder& f : folders)
            if (f.blocks > 0) byData.push_back(&f);
        std::stable_sort(byData.begin(), byData.end(),
                         [](const Folder* a, const Folder* b) { return a->dataStart < b->dataStart; });
        std::uint64_t dataEnd = 0;
        for (Folder* f : byData) {
            if (f->dataStart < dataEnd) return Fail(r, L"folders share data blocks");
            std::uint64_t at = f->dataStart;
            for (unsigned b = 0; b < f->blocks; ++b) {
                unsigned char dh[8];
                if (!Read(at, dh, 8)) return Fail(r, L"data block outside the file");
                const std::uint16_t packed = U16(dh + 4), unpacked = U16(dh + 6);
                if (unpacked > kMaxBlockUncompressed) return Fail(r, L"data block larger than allowed");
                at += 8 + dataReserve + packed;
                if (at > size_) return Fail(r, L"data block outside the file");
                f->uncompressed += unpacked;
            }
            dataEnd = at;
        }

        // The extractor reads the file table right after the folders; the header's offset must
        // agree with the file too, and a table found there must hold up as well.
        if (filesOffset > size_) return Fail(r, L"file table offset outside the file");
        if (!ReadFiles(r, sequentialFiles, fileCount, folders, r.members)) return false;
        if (filesOffset != sequentialFiles) {
            std::vector<TCabinetMember> other;
            if (!ReadFiles(r, filesOffset, fileCount, folders, other)) return false;
        }
        return true;
    }

    bool ReadFiles(TCabinetCheck& r, std::uint64_t pos, std::uint16_t count, const std::vector<Folder>& folders,
                   std::vector<TCabinetMember>& out) {
        for (unsigned i = 0; i < count; ++i) {
            unsigned char fh[16];
            if (!Read(pos, fh, 16)) return Fail(r, L"file table outside the file");
            pos += 16;
            TCabinetMember m;
            m.size = U32(fh);
            m.folderOffset = U32(fh + 4);
            m.folderIndex = U16(fh + 8);
            m.date = U16(fh + 10);
            m.time = U16(fh + 12);
            m.attribs = U16(fh + 14);
            if (!ReadString(pos, m.name)) return Fail(r, L"member name outside the file or too long");
            if (!CheckMember(r, m, folders)) return false;
            out.push_back(std::move(m));
        }
        return true;
    }

    bool CheckMember(TCabinetCheck& r, const TCabinetMember& m, const std::vector<Folder>& folders) {
        const bool hasPrev = r.flags & kPrevCabinet, hasNext = r.flags & kNextCabinet;
        switch (m.folderIndex) {
            case kContinuedFromPrev:
                return hasPrev || Fail(r, L"member continued from a missing cabinet");
            case kContinuedToNext:
                return hasNext || Fail(r, L"member continued to a missing cabinet");
            case kContinuedBoth:
                return (hasPrev && hasNext) || Fail(r, L"member continued across missing cabinets");
            default:
                break;
        }
        if (m.folderIndex >= folders.size()) return Fail(r, L"member of a folder that does not exist");
        // In a set the first folder may begin in the previous cabinet and the last go on in the
        // next; their data here is then only a part.
        const bool partial = (hasPrev && m.folderIndex == 0) || (hasNext && m.folderIndex + 1u == folders.size());
        if (!partial && static_cast<std::uint64_t>(m.folderOffset) + m.size > folders[m.folderIndex].uncompressed)
            return Fail(r, L"member extends beyond its folder's data");
        return true;
    }

    const CabinetReader& read_;
    std::uint64_t size_;
};

bool IsDeviceName(std::wstring_view component) {
    // Windows maps these names to devices whatever extension follows.
    std::wstring base(component.substr(0, component.find(L'.')));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    base = UpperCaseAscii(base);
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* d : kDevices)
        if (base == d) return true;
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t n = base[3];
        return (n >= L'0' && n <= L'9') || n == L'\u00B9' || n == L'\u00B2' || n == L'\u00B3';
    }
    return false;
}

}  // namespace

TCabinetCheck CheckCabinet(const CabinetReader& read, std::uint64_t fileSize) {
    return Checker(read, fileSize).Run();
}

TCabinetCheck CheckCabinetBytes(std::string_view bytes) {
    const CabinetReader read = [bytes](std::uint64_t offset, void* out, size_t n) {
        if (offset > bytes.size() || n > bytes.size() - offset) return false;
        std::memcpy(out, bytes.data() + offset, n);
        return true;
    };
    return CheckCabinet(read, bytes.size());
}

TCabinetCheck CheckCabinetFile(const std::wstring& path) {
    std::error_code ec;
    const auto native = NativePath(path);
    const auto size = std::filesystem::is_regular_file(native, ec) ? std::filesystem::file_size(native, ec) : 0;
    std::ifstream in(native, std::ios::binary);
    if (ec || !in) {
        TCabinetCheck r;
        r.reason = L"cannot read the cabinet";
        return r;
    }
    const CabinetReader read = [&in](std::uint64_t offset, void* out, size_t n) {
        in.clear();
        in.seekg(static_cast<std::streamoff>(offset));
        in.read(static_cast<char*>(out), static_cast<std::streamsize>(n));
        return static_cast<size_t>(in.gcount()) == n;
    };
    return CheckCabinet(read, size);
}

bool IsSafeMemberName(std::wstring_view name) {
    if (name.empty()) return false;
    size_t start = 0;
    for (;;) {
        const size_t end = name.find_first_of(L"\\/", start);
        const std::wstring_view part = name.substr(start, end == std::wstring_view::npos ? name.npos : end - start);
        // An empty part is a root, a UNC or device prefix, a doubled or a trailing separator.
        if (part.empty() || part == L"." || part == L"..") return false;
        if (part.back() == L'.' || part.back() == L' ') return false;
        for (wchar_t c : part)
            if (c < 32 || c == L':' || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*')
                return false;
        if (IsDeviceName(part)) return false;
        if (end == std::wstring_view::npos) return true;
        start = end + 1;
    }
}

std::optional<TCabinetDestination> CabinetDestination(const std::wstring& target, std::wstring_view memberName) {
    if (!IsSafeMemberName(memberName)) return std::nullopt;
    std::wstring name(memberName);
    for (wchar_t& c : name)
        if (c == L'/') c = L'\\';
    return TCabinetDestination{target + DirectoryPart(name), target + name};
}

std::wstring MemberNameText(const TCabinetMember& member, const IAnsiCodePage& ansi) {
    return (member.attribs & 0x80) ? FromUtf8(member.name) : ansi.Decode(member.name);
}

const TCabinetMember* FirstUnsafeMember(const TCabinetCheck& cabinet, const IAnsiCodePage& ansi) {
    for (const TCabinetMember& m : cabinet.members)
        if (!IsSafeMemberName(MemberNameText(m, ansi))) return &m;
    return nullptr;
}

}  // namespace orvane
