#include "platform/win32/HostIdentity_win32.h"

// Winsock's header must come before the system's.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>
#include <lm.h>
#include <ws2tcpip.h>

#include <vector>

#include "platform/win32/Handle.h"

namespace orvane::win32 {

namespace {

void FreeNetBuffer(LPBYTE buffer) {
    NetApiBufferFree(buffer);
}
using unique_netbuffer = unique_any<LPBYTE, FreeNetBuffer>;

std::wstring Dotted(const sockaddr_in& address) {
    const auto* b = reinterpret_cast<const unsigned char*>(&address.sin_addr);
    return std::to_wstring(b[0]) + L'.' + std::to_wstring(b[1]) + L'.' + std::to_wstring(b[2]) + L'.' +
           std::to_wstring(b[3]);
}

}  // namespace

std::optional<TScreenSize> TWin32HostIdentity::StoredScreenSize() const {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsW(nullptr, ENUM_REGISTRY_SETTINGS, &mode)) return std::nullopt;
    return TScreenSize{mode.dmPelsWidth, mode.dmPelsHeight};
}

// Asking a resolver for the computer's own name may go out to the network (and hang on a machine
// without one); the adapters' table is local and answers at once.
std::wstring TWin32HostIdentity::OwnIPv4Address() const {
    constexpr ULONG kFlags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
    std::vector<unsigned char> buffer(16 * 1024);
    ULONG size = static_cast<ULONG>(buffer.size());
    ULONG status = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        status = GetAdaptersAddresses(AF_INET, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                                      &size);
    }
    if (status == ERROR_NO_DATA) return L"127.0.0.1";
    if (status != NO_ERROR) return {};
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const SOCKADDR* address = unicast->Address.lpSockaddr;
            if (!address || address->sa_family != AF_INET) continue;
            const auto& in = *reinterpret_cast<const sockaddr_in*>(address);
            if (reinterpret_cast<const unsigned char*>(&in.sin_addr)[0] == 127) continue;
            return Dotted(in);
        }
    }
    // A machine without a network still answers for itself.
    return L"127.0.0.1";
}

std::wstring TWin32HostIdentity::AccountDomain() const {
    unique_handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<unsigned char> data(size);
    if (!GetTokenInformation(token.get(), TokenUser, data.data(), size, &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(data.data())->User.Sid;
    wchar_t name[257] = L"", domain[257] = L"";
    DWORD nameSize = 257, domainSize = 257;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) return {};
    return domain;
}

std::wstring TWin32HostIdentity::LanGroup() const {
    unique_netbuffer buffer;
    if (NetWkstaGetInfo(nullptr, 100, buffer.put()) != NERR_Success || !buffer) return {};
    const auto* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer.get());
    return info->wki100_langroup ? std::wstring(info->wki100_langroup) : std::wstring();
}

}  // namespace orvane::win32
