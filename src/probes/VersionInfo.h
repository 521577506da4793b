#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/VersionResource.h"

namespace orvane {

struct TRvVersionNumber {
    std::uint16_t V1 = 0;
    std::uint16_t V2 = 0;
    std::uint16_t V3 = 0;
    std::uint16_t V4 = 0;

    auto operator<=>(const TRvVersionNumber&) const = default;
    // "V1.V2.V3.V4", decimal, no leading zeros.
    std::wstring Text() const;
};

// Version-resource reader of one file; assigning FileName re-reads the resource at once.
class TRvVersionInfo {
public:
    // Starts out on the program's own executable, as an empty name does.
    explicit TRvVersionInfo(const IVersionResource& source);
    virtual ~TRvVersionInfo() = default;

    const std::wstring& FileName() const { return fFileName; }
    void SetFileName(const std::wstring& fileName);

    bool HaveInfo() const { return fHaveInfo; }
    TRvVersionNumber FileVersionNumber() const;
    TRvVersionNumber ProductVersionNumber() const;
    std::uint32_t FileOS() const { return fFixedFileInfo.dwFileOS; }
    std::uint32_t FileType() const { return fFixedFileInfo.dwFileType; }
    std::uint32_t FileSubType() const { return fFixedFileInfo.dwFileSubtype; }
    std::uint32_t FileFlagsMask() const { return fFixedFileInfo.dwFileFlagsMask; }
    std::uint32_t FileFlags() const { return fFixedFileInfo.dwFileFlags; }

    int NumTranslations() const { return fNumTranslations; }
    int CurrentTranslation() const { return fCurrentTranslation; }
    // A value outside 0..NumTranslations()-1 selects -1 (none).
    void SetCurrentTranslation(int index);
    // Language id and code page of the current translation; 0 when none is selected.
    std::uint16_t LanguageCode() const;
    std::uint16_t CharSetCode() const;

protected:
    virtual void ClearInfo();
    virtual void ReadVersionInfo();

private:
    const IVersionResource& source_;
    std::wstring fFileName;
    bool fHaveInfo = false;
    int fNumTranslations = 0;
    int fCurrentTranslation = -1;
    TFixedFileInfo fFixedFileInfo;
    std::vector<TVersionTranslation> fPTransBuffer;
};

inline constexpr const wchar_t* kFileNotFound = L"Fichier non trouvé.";

// The file's version as "V1.V2.V3.V4"; "0.0.0.0" without a version resource; kFileNotFound when no
// file (a folder does not count) exists at the path.
std::wstring GetFileVersionText(const IFileSystem& files, const IVersionResource& versions, const std::wstring& path);

}  // namespace orvane
