#pragma once

// Signs as openssl dgst -sha256 -sign does, with CNG and the repository's test keys: the signed
// control files name the loopback server's port, known only once a test runs.

#include <windows.h>

#include <bcrypt.h>

#include <cstring>
#include <string>

#include "platform/win32/Crypto_win32.h"
#include "platform/win32/Handle.h"
#include "update/UpdateSignature.h"

namespace orvane::testsigning {

// The DER signature of DATA; KEY is an openssl "ec -outform DER" file's bytes. Empty on failure.
inline std::string Sign(const std::string& data, const std::string& privateKeyDer) {
    win32::unique_bcrypt_alg algorithm;
    if (BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) != 0) return {};
    // ECPrivateKey: the secret at offset 7, the public point after 04 at offset 57.
    std::string blob(sizeof(BCRYPT_ECCKEY_BLOB), '\0');
    const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PRIVATE_P256_MAGIC, 32};
    std::memcpy(blob.data(), &header, sizeof header);
    blob += privateKeyDer.substr(57, 64) + privateKeyDer.substr(7, 32);
    win32::unique_bcrypt_key key;
    if (BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPRIVATE_BLOB, key.put(),
                            reinterpret_cast<PUCHAR>(blob.data()), static_cast<ULONG>(blob.size()), 0) != 0)
        return {};
    const auto digest = win32::TWin32Crypto().Sha256(data);
    if (!digest) return {};
    TSha256 hash = *digest;
    TP256Signature rs{};
    ULONG got = 0;
    if (BCryptSignHash(key.get(), nullptr, hash.data(), 32, rs.data(), 64, &got, 0) != 0) return {};
    return RsToDerSignature(rs);
}

}  // namespace orvane::testsigning
