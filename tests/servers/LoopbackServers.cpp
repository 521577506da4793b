#include "LoopbackServers.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>

namespace orvane::testservers {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The servers write the build folder's Unix paths; under Wine they are reached through Z:.
std::filesystem::path FromUnix(const std::string& path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') {
        std::string dos = "Z:" + path;
        for (char& c : dos)
            if (c == '/') c = '\\';
        return std::filesystem::path(dos);
    }
#endif
    return std::filesystem::path(path);
}

// Just enough JSON for the request log: objects, arrays and strings (escapes included).
class JsonLine {
public:
    explicit JsonLine(std::string_view text) : text_(text) {}

    RecordedRequest Request() {
        RecordedRequest request;
        Expect('{');
        while (!Peek('}')) {
            std::string key = String();
            Expect(':');
            if (key == "headers") {
                Expect('[');
                while (!Peek(']')) {
                    Expect('[');
                    std::string name = String();
                    Expect(',');
                    std::string value = String();
                    Expect(']');
                    request.headers.emplace_back(std::move(name), std::move(value));
                    Peek(',');
                }
            } else {
                std::string value = String();
                if (key == "server")
                    request.server = value;
                else if (key == "client")
                    request.client = value;
                else if (key == "line")
                    request.line = value;
            }
            Peek(',');
        }
        return request;
    }

private:
    void Blank() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    }
    bool Peek(char c) {
        Blank();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Peek(c))
            throw std::runtime_error("request log: '" + std::string(1, c) + "' expected in " + std::string(text_));
    }
    static void AppendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    std::string String() {
        Expect('"');
        std::string out;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            char c = text_[pos_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) break;
            char e = text_[pos_++];
            switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u':
                    // The log is written with ASCII escapes; header bytes are latin-1, so no surrogates.
                    AppendUtf8(out, static_cast<unsigned>(std::stoul(std::string(text_.substr(pos_, 4)), nullptr, 16)));
                    pos_ += 4;
                    break;
                default:
                    out += e;
            }
        }
        Expect('"');
        return out;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
    const std::string wanted = Lower(name);
    for (const auto& [key, value] : headers)
        if (Lower(key) == wanted) return value;
    return {};
}

bool RecordedRequest::HasHeader(std::string_view name) const {
    const std::string wanted = Lower(name);
    for (const auto& header : headers)
        if (Lower(header.first) == wanted) return true;
    return false;
}

const LoopbackServers& LoopbackServers::Get() {
    static std::once_flag once;
    static std::unique_ptr<LoopbackServers> servers;
    static std::string failure;
    std::call_once(once, [] {
        std::filesystem::path folder;
        if (const char* env = std::getenv("ORVANE_NETSRV_DIR"); env && *env)
            folder = FromUnix(env);
        else
            folder = FromUnix(ORVANE_NETSRV_DIR);
        try {
            servers = std::make_unique<LoopbackServers>(folder);
        } catch (const std::exception& error) {
            failure = error.what();
        }
    });
    if (!servers) throw std::runtime_error(failure);
    return *servers;
}

LoopbackServers::LoopbackServers(const std::filesystem::path& folder) {
    std::ifstream in(folder / "servers.txt");
    if (!in)
        throw std::runtime_error("the loopback servers are not running (no " + (folder / "servers.txt").string() +
                                 "): run the tests through ctest, or tests/servers/netservers.py start DIR");
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto equal = line.find('=');
        if (equal != std::string::npos) values_[line.substr(0, equal)] = line.substr(equal + 1);
    }
}

const std::string& LoopbackServers::Value(std::string_view key) const {
    auto found = values_.find(key);
    if (found == values_.end()) throw std::runtime_error("servers.txt has no " + std::string(key));
    return found->second;
}

std::uint16_t LoopbackServers::Port(std::string_view server) const {
    return static_cast<std::uint16_t>(std::stoul(Value(server)));
}

std::wstring LoopbackServers::HostPort(std::string_view server) const {
    const std::wstring host = server == "origin" ? L"127.0.0.2" : L"127.0.0.1";
    return host + L":" + std::to_wstring(Port(server));
}

std::wstring LoopbackServers::Url(std::string_view server, std::wstring_view path) const {
    std::wstring scheme = L"http://";
    if (server.substr(0, 5) == "https")
        scheme = L"https://";
    else if (server == "ftp")
        scheme = L"ftp://";
    return scheme + HostPort(server) + std::wstring(path);
}

std::filesystem::path LoopbackServers::Local(const std::string& unixPath) const {
    return FromUnix(unixPath);
}
std::filesystem::path LoopbackServers::Root() const {
    return Local(Value("root"));
}
std::filesystem::path LoopbackServers::Certs() const {
    return Local(Value("certs"));
}

std::vector<RecordedRequest> LoopbackServers::Requests() const {
    std::vector<RecordedRequest> requests;
    std::ifstream in(Local(Value("log")), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        // A line still being written by the server has no closing brace yet.
        if (line.empty() || line.back() != '}') continue;
        requests.push_back(JsonLine(line).Request());
    }
    return requests;
}

std::vector<RecordedRequest> LoopbackServers::RequestsContaining(std::string_view text) const {
    std::vector<RecordedRequest> matching;
    for (auto& request : Requests())
        if (request.line.find(text) != std::string::npos) matching.push_back(std::move(request));
    return matching;
}

std::string LoopbackServers::UniqueToken() {
    static std::atomic<unsigned> counter{0};
    static const unsigned long long start = [] {
        std::random_device random;
        return (static_cast<unsigned long long>(random()) << 16) ^
               static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    }();
    std::ostringstream token;
    token << std::hex << start << '-' << ++counter;
    return token.str();
}

std::string GeneratedBytes(std::size_t offset, std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((offset + i) % 251);
    return bytes;
}

}  // namespace orvane::testservers
