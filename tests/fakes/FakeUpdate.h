#pragma once

// In-memory stand-ins for the services the update engine uses.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/Text.h"
#include "platform/Clock.h"
#include "platform/FileTimes.h"
#include "platform/FileWriter.h"
#include "platform/InternetErrors.h"
#include "platform/KnownFolders.h"
#include "platform/LocaleFormat.h"
#include "platform/RegistryStore.h"
#include "platform/SystemVersion.h"
#include "update/ProgressForm.h"

namespace orvane::fakes {

class FakeKnownFolders : public IKnownFolders {
public:
    std::map<KnownFolder, std::wstring> paths;
    std::wstring Path(KnownFolder folder) const override {
        const auto it = paths.find(folder);
        return it == paths.end() ? std::wstring() : it->second;
    }
};

class FakeRegistryStore : public IRegistryStore {
public:
    using Address = std::tuple<RegHive, std::wstring, std::wstring, std::wstring>;
    std::map<Address, std::wstring> values;
    int writes = 0;

    std::optional<std::wstring> ReadText(RegHive hive, const std::wstring& key, const std::wstring& section,
                                         const std::wstring& name) const override {
        const auto it = values.find({hive, key, section, name});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool WriteText(RegHive hive, const std::wstring& key, const std::wstring& section, const std::wstring& name,
                   const std::wstring& value) override {
        ++writes;
        values[{hive, key, section, name}] = value;
        return true;
    }
};

// Folders and files kept in memory; paths compare without letter case, as on Windows.
class FakeFileWriter : public IFileWriter {
public:
    std::set<std::wstring> folders;             // upper-cased, without trailing backslash
    std::map<std::wstring, std::string> files;  // upper-cased path -> content
    std::set<std::wstring> unwritable;          // upper-cased paths that cannot be opened or created
    std::set<std::wstring> full;                // upper-cased paths that open but refuse every write
    std::vector<std::wstring> created;          // folders created, in order, as asked

    void AddFolder(const std::wstring& path) { folders.insert(Key(path)); }
    std::optional<std::string> Content(const std::wstring& path) const {
        const auto it = files.find(Key(path));
        if (it == files.end()) return std::nullopt;
        return it->second;
    }

    bool FolderExists(const std::wstring& path) const override { return folders.count(Key(path)) > 0; }
    bool CreateFolder(const std::wstring& path) override {
        const std::wstring k = Key(path);
        const size_t cut = k.find_last_of(L'\\');
        const std::wstring parent = cut == std::wstring::npos ? std::wstring() : k.substr(0, cut);
        const bool rooted = parent.size() == 2 && parent[1] == L':';
        if (unwritable.count(k) || (!parent.empty() && !rooted && !folders.count(parent))) return false;
        created.push_back(path);
        folders.insert(k);
        return true;
    }
    AppendResult AppendToExisting(const std::wstring& path, std::string_view bytes) override {
        const auto it = files.find(Key(path));
        if (it == files.end() || unwritable.count(Key(path))) return AppendResult::NotOpened;
        if (full.count(Key(path))) return AppendResult::WriteFailed;
        it->second += bytes;
        return AppendResult::Appended;
    }
    bool CreateWith(const std::wstring& path, std::string_view bytes) override {
        if (unwritable.count(Key(path))) return false;
        if (full.count(Key(path))) {
            files[Key(path)].clear();  // emptied, then the write fails
            return false;
        }
        files[Key(path)] = std::string(bytes);
        return true;
    }

private:
    static std::wstring Key(std::wstring path) {
        while (path.size() > 3 && path.back() == L'\\') path.pop_back();
        return UpperCaseAscii(path);
    }
};

class FakeClock : public IClock {
public:
    LocalTime now;
    LocalTime Now() const override { return now; }
};

class FakeLocale : public ILocaleFormat {
public:
    wchar_t dateSeparator = L'/';
    wchar_t timeSeparator = L':';
    std::wstring longTime = L"HH:mm:ss";
    std::wstring am = L"AM", pm = L"PM";
    wchar_t DateSeparator() const override { return dateSeparator; }
    wchar_t TimeSeparator() const override { return timeSeparator; }
    std::wstring LongTimeFormat() const override { return longTime; }
    std::wstring AmDesignator() const override { return am; }
    std::wstring PmDesignator() const override { return pm; }
};

class FakeInternetErrors : public IInternetErrors {
public:
    std::uint32_t lastError = 0;
    std::map<std::uint32_t, std::wstring> messages;
    std::wstring response;
    std::uint32_t LastError() const override { return lastError; }
    std::wstring Message(std::uint32_t code) const override {
        const auto it = messages.find(code);
        return it == messages.end() ? std::wstring() : it->second;
    }
    std::wstring LastResponse() const override { return response; }
};

class FakeSystemVersion : public ISystemVersion {
public:
    std::optional<OSVersionRecord> reported;
    std::optional<OSVersionNumber> refined;
    bool localeInfoEx = true;
    mutable int refinedAsked = 0;
    std::optional<OSVersionRecord> Reported() const override { return reported; }
    std::optional<OSVersionNumber> Refined() const override {
        ++refinedAsked;
        return refined;
    }
    bool HasLocaleInfoEx() const override { return localeInfoEx; }
};

class FakeFileTimes : public IFileTimes {
public:
    std::map<std::wstring, double> times;
    std::optional<double> LastWriteLocal(const std::wstring& path) const override {
        const auto it = times.find(path);
        if (it == times.end()) return std::nullopt;
        return it->second;
    }
};

class FakeProgressForm : public TProgressForm {
public:
    long long minimum = -1, maximum = -1, position = -1;
    std::wstring label, caption;
    void SetProgress(long long min, long long max, long long pos) override {
        minimum = min;
        maximum = max;
        position = pos;
    }
    void SetFileLabel(const std::wstring& text) override { label = text; }
    void SetCaption(const std::wstring& text) override { caption = text; }
};

}  // namespace orvane::fakes
