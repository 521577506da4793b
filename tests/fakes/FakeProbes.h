#pragma once

// In-memory stand-ins for the version-resource and whole-file readers.

#include <map>
#include <optional>
#include <set>
#include <string>

#include "core/Error.h"
#include "core/Text.h"
#include "platform/TextFileReader.h"
#include "platform/VersionResource.h"

namespace orvane::fakes {

class FakeVersionResource : public IVersionResource {
public:
    // A file whose fixed file version is V1.V2.V3.V4.
    void SetVersion(const std::wstring& path, unsigned v1, unsigned v2, unsigned v3, unsigned v4) {
        TVersionBlock block;
        block.fixedInfo = TFixedFileInfo{};
        block.fixedInfo->dwSignature = 0xFEEF04BD;
        block.fixedInfo->dwFileVersionMS = v1 << 16 | v2;
        block.fixedInfo->dwFileVersionLS = v3 << 16 | v4;
        block.translations = {{0x0409, 1200}};
        SetBlock(path, block);
    }
    void SetBlock(const std::wstring& path, const TVersionBlock& block) { blocks_[LowerCaseAscii(path)] = block; }

    std::optional<TVersionBlock> Read(const std::wstring& path) const override {
        ++reads;
        const auto it = blocks_.find(LowerCaseAscii(path));
        if (it == blocks_.end()) return std::nullopt;
        return it->second;
    }
    std::wstring OwnExecutablePath() const override { return L"C:\\Program Files (x86)\\Orvane\\orvane.exe"; }

    mutable int reads = 0;

private:
    std::map<std::wstring, TVersionBlock> blocks_;
};

class FakeTextFileReader : public ITextFileReader {
public:
    void SetBytes(const std::wstring& path, std::string bytes) { files_[LowerCaseAscii(path)] = std::move(bytes); }
    // A file another program holds open for writing.
    void Lock(const std::wstring& path) { locked_.insert(LowerCaseAscii(path)); }

    std::string ReadAll(const std::wstring& path) const override {
        const std::wstring key = LowerCaseAscii(path);
        if (locked_.count(key))
            throw AppError(
                L"Le processus ne peut pas accéder au fichier car ce fichier est utilisé par un autre processus.");
        const auto it = files_.find(key);
        if (it == files_.end()) throw AppError(L"Le fichier spécifié est introuvable.");
        return it->second;
    }

private:
    std::map<std::wstring, std::string> files_;
    std::set<std::wstring> locked_;
};

}  // namespace orvane::fakes
