// orvane-inspect report --json on the sample workstation, parsed, against what the window shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "OrvaneProcess.h"
#include "core/Text.h"
#include "platform/win32/Handle.h"
#include "shell/ControlIds.h"

namespace orvane {
namespace {

using testing::TOrvaneProcess;

// Just enough JSON for the report: objects, arrays, strings, numbers, true, false, null.
struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    std::wstring text;  // strings, and numbers as written
    bool flag = false;
    std::vector<Json> items;
    std::map<std::string, Json> members;
    const Json& operator[](const std::string& key) const {
        static const Json none;
        const auto it = members.find(key);
        return it == members.end() ? none : it->second;
    }
};

class JsonParser {
public:
    explicit JsonParser(const std::string& text) : s_(text) {}
    Json ParseAll() {
        Json value = Value();
        Space();
        if (i_ != s_.size()) throw std::runtime_error("text after the value");
        return value;
    }

private:
    void Space() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    void Expect(char c) {
        Space();
        if (i_ >= s_.size() || s_[i_] != c)
            throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(i_));
        ++i_;
    }
    bool Next(char c) {
        Space();
        if (i_ < s_.size() && s_[i_] == c) return ++i_, true;
        return false;
    }
    std::string String() {
        Expect('"');
        std::string out;
        while (i_ < s_.size() && s_[i_] != '"') {
            char c = s_[i_++];
            if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("control character in a string");
            if (c == '\\') {
                const char e = s_.at(i_++);
                const std::map<char, char> simple = {{'"', '"'},  {'\\', '\\'}, {'/', '/'},  {'b', '\b'},
                                                     {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'}};
                if (e == 'u') {
                    const unsigned code = std::stoul(s_.substr(i_, 4), nullptr, 16);
                    i_ += 4;
                    out += ToUtf8(std::wstring(1, static_cast<wchar_t>(code)));
                    continue;
                }
                c = simple.at(e);
            }
            out += c;
        }
        Expect('"');
        return out;
    }
    Json Value() {
        Space();
        Json v;
        if (i_ >= s_.size()) throw std::runtime_error("unexpected end");
        const char c = s_[i_];
        if (c == '{') {
            ++i_;
            v.kind = Json::Kind::Object;
            if (Next('}')) return v;
            do {
                const std::string key = String();
                Expect(':');
                v.members[key] = Value();
            } while (Next(','));
            Expect('}');
        } else if (c == '[') {
            ++i_;
            v.kind = Json::Kind::Array;
            if (Next(']')) return v;
            do v.items.push_back(Value());
            while (Next(','));
            Expect(']');
        } else if (c == '"') {
            v.kind = Json::Kind::String;
            v.text = FromUtf8(String());
        } else if (s_.compare(i_, 4, "true") == 0 || s_.compare(i_, 5, "false") == 0) {
            v.kind = Json::Kind::Bool;
            v.flag = s_[i_] == 't';
            i_ += v.flag ? 4 : 5;
        } else if (s_.compare(i_, 4, "null") == 0) {
            i_ += 4;
        } else {
            const size_t start = i_;
            while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '-')) ++i_;
            if (start == i_) throw std::runtime_error("unexpected character at " + std::to_string(i_));
            v.kind = Json::Kind::Number;
            v.text = FromUtf8(s_.substr(start, i_ - start));
        }
        return v;
    }
    const std::string& s_;
    size_t i_ = 0;
};

// Runs the tool with ARGS and gives back what it printed and its exit code.
std::pair<std::string, DWORD> RunInspect(const std::wstring& args) {
    std::wstring exe = L"Z:" + FromUtf8(ORVANE_INSPECT_EXE);
    for (wchar_t& c : exe)
        if (c == L'/') c = L'\\';
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readRaw = nullptr, writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0)) return {"", 99};
    win32::unique_handle readEnd(readRaw), writeEnd(writeRaw);
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + exe + L"\" " + args;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return {"", 98};
    win32::unique_handle processHandle(process.hProcess), thread(process.hThread);
    writeEnd.reset();  // the child holds the only writer now: the pipe ends when it does
    std::string out;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd.get(), buffer, sizeof(buffer), &got, nullptr) && got) out.append(buffer, got);
    WaitForSingleObject(processHandle.get(), 60000);
    DWORD code = 97;
    GetExitCodeProcess(processHandle.get(), &code);
    return {out, code};
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find(L"\r\n", start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) break;
        start = end + 2;
    }
    return lines;
}

