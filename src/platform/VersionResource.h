#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// The fixed part of a version resource, word for word as Windows lays it out (VS_FIXEDFILEINFO).
struct TFixedFileInfo {
    std::uint32_t dwSignature = 0;
    std::uint32_t dwStrucVersion = 0;
    std::uint32_t dwFileVersionMS = 0;
    std::uint32_t dwFileVersionLS = 0;
    std::uint32_t dwProductVersionMS = 0;
    std::uint32_t dwProductVersionLS = 0;
    std::uint32_t dwFileFlagsMask = 0;
    std::uint32_t dwFileFlags = 0;
    std::uint32_t dwFileOS = 0;
    std::uint32_t dwFileType = 0;
    std::uint32_t dwFileSubtype = 0;
    std::uint32_t dwFileDateMS = 0;
    std::uint32_t dwFileDateLS = 0;
};

// One entry of "\VarFileInfo\Translation".
struct TVersionTranslation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
};

// What a file's version resource answers.
struct TVersionBlock {
    std::optional<TFixedFileInfo> fixedInfo;        // absent when the query for "\" fails
    std::vector<TVersionTranslation> translations;  // empty when "\VarFileInfo\Translation" is absent
};

// Reads file version resources.
class IVersionResource {
public:
    virtual ~IVersionResource() = default;
    // nullopt when the file has no version resource or it cannot be read; never raises.
    virtual std::optional<TVersionBlock> Read(const std::wstring& path) const = 0;
    // Full path of the running program's executable.
    virtual std::wstring OwnExecutablePath() const = 0;
};

}  // namespace orvane
