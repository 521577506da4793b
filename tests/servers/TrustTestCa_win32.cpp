#include "TrustTestCa_win32.h"

#include "platform/win32/Handle.h"

#include <wincrypt.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace orvane::testservers {
namespace {
void CloseStore(HCERTSTORE store) {
    CertCloseStore(store, 0);
}
using unique_hcertstore = orvane::win32::unique_any<HCERTSTORE, CloseStore>;

[[noreturn]] void Fail(const char* what) {
    throw std::runtime_error(std::string(what) + " failed, error " + std::to_string(GetLastError()));
}
}  // namespace

void TrustTestCa(const std::filesystem::path& derFile) {
    std::ifstream in(derFile, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + derFile.string());
    std::vector<BYTE> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The current user's store: under Wine it lives in the prefix's registry, and no dialog asks.
    unique_hcertstore root(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root"));
    if (!root) Fail("CertOpenStore(Root)");
    if (!CertAddEncodedCertificateToStore(root.get(), X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
        Fail("CertAddEncodedCertificateToStore");
}

}  // namespace orvane::testservers
