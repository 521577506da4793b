// The publisher's SHA-256 against the standard's own examples, across the padding boundaries.

#include <gtest/gtest.h>

#include <string>

#include "update/Sha256.h"

namespace orvane {
namespace {

TEST(UpdateSha256, StandardVectorsAndPaddingBoundaries) {
    struct Case {
        std::string input;
        const char* hex;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits in the first block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input.size());
        EXPECT_EQ(Sha256Hex(c.input), c.hex);
    }
}

TEST(UpdateSha256, FilesInPiecesAndMissingFiles) {
    const std::string path = ::testing::TempDir() + "sha256-piece.bin";
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += char(i % 251);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    EXPECT_EQ(Sha256FileHexPortable(std::wstring(path.begin(), path.end())), Sha256Hex(bytes));
    EXPECT_FALSE(Sha256FileHexPortable(L"/no/such/file"));
    std::remove(path.c_str());
}

}  // namespace
}  // namespace orvane
