#pragma once

#include <optional>
#include <string>

namespace orvane {

// The extended version record the system reports.
struct OSVersionRecord {
    enum class Platform { Win32s, Windows9x, WindowsNT, Other };
    Platform platform = Platform::Other;
    unsigned major = 0;
    unsigned minor = 0;
    unsigned productType = 0;  // 1 is a workstation
    std::wstring servicePack;  // the service-pack text (CSD version)
    unsigned build = 0;
};

struct OSVersionNumber {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
};

// The running system's version and capabilities.
class ISystemVersion {
public:
    virtual ~ISystemVersion() = default;
    // The version record as reported: shimmed to 6.2 on newer systems unless the program's manifest
    // declares them; nullopt when the query fails.
    virtual std::optional<OSVersionRecord> Reported() const = 0;
    // The true version from the kernel's own query; nullopt when that query is missing or fails.
    virtual std::optional<OSVersionNumber> Refined() const = 0;
    // Whether kernel32 exports GetLocaleInfoEx.
    virtual bool HasLocaleInfoEx() const = 0;
};

}  // namespace orvane