TEST(FleetReport, JsonMatchesTheWindowOnTheSameWorkstation) {
    const auto [out, code] = RunInspect(L"report --json --ping --ports");
    ASSERT_EQ(code, 0u) << out;
    Json report;
    try {
        report = JsonParser(out).ParseAll();
    } catch (const std::exception& e) {
        FAIL() << "not JSON: " << e.what() << "\n" << out;
    }

    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    using namespace ids;
    for (const auto& [tab, button] :
         std::vector<std::pair<int, int>>{{0, bbtGetVersions}, {1, bbtGetEnvVar}, {3, bbtPing}}) {
        gui::SelectTab(app.Control(pgMain), tab);
        gui::ClickAndWait(app.Control(button), 120000);
    }

    const std::vector<std::wstring> memo = SplitLines(gui::Text(app.Control(memVersions)));
    std::vector<std::wstring> versions, headings;
    for (const Json& line : report["versions"].items) versions.push_back(line.text);
    EXPECT_EQ(versions, memo);
    for (size_t i = 0; i + 1 < memo.size(); ++i)
        if (!memo[i].empty() && memo[i + 1] == std::wstring(memo[i].size(), L'-')) headings.push_back(memo[i]);
    std::vector<std::wstring> components;
    for (const Json& c : report["components"].items) components.push_back(c["name"].text);
    EXPECT_EQ(components, headings);
    // SAP GUI for Windows on the sample: its folder, its two files and the release name.
    const Json& gui = report["components"].items.at(2);
    EXPECT_EQ(gui["folders"].items.at(0)["files"].items.at(0)["name"].text, L"saplogon.exe");
    EXPECT_NE(std::find(memo.begin(), memo.end(), gui["folders"].items.at(0)["release"].text), memo.end());

    const auto grid = gui::ListViewCells(app.Control(vlEnvVar));
    ASSERT_EQ(report["environment"].members.size(), grid.size());
    for (const auto& row : grid) EXPECT_EQ(report["environment"][ToUtf8(row[0])].text, row[1]) << ToUtf8(row[0]);

    const auto& files = report["files"].items;
    ASSERT_EQ(files.size(), static_cast<size_t>(kFileTabCount));
    for (int i = 0; i < kFileTabCount; ++i) {
        EXPECT_EQ(files[i]["tab"].text, gui::TabCaption(app.Control(pgFile), i));
        EXPECT_EQ(files[i]["path"].text, gui::Text(app.Control(edtFileFirst + i))) << i;
        if (files[i]["found"].flag) {
            EXPECT_EQ(files[i]["text"].text, gui::Text(app.Control(synMemFirst + i))) << i;
        }
    }

    const auto rows = gui::ListViewCells(app.Control(vlPing));
    const auto& servers = report["servers"].items;
    ASSERT_EQ(servers.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(servers[i]["name"].text, rows[i][0]);
        // Echo times differ from one run to the next; who answered and how much does not.
        const std::wregex time(L"time=[^ ]+");
        EXPECT_EQ(std::regex_replace(servers[i]["ping"].text, time, L"time=?"),
                  std::regex_replace(rows[i][1], time, L"time=?"));
        EXPECT_EQ(servers[i]["port"].text, rows[i][2]);
        EXPECT_EQ(servers[i]["tcp"].text, rows[i][3]);
    }

    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(computer, &size);
    EXPECT_EQ(report["workstation"]["computer"].text, computer);
    EXPECT_EQ(report["program"].text, L"Orvane 1.0.0.0");
    EXPECT_EQ(app.CloseAndWait(), 0);
}

}  // namespace
}  // namespace orvane
