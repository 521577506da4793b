#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "core/Text.h"
#include "update/CabinetCheck.h"

namespace orvane {
namespace {

const std::string kCabFolder = std::string(ORVANE_FIXTURES) + "/cab/";

enum Verdict { Accepted, Refused, UnsafeNames };

// What the checks make of every cabinet of the corpus (see its CORPUS.md).
const std::pair<const char*, Verdict> kCorpus[] = {
    {"bad_folderindex.cab", Refused},
    {"bad_nofiles.cab", Accepted},   // nothing to extract, nothing to crash on
    {"bad_nofolders.cab", Refused},  // crashes the system's extractor
    {"bad_signature.cab", Refused},
    {"case-ascii.cab", Accepted},
    {"case-utf8.cab", Accepted},
    {"crafted-bad-checksum.cab", Accepted},   // left to the extractor's checksum
    {"crafted-bad-comp-type.cab", Accepted},  // left to the extractor
    {"crafted-bad-data-offset.cab", Refused},
    {"crafted-bad-files-offset.cab", Refused},
    {"crafted-cbcabinet-tiny.cab", Accepted},
    {"crafted-continued-without-prev.cab", Refused},
    {"crafted-counts-lie-65535.cab", Refused},
    {"crafted-datablock-sizes-lie.cab", Refused},
    {"crafted-huge-file-size.cab", Refused},
    {"crafted-many-folders-1000.cab", Accepted},
    {"crafted-win-hostile-names.cab", UnsafeNames},
    {"cve-2010-2800-mszip-infinite-loop.cab", Accepted},
    {"cve-2010-2801-qtm-flush.cab", Accepted},
    {"cve-2014-9556-qtm-infinite-loop.cab", Refused},
    {"cve-2014-9732-folders-segfault.cab", Refused},
    {"cve-2015-4470-mszip-over-read.cab", Refused},
    {"cve-2015-4471-lzx-under-read.cab", Refused},
    {"cve-2017-11423-fname-overread.cab", Refused},
    {"cve-2018-18584-qtm-max-size-block.cab", Accepted},
    {"dir.cab", Accepted},
    {"dirwalk-vulns.cab", UnsafeNames},
    {"encoding-koi8.cab", UnsafeNames},  // "?" cannot be in a file name
    {"encoding-latin1.cab", Accepted},
    {"encoding-sjis.cab", Accepted},
    {"filename-read-violation-1.cab", UnsafeNames},  // empty name
    {"filename-read-violation-2.cab", Refused},
    {"filename-read-violation-3.cab", Refused},
    {"filename-read-violation-4.cab", Refused},
    {"gcab-100k-mszip.cab", Accepted},
    {"gcab-subdir-mszip.cab", Accepted},
    {"gcab-subdir-store.cab", Accepted},
    {"gcab-zero-byte-mixed-mszip.cab", Accepted},
    {"gcab-zero-byte-only.cab", Accepted},
    {"hidden-file-bad-folderid.cab", Refused},
    {"hidden-file-beyond-eof.cab", Refused},
    {"hidden-files.cab", Accepted},
    {"large-files-cab.cab", Accepted},
    {"lzx-main-tree-no-lengths.cab", Accepted},
    {"lzx-premature-matches.cab", Accepted},
    {"mszip_lzx_qtm.cab", Accepted},
    {"multi_basic_pt1.cab", Accepted},  // the set's continuation is refused during extraction
    {"multi_basic_pt2.cab", Accepted},
    {"multi_basic_pt3.cab", Accepted},
    {"multi_basic_pt4.cab", Accepted},
    {"multi_basic_pt5.cab", Accepted},
    {"normal_255c_filename.cab", Accepted},
    {"normal_2files_1folder.cab", Accepted},
    {"normal_2files_2folders.cab", Accepted},
    {"partial_nodata.cab", Refused},
    {"partial_nofiles.cab", Refused},
    {"partial_nofolder.cab", Refused},
    {"partial_shortextheader.cab", Refused},
    {"partial_shortfile1.cab", Refused},
    {"partial_shortfile2.cab", Refused},
    {"partial_shortfolder.cab", Refused},
    {"partial_shortheader.cab", Refused},
    {"partial_str_nofname.cab", Refused},
    {"partial_str_noninfo.cab", Refused},
    {"partial_str_nonname.cab", Refused},
    {"partial_str_nopinfo.cab", Refused},
    {"partial_str_nopname.cab", Refused},
    {"partial_str_shortfname.cab", Refused},
    {"partial_str_shortninfo.cab", Refused},
    {"partial_str_shortnname.cab", Refused},
    {"partial_str_shortpinfo.cab", Refused},
    {"partial_str_shortpname.cab", Refused},
    {"reserve_---.cab", Accepted},
    {"reserve_--D.cab", Accepted},
    {"reserve_-F-.cab", Accepted},
    {"reserve_-FD.cab", Accepted},
    {"reserve_H--.cab", Accepted},
    {"reserve_H-D.cab", Accepted},
    {"reserve_HF-.cab", Accepted},
    {"reserve_HFD.cab", Accepted},
    {"search.cab", Refused},
    {"search_basic.cab", Refused},
    {"search_tricky1.cab", Refused},
    {"split-1.cab", Accepted},
    {"split-2.cab", Accepted},
    {"split-3.cab", Accepted},
    {"split-4.cab", Accepted},
    {"split-5.cab", Accepted},
    {"utf8-stresstest.cab", UnsafeNames},
};

TEST(UpdateCabinetCheck, EveryCorpusFile) {
    const TWindows1252 ansi;
    std::set<std::string> listed;
    for (const auto& [name, verdict] : kCorpus) {
        listed.insert(name);
        const TCabinetCheck check = CheckCabinetFile(FromUtf8(kCabFolder + name));
        const Verdict got = !check.ok ? Refused : FirstUnsafeMember(check, ansi) ? UnsafeNames : Accepted;
        EXPECT_EQ(got, verdict) << name << ": " << ToUtf8(check.reason);
        EXPECT_EQ(check.ok, check.reason.empty()) << name;
    }
    // A cabinet added to the corpus must be given its verdict here.
    for (const auto& entry : std::filesystem::directory_iterator(kCabFolder)) {
        if (entry.path().extension() == ".cab") {
            EXPECT_TRUE(listed.count(entry.path().filename().string())) << entry.path().filename();
        }
    }
}

TEST(UpdateCabinetCheck, MembersAsListed) {
    const TCabinetCheck check = CheckCabinetFile(FromUtf8(kCabFolder + "gcab-subdir-store.cab"));
    ASSERT_TRUE(check.ok);
    ASSERT_EQ(check.members.size(), 2u);
    EXPECT_EQ(check.members[0].name, "top.txt");
    EXPECT_EQ(check.members[0].size, 15u);
    EXPECT_EQ(check.members[1].name, "sub\\dir\\nested.txt");
    EXPECT_EQ(check.members[1].size, 23u);
    // 2020-01-02 03:04:06 as a DOS date and time.
    EXPECT_EQ(check.members[1].date, ((2020 - 1980) << 9) | (1 << 5) | 2);
    EXPECT_EQ(check.members[1].time, (3 << 11) | (4 << 5) | 3);
}

TEST(UpdateCabinetCheck, ShortOrForeignBytes) {
    EXPECT_FALSE(CheckCabinetBytes("").ok);
    EXPECT_FALSE(CheckCabinetBytes("MSCF").ok);
    EXPECT_FALSE(CheckCabinetFile(FromUtf8(kCabFolder + "missing.cab")).ok);
    EXPECT_FALSE(CheckCabinetFile(FromUtf8(kCabFolder)).ok);  // a folder
}

TEST(UpdateCabinetCheck, MemberNames) {
    const std::pair<std::wstring, bool> cases[] = {
        {L"plain.txt", true},
        {L"sub\\dir\\nested.txt", true},
        {L"sub/fwd/slash.txt", true},
        {L"relative/../path", false},
        {L"..\\..\\evil.txt", false},
        {L"sub\\..\\x", false},
        {L"..", false},
        {L".", false},
        {L"...", false},
        {L"\\rootrel.txt", false},
        {L"/absolute/path", false},
        {L"C:\\abs.txt", false},
        {L"C:driverel.txt", false},
        {L"\\\\?\\C:\\nt.txt", false},
        {L"\\\\127.0.0.1\\share\\unc.txt", false},
        {L"CON", false},
        {L"nul.txt", false},
        {L"COM1.log", false},
        {L"aux", false},
        {L"sub\\lpt9", false},
        {L"console.txt", true},
        {L"COM10", true},
        {L"ads.txt:evilstream", false},
        {L"trailing-dot.", false},
        {L"trailing-space ", false},
        {L"dir\\", false},
        {L"a\\\\b", false},
        {L"tab\there.txt", false},
        {L"ask?.txt", false},
        {L"pipe|.txt", false},
        {L"", false},
        {L"caf\u00E9.txt", true},
        {L".hidden", true},
    };
    for (const auto& [name, safe] : cases) EXPECT_EQ(IsSafeMemberName(name), safe) << ToUtf8(name);
}

TEST(UpdateCabinetCheck, MemberNamesDecodeByTheirFlag) {
    const TWindows1252 ansi;
    TCabinetMember utf8{"caf\xC3\xA9.txt", 0, 0, 0, 0, 0, 0xA0};
    TCabinetMember western{"caf\xE9.txt", 0, 0, 0, 0, 0, 0x20};
    EXPECT_EQ(MemberNameText(utf8, ansi), L"caf\u00E9.txt");
    EXPECT_EQ(MemberNameText(western, ansi), L"caf\u00E9.txt");
    // An overlong "/" is not a separator once decoded.
    TCabinetMember overlong{"..\xC0\xAF..\xC0\xAFx", 0, 0, 0, 0, 0, 0xA0};
    EXPECT_TRUE(IsSafeMemberName(MemberNameText(overlong, ansi)));
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// A stored cabinet: folders of one data block each holding `folderBytes`, then the members.
struct CabLayout {
    std::uint16_t flags = 0;
    std::vector<std::uint16_t> folderBytes = {10};
    struct Member {
        std::string name;
        std::uint32_t size, offset;
        std::uint16_t folder;
    };
    std::vector<Member> members;
};

std::string BuildCabinet(const CabLayout& layout) {
    std::string header, links, folders, files, data;
    auto u16 = [](std::string& s, std::uint16_t v) {
        s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8);
    };
    auto u32 = [&](std::string& s, std::uint32_t v) { u16(s, v & 0xFFFF), u16(s, v >> 16); };
    if (layout.flags & 1) links += std::string("prev.cab\0disk\0", 14);
    if (layout.flags & 2) links += std::string("next.cab\0disk\0", 14);
    for (const auto& m : layout.members) {
        u32(files, m.size), u32(files, m.offset), u16(files, m.folder), u16(files, 0x5021), u16(files, 0x6000);
        u16(files, 0x20), files += m.name, files += '\0';
    }
    const std::uint32_t tables = 36 + static_cast<std::uint32_t>(links.size() + 8 * layout.folderBytes.size());
    std::uint32_t dataAt = tables + static_cast<std::uint32_t>(files.size());
    for (std::uint16_t bytes : layout.folderBytes) {
        u32(folders, dataAt), u16(folders, 1), u16(folders, 0);
        u32(data, 0), u16(data, bytes), u16(data, bytes), data += std::string(bytes, 'x');
        dataAt += 8 + bytes;
    }
    header = "MSCF";
    u32(header, 0), u32(header, dataAt), u32(header, 0), u32(header, tables), u32(header, 0);
    header += '\3', header += '\1';
    u16(header, static_cast<std::uint16_t>(layout.folderBytes.size())),
        u16(header, static_cast<std::uint16_t>(layout.members.size()));
    u16(header, layout.flags), u16(header, 1), u16(header, 0);
    return header + links + folders + files + data;
}

TEST(UpdateCabinetCheck, FolderIndexesAndExtents) {
    struct Case {
        const char* what;
        CabLayout layout;
        bool ok;
    };
    const Case cases[] = {
        {"two folders", {0, {10, 5}, {{"a", 10, 0, 0}, {"b", 5, 0, 1}}}, true},
        {"folder index past the table", {0, {10, 5}, {{"a", 10, 0, 0}, {"b", 5, 0, 2}}}, false},
        {"member longer than its folder", {0, {10}, {{"a", 11, 0, 0}}}, false},
        {"member starting past its folder", {0, {10}, {{"a", 1, 10, 0}}}, false},
        {"empty member at the end", {0, {10}, {{"a", 0, 10, 0}}}, true},
        {"first folder begun in the previous cabinet", {1, {10}, {{"a", 5, 100, 0}}}, true},
        {"same without the previous cabinet", {0, {10}, {{"a", 5, 100, 0}}}, false},
        {"continued from the previous cabinet", {1, {10}, {{"a", 5, 0, 0xFFFD}}}, true},
        {"continued into a missing next cabinet", {0, {10}, {{"a", 5, 0, 0xFFFE}}}, false},
        {"continued both ways with only a next cabinet", {2, {10}, {{"a", 5, 0, 0xFFFF}}}, false},
        {"no folder at all", {0, {}, {{"a", 0, 0, 0}}}, false},
    };
    for (const Case& c : cases) {
        const TCabinetCheck check = CheckCabinetBytes(BuildCabinet(c.layout));
        EXPECT_EQ(check.ok, c.ok) << c.what << ": " << ToUtf8(check.reason);
    }
    // Every cut of a good cabinet is refused, never read past its end.
    const std::string whole = BuildCabinet(cases[0].layout);
    ASSERT_TRUE(CheckCabinetBytes(whole).ok);
    for (size_t size = 0; size < whole.size(); ++size)
        EXPECT_FALSE(CheckCabinetBytes(std::string_view(whole).substr(0, size)).ok) << size;
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST(UpdateCabinetCheck, Destinations) {
    struct Case {
        std::wstring target, name;
        std::optional<std::wstring> folder, file;
    };
    const Case cases[] = {
        {L"C:\\App\\", L"sub\\a.dll", L"C:\\App\\sub", L"C:\\App\\sub\\a.dll"},
        {L"C:\\App\\", L"a.dll", L"C:\\App\\", L"C:\\App\\a.dll"},
        {L"C:\\App\\", L"sub/fwd/b.txt", L"C:\\App\\sub\\fwd", L"C:\\App\\sub\\fwd\\b.txt"},
        {L"", L"sub\\a.dll", L"sub", L"sub\\a.dll"},
        {L"C:\\App\\", L"..\\evil.dll", std::nullopt, std::nullopt},
        {L"C:\\App\\", L"C:\\Windows\\evil.dll", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto d = CabinetDestination(c.target, c.name);
        ASSERT_EQ(d.has_value(), c.file.has_value()) << ToUtf8(c.name);
        if (!d) continue;
        EXPECT_EQ(d->folder, *c.folder) << ToUtf8(c.name);
        EXPECT_EQ(d->file, *c.file) << ToUtf8(c.name);
    }
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// Stored folders of `blocks` empty data blocks each; folder i's data starts at block firstBlock[i]
// of one run of empty blocks shared by the whole cabinet. One empty member in folder 0.
std::string BuildSharedBlocks(const std::vector<std::uint32_t>& firstBlock, std::uint16_t blocksPerFolder,
                              std::uint32_t totalBlocks) {
    std::string out;
    auto u16 = [&](std::uint16_t v) { out += static_cast<char>(v & 0xFF), out += static_cast<char>(v >> 8); };
    auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(static_cast<std::uint16_t>(v >> 16)); };
    const std::uint32_t folderCount = static_cast<std::uint32_t>(firstBlock.size());
    const std::uint32_t files = 36 + 8 * folderCount, fileEntry = 16 + 2, data = files + fileEntry;
    const std::uint32_t size = data + 8 * totalBlocks;
    out = "MSCF";
    u32(0), u32(size), u32(0), u32(files), u32(0);
    out += '\3', out += '\1';
    u16(static_cast<std::uint16_t>(folderCount)), u16(1), u16(0), u16(1), u16(0);
    for (std::uint32_t first : firstBlock) u32(data + 8 * first), u16(blocksPerFolder), u16(0);
    u32(0), u32(0), u16(0), u16(0x5021), u16(0x6000), u16(0x20), out += "a", out += '\0';
    out.append(8 * static_cast<size_t>(totalBlocks), '\0');
    return out;
}

struct ReadCount {
    std::string bytes;
    size_t reads = 0;
    TCabinetCheck Check(size_t limit) {
        const CabinetReader read = [&](std::uint64_t offset, void* out, size_t n) {
            // Past the limit every read fails, so a check that walks too much ends instead of taking hours.
            if (++reads > limit || offset > bytes.size() || n > bytes.size() - offset) return false;
            std::memcpy(out, bytes.data() + offset, n);
            return true;
        };
        return CheckCabinet(read, bytes.size());
    }
};

// Every folder claiming the same blocks used to cost folders x blocks reads (billions for a 1 MiB
// file). Each table entry and block header is at least 8 bytes and read once at most, so the reads
// stay below a quarter of the file's size whatever the folders claim.
TEST(UpdateCabinetCheck, WorkIsBoundedByTheFileSize) {
    struct Case {
        const char* what;
        std::vector<std::uint32_t> firstBlock;
        std::uint16_t blocksPerFolder;
        std::uint32_t totalBlocks;
        bool ok;
    };
    std::vector<std::uint32_t> same(65535, 0), own(65535);
    for (std::uint32_t i = 0; i < own.size(); ++i) own[i] = i;
    const Case cases[] = {
        {"65535 folders on the same 65535 blocks", same, 65535, 65535, false},
        {"65535 folders with a block of their own", own, 1, 65535, true},
    };
    for (const Case& c : cases) {
        ReadCount counted{BuildSharedBlocks(c.firstBlock, c.blocksPerFolder, c.totalBlocks)};
        const size_t limit = counted.bytes.size() / 4;
        const TCabinetCheck check = counted.Check(limit);
        EXPECT_EQ(check.ok, c.ok) << c.what << ": " << ToUtf8(check.reason);
        EXPECT_LE(counted.reads, limit) << c.what;
    }
}

TEST(UpdateCabinetCheck, FoldersOwnTheirBlocks) {
    struct Case {
        const char* what;
        std::vector<std::uint32_t> firstBlock;
        std::uint16_t blocksPerFolder;
        bool ok;
    };
    const Case cases[] = {
        {"in order", {0, 2, 4}, 2, true},
        {"data in another order than the folders", {4, 0, 2}, 2, true},
        {"two folders on the same blocks", {0, 2, 2}, 2, false},
        {"a folder starting inside another's blocks", {0, 1, 4}, 2, false},
        {"the first folder starting inside the last one's", {4, 0, 3}, 2, false},
    };
    for (const Case& c : cases) {
        const TCabinetCheck check = CheckCabinetBytes(BuildSharedBlocks(c.firstBlock, c.blocksPerFolder, 6));
        EXPECT_EQ(check.ok, c.ok) << c.what << ": " << ToUtf8(check.reason);
    }
    // A folder without blocks has no data to share, wherever its offset points.
    std::string empty = BuildSharedBlocks({0, 0}, 2, 2);
    empty[36 + 8 + 4] = 0;  // the second folder's block count
    EXPECT_TRUE(CheckCabinetBytes(empty).ok) << ToUtf8(CheckCabinetBytes(empty).reason);
}

}  // namespace
}  // namespace orvane
