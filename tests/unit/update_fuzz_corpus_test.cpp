// Replays the update fuzzers' kept inputs (fuzz/corpus/<target>/) with the properties the fuzzers
// check, so a regression shows in every build, under Wine and the sanitizers too.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/Text.h"
#include "platform/CodePage.h"
#include "update/CabinetCheck.h"
#include "update/ControlFile.h"
#include "update/ControlFileJson.h"
#include "update/Szdd.h"
#include "update/UpdateSignature.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

struct Input {
    std::string name, bytes;
};

std::vector<Input> Corpus(const char* target) {
    const fs::path folder = fs::path(ORVANE_FUZZ_CORPUS) / target;
    std::vector<Input> inputs;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        inputs.push_back({entry.path().filename().string(),
                          std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>())});
    }
    return inputs;
}

TEST(UpdateFuzzCorpus, ControlFilesReadWhole) {
    const TWindows1252 ansi;
    const auto inputs = Corpus("control_file_fuzz");
    EXPECT_FALSE(inputs.empty());
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.name);
        const TControlFile file = TControlFile::FromBytes(input.bytes, ansi);
        for (const TControlFile::Section& section : file.Sections()) {
            EXPECT_TRUE(file.HasSection(LowerCaseAscii(section.name)));
            for (const TControlFile::Key& key : section.keys)
                EXPECT_TRUE(file.Find(UpperCaseAscii(section.name), LowerCaseAscii(key.name)));
        }
        const TControlFileValues values = ReadControlFileValues(file, L"FR");
        EXPECT_FALSE(ControlFileJson(values, FileEntriesAsWritten(values)).empty());
    }
}

TEST(UpdateFuzzCorpus, CabinetChecksKeepTheirPromises) {
    const TWindows1252 ansi;
    const auto inputs = Corpus("cabinet_check_fuzz");
    EXPECT_FALSE(inputs.empty());
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.name);
        const TCabinetCheck check = CheckCabinetBytes(input.bytes);
        EXPECT_EQ(check.ok, check.reason.empty());
        if (!check.ok) continue;
        for (const TCabinetMember& m : check.members) {
            EXPECT_LE(m.name.size(), 255u);
            EXPECT_TRUE(m.folderIndex < check.folderCount || m.folderIndex >= 0xFFFD);
            const auto destination = CabinetDestination(L"C:\\target\\", MemberNameText(m, ansi));
            if (!destination) continue;
            EXPECT_EQ(destination->file.rfind(L"C:\\target\\", 0), 0u);
            EXPECT_EQ(destination->file.find(L"\\..\\"), std::wstring::npos);
        }
    }
}

TEST(UpdateFuzzCorpus, LzReaderRoundTripsWhatItDecodes) {
    const auto inputs = Corpus("szdd_fuzz");
    EXPECT_FALSE(inputs.empty());
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.name);
        const TSzddResult r = SzddDecompress(input.bytes, 1 << 20);
        EXPECT_LE(r.data.size(), size_t(1) << 20);
        if (r.ok()) {
            EXPECT_EQ(r.data.size(), r.header.expandedSize);
        }
        const TSzddResult again = SzddDecompress(SzddCompress(r.data, r.header.missingChar));
        EXPECT_TRUE(again.ok());
        EXPECT_EQ(again.data, r.data);
    }
}

TEST(UpdateFuzzCorpus, SignaturesHaveOneEncoding) {
    const auto inputs = Corpus("signature_fuzz");
    EXPECT_FALSE(inputs.empty());
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.name);
        if (const auto rs = DerSignatureToRS(input.bytes)) {
            EXPECT_EQ(RsToDerSignature(*rs), input.bytes);
        }
    }
    // openssl's own signatures are among them, and read.
    for (const char* name : {"openssl.sig", "openssl-other.sig"}) {
        std::ifstream in(fs::path(ORVANE_FUZZ_CORPUS) / "signature_fuzz" / name, std::ios::binary);
        EXPECT_TRUE(DerSignatureToRS(std::string(std::istreambuf_iterator<char>(in), {}))) << name;
    }
}

}  // namespace
}  // namespace orvane
