// Cabinet extraction through the system's extractor: the shared corpus (valid, broken and hostile
// cabinets) and cabinets made with gcab at build time.

#include <gtest/gtest.h>

#include <windows.h>

#include <wincrypt.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "core/Text.h"
#include "platform/win32/Win32Platform.h"
#include "update/CabinetCheck.h"
#include "update/win32/Cabinet_win32.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(ORVANE_FIXTURES) / "cab";
const fs::path kGcab = ORVANE_GCAB_DIR;

std::string Md5(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    std::string hex;
    if (CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
        CryptCreateHash(provider, CALG_MD5, 0, 0, &hash) &&
        CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0)) {
        BYTE digest[16];
        DWORD size = sizeof digest;
        if (CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0))
            for (BYTE b : digest) hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
    }
    if (hash) CryptDestroyHash(hash);
    if (provider) CryptReleaseContext(provider, 0);
    return hex;
}

// A scratch folder per case with the target inside it, so that anything written beside the target shows.
struct Scratch {
    fs::path root;
    fs::path target;
    explicit Scratch(const std::string& name)
        : root(fs::temp_directory_path() / (L"orvane-cab-" + std::to_wstring(GetCurrentProcessId())) / FromUtf8(name)),
          target(root / L"out") {
        std::error_code ignored;
        fs::remove_all(root, ignored);
        fs::create_directories(target);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(root.parent_path(), ignored);
    }
    std::wstring Target() const { return target.wstring() + L"\\"; }
    // Files under the target, as "a\b.txt" relative paths.
    std::map<std::wstring, fs::path> Files() const {
        std::map<std::wstring, fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(target))
            if (entry.is_regular_file()) {
                std::wstring relative = fs::relative(entry.path(), target).wstring();
                for (wchar_t& c : relative)
                    if (c == L'/') c = L'\\';
                files[relative] = entry.path();
            }
        return files;
    }
    bool OnlyTargetBesideIt() const {
        size_t entries = 0;
        for (const auto& entry : fs::directory_iterator(root)) entries += entry.path() == target ? 0 : 1;
        return entries == 0;
    }
};

struct Member {
    const wchar_t* name;
    const char* md5;
};

struct CorpusCase {
    const char* file;
    int result;
    std::vector<Member> kept;  // members checked byte for byte (the other members are checked by size)
    bool nothingOwn = false;   // succeeds without a member of its own to write
};

