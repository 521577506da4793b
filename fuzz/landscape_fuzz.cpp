// Feeds arbitrary bytes to the landscape reader. Besides crashes and hangs it checks the reader
// against a plain transcription of the scan (erasing from the front of the text, fine for small
// inputs): that transcription re-emits every element it recognises as tidy XML, and reading the
// tidy text must give the same record, or the same error, as reading the original.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "landscape/LandscapeJson.h"
#include "landscape/LandscapeReader.h"

namespace {

using orvane::AppError;

bool Blank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string Trim(std::string s) {
    size_t b = 0, e = s.size();
    while (b < e && Blank(s[b])) ++b;
    while (e > b && Blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

const std::vector<std::string> kLandscape = {"generator", "localization", "origin", "updated", "version"};
const std::vector<std::string> kParameter = {"key", "value"};
const std::vector<std::string> kMessageServer = {"uuid",        "name",     "host",   "port",
                                                 "description", "routerid", "ldapid", "http_port"};
const std::vector<std::string> kRouter = {"uuid", "name", "router", "description"};
const std::vector<std::string> kInclude = {"url", "index", "name", "description"};
const std::vector<std::string> kService = {
    "canvasapptype", "cencoding", "client",      "client_type", "clocale",  "cmd",         "cmd_type", "conid",
    "dcpg",          "def",       "description", "encoding",    "expert",   "guiparam",    "hostspec", "language",
    "link",          "mnemonic",  "mode",        "msid",        "name",     "parameters",  "protocol", "reuse",
    "rfcid",         "routerid",  "sapcpg",      "sapguiid",    "shortcut", "server",      "slc",      "sncname",
    "sncnosso",      "sncop",     "sso2",        "systemid",    "trace",    "transaction", "type",     "uncoff",
    "url",           "user",      "uuid",        "wan",         "winmax",   "work_dir",    "wp"};

// The attribute scan step by step; only names of TABLE are kept.
std::string Attributes(std::string s, const std::vector<std::string>& table) {
    std::string out;
    s = Trim(s);
    while (!s.empty()) {
        const std::string before = s;
        const size_t eq = s.find('=');
        const size_t eqPos = eq == std::string::npos ? 0 : eq + 1;
        const std::string name = Lower(Trim(s.substr(0, eqPos ? eqPos - 1 : 0)));
        s = Trim(s.substr(eqPos));
        if (!s.empty() && s[0] == '"') s.erase(0, 1);
        const size_t q = s.find('"');
        const size_t qPos = q == std::string::npos ? 0 : q + 1;
        const std::string value = s.substr(0, qPos ? qPos - 1 : 0);
        s = Trim(s.substr(qPos));
        if (s == "/") s.clear();
        for (const std::string& key : table)
            if (key == name) out += " " + key + "=\"" + value + "\"";
        if (s == before) break;  // no progress: the reader ends the scan of the element here
    }
    return out;
}

struct TTag {
    std::string tag, name;
};

// Re-emits the recognised elements of BYTES as tidy XML.
std::string Transcribe(std::string_view bytes) {
    std::string rest;
    for (size_t i = 0; i < bytes.size();) {
        size_t k = i;
        while (k < bytes.size() && bytes[k] != '\r' && bytes[k] != '\n') ++k;
        rest.append(bytes.substr(i, k - i));
        if (k == bytes.size()) break;
        const size_t lf = bytes.find('\n', k);
        if (lf == std::string_view::npos) break;
        i = lf + 1;
    }
    const auto take = [&rest](TTag& t) {
        const size_t open = rest.find('<'), close = rest.find('>');
        if (close == std::string::npos) return false;
        t.tag.clear();
        if (open != std::string::npos && open < close) {
            const std::string raw = Trim(rest.substr(open, close - open + 1));
            t.tag = raw.substr(1, raw.size() - 2);
        }
        rest.erase(0, close + 1);
        const size_t space = t.tag.find(' ');
        t.name = Upper(space == std::string::npos ? t.tag : Trim(t.tag.substr(0, space)));
        return true;
    };
    std::string out;
    TTag slot;
    bool pending = false;
    while (!rest.empty() || pending) {
        TTag t;
        if (pending) {
            t = slot;
            pending = false;
        } else if (!take(t)) {
            break;
        }
        const std::string attributes = Trim(t.tag.substr(std::min(t.name.size(), t.tag.size())));
        if (t.name == "CONFIGURATION") out += "<Configuration" + Attributes(attributes, kParameter) + " />";
        if (t.name == "LANDSCAPE") out += "<Landscape" + Attributes(attributes, kLandscape) + " />";
        if (t.name == "MESSAGESERVER") out += "<Messageserver" + Attributes(attributes, kMessageServer) + " />";
        if (t.name == "ROUTER") out += "<Router" + Attributes(attributes, kRouter) + " />";
        if (t.name == "INCLUDE") out += "<Include" + Attributes(attributes, kInclude) + " />";
        if (t.name == "SERVICE") {
            std::string memo;
            if (t.tag.empty() || t.tag.back() != '/') {
                if (take(slot)) {
                    if (slot.name == "MEMO" && slot.tag.back() != '/') {
                        const size_t end = rest.find("</");
                        if (end != std::string::npos) {
                            memo = rest.substr(0, end);
                            rest.erase(0, end);
                        }
                    } else {
                        pending = true;
                    }
                }
            }
            out += "<Service" + Attributes(attributes, kService);
            out += Trim(memo).empty() ? " />" : "><Memo>" + memo + "</Memo></Service>";
        }
        rest = Trim(rest);
    }
    return out;
}

// The record as JSON, or the error text.
std::string Outcome(std::string_view bytes) {
    orvane::tyLandscape landscape;
    try {
        orvane::ReadLandscapeBytes(bytes, landscape, orvane::TWindows1252());
    } catch (const AppError& e) {
        return "error: " + std::string(e.what());
    }
    return orvane::LandscapeToJson(landscape);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string direct = Outcome(bytes);
    if (size <= 4096 && Outcome(Transcribe(bytes)) != direct) std::abort();
    return 0;
}
