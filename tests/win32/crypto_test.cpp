// CNG against signatures and digests made by openssl (tests/keys).

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/win32/Crypto_win32.h"
#include "update/UpdateSignature.h"

namespace orvane {
namespace {

constexpr std::uint32_t kInvalidSignature = 0xC000A000;  // STATUS_INVALID_SIGNATURE

std::string ReadKeyFile(const char* name) {
    std::ifstream in(std::filesystem::path(ORVANE_TEST_KEYS) / name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Win32Crypto, Sha256OfBytesAndFiles) {
    const win32::TWin32Crypto crypto;
    EXPECT_EQ(Sha256Hex(*crypto.Sha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex(*crypto.Sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path file = std::filesystem::path(temp) / L"orvane-sha256-test.bin";
    // Longer than one read, so the digest runs over several pieces.
    std::string big(200'000, 'a');
    std::ofstream(file, std::ios::binary) << big;
    EXPECT_EQ(Sha256FileHex(crypto, file.wstring()), Sha256Hex(*crypto.Sha256(big)));
    std::filesystem::remove(file);
    EXPECT_FALSE(crypto.Sha256File(file.wstring()));
}

TEST(Win32Crypto, VerifiesOpensslSignaturesAndRefusesTheRest) {
    const win32::TWin32Crypto crypto;
    const std::string control = ReadKeyFile("release.inf");
    const TP256Point key = *ParsePublicKeyPem(ReadKeyFile("test-public.pem"));
    const TP256Point other = *ParsePublicKeyPem(ReadKeyFile("other-public.pem"));
    const TP256Signature signature = *DerSignatureToRS(ReadKeyFile("release.inf.sig"));
    const TP256Signature otherSignature = *DerSignatureToRS(ReadKeyFile("release.inf.other.sig"));
    std::string changed = control;
    changed[10] ^= 1;

    EXPECT_EQ(crypto.VerifyP256(key, control, signature), 0u);
    EXPECT_EQ(crypto.VerifyP256(other, control, otherSignature), 0u);
    EXPECT_EQ(crypto.VerifyP256(key, changed, signature), kInvalidSignature);
    EXPECT_EQ(crypto.VerifyP256(other, control, signature), kInvalidSignature);
    EXPECT_EQ(crypto.VerifyP256(key, control, otherSignature), kInvalidSignature);
    TP256Point offCurve = key;
    offCurve[63] ^= 1;
    EXPECT_NE(crypto.VerifyP256(offCurve, control, signature), 0u);

    // The path the engine and orvane-inspect take, from the files as published.
    const std::vector<std::string> keys{ReadKeyFile("other-public.pem"), ReadKeyFile("test-public.pem")};
    EXPECT_EQ(VerifyDetachedSignature(&crypto, keys, control, ReadKeyFile("release.inf.sig")),
              TSignatureVerdict::Valid);
    EXPECT_EQ(VerifyDetachedSignature(&crypto, {keys[1]}, control, ReadKeyFile("release.inf.other.sig")),
              TSignatureVerdict::Invalid);
}

}  // namespace
}  // namespace orvane