// What extraction makes of each cabinet of the corpus. Refused ones fail before anything is
// written; broken data fails and leaves only the members completed before; cabinet sets fail at
// the first request for the next part.
const std::vector<CorpusCase> kCases = {
    {"bad_folderindex.cab", -1, {}},
    {"bad_nofiles.cab", 0, {}, true},
    {"bad_nofolders.cab", -1, {}},  // the system's extractor would crash on it
    {"bad_signature.cab", -1, {}},
    {"case-ascii.cab", 0, {}},
    {"case-utf8.cab", 0, {}},
    {"crafted-bad-checksum.cab", -1, {}},
    {"crafted-bad-comp-type.cab", -1, {}},
    {"crafted-bad-data-offset.cab", -1, {}},
    {"crafted-bad-files-offset.cab", -1, {}},
    {"crafted-cbcabinet-tiny.cab", 0, {}},
    {"crafted-continued-without-prev.cab", -1, {}},
    {"crafted-counts-lie-65535.cab", -1, {}},
    {"crafted-datablock-sizes-lie.cab", -1, {}},
    {"crafted-huge-file-size.cab", -1, {}},
    {"crafted-many-folders-1000.cab", 0, {}},
    {"crafted-win-hostile-names.cab", -1, {}},
    {"cve-2010-2800-mszip-infinite-loop.cab", -1, {}},
    {"cve-2010-2801-qtm-flush.cab", -1, {}},  // valid, but the system's Quantum decoder stops early under Wine
    {"cve-2014-9556-qtm-infinite-loop.cab", -1, {}},
    {"cve-2014-9732-folders-segfault.cab", -1, {}},
    {"cve-2015-4470-mszip-over-read.cab", -1, {}},
    {"cve-2015-4471-lzx-under-read.cab", -1, {}},
    {"cve-2017-11423-fname-overread.cab", -1, {}},
    {"cve-2018-18584-qtm-max-size-block.cab", -1, {}},
    {"dir.cab", 0, {}},
    {"dirwalk-vulns.cab", -1, {}},
    {"encoding-koi8.cab", -1, {}},
    {"encoding-latin1.cab", 0, {}},
    {"encoding-sjis.cab", 0, {}},
    {"filename-read-violation-1.cab", -1, {}},
    {"filename-read-violation-2.cab", -1, {}},
    {"filename-read-violation-3.cab", -1, {}},
    {"filename-read-violation-4.cab", -1, {}},
    {"gcab-100k-mszip.cab", 0, {{L"big100k.bin", "a1687d6bdf439177b6b5f88f7a1d0739"}}},
    {"gcab-subdir-mszip.cab",
     0,
     {{L"top.txt", "dd45669b08bfb6c5f100e47156345c5e"}, {L"sub\\dir\\nested.txt", "1d5daf0ab3e47a5c8ae9af5e424f3a15"}}},
    {"gcab-subdir-store.cab",
     0,
     {{L"top.txt", "dd45669b08bfb6c5f100e47156345c5e"}, {L"sub\\dir\\nested.txt", "1d5daf0ab3e47a5c8ae9af5e424f3a15"}}},
    {"gcab-zero-byte-mixed-mszip.cab", 0, {{L"empty.dat", "d41d8cd98f00b204e9800998ecf8427e"}}},
    {"gcab-zero-byte-only.cab", 0, {{L"empty.dat", "d41d8cd98f00b204e9800998ecf8427e"}}},
    {"hidden-file-bad-folderid.cab", -1, {}},
    {"hidden-file-beyond-eof.cab", -1, {}},
    {"hidden-files.cab", 0, {}},
    {"large-files-cab.cab", 0, {{L"large-files.cab", "ac923e14971324651015ba44ceb59b36"}}},
    {"lzx-main-tree-no-lengths.cab", -1, {}},
    {"lzx-premature-matches.cab", -1, {}},
    {"mszip_lzx_qtm.cab", 0, {}},
    {"multi_basic_pt1.cab", -1, {}},
    {"multi_basic_pt2.cab", 0, {}, true},  // every member goes on in another part: nothing of its own
    {"multi_basic_pt3.cab", 0, {}, true},
    {"multi_basic_pt4.cab", 0, {}, true},
    {"multi_basic_pt5.cab", 0, {}, true},
    {"normal_255c_filename.cab", 0, {}},
    {"normal_2files_1folder.cab", 0, {}},
    {"normal_2files_2folders.cab", 0, {}},
    {"partial_nodata.cab", -1, {}},
    {"partial_nofiles.cab", -1, {}},
    {"partial_nofolder.cab", -1, {}},
    {"partial_shortextheader.cab", -1, {}},
    {"partial_shortfile1.cab", -1, {}},
    {"partial_shortfile2.cab", -1, {}},
    {"partial_shortfolder.cab", -1, {}},
    {"partial_shortheader.cab", -1, {}},
    {"partial_str_nofname.cab", -1, {}},
    {"partial_str_noninfo.cab", -1, {}},
    {"partial_str_nonname.cab", -1, {}},
    {"partial_str_nopinfo.cab", -1, {}},
    {"partial_str_nopname.cab", -1, {}},
    {"partial_str_shortfname.cab", -1, {}},
    {"partial_str_shortninfo.cab", -1, {}},
    {"partial_str_shortnname.cab", -1, {}},
    {"partial_str_shortpinfo.cab", -1, {}},
    {"partial_str_shortpname.cab", -1, {}},
    {"reserve_---.cab", 0, {}},
    {"reserve_--D.cab", 0, {}},
    {"reserve_-F-.cab", 0, {}},
    {"reserve_-FD.cab", 0, {}},
    {"reserve_H--.cab", 0, {}},
    {"reserve_H-D.cab", 0, {}},
    {"reserve_HF-.cab", 0, {}},
    {"reserve_HFD.cab", 0, {}},
    {"search.cab", -1, {}},
    {"search_basic.cab", -1, {}},
    {"search_tricky1.cab", -1, {}},
    {"split-1.cab", -1, {{L"small1.bin", "2ad5ba0f497f1e597ab187a2dfaa2e29"}}},  // small2.bin goes on in part 2
    {"split-2.cab", -1, {}},
    {"split-3.cab", 0, {}, true},
    {"split-4.cab", -1, {}},  // both its members go on in part 5
    {"split-5.cab", 0, {}, true},
    {"utf8-stresstest.cab", -1, {}},
};

