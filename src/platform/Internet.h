#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// An Internet library handle (session, connection, request, FTP file); null when none.
using HInternet = void*;

// The Internet library's session, request and FTP services. Every call leaves the calling thread's
// last error set as the library does, so the engine's error report can read it.
class IInternet {
public:
    virtual ~IInternet() = default;
    // An empty proxy uses the system's configuration.
    virtual HInternet Open(const std::wstring& agent, const std::wstring& proxy) = 0;
    virtual bool SetOption(HInternet handle, std::uint32_t option, std::uint32_t value) = 0;
    virtual std::optional<std::uint32_t> QueryOption(HInternet handle, std::uint32_t option) = 0;
    // Null user and password log on anonymously.
    virtual HInternet Connect(HInternet session, const std::wstring& server, std::uint16_t port,
                              const std::wstring* user, const std::wstring* password, std::uint32_t service,
                              std::uint32_t flags) = 0;
    virtual HInternet OpenUrl(HInternet session, const std::wstring& url, const std::wstring& headers,
                              std::uint32_t flags) = 0;
    virtual HInternet OpenRequest(HInternet connection, const std::wstring& verb, const std::wstring& object,
                                  std::uint32_t flags) = 0;
    virtual bool SendRequest(HInternet request, const std::wstring& headers) = 0;
    // Sends the request with a body, its bytes as they are.
    virtual bool SendRequestBody(HInternet request, const std::wstring& headers, const std::string& body) = 0;
    // A numeric header or status of a request; empty when the library has none.
    virtual std::optional<std::uint32_t> QueryNumber(HInternet request, std::uint32_t infoLevel) = 0;
    // False on failure; true with 0 bytes at the end of the data.
    virtual bool Read(HInternet request, void* buffer, std::uint32_t size, std::uint32_t& read) = 0;
    virtual bool FtpChangeDirectory(HInternet connection, const std::wstring& directory) = 0;
    // The size the listing gives for a file (the search handle is closed inside); empty when not found.
    virtual std::optional<std::uint64_t> FtpFindFile(HInternet connection, const std::wstring& name,
                                                     std::uint32_t flags) = 0;
    virtual HInternet FtpOpen(HInternet connection, const std::wstring& name, std::uint32_t flags) = 0;
    virtual void Close(HInternet handle) = 0;
};

// Dial-up and connection state. Each answers -1 when the library or its function cannot be reached.
class IConnectionState {
public:
    virtual ~IConnectionState() = default;
    virtual int GetConnectedState(std::uint32_t& flags) = 0;
    virtual int Autodial(std::uint32_t flags) = 0;
    virtual int AutodialHangup() = 0;
};

// Owns one Internet handle and closes it through its service.
class TInternetHandle {
public:
    TInternetHandle() = default;
    TInternetHandle(IInternet* net, HInternet handle) : net_(net), handle_(handle) {}
    TInternetHandle(const TInternetHandle&) = delete;
    TInternetHandle& operator=(const TInternetHandle&) = delete;
    TInternetHandle(TInternetHandle&& other) noexcept : net_(other.net_), handle_(other.handle_) {
        other.handle_ = nullptr;
    }
    TInternetHandle& operator=(TInternetHandle&& other) noexcept {
        if (this != &other) {
            reset();
            net_ = other.net_;
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    ~TInternetHandle() { reset(); }

    HInternet get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() {
        if (handle_ && net_) net_->Close(handle_);
        handle_ = nullptr;
    }

private:
    IInternet* net_ = nullptr;
    HInternet handle_ = nullptr;
};

}  // namespace orvane
