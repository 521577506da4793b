#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Text.h"
#include "fakes/FakeUpdate.h"
#include "update/Checksum.h"
#include "update/PathHelpers.h"

namespace orvane {
namespace {

std::wstring WriteTemp(const std::string& name, const std::string& content) {
    const std::string path = ::testing::TempDir() + "orvane_update_" + name;
    std::ofstream(path, std::ios::binary) << content;
    return FromUtf8(path);
}

TEST(UpdateChecksum, CheckValues) {
    struct Case {
        std::string content;
        std::uint32_t crc;
        std::int32_t byteSum;
    };
    const Case cases[] = {
        {"abc", 0x6C8D9D41u, 293},
        {"a", 0xE8B7BE44u, 96},
        {"123456789", 0x1ED0F3D0u, 476},
        {"", 0u, -1},
    };
    for (const Case& c : cases) {
        const std::wstring path = WriteTemp("check.bin", c.content);
        EXPECT_EQ(static_cast<std::uint32_t>(FileCRC32(path)), c.crc) << c.content;
        EXPECT_EQ(FileByteSum(path), c.byteSum) << c.content;
        EXPECT_EQ(FileSizeOf(path), static_cast<std::int32_t>(c.content.size()));
    }
    // The standard CRC-32 differs: the engine's value must not be replaced by it.
    const auto* abc = reinterpret_cast<const unsigned char*>("abc");
    EXPECT_EQ(StandardCrc32(abc, 3), 0x352441C2u);
    EXPECT_EQ(FileCRC32(WriteTemp("a.bin", "a")),
              static_cast<std::int32_t>(StandardCrc32(reinterpret_cast<const unsigned char*>("a"), 1) + 1));
    EXPECT_EQ(FileCRC32(WriteTemp("abc.bin", "abc")), 1821220161);
    EXPECT_EQ(FileCRC32(WriteTemp("e8.bin", "a")), -390611388);
}

TEST(UpdateChecksum, MissingFilesAndFolders) {
    const std::wstring missing = FromUtf8(::testing::TempDir() + "orvane_update_missing.bin");
    const std::wstring folder = FromUtf8(::testing::TempDir());
    for (const std::wstring& path : {missing, folder}) {
        EXPECT_EQ(FileCRC32(path), 0);
        EXPECT_EQ(FileByteSum(path), -1);
        EXPECT_EQ(FileSizeOf(path), 0);
    }
}

TEST(UpdateChecksum, BlockBoundaries) {
    // Every size around the 4096-byte block must give the one-pass value.
    std::string data(3 * 4096 + 1, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    for (size_t size : {4095u, 4096u, 4097u, 8192u, 3u * 4096u + 1u}) {
        const std::string content = data.substr(0, size);
        const auto* bytes = reinterpret_cast<const unsigned char*>(content.data());
        std::uint32_t sum = 0xFFFFFFFFu;
        for (unsigned char b : content) sum += b;
        const std::wstring path = WriteTemp("blocks.bin", content);
        EXPECT_EQ(static_cast<std::uint32_t>(FileCRC32(path)),
                  AdditiveCrc32Update(0xFFFFFFFFu, bytes, size) ^ 0xFFFFFFFFu)
            << size;
        EXPECT_EQ(static_cast<std::uint32_t>(FileByteSum(path)), sum) << size;
    }
}

TEST(UpdateChecksum, SizeIsTheLow32Bits) {
    const std::string path = ::testing::TempDir() + "orvane_update_sparse.bin";
    std::ofstream(path, std::ios::binary).put('x');
    std::error_code ec;
    std::filesystem::resize_file(path, (1ull << 32) + 5, ec);  // sparse where the file system allows it
    if (ec) GTEST_SKIP() << "cannot make a file over 4 GiB here";
    EXPECT_EQ(FileSizeOf(FromUtf8(path)), 5);
    std::filesystem::remove(path, ec);
}

TEST(UpdatePathHelpers, Parts) {
    const std::tuple<std::wstring, std::wstring, std::wstring> cases[] = {
        {L"C:\\a\\b.txt", L"C:\\a", L"b.txt"}, {L"C:\\b.txt", L"C:", L"b.txt"}, {L"b.txt", L"", L"b.txt"},
        {L"C:\\a\\", L"C:\\a", L""},           {L"a/b.txt", L"", L"a/b.txt"},
    };
    for (const auto& [path, dir, name] : cases) {
        EXPECT_EQ(DirectoryPart(path), dir) << ToUtf8(path);
        EXPECT_EQ(FileNamePart(path), name) << ToUtf8(path);
    }
    EXPECT_EQ(StripTrailingDelimiter(L"C:\\a\\"), L"C:\\a");
    EXPECT_EQ(StripTrailingDelimiter(L"C:\\a//"), L"C:\\a/");
    EXPECT_EQ(StripTrailingDelimiter(L""), L"");
}

TEST(UpdatePathHelpers, CreateDirectoryChain) {
    fakes::FakeFileWriter files;
    files.AddFolder(L"C:\\existing");
    EXPECT_TRUE(CreateDirectoryChain(files, L"C:"));
    EXPECT_TRUE(CreateDirectoryChain(files, L"C:\\"));
    EXPECT_TRUE(CreateDirectoryChain(files, L"C:\\existing\\"));
    EXPECT_TRUE(files.created.empty());

    EXPECT_TRUE(CreateDirectoryChain(files, L"C:\\x\\y\\z"));
    EXPECT_EQ(files.created, (std::vector<std::wstring>{L"C:\\x", L"C:\\x\\y", L"C:\\x\\y\\z"}));
    EXPECT_TRUE(IsExistingDirectory(files, L"C:\\x\\y"));

    files.unwritable.insert(L"D:\\LOCKED");
    files.created.clear();
    EXPECT_FALSE(CreateDirectoryChain(files, L"D:\\locked\\inner"));
    EXPECT_TRUE(files.created.empty());
}

}  // namespace
}  // namespace orvane
