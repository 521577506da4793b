#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// One file of a release folder, measured as the engine will measure the installed copy.
struct TReleaseFile {
    std::wstring name;          // plain file name in the release folder
    std::int32_t size = 0;      // FileSizeOf
    std::int32_t checksum = 0;  // FileCRC32
    std::wstring version;       // dotted four-number file version; empty when the file has none
    // Keys written after the engine's own in the file's section, in this order.
    std::vector<std::pair<std::wstring, std::wstring>> extraKeys;
};

// What a release offers: the version installed programs compare with and where its files are served.
struct TRelease {
    std::wstring version;  // A.B.C.D
    std::wstring baseUrl;  // the folder's address; each file is served under its own name below it
    std::wstring descr;    // shown by the wizard and the news window; real line breaks allowed
    std::wstring program;  // the program's file name, "orvane.exe"
    std::vector<TReleaseFile> files;
};

// Programs and libraries are held by the running application: they are delivered as copies that the
// restart helper installs after it has ended.
bool IsApplicationComponent(std::wstring_view name);
// The name a component is served and delivered under ("orvane.exe_NEW"), which the helper copies over
// the installed file of the name without the suffix.
std::wstring DeliveredCopyName(std::wstring_view name);
bool IsDeliveredCopyName(std::wstring_view name);

// True for exactly four decimal numbers from 0 to 65535 joined by dots.
bool IsFourPartVersion(std::wstring_view text);

// The control file of a release, CR LF lines. Raises AppError when the release cannot be described
// so that the engine and the helper read it as meant (bad names, a missing program, bad version).
std::wstring ReleaseControlText(const TRelease& release);
// The text as it is written: ASCII as it is, any other text in UTF-16 with a byte-order mark.
std::string ReleaseControlBytes(const std::wstring& text);

}  // namespace orvane
