#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Crypto.h"
#include "platform/Registry.h"

namespace orvane {

// A DER ECDSA-Sig-Value (SEQUENCE of two INTEGERs) as r || s; nullopt for anything that is not
// strict DER of two positive integers of at most 32 bytes.
std::optional<TP256Signature> DerSignatureToRS(std::string_view der);
// The DER form of r || s, as openssl writes it; the inverse of DerSignatureToRS.
std::string RsToDerSignature(const TP256Signature& rs);

// The point of a PEM "PUBLIC KEY" (SubjectPublicKeyInfo) of an id-ecPublicKey on prime256v1 with an
// uncompressed point; nullopt for any other key or a damaged text.
std::optional<TP256Point> ParsePublicKeyPem(std::string_view pem);

// Exactly 64 hexadecimal digits, either case.
std::optional<TSha256> ParseSha256Hex(std::wstring_view text);
std::string Sha256Hex(const TSha256& digest);  // lower case
std::optional<std::string> Sha256FileHex(const ICrypto& crypto, const std::wstring& path);

enum class TSignatureVerdict {
    Valid,
    NoSignature,         // none could be fetched
    MalformedSignature,  // not a DER signature
    NoUsableKey,         // no trusted key could be read
    Invalid              // no trusted key verifies it
};
const wchar_t* SignatureVerdictText(TSignatureVerdict verdict);

// Checks a detached signature of data against every trusted key (PEM texts); valid when one verifies.
TSignatureVerdict VerifyDetachedSignature(const ICrypto* crypto, const std::vector<std::string>& keys,
                                          const std::string& data, const std::optional<std::string>& der);

// What the engine does with a fetched control file.
enum class TControlFileTrust {
    Accept,
    RefuseSignature,  // keys are trusted and the signature does not verify
    RefuseNoVersion,  // keys are trusted and the file offers no version to compare
    RefuseOlder,      // keys are trusted and the offered version is older than the running program
    RefuseOwnUnknown  // keys are trusted and the running program's version cannot be read
};
// Without trusted keys every control file is accepted, as it always was.
TControlFileTrust DecideControlFileTrust(bool keysTrusted, TSignatureVerdict signature,
                                         std::wstring_view offeredVersion, std::wstring_view ownVersion);

// The policy value of the administrator's extra keys.
inline constexpr const wchar_t* kUpdatePolicyKey = L"SOFTWARE\\Policies\\Orvane";
inline constexpr const wchar_t* kUpdatePublicKeysValue = L"UpdatePublicKeys";

// The build's own key (empty when the build carries none).
std::string BuildUpdatePublicKey();
// The keys control files may be signed with: the build's key, then the policy's; a key that cannot be
// read is skipped and reported through log.
std::vector<std::string> TrustedUpdateKeys(const std::string& buildKey, const IRegistry& registry,
                                           const std::function<void(const std::wstring&)>& log = {});
std::vector<std::string> TrustedUpdateKeys(const IRegistry& registry,
                                           const std::function<void(const std::wstring&)>& log = {});

}  // namespace orvane