TEST(Win32CabinetExtraction, WholeCorpusEndsCleanInsideTheTarget) {
    const win32::TWin32AnsiCodePage ansi;
    std::set<std::string> listed;
    for (const CorpusCase& c : kCases) {
        listed.insert(c.file);
        SCOPED_TRACE(c.file);
        const fs::path cabinet = kCorpus / c.file;
        Scratch scratch(c.file);
        EXPECT_EQ(ExtractCabinet(cabinet.wstring(), scratch.Target()), c.result);
        EXPECT_TRUE(scratch.OnlyTargetBesideIt());

        // Every file left is a whole member: the size the cabinet declares for that name.
        const TCabinetCheck table = CheckCabinetFile(cabinet.wstring());
        std::map<std::wstring, std::uint32_t> declared;
        for (const TCabinetMember& m : table.members) {
            std::wstring name = MemberNameText(m, ansi);
            for (wchar_t& ch : name)
                if (ch == L'/') ch = L'\\';
            declared[name] = m.size;
        }
        const auto files = scratch.Files();
        if (!table.ok || FirstUnsafeMember(table, ansi)) {
            EXPECT_TRUE(files.empty()) << "refused before anything was written";
        }
        for (const auto& [name, path] : files) {
            EXPECT_TRUE(declared.count(name)) << ToUtf8(name);
            if (declared.count(name)) {
                EXPECT_EQ(fs::file_size(path), declared[name]) << ToUtf8(name);
            }
        }
        if (c.result == 0) {
            EXPECT_EQ(files.size(), c.nothingOwn ? 0u : declared.size());
        }
        for (const Member& m : c.kept) {
            EXPECT_TRUE(files.count(m.name)) << ToUtf8(m.name);
            if (files.count(m.name)) {
                EXPECT_EQ(Md5(files.at(m.name)), m.md5) << ToUtf8(m.name);
            }
        }
    }
    for (const auto& entry : fs::directory_iterator(kCorpus)) {
        if (entry.path().extension() == ".cab") {
            EXPECT_TRUE(listed.count(entry.path().filename().string()))
                << entry.path().filename() << " needs its expected outcome here";
        }
    }
    // The hostile names point at these; none may exist.
    for (const wchar_t* escape : {L"C:\\cabtest-evil-abs.txt", L"C:\\cabtest-evil-driverel.txt",
                                  L"\\cabtest-evil-rootrel.txt", L"\\absolute\\path"})
        EXPECT_EQ(GetFileAttributesW(escape), INVALID_FILE_ATTRIBUTES) << ToUtf8(escape);
}

FILETIME LocalStamp(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME local = {}, utc;
    local.wYear = static_cast<WORD>(year), local.wMonth = static_cast<WORD>(month), local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour), local.wMinute = static_cast<WORD>(minute),
    local.wSecond = static_cast<WORD>(second);
    FILETIME stamp = {};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    SystemTimeToFileTime(&utc, &stamp);
    return stamp;
}

