#pragma once

// In-memory stand-ins for the platform services, for the portable unit tests.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/Text.h"
#include "platform/Dialogs.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace orvane::fakes {

class FakeRegistry : public IRegistry {
public:
    enum class Type { Sz, ExpandSz, Dword };

    void SetText(const std::wstring& key, const std::wstring& name, const std::wstring& text, Type type = Type::Sz,
                 RegHive hive = RegHive::LocalMachine) {
        keys_.insert({hive, Lower(key)});
        values_[{hive, Lower(key), Lower(name)}] = {type, text};
    }
    void AddKey(const std::wstring& key, RegHive hive = RegHive::LocalMachine) { keys_.insert({hive, Lower(key)}); }
    // A key this process may not open for reading.
    void Deny(const std::wstring& key, RegHive hive = RegHive::LocalMachine) { denied_.insert({hive, Lower(key)}); }

    RegText ReadText(RegHive hive, const std::wstring& key, const std::wstring& name) const override {
        ++reads;
        if (!keys_.count({hive, Lower(key)}) || denied_.count({hive, Lower(key)})) return {RegText::State::NoKey, {}};
        const auto it = values_.find({hive, Lower(key), Lower(name)});
        if (it == values_.end()) return {RegText::State::NoValue, {}};
        if (it->second.first == Type::Dword) return {RegText::State::OtherType, {}};
        return {RegText::State::Text, it->second.second};
    }
    bool KeyExists(RegHive hive, const std::wstring& key) const override {
        return keys_.count({hive, Lower(key)}) && !denied_.count({hive, Lower(key)});
    }
    void SetMultiText(const std::wstring& key, const std::wstring& name, std::vector<std::wstring> strings,
                      RegHive hive = RegHive::LocalMachine) {
        keys_.insert({hive, Lower(key)});
        multi_[{hive, Lower(key), Lower(name)}] = std::move(strings);
    }
    std::optional<std::vector<std::wstring>> ReadMultiText(RegHive hive, const std::wstring& key,
                                                           const std::wstring& name) const override {
        if (!KeyExists(hive, key)) return std::nullopt;
        const auto it = multi_.find({hive, Lower(key), Lower(name)});
        if (it == multi_.end()) return std::nullopt;
        return it->second;
    }

    mutable int reads = 0;

private:
    static std::wstring Lower(const std::wstring& s) { return LowerCaseAscii(s); }
    std::set<std::pair<RegHive, std::wstring>> keys_, denied_;
    std::map<std::tuple<RegHive, std::wstring, std::wstring>, std::pair<Type, std::wstring>> values_;
    std::map<std::tuple<RegHive, std::wstring, std::wstring>, std::vector<std::wstring>> multi_;
};

class FakeEnvironment : public IEnvironment {
public:
    void Set(const std::wstring& name, const std::wstring& value) { vars_[LowerCaseAscii(name)] = value; }
    std::optional<std::wstring> Get(const std::wstring& name) const override {
        const auto it = vars_.find(LowerCaseAscii(name));
        if (it == vars_.end()) return std::nullopt;
        return it->second;
    }

private:
    std::map<std::wstring, std::wstring> vars_;
};

class FakeFileSystem : public IFileSystem {
public:
    void AddFile(const std::wstring& path) { files_.insert(LowerCaseAscii(path)); }
    void AddFolder(const std::wstring& path) { folders_.insert(LowerCaseAscii(WithBackslash(path))); }
    bool FileExists(const std::wstring& path) const override { return files_.count(LowerCaseAscii(path)) > 0; }
    bool FolderExists(const std::wstring& path) const override {
        return folders_.count(LowerCaseAscii(WithBackslash(path))) > 0;
    }

private:
    std::set<std::wstring> files_, folders_;
};

class FakeShell : public IShell {
public:
    void Open(const std::wstring& path) override { opened.push_back(path); }
    std::vector<std::wstring> opened;
};

class FakeDialogs : public IDialogs {
public:
    void ShowError(const std::wstring& text) override { errors.push_back(text); }
    bool AskYesNo(const std::wstring& text) override {
        questions.push_back(text);
        return answerYes;
    }
    std::vector<std::wstring> errors;
    std::vector<std::wstring> questions;
    bool answerYes = true;
};

} // namespace orvane::fakes
