#pragma once

// In-memory stand-ins for the transport's services: an Internet library answering from a table of
// URLs and FTP files, the dial-up state, files with injectable faults, LZ expansion and the log-on
// prompt.

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/Text.h"
#include "fakes/FakeUpdate.h"
#include "platform/CabinetExtractor.h"
#include "platform/FileOperations.h"
#include "platform/Internet.h"
#include "platform/LoginPrompt.h"
#include "platform/LzExpand.h"
#include "platform/MessagePump.h"

namespace orvane::fakes {

// What a URL (or an FTP file) answers.
struct FakeReply {
    FakeReply(std::uint32_t status = 200, std::string body = {}, std::optional<std::uint32_t> contentLength = {},
              std::wstring requiredAuthorization = {})
        : status(status),
          body(std::move(body)),
          contentLength(contentLength),
          requiredAuthorization(std::move(requiredAuthorization)) {}
    std::uint32_t status;
    std::string body;
    std::optional<std::uint32_t> contentLength;  // announced; empty: none
    std::wstring requiredAuthorization;          // headers must hold it, or the reply is a 401
    std::uint32_t openError = 0;                 // non-zero: the request cannot be opened
    std::optional<size_t> readFailsAt;           // a read at this offset fails
    std::optional<std::uint64_t> listedSize;     // FTP: the size the listing gives (empty: not listed)
};

class FakeInternet : public IInternet {
public:
    explicit FakeInternet(FakeInternetErrors& errors) : errors_(errors) {}

    std::map<std::wstring, FakeReply> replies;   // by URL ("https://host:port/object" for secure requests)
    std::map<std::wstring, FakeReply> ftpFiles;  // by directory + "/" + name ("/" + name at the root)
    std::set<std::wstring> ftpDirectories;
    std::uint32_t openError = 0;         // the session cannot be opened
    std::uint32_t connectError = 0;      // InternetConnect fails
    std::uint32_t certificateError = 0;  // secure requests fail with it unless 0x3100 is set on them

    // What was asked, in order.
    struct Call {
        Call(std::wstring what, std::wstring text = {}, std::wstring headers = {}, std::uint32_t flags = 0,
             std::uint32_t value = 0)
            : what(std::move(what)), text(std::move(text)), headers(std::move(headers)), flags(flags), value(value) {}
        std::wstring
            what;  // "Open", "SetOption", "Connect", "OpenUrl", "OpenRequest", "Send", "Cwd", "Find", "FtpOpen"
        std::wstring text;  // URL, server, object, directory or file
        std::wstring headers;
        std::uint32_t flags = 0;
        std::uint32_t value = 0;
        const std::wstring* user = nullptr;
    };
    std::vector<Call> calls;
    std::set<HInternet> openHandles;
    int closedTwice = 0;
    std::function<void(size_t offset)> onRead;  // called before each read

