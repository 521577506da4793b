#pragma once

#include "platform/Internet.h"

namespace orvane::win32 {

// WinInet as it is: every call is the library's, handles are its handles.
class TWin32Internet : public IInternet {
public:
    HInternet Open(const std::wstring& agent, const std::wstring& proxy) override;
    bool SetOption(HInternet handle, std::uint32_t option, std::uint32_t value) override;
    std::optional<std::uint32_t> QueryOption(HInternet handle, std::uint32_t option) override;
    HInternet Connect(HInternet session, const std::wstring& server, std::uint16_t port, const std::wstring* user,
                      const std::wstring* password, std::uint32_t service, std::uint32_t flags) override;
    HInternet OpenUrl(HInternet session, const std::wstring& url, const std::wstring& headers,
                      std::uint32_t flags) override;
    HInternet OpenRequest(HInternet connection, const std::wstring& verb, const std::wstring& object,
                          std::uint32_t flags) override;
    bool SendRequest(HInternet request, const std::wstring& headers) override;
    bool SendRequestBody(HInternet request, const std::wstring& headers, const std::string& body) override;
    std::optional<std::uint32_t> QueryNumber(HInternet request, std::uint32_t infoLevel) override;
    bool Read(HInternet request, void* buffer, std::uint32_t size, std::uint32_t& read) override;
    bool FtpChangeDirectory(HInternet connection, const std::wstring& directory) override;
    std::optional<std::uint64_t> FtpFindFile(HInternet connection, const std::wstring& name,
                                             std::uint32_t flags) override;
    HInternet FtpOpen(HInternet connection, const std::wstring& name, std::uint32_t flags) override;
    void Close(HInternet handle) override;
};

// The dial-up functions are looked up afresh for every call, so a system without them still runs.
class TWin32ConnectionState : public IConnectionState {
public:
    int GetConnectedState(std::uint32_t& flags) override;
    int Autodial(std::uint32_t flags) override;
    int AutodialHangup() override;
};

}  // namespace orvane::win32