FILETIME LastWrite(const fs::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

TEST(Win32CabinetExtraction, SubFoldersAndStoredTimes) {
    struct Expected {
        const wchar_t* name;
        const char* content;
        FILETIME stamp;
    };
    const std::vector<Expected> expected = {
        {L"top.txt", "top level file\n", LocalStamp(2020, 1, 2, 3, 4, 6)},
        {L"sub\\dir\\nested.txt", "nested file in sub/dir\n", LocalStamp(2019, 7, 15, 14, 30, 10)},
        {L"sub\\Donn\u00e9es \u00e9t\u00e9.txt", "accented name\n", LocalStamp(2001, 12, 31, 23, 59, 58)},
    };
    for (const wchar_t* cab : {L"subfolders-store.cab", L"subfolders-mszip.cab"}) {
        SCOPED_TRACE(ToUtf8(cab));
        ASSERT_TRUE(fs::exists(kGcab / cab)) << "made by gcab at build time";
        Scratch scratch(ToUtf8(cab));
        // The target given without its final "\" still receives the members inside it.
        ASSERT_EQ(ExtractCabinet((kGcab / cab).wstring(), scratch.target.wstring()), 0);
        EXPECT_TRUE(scratch.OnlyTargetBesideIt());
        for (const Expected& e : expected) {
            const fs::path file = scratch.target / e.name;
            std::ifstream in(file, std::ios::binary);
            const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(content, e.content) << ToUtf8(e.name);
            const FILETIME got = LastWrite(file);
            EXPECT_EQ(got.dwLowDateTime, e.stamp.dwLowDateTime) << ToUtf8(e.name);
            EXPECT_EQ(got.dwHighDateTime, e.stamp.dwHighDateTime) << ToUtf8(e.name);
        }
    }
    Scratch scratch("mszip-big");
    ASSERT_EQ(ExtractCabinet((kGcab / L"subfolders-mszip.cab").wstring(), scratch.Target()), 0);
    EXPECT_EQ(fs::file_size(scratch.target / L"deep\\a\\b\\c\\big.txt"),
              fs::file_size(kGcab / "src/deep/a/b/c/big.txt"));
}

// A member without a stored date and time, or with an impossible one, is stamped with the time of writing.
TEST(Win32CabinetExtraction, MissingOrImpossibleDatesGiveTheCurrentTime) {
    std::ifstream in(kCorpus / "gcab-zero-byte-only.cab", std::ios::binary);
    const std::string original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(original.size(), 70u);
    // The only file entry follows the 36-byte header and the 8-byte folder: date at 54, time at 56.
    struct Case {
        const char* name;
        const char dateTime[4];
    };
    for (const Case& c : {Case{"zero", {0, 0, 0, 0}}, Case{"impossible", {'\xFF', '\xFF', '\xFF', '\xFF'}}}) {
        SCOPED_TRACE(c.name);
        Scratch scratch(c.name);
        std::string bytes = original;
        bytes.replace(54, 4, c.dateTime, 4);
        const fs::path cabinet = scratch.root / L"dated.cab";
        std::ofstream(cabinet, std::ios::binary) << bytes;
        FILETIME before, after;
        GetSystemTimeAsFileTime(&before);
        ASSERT_EQ(ExtractCabinet(cabinet.wstring(), scratch.Target()), 0);
        GetSystemTimeAsFileTime(&after);
        const FILETIME got = LastWrite(scratch.target / L"empty.dat");
        EXPECT_GE(CompareFileTime(&got, &before), 0);
        EXPECT_LE(CompareFileTime(&got, &after), 0);
    }
}

TEST(Win32CabinetExtraction, EmptyTargetMeansTheCurrentFolder) {
    ASSERT_TRUE(fs::exists(kGcab / L"subfolders-store.cab")) << "made by gcab at build time";
    Scratch scratch("current");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(scratch.target.c_str()));
    const int result = ExtractCabinet((kGcab / L"subfolders-store.cab").wstring(), L"");
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(fs::exists(scratch.target / L"top.txt"));
    EXPECT_TRUE(fs::exists(scratch.target / L"sub\\dir\\nested.txt"));
}

// Each thread keeps its own extraction state.
TEST(Win32CabinetExtraction, ThreadsExtractSideBySide) {
    Scratch scratch("threads");
    const fs::path cabinet = kCorpus / "gcab-100k-mszip.cab";
    int results[4] = {1, 1, 1, 1};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&, i] {
            for (int round = 0; round < 5 && results[i] != -1; ++round)
                results[i] = ExtractCabinet(cabinet.wstring(), (scratch.target / std::to_wstring(i)).wstring() + L"\\");
        });
    for (std::thread& t : threads) t.join();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(results[i], 0) << i;
        EXPECT_EQ(Md5(scratch.target / std::to_wstring(i) / L"big100k.bin"), "a1687d6bdf439177b6b5f88f7a1d0739") << i;
    }
}