    std::vector<Call> CallsOf(const std::wstring& what) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.what == what) out.push_back(c);
        return out;
    }

    HInternet Open(const std::wstring& agent, const std::wstring& proxy) override {
        calls.push_back({L"Open", agent + L"|" + proxy});
        if (openError) return Fail(openError);
        return New(Kind::Session);
    }
    bool SetOption(HInternet handle, std::uint32_t option, std::uint32_t value) override {
        calls.push_back({L"SetOption", {}, {}, option, value});
        if (!Valid(handle)) return false;
        options_[handle][option] = value;
        return true;
    }
    std::optional<std::uint32_t> QueryOption(HInternet handle, std::uint32_t option) override {
        if (!Valid(handle)) return std::nullopt;
        const auto it = options_[handle].find(option);
        return it == options_[handle].end() ? 0u : it->second;
    }
    HInternet Connect(HInternet session, const std::wstring& server, std::uint16_t port, const std::wstring* user,
                      const std::wstring* password, std::uint32_t service, std::uint32_t flags) override {
        Call c{L"Connect", server + L":" + std::to_wstring(port), {}, flags, service};
        c.user = user;
        if (user) userSeen = *user, passwordSeen = password ? *password : L"";
        calls.push_back(c);
        if (!Valid(session)) return Fail(6);
        if (connectError) return Fail(connectError);
        const HInternet h = New(Kind::Connection);
        origin_[h] = L"https://" + server + L":" + std::to_wstring(port);
        cwd_[h] = L"";
        return h;
    }
    HInternet OpenUrl(HInternet session, const std::wstring& url, const std::wstring& headers,
                      std::uint32_t flags) override {
        calls.push_back({L"OpenUrl", url, headers, flags});
        if (!Valid(session)) return Fail(6);
        return Answer(url, headers);
    }
    HInternet OpenRequest(HInternet connection, const std::wstring& verb, const std::wstring& object,
                          std::uint32_t flags) override {
        calls.push_back({L"OpenRequest", verb + L" " + object, {}, flags});
        if (!Valid(connection)) return Fail(6);
        const HInternet h = New(Kind::Pending);
        pending_[h] = origin_[connection] + object;
        return h;
    }
    bool SendRequest(HInternet request, const std::wstring& headers) override {
        calls.push_back({L"Send", pending_[request], headers});
        if (!Valid(request)) return Fail(6), false;
        const std::uint32_t security = options_[request].count(31) ? options_[request][31] : 0;
        if (certificateError && (security & 0x3100) != 0x3100) return Fail(certificateError), false;
        const HInternet answered = Answer(pending_[request], headers);
        if (!answered) return false;
        // The answer moves onto the request handle the engine holds.
        requests_[request] = requests_[answered];
        requests_.erase(answered);
        openHandles.erase(answered);
        return true;
    }
    bool SendRequestBody(HInternet request, const std::wstring& headers, const std::string& body) override {
        sentBodies.push_back(body);
        return SendRequest(request, headers);
    }
    std::vector<std::string> sentBodies;  // every body sent, in order
    std::optional<std::uint32_t> QueryNumber(HInternet request, std::uint32_t infoLevel) override {
        const auto it = requests_.find(request);
        if (it == requests_.end()) return std::nullopt;
        if (infoLevel == 0x20000013) return it->second.reply.status;
        if (infoLevel == 0x20000005) return it->second.reply.contentLength;
        return std::nullopt;
    }
    bool Read(HInternet request, void* buffer, std::uint32_t size, std::uint32_t& read) override {
        read = 0;
        const auto it = requests_.find(request);
        if (it == requests_.end()) return false;
        Request& r = it->second;
        if (onRead) onRead(r.offset);
        ++reads;
        if (r.reply.readFailsAt && r.offset >= *r.reply.readFailsAt) return Fail(12030), false;
        const size_t n = std::min<size_t>(size, r.reply.body.size() - r.offset);
        std::memcpy(buffer, r.reply.body.data() + r.offset, n);
        r.offset += n;
        read = static_cast<std::uint32_t>(n);
        return true;
    }
    bool FtpChangeDirectory(HInternet connection, const std::wstring& directory) override {
        calls.push_back({L"Cwd", directory});
        if (!Valid(connection) || !ftpDirectories.count(directory)) return Fail(12003), false;
        cwd_[connection] = directory;
        return true;
    }
    std::optional<std::uint64_t> FtpFindFile(HInternet connection, const std::wstring& name,
                                             std::uint32_t flags) override {
        calls.push_back({L"Find", name, {}, flags});
        const auto it = ftpFiles.find(cwd_[connection] + L"/" + name);
        if (it == ftpFiles.end() || !it->second.listedSize) {
            errors_.lastError = 0;  // as a search without a match leaves it
            return std::nullopt;
        }
        return it->second.listedSize;
    }
    HInternet FtpOpen(HInternet connection, const std::wstring& name, std::uint32_t flags) override {
        calls.push_back({L"FtpOpen", name, {}, flags});
        const auto it = ftpFiles.find(cwd_[connection] + L"/" + name);
        if (!Valid(connection) || it == ftpFiles.end()) return Fail(12003);
        const HInternet h = New(Kind::Request);
        requests_[h] = {it->second, 0};
        return h;
    }
    void Close(HInternet handle) override {
        if (!openHandles.erase(handle)) ++closedTwice;
    }

    std::wstring userSeen, passwordSeen;
    int reads = 0;

