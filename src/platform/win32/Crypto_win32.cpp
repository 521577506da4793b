#include "platform/win32/Crypto_win32.h"

#include <windows.h>

#include <bcrypt.h>

#include <vector>

#include "platform/win32/Handle.h"

namespace orvane::win32 {

namespace {

constexpr NTSTATUS kSuccess = 0;
constexpr NTSTATUS kUnsuccessful = static_cast<NTSTATUS>(0xC0000001);

// A SHA-256 hash object; its state buffer lives as long as it does (systems before Windows 7 need one).
class TSha256Hash {
public:
    TSha256Hash() {
        if (BCryptOpenAlgorithmProvider(algorithm_.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0) != kSuccess) return;
        DWORD objectSize = 0, got = 0;
        if (BCryptGetProperty(algorithm_.get(), BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize),
                              sizeof objectSize, &got, 0) != kSuccess)
            return;
        state_.resize(objectSize);
        if (BCryptCreateHash(algorithm_.get(), hash_.put(), state_.data(), objectSize, nullptr, 0, 0) != kSuccess)
            hash_.reset();
    }
    bool Add(const void* data, size_t size) {
        if (!hash_) return false;
        // One call takes at most 4 GB.
        const auto* bytes = static_cast<const UCHAR*>(data);
        while (size > 0) {
            const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
            if (BCryptHashData(hash_.get(), const_cast<PUCHAR>(bytes), piece, 0) != kSuccess) return false;
            bytes += piece;
            size -= piece;
        }
        return true;
    }
    std::optional<TSha256> Finish() {
        TSha256 digest{};
        if (!hash_ || BCryptFinishHash(hash_.get(), digest.data(), static_cast<ULONG>(digest.size()), 0) != kSuccess)
            return std::nullopt;
        return digest;
    }

private:
    unique_bcrypt_alg algorithm_;
    std::vector<UCHAR> state_;
    unique_bcrypt_hash hash_;  // destroyed before the state it uses
};

}  // namespace

std::optional<TSha256> TWin32Crypto::Sha256(const std::string& data) const {
    TSha256Hash hash;
    if (!hash.Add(data.data(), data.size())) return std::nullopt;
    return hash.Finish();
}

std::optional<TSha256> TWin32Crypto::Sha256File(const std::wstring& path) const {
    unique_hfile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;
    TSha256Hash hash;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        if (!hash.Add(buffer.data(), got)) return std::nullopt;
    }
    return hash.Finish();
}

std::uint32_t TWin32Crypto::VerifyP256(const TP256Point& key, const std::string& data, const TP256Signature& rs) const {
    const auto digest = Sha256(data);
    if (!digest) return static_cast<std::uint32_t>(kUnsuccessful);
    unique_bcrypt_alg algorithm;
    NTSTATUS status = BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0);
    if (status != kSuccess) return static_cast<std::uint32_t>(status);

    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    memcpy(blob.data(), &header, sizeof header);
    memcpy(blob.data() + sizeof header, key.data(), key.size());
    unique_bcrypt_key handle;
    status = BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, handle.put(), blob.data(),
                                 static_cast<ULONG>(blob.size()), 0);
    if (status != kSuccess) return static_cast<std::uint32_t>(status);
    TSha256 hashed = *digest;
    TP256Signature signature = rs;
    status = BCryptVerifySignature(handle.get(), nullptr, hashed.data(), static_cast<ULONG>(hashed.size()),
                                   signature.data(), static_cast<ULONG>(signature.size()), 0);
    return static_cast<std::uint32_t>(status);
}

}  // namespace orvane::win32
