#include "platform/win32/Internet_win32.h"

#include <windows.h>
#include <wininet.h>

#include "platform/win32/Handle.h"

namespace orvane::win32 {

namespace {

HINTERNET H(HInternet handle) {
    return static_cast<HINTERNET>(handle);
}

// wininet.dll from the system folder only, never from beside the program or the current folder.
unique_hmodule LoadWinInet() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return unique_hmodule(LoadLibraryW((std::wstring(folder, length) + L"\\wininet.dll").c_str()));
}

template <typename Fn, typename... Args>
int CallWinInet(const char* name, Args... args) {
    const unique_hmodule module = LoadWinInet();
    if (!module) return -1;
    const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module.get(), name)));
    if (!fn) return -1;
    return fn(args...) ? 1 : 0;
}

}  // namespace

HInternet TWin32Internet::Open(const std::wstring& agent, const std::wstring& proxy) {
    return InternetOpenW(agent.c_str(), proxy.empty() ? INTERNET_OPEN_TYPE_PRECONFIG : INTERNET_OPEN_TYPE_PROXY,
                         proxy.empty() ? nullptr : proxy.c_str(), nullptr, 0);
}

bool TWin32Internet::SetOption(HInternet handle, std::uint32_t option, std::uint32_t value) {
    DWORD v = value;
    return InternetSetOptionW(H(handle), option, &v, sizeof v) != FALSE;
}

std::optional<std::uint32_t> TWin32Internet::QueryOption(HInternet handle, std::uint32_t option) {
    DWORD v = 0, length = sizeof v;
    if (!InternetQueryOptionW(H(handle), option, &v, &length)) return std::nullopt;
    return v;
}

HInternet TWin32Internet::Connect(HInternet session, const std::wstring& server, std::uint16_t port,
                                  const std::wstring* user, const std::wstring* password, std::uint32_t service,
                                  std::uint32_t flags) {
    return InternetConnectW(H(session), server.c_str(), port, user ? user->c_str() : nullptr,
                            password ? password->c_str() : nullptr, service, flags, 0);
}

HInternet TWin32Internet::OpenUrl(HInternet session, const std::wstring& url, const std::wstring& headers,
                                  std::uint32_t flags) {
    return InternetOpenUrlW(H(session), url.c_str(), headers.empty() ? nullptr : headers.c_str(),
                            static_cast<DWORD>(headers.size()), flags, 0);
}

HInternet TWin32Internet::OpenRequest(HInternet connection, const std::wstring& verb, const std::wstring& object,
                                      std::uint32_t flags) {
    return HttpOpenRequestW(H(connection), verb.c_str(), object.c_str(), nullptr, nullptr, nullptr, flags, 0);
}

bool TWin32Internet::SendRequest(HInternet request, const std::wstring& headers) {
    return HttpSendRequestW(H(request), headers.empty() ? nullptr : headers.c_str(), static_cast<DWORD>(headers.size()),
                            nullptr, 0) != FALSE;
}

bool TWin32Internet::SendRequestBody(HInternet request, const std::wstring& headers, const std::string& body) {
    return HttpSendRequestW(H(request), headers.empty() ? nullptr : headers.c_str(), static_cast<DWORD>(headers.size()),
                            body.empty() ? nullptr : const_cast<char*>(body.data()),
                            static_cast<DWORD>(body.size())) != FALSE;
}

std::optional<std::uint32_t> TWin32Internet::QueryNumber(HInternet request, std::uint32_t infoLevel) {
    DWORD v = 0, length = sizeof v, index = 0;
    if (!HttpQueryInfoW(H(request), infoLevel, &v, &length, &index)) return std::nullopt;
    return v;
}

bool TWin32Internet::Read(HInternet request, void* buffer, std::uint32_t size, std::uint32_t& read) {
    DWORD got = 0;
    const bool ok = InternetReadFile(H(request), buffer, size, &got) != FALSE;
    read = ok ? got : 0;
    return ok;
}

bool TWin32Internet::FtpChangeDirectory(HInternet connection, const std::wstring& directory) {
    return FtpSetCurrentDirectoryW(H(connection), directory.c_str()) != FALSE;
}

std::optional<std::uint64_t> TWin32Internet::FtpFindFile(HInternet connection, const std::wstring& name,
                                                         std::uint32_t flags) {
    WIN32_FIND_DATAW data = {};
    const unique_hinternet find(FtpFindFirstFileW(H(connection), name.c_str(), &data, flags, 0));
    if (!find) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

HInternet TWin32Internet::FtpOpen(HInternet connection, const std::wstring& name, std::uint32_t flags) {
    return FtpOpenFileW(H(connection), name.c_str(), GENERIC_READ, flags, 0);
}

void TWin32Internet::Close(HInternet handle) {
    // The engine owns its handles through TInternetHandle; this is the one place they are closed.
    const unique_hinternet owned(H(handle));
}

int TWin32ConnectionState::GetConnectedState(std::uint32_t& flags) {
    DWORD state = 0;
    const int result = CallWinInet<BOOL(WINAPI*)(LPDWORD, DWORD)>("InternetGetConnectedState", &state, DWORD{0});
    if (result > 0) flags = state;
    return result;
}

int TWin32ConnectionState::Autodial(std::uint32_t flags) {
    return CallWinInet<BOOL(WINAPI*)(DWORD, HWND)>("InternetAutodial", static_cast<DWORD>(flags), HWND{nullptr});
}

int TWin32ConnectionState::AutodialHangup() {
    return CallWinInet<BOOL(WINAPI*)(DWORD)>("InternetAutodialHangup", DWORD{0});
}

}  // namespace orvane::win32