private:
    enum class Kind { Session, Connection, Pending, Request };
    struct Request {
        FakeReply reply;
        size_t offset = 0;
    };

    HInternet New(Kind) {
        const HInternet h = reinterpret_cast<HInternet>(static_cast<std::uintptr_t>(++next_ * 16));
        openHandles.insert(h);
        return h;
    }
    bool Valid(HInternet h) const { return h && openHandles.count(h); }
    HInternet Fail(std::uint32_t code) {
        errors_.lastError = code;
        return nullptr;
    }
    HInternet Answer(const std::wstring& url, const std::wstring& headers) {
        const auto it = replies.find(url);
        if (it == replies.end()) return Fail(12007);  // name not resolved
        if (it->second.openError) return Fail(it->second.openError);
        FakeReply reply = it->second;
        if (!reply.requiredAuthorization.empty() && headers.find(reply.requiredAuthorization) == std::wstring::npos) {
            reply.status = 401;
            reply.body = "denied";
            reply.contentLength = 6;
        }
        const HInternet h = New(Kind::Request);
        requests_[h] = {reply, 0};
        return h;
    }

    FakeInternetErrors& errors_;
    std::uintptr_t next_ = 0;
    std::map<HInternet, Request> requests_;
    std::map<HInternet, std::map<std::uint32_t, std::uint32_t>> options_;
    std::map<HInternet, std::wstring> origin_, pending_, cwd_;
};

class FakeConnectionState : public IConnectionState {
public:
    int connected = 1;  // what the state query answers (-1: function missing)
    std::uint32_t flags = 0x01;
    int dialResult = 1;  // what a dial answers
    bool dialConnects = true;
    std::vector<std::uint32_t> dials;
    int hangups = 0;
    int GetConnectedState(std::uint32_t& f) override {
        if (connected > 0) f = flags;
        return connected;
    }
    int Autodial(std::uint32_t f) override {
        dials.push_back(f);
        if (dialResult != 0 && dialConnects) connected = 1;
        return dialResult;
    }
    int AutodialHangup() override {
        ++hangups;
        return 1;
    }
};

// Files in memory, paths without letter case; faults are switched on per path.
class FakeFileOperations : public IFileOperations {
public:
    std::map<std::wstring, std::string> files;  // upper-cased path -> content
    std::map<std::wstring, std::uint32_t> attributes;
    std::set<std::wstring> unreadable, unsizable, undeletable;
    std::optional<size_t> writeLimit;  // a write past this many bytes of one file is short
    bool writeFails = false;
    bool moveFails = false;
    bool tempFails = false;
    std::vector<std::wstring> moves;  // "source>target"
    int tempCount = 0;

