#pragma once

// An in-memory Windows for the restart helper: files by case-insensitive path, processes by id.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/Text.h"
#include "platform/CodePage.h"
#include "restarter/HelperSystem.h"
#include "update/PathHelpers.h"
#include "update/Szdd.h"

namespace orvane::fakes {

class FakeHelperSystem : public IHelperSystem {
public:
    std::map<std::wstring, std::string> files;  // upper-cased path -> bytes
    std::set<std::wstring> locked;              // upper-cased paths that cannot be renamed or replaced
    std::set<std::wstring> undeletable;
    std::map<std::wstring, std::vector<std::pair<std::wstring, std::string>>> cabinets;  // members by cabinet
    std::set<std::uint32_t> runningForever;                                              // processes that never end
    std::map<std::wstring, std::uint32_t> exitCodes;  // programs run and their exit code
    bool startFails = false;

    // What happened.
    std::vector<std::pair<std::wstring, std::wstring>> started, ran;
    std::vector<std::uint32_t> waitedFor;
    std::map<std::wstring, std::vector<std::string>> logs;  // upper-cased path -> lines (8-bit)
    unsigned slept = 0;

    std::wstring current = L"C:\\App", documents = L"C:\\Users\\u\\Documents";
    THelperFolders folders{L"C:\\Windows", L"C:\\Windows\\system32", L"C:\\App", L"C:\\Users\\u\\Temp\\",
                           L"C:\\Program Files"};
    TWindows1252 ansi;

    static std::wstring Key(const std::wstring& path) { return UpperCaseAscii(path); }
    void Put(const std::wstring& path, const std::string& bytes) { files[Key(path)] = bytes; }
    const std::string* Get(const std::wstring& path) const {
        const auto it = files.find(Key(path));
        return it == files.end() ? nullptr : &it->second;
    }
    std::vector<std::string> Log(const std::wstring& path) const {
        const auto it = logs.find(Key(path));
        return it == logs.end() ? std::vector<std::string>() : it->second;
    }

    LocalTime Now() override { return {2024, 12, 25, 10, 30, 5, 42}; }
    void Sleep(unsigned ms) override { slept += ms; }
    TWait WaitForProcess(std::uint32_t id, unsigned) override {
        waitedFor.push_back(id);
        return runningForever.count(id) ? TWait::wTimedOut : TWait::wEnded;
    }
    std::optional<std::uint32_t> RunAndWait(const std::wstring& program, const std::wstring& arguments,
                                            unsigned) override {
        ran.emplace_back(program, arguments);
        const auto it = exitCodes.find(Key(program));
        if (it == exitCodes.end()) return std::nullopt;
        return it->second;
    }
    bool Start(const std::wstring& program, const std::wstring& arguments) override {
        if (startFails) return false;
        started.emplace_back(program, arguments);
        return true;
    }
    std::wstring CurrentFolder() override { return current; }
    std::wstring DocumentsFolder() override { return documents; }
    THelperFolders Folders() override { return folders; }
    const IAnsiCodePage& Ansi() override { return ansi; }

    std::optional<std::string> ReadFile(const std::wstring& path) override {
        const std::string* bytes = Get(path);
        if (!bytes) return std::nullopt;
        return *bytes;
    }
    bool Exists(const std::wstring& path) override { return Get(path) != nullptr; }
    bool Delete(const std::wstring& path) override {
        if (locked.count(Key(path)) || undeletable.count(Key(path))) return false;
        return files.erase(Key(path)) > 0;
    }
    bool CopyNew(const std::wstring& from, const std::wstring& to) override {
        const std::string* bytes = Get(from);
        if (!bytes || Get(to)) return false;
        files[Key(to)] = *bytes;
        return true;
    }
    bool Rename(const std::wstring& from, const std::wstring& to) override {
        if (locked.count(Key(from)) || !Get(from) || Get(to)) return false;
        files[Key(to)] = files[Key(from)];
        files.erase(Key(from));
        return true;
    }
    bool MoveReplace(const std::wstring& from, const std::wstring& to) override {
        if (locked.count(Key(from)) || locked.count(Key(to)) || !Get(from)) return false;
        files[Key(to)] = files[Key(from)];
        files.erase(Key(from));
        return true;
    }
    bool CreateFolders(const std::wstring&) override { return true; }
    std::vector<std::wstring> ListFiles(const std::wstring& folder) override {
        std::vector<std::wstring> names;
        const std::wstring prefix = Key(WithBackslash(folder));
        for (const auto& [path, bytes] : files)
            if (path.rfind(prefix, 0) == 0) names.push_back(path.substr(prefix.size()));
        return names;
    }
    void RemoveTree(const std::wstring& folder) override {
        for (const std::wstring& name : ListFiles(folder)) files.erase(Key(WithBackslash(folder)) + name);
    }
    std::optional<TExpanded> LzExpand(const std::wstring& source, const std::wstring& folder) override {
        const std::string* bytes = Get(source);
        if (!bytes) return std::nullopt;
        // Like the system's: no header means a plain copy; cut data is not noticed.
        const TSzddResult r = SzddDecompress(*bytes);
        std::wstring name = FileNamePart(source);
        std::string data = *bytes;
        if (r.status != TSzddStatus::szddNotSzdd) {
            data = r.data;
            name = SzddExpandedName(name, r.header.missingChar).value_or(L"");
        }
        files[Key(folder + name)] = data;
        return TExpanded{name, data.size()};
    }
    bool ExtractCabinet(const std::wstring& cabinet, const std::wstring& folder) override {
        const auto it = cabinets.find(Key(cabinet));
        if (it == cabinets.end() || !Get(cabinet)) return false;
        for (const auto& [name, bytes] : it->second) files[Key(folder + name)] = bytes;
        return true;
    }
    void AppendLog(const std::wstring& path, const std::wstring& line) override {
        logs[Key(path)].push_back(ansi.Encode(line));
    }
};

}  // namespace orvane::fakes
