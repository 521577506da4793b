#pragma once

// In-memory stand-ins for the pinger, the INI profile reader and whole-file reading.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Error.h"
#include "core/Text.h"
#include "platform/Pinger.h"
#include "platform/ProfileReader.h"
#include "platform/TextFileReader.h"

namespace orvane::fakes {

class FakePinger : public IPinger {
public:
    // ADDRESS answers with REPLY; addresses never set give no result object.
    void Answer(const std::wstring& address, TPingReply reply) { replies_[address] = std::move(reply); }
    void Fail(const std::wstring& address, std::wstring message) { failures_[address] = std::move(message); }

    std::optional<TPingReply> Ping(const std::wstring& address, uint16_t bufferSize) override {
        asked.push_back(address);
        sizes.push_back(bufferSize);
        if (const auto f = failures_.find(address); f != failures_.end()) throw AppError(f->second);
        const auto it = replies_.find(address);
        if (it == replies_.end()) return std::nullopt;
        return it->second;
    }

    std::vector<std::wstring> asked;
    std::vector<uint16_t> sizes;

private:
    std::map<std::wstring, TPingReply> replies_;
    std::map<std::wstring, std::wstring> failures_;
};

class FakeProfileReader : public IProfileReader {
public:
    void SetSection(const std::wstring& path, const std::wstring& section,
                    std::vector<std::pair<std::wstring, std::wstring>> entries) {
        sections_[{LowerCaseAscii(path), LowerCaseAscii(section)}] = std::move(entries);
    }
    std::vector<std::pair<std::wstring, std::wstring>> ReadSection(const std::wstring& path,
                                                                   const std::wstring& section) const override {
        const auto it = sections_.find({LowerCaseAscii(path), LowerCaseAscii(section)});
        return it == sections_.end() ? std::vector<std::pair<std::wstring, std::wstring>>{} : it->second;
    }

private:
    std::map<std::pair<std::wstring, std::wstring>, std::vector<std::pair<std::wstring, std::wstring>>> sections_;
};

class FakeFileBytes : public ITextFileReader {
public:
    void Set(const std::wstring& path, std::string bytes) { files_[LowerCaseAscii(path)] = std::move(bytes); }
    std::string ReadAll(const std::wstring& path) const override {
        const auto it = files_.find(LowerCaseAscii(path));
        if (it == files_.end()) throw AppError(L"Le fichier spécifié est introuvable.");
        return it->second;
    }

private:
    std::map<std::wstring, std::string> files_;
};

} // namespace orvane::fakes