    void Put(const std::wstring& path, const std::string& content, std::uint32_t attrs = 0) {
        files[Key(path)] = content;
        attributes[Key(path)] = attrs;
    }
    std::optional<std::string> Get(const std::wstring& path) const {
        const auto it = files.find(Key(path));
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    // Temporary files still lying about.
    std::vector<std::wstring> Temporaries() const {
        std::vector<std::wstring> out;
        for (const auto& [k, v] : files)
            if (k.find(L"\\WUP") != std::wstring::npos && EndsWith(k, L".TMP")) out.push_back(k);
        return out;
    }

    std::optional<std::wstring> TempFileName(const std::wstring& folder, const std::wstring& prefix) override {
        if (tempFails) return std::nullopt;
        wchar_t hex[8];
        std::swprintf(hex, 8, L"%04X", ++tempCount);
        const std::wstring path = WithBackslash(folder) + prefix.substr(0, 3) + hex + L".TMP";
        files[Key(path)] = std::string();
        return path;
    }
    bool FileExists(const std::wstring& path) override { return files.count(Key(path)) > 0; }
    std::unique_ptr<IReadableFile> OpenRead(const std::wstring& path) override {
        const auto it = files.find(Key(path));
        if (it == files.end() || unreadable.count(Key(path))) return nullptr;
        return std::make_unique<Reader>(it->second, unsizable.count(Key(path)) > 0);
    }
    std::unique_ptr<IWritableFile> Create(const std::wstring& path) override {
        files[Key(path)] = std::string();
        return std::make_unique<Writer>(*this, Key(path));
    }
    bool Delete(const std::wstring& path) override {
        if (undeletable.count(Key(path)) || (attributes[Key(path)] & 1)) return false;
        attributes.erase(Key(path));
        return files.erase(Key(path)) > 0;
    }
    void ClearReadOnlyHidden(const std::wstring& path) override { attributes[Key(path)] &= ~0x3u; }
    bool MoveReplace(const std::wstring& source, const std::wstring& target) override {
        moves.push_back(source + L">" + target);
        // A read-only target refuses to be replaced, as on Windows.
        if (moveFails || !files.count(Key(source)) || (attributes[Key(target)] & 1)) return false;
        files[Key(target)] = files[Key(source)];
        attributes[Key(target)] = 0;
        files.erase(Key(source));
        return true;
    }

    static std::wstring Key(const std::wstring& path) { return UpperCaseAscii(path); }

private:
    class Reader : public IReadableFile {
    public:
        Reader(std::string content, bool unsizable) : content_(std::move(content)), unsizable_(unsizable) {}
        std::optional<std::uint64_t> Size() override {
            if (unsizable_) return std::nullopt;
            return content_.size();
        }
        std::optional<std::uint32_t> Read(void* buffer, std::uint32_t size) override {
            const size_t n = std::min<size_t>(size, content_.size() - offset_);
            std::memcpy(buffer, content_.data() + offset_, n);
            offset_ += n;
            return static_cast<std::uint32_t>(n);
        }

    private:
        std::string content_;
        bool unsizable_;
        size_t offset_ = 0;
    };
    class Writer : public IWritableFile {
    public:
        Writer(FakeFileOperations& owner, std::wstring key) : owner_(owner), key_(std::move(key)) {}
        std::optional<std::uint32_t> Write(const void* data, std::uint32_t size) override {
            if (owner_.writeFails) return std::nullopt;
            std::string& f = owner_.files[key_];
            size_t n = size;
            if (owner_.writeLimit)
                n = std::min<size_t>(n, *owner_.writeLimit > f.size() ? *owner_.writeLimit - f.size() : 0);
            f.append(static_cast<const char*>(data), n);
            return static_cast<std::uint32_t>(n);
        }

    private:
        FakeFileOperations& owner_;
        std::wstring key_;
    };
};

// Expands by a table: compressed path -> (expanded name, expanded content); anything else fails.
class FakeLzExpand : public ILzExpand {
public:
    explicit FakeLzExpand(FakeFileOperations& files) : files_(files) {}
    std::map<std::wstring, std::pair<std::wstring, std::string>> table;
    std::vector<std::wstring> expanded;
    std::optional<std::wstring> ExpandedName(const std::wstring& path) override {
        const auto it = table.find(FakeFileOperations::Key(path));
        if (it == table.end()) return path;
        return it->second.first;
    }
    bool Expand(const std::wstring& source, const std::wstring& target) override {
        const auto it = table.find(FakeFileOperations::Key(source));
        if (it == table.end()) return false;
        expanded.push_back(target);
        files_.Put(target, it->second.second);
        return true;
    }

private:
    FakeFileOperations& files_;
};

// Answers from a script of replies; an exhausted script cancels.
class FakeLoginPrompt : public ILoginPrompt {
public:
    struct Answer {
        bool ok;
        std::wstring user, password;
    };
    std::vector<Answer> script;
    std::vector<std::wstring> captions;
    bool Prompt(const std::wstring& caption, std::wstring& user, std::wstring& password) override {
        captions.push_back(caption);
        if (captions.size() > script.size() || !script[captions.size() - 1].ok) return false;
        user = script[captions.size() - 1].user;
        password = script[captions.size() - 1].password;
        return true;
    }
};

class FakeCabinets : public ICabinetExtractor {
public:
    std::vector<std::wstring> extracted;
    int Extract(const std::wstring& cabinet, const std::wstring& target) override {
        extracted.push_back(cabinet + L">" + target);
        return 0;
    }
};

class FakeMessagePump : public IMessagePump {
public:
    std::function<void()> onMessages;
    int pumped = 0;
    std::vector<std::wstring> traces;
    void ProcessMessages() override {
        ++pumped;
        if (onMessages) onMessages();
    }
    void DebugOutput(const std::wstring& text) override { traces.push_back(text); }
};

}  // namespace orvane::fakes
