#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/CodePage.h"

namespace orvane {

enum class TComponentKind { ckCopy, ckFileList, ckPatch, ckCabinet, ckProgram, ckLz };

struct TComponentRule {
    TComponentKind kind = TComponentKind::ckLz;
    std::wstring base;  // for a delivered copy: the name without its "_NEW"
};

// Which rule installs a delivered name: the first that matches of "_NEW" at the end (and nowhere
// before), ".INF", ".PAT", ".CAB", ".EXE", else LZ data. Letter case is ignored.
TComponentRule ClassifyComponent(std::wstring_view name);

// A component or file-list name must be a plain file name in the working folder: no folder part,
// "." or "..", drive, stream, device name or character a file name cannot hold.
bool IsPlainFileName(std::wstring_view name);

struct THelperFolders {
    std::wstring windows, system, application, temporary, programFiles;
};

// A file list's TARGET value with {WIN}, {SYS}, {APP}, {TMP} and {PF} expanded (unknown names stay as
// written), ending with "\". An empty value is the application's folder, not the drive's root.
std::wstring ExpandTarget(std::wstring text, const THelperFolders& folders);

struct TFileListEntry {
    std::wstring file, target;
};
// The [FILES] section of a file list: COUNT entries FILEn / TARGETn, each value cut to 128 characters.
// Entries stop at the first missing FILEn, so a lying COUNT costs nothing.
std::vector<TFileListEntry> ReadFileList(std::string_view bytes, const IAnsiCodePage& ansi);

// The log file named in the settings file: a bare name goes to the documents folder, anything with a
// folder part is used as written.
std::wstring HelperLogPath(std::optional<std::wstring> configured, const std::wstring& documentsFolder);
std::optional<std::wstring> ConfiguredLogFileName(std::string_view settingsBytes, const IAnsiCodePage& ansi);

// "dd/mm/yyyy hh:nn:ss : [000] message"
std::wstring FormatHelperLogLine(const LocalTime& now, const std::wstring& message);
// "dd/mm/yyyy hh:nn:ss:zzz", the wait's two times.
std::wstring FormatWaitTime(const LocalTime& time);

// Where a file is renamed while the new one is moved in, and where the new one waits beside its target.
inline constexpr std::wstring_view kAsideSuffix = L".wusetup-old";
inline constexpr std::wstring_view kStagedSuffix = L".wusetup-new";

}  // namespace orvane
