#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "update/Szdd.h"

namespace orvane {
namespace {

using S = TSzddStatus;

std::string ReadFixture(const std::string& name) {
    std::ifstream in(std::string(ORVANE_FIXTURES) + "/szdd/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::string kHello = "hello, world\n";

struct CorpusCase {
    const char* file;
    S status;
    const char* missing;  // the header's missing character, nullptr without a header
    std::string output;   // what is decoded (checked when size is npos)
    size_t size = std::string::npos;
};

// What the reader makes of every file of the shared corpus (see its CORPUS.md). Where the other
// readers keep going, the data decoded is the same as theirs; the status says what was wrong.
const CorpusCase kCorpus[] = {
    {"wine-lz32-test-compress-exe.tx_", S::szddTruncated, "t", "This is a test file."},  // header says 5237
    {"empty.txt_", S::szddOverlong, "\0", std::string(1, '\0')},
    {"random100k.bin_", S::szddOk, "\0", "", 102400},
    {"zeros64k.bin_", S::szddOk, "\0", "", 65536},
    {"crafted-hdr-only-len0.tx_", S::szddOk, "t", ""},
    {"crafted-initial-window-spaces.tx_", S::szddOk, "t", std::string(18, ' ')},
    {"crafted-overlap-rle.tx_", S::szddOk, "t", std::string(19, 'A')},
    {"crafted-window-wrap.tx_", S::szddOk, "t", "0123456789ABCDEF89ABCDEF89AB"},
    {"crafted-hdr-truncated-10.tx_", S::szddNotSzdd, nullptr, ""},
    {"crafted-hdr-truncated-13.tx_", S::szddNotSzdd, nullptr, ""},
    {"crafted-hdr-only-len100.tx_", S::szddTruncated, "t", ""},
    {"crafted-bad-magic.tx_", S::szddNotSzdd, nullptr, ""},
    {"crafted-bad-mode-B.tx_", S::szddBadMode, "t", ""},
    {"crafted-qbasic-variant.tx_", S::szddNotSzdd, nullptr, ""},
    {"crafted-len-huge.tx_", S::szddTooLarge, "t", ""},  // 4 GiB declared: refused before decoding
    {"crafted-len-smaller.tx_", S::szddOverlong, "t", kHello},
    {"crafted-cut-after-control.tx_", S::szddTruncated, "t", ""},
    {"crafted-cut-mid-literals.tx_", S::szddTruncated, "t", "abc"},
    {"crafted-cut-in-match.tx_", S::szddTruncated, "t", ""},
    {"crafted-missing-char-backslash.tx_", S::szddOk, "\\", kHello},
    {"crafted-missing-char-slash.tx_", S::szddOk, "/", kHello},
    {"crafted-missing-char-colon.tx_", S::szddOk, ":", kHello},
    {"empty.kwj", S::szddNotSzdd, nullptr, ""},
    {"blank.kwj", S::szddNotSzdd, nullptr, ""},
    {"f00.kwj", S::szddNotSzdd, nullptr, ""},
    {"f04.kwj", S::szddNotSzdd, nullptr, ""},
    {"f13.kwj", S::szddNotSzdd, nullptr, ""},
    {"f83.kwj", S::szddNotSzdd, nullptr, ""},
    {"f94.kwj", S::szddNotSzdd, nullptr, ""},
    {"cve-2018-14681.kwj", S::szddNotSzdd, nullptr, ""},
};

TEST(Szdd, EveryCorpusFile) {
    size_t seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(ORVANE_FIXTURES) + "/szdd")) {
        if (entry.path().extension() != ".md") ++seen;
    }
    EXPECT_EQ(seen, std::size(kCorpus)) << "a corpus file has no expectation here";

    for (const CorpusCase& c : kCorpus) {
        SCOPED_TRACE(c.file);
        const std::string file = ReadFixture(c.file);
        const TSzddResult r = SzddDecompress(file, 1u << 20);
        EXPECT_EQ(r.status, c.status);
        const auto header = ParseSzddHeader(file);
        ASSERT_EQ(header.has_value(), c.missing != nullptr);
        if (header) {
            EXPECT_EQ(header->missingChar, c.missing[0]);
        }
        if (c.size == std::string::npos) {
            EXPECT_EQ(r.data, c.output);
        } else {
            EXPECT_EQ(r.data.size(), c.size);
            EXPECT_EQ(r.data.size(), header->expandedSize);
        }
    }
}

TEST(Szdd, LargeCorpusContents) {
    EXPECT_EQ(SzddDecompress(ReadFixture("zeros64k.bin_")).data, std::string(65536, '\0'));
}

TEST(Szdd, OutputLimitHolds) {
    const std::string zeros = ReadFixture("zeros64k.bin_");
    struct {
        size_t limit;
        S status;
    } cases[] = {{65536, S::szddOk}, {65535, S::szddTooLarge}, {1000, S::szddTooLarge}, {0, S::szddTooLarge}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        const TSzddResult r = SzddDecompress(zeros, c.limit);
        EXPECT_EQ(r.status, c.status);
        EXPECT_LE(r.data.size(), c.limit);
    }
    // A header that lies low cannot make the reader write past the limit either.
    std::string lying = SzddCompress(std::string(50000, 'x'), 'x');
    lying[10] = 10, lying[11] = lying[12] = lying[13] = 0;
    const TSzddResult r = SzddDecompress(lying, 100);
    EXPECT_EQ(r.status, S::szddTooLarge);
    EXPECT_LE(r.data.size(), 100u);
}

std::string RandomBytes(size_t n, unsigned seed, int alphabet) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(rng() % alphabet);
    return s;
}

// Text-like data with repeats near and far, runs, and the window's own blanks.
std::string Mixed(size_t n) {
    std::mt19937 rng(7);
    const char* words[] = {"SAP ", "logon ", "GUI ", "    ", "\r\n", "wusetup ", "\0\0\0\0", "0123456789"};
    std::string s;
    while (s.size() < n) {
        if (rng() % 20 == 0)
            s += RandomBytes(rng() % 300, rng(), 256);
        else if (rng() % 30 == 0 && s.size() > 5000)
            s += s.substr(s.size() - 4090 + rng() % 50, rng() % 40);
        else
            s += words[rng() % std::size(words)];
    }
    s.resize(n);
    return s;
}

TEST(Szdd, CompressionRoundTrips) {
    const struct {
        const char* what;
        std::string data;
    } cases[] = {
        {"empty", ""},
        {"one byte", "e"},
        {"shorter than a match", "ab"},
        {"a run", std::string(1000, 'A')},
        {"blanks, as the window starts", std::string(5000, ' ')},
        {"a period of exactly the window",
         [] {
             std::string unit = RandomBytes(4096, 3, 256);
             return unit + unit + unit;
         }()},
        {"a period just past the reach",
         [] {
             std::string unit = RandomBytes(4079, 4, 256);
             return unit + unit;
         }()},
        {"random, incompressible", RandomBytes(70000, 1, 256)},
        {"few symbols", RandomBytes(70000, 2, 3)},
        {"mixed", Mixed(300000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (char missing : {'\0', 'e'}) {
            const std::string packed = SzddCompress(c.data, missing);
            const auto header = ParseSzddHeader(packed);
            ASSERT_TRUE(header);
            EXPECT_EQ(header->missingChar, missing);
            EXPECT_EQ(header->expandedSize, c.data.size());
            const TSzddResult r = SzddDecompress(packed);
            EXPECT_EQ(r.status, S::szddOk);
            EXPECT_TRUE(r.data == c.data);
            // Never worse than literals with their flag bytes.
            EXPECT_LE(packed.size(), kSzddHeaderSize + c.data.size() + (c.data.size() + 7) / 8);
        }
    }
}

// At least as tight as the other compressor that made the corpus, on the same inputs.
TEST(Szdd, CompressesAsWellAsTheCorpusTool) {
    for (const char* file : {"zeros64k.bin_", "random100k.bin_"}) {
        SCOPED_TRACE(file);
        const std::string theirs = ReadFixture(file);
        const std::string data = SzddDecompress(theirs).data;
        EXPECT_LE(SzddCompress(data, 0).size(), theirs.size());
    }
}

TEST(Szdd, TruncatedOwnOutputIsNeverOk) {
    const std::string packed = SzddCompress(Mixed(20000), 'e');
    for (size_t cut = kSzddHeaderSize; cut < packed.size(); cut += 97) {
        const TSzddResult r = SzddDecompress(std::string_view(packed).substr(0, cut));
        EXPECT_EQ(r.status, S::szddTruncated) << cut;
    }
}

TEST(Szdd, ExpandedNames) {
    const struct {
        const wchar_t* name;
        char missing;
        const wchar_t* expected;  // nullptr: refused
    } cases[] = {
        {L"wusetup.ex_", 'e', L"wusetup.exe"},
        {L"WUSETUP.EX_", 'e', L"WUSETUP.EXE"},
        {L"wusetup.ex_", 'E', L"wusetup.exE"},
        {L"empty.txt_", 0, L"empty.txt"},
        {L"readme.txt", 't', L"readme.txt"},
        {L"a_b.dl_", 'l', L"a_b.dll"},
        {L"x.tx_", '\\', nullptr},
        {L"x.tx_", '/', nullptr},
        {L"x.tx_", ':', nullptr},
        {L"x.tx_", '*', nullptr},
        {L"x.tx_", '\x01', nullptr},
        {L"x.tx_", '\xE9', nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.missing);
        const auto name = SzddExpandedName(c.name, c.missing);
        if (c.expected == nullptr) {
            EXPECT_FALSE(name);
        } else {
            ASSERT_TRUE(name);
            EXPECT_EQ(*name, c.expected);
        }
    }
}

}  // namespace
}  // namespace orvane