// 65535 folders all claiming the same 65535 empty blocks: about 1 MiB that once cost billions of
// reads before the extractor was even called. Unshared, each folder has a block of its own.
std::string FoldersCabinet(bool shared) {
    std::string out;
    auto u16 = [&](unsigned v) { out += static_cast<char>(v & 0xFF), out += static_cast<char>(v >> 8 & 0xFF); };
    auto u32 = [&](unsigned v) { u16(v & 0xFFFF), u16(v >> 16); };
    const unsigned folders = 65535, blocks = shared ? 65535 : 1, files = 36 + 8 * folders, data = files + 16 + 2;
    out = "MSCF";
    u32(0), u32(data + 8 * 65535), u32(0), u32(files), u32(0);
    out += '\3', out += '\1';
    u16(folders), u16(1), u16(0), u16(1), u16(0);
    for (unsigned i = 0; i < folders; ++i) u32(data + (shared ? 0 : 8 * i)), u16(blocks), u16(0);
    u32(0), u32(0), u16(0), u16(0x5021), u16(0x6000), u16(0x20), out += "a", out += '\0';
    out.append(8 * 65535, '\0');
    return out;
}

TEST(Win32CabinetExtraction, ReportsWhatItWroteAndWhy) {
    Scratch scratch("report");
    const win32::TWin32AnsiCodePage ansi;
    const std::wstring out = scratch.Target();

    const TCabinetExtraction whole = ExtractCabinetReport((kCorpus / "gcab-subdir-store.cab").wstring(), out, ansi);
    EXPECT_EQ(whole.result, 0);
    EXPECT_EQ(whole.reason, L"");
    EXPECT_EQ(whole.written, (std::vector<std::wstring>{out + L"top.txt", out + L"sub\\dir\\nested.txt"}));

    // Read through many windows of the file, every table entry in its place.
    const fs::path own = scratch.root / L"own-blocks.cab";
    std::ofstream(own, std::ios::binary) << FoldersCabinet(false);
    const TCabinetExtraction owned = ExtractCabinetReport(own.wstring(), out, ansi);
    EXPECT_EQ(owned.result, 0) << ToUtf8(owned.reason);
    EXPECT_EQ(owned.written, std::vector<std::wstring>{out + L"a"});

    const fs::path shared = scratch.root / L"shared-blocks.cab";
    std::ofstream(shared, std::ios::binary) << FoldersCabinet(true);
    struct Case {
        fs::path cabinet;
        bool refused;
        const wchar_t* reason;
        std::vector<std::wstring> written;
    };
    const Case cases[] = {
        {shared, true, L"folders share data blocks", {}},
        {kCorpus / "dirwalk-vulns.cab", true, L"unsafe member name: ", {}},
        {kCorpus / "split-1.cab", false, L"the cabinet goes on in another part", {out + L"small1.bin"}},
        {scratch.root / L"missing.cab", false, L"cannot read the cabinet: ", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cabinet.string());
        const TCabinetExtraction failed = ExtractCabinetReport(c.cabinet.wstring(), out, ansi);
        EXPECT_EQ(failed.result, -1);
        EXPECT_EQ(failed.refused, c.refused);
        EXPECT_EQ(failed.reason.rfind(c.reason, 0), 0u) << ToUtf8(failed.reason);
        EXPECT_EQ(failed.written, c.written);
    }
}

TEST(Win32CabinetExtraction, FailuresWriteNothing) {
    Scratch scratch("failures");
    const fs::path text = scratch.root / L"plain.cab";
    std::ofstream(text, std::ios::binary) << "not a cabinet at all, just text";
    EXPECT_EQ(ExtractCabinet(text.wstring(), scratch.Target()), -1);
    EXPECT_EQ(ExtractCabinet((scratch.root / L"missing.cab").wstring(), scratch.Target()), -1);
    EXPECT_TRUE(scratch.Files().empty());

    // A member that cannot be created (a folder of that name is in the way) fails the extraction.
    fs::create_directories(scratch.target / L"top.txt");
    EXPECT_EQ(ExtractCabinet((kCorpus / "gcab-subdir-store.cab").wstring(), scratch.Target()), -1);
}

}  // namespace
}  // namespace orvane
