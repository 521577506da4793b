#pragma once

// Where the loopback test servers (tests/servers/netservers.py) listen, read from the servers.txt
// that ctest's "netsrv_start" fixture writes in the build folder, and what they recorded.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane::testservers {

// One request as a server saw it: "http", "https_expired", "origin", "proxy", ...
struct RecordedRequest {
    std::string server;
    std::string client;
    std::string line;  // "GET /files/hello.txt HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;

    // The first header of that name (case-insensitive), or "" when absent.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

class LoopbackServers {
public:
    // Reads servers.txt once (ORVANE_NETSRV_DIR in the environment overrides the build's folder).
    // Throws std::runtime_error, saying how to start them, when the servers are not running.
    static const LoopbackServers& Get();

    explicit LoopbackServers(const std::filesystem::path& folder);

    // The port of a server: "http", "origin", "https", "https_leafonly", "https_wrongname",
    // "https_expired", "https_unknownca", "https_unknownca_leafonly", "proxy", "proxy_auth", "ftp".
    std::uint16_t Port(std::string_view server) const;
    // Any value of servers.txt ("user", "password", "proxy_user", ...).
    const std::string& Value(std::string_view key) const;
    // "http://127.0.0.1:PORT" + path, with the scheme and address of that server.
    std::wstring Url(std::string_view server, std::wstring_view path = L"") const;
    // "127.0.0.1:PORT" (the form a proxy setting takes).
    std::wstring HostPort(std::string_view server) const;

    // Folders as this process opens them (under Wine, through the Z: drive).
    std::filesystem::path Root() const;   // the served folder, also the FTP root
    std::filesystem::path Certs() const;  // ca.der, and the servers' certificates
    std::filesystem::path LzFiles() const { return Root() / "lz"; }

    // Every request recorded so far, oldest first.
    std::vector<RecordedRequest> Requests() const;
    // Those whose request line contains the text: give each test's URLs a token of its own
    // ("/t/" + UniqueToken() + "/files/..."), since every test of a build shares the servers.
    std::vector<RecordedRequest> RequestsContaining(std::string_view text) const;
    static std::string UniqueToken();

private:
    std::filesystem::path Local(const std::string& unixPath) const;
    std::map<std::string, std::string, std::less<>> values_;
};

// The pattern the servers generate for /big, /short, /chunked, /nolength, /slow and data.bin:
// byte i is i % 251.
std::string GeneratedBytes(std::size_t offset, std::size_t length);

}  // namespace orvane::testservers
