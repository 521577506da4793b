#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Environment.h"
#include "platform/KnownFolders.h"
#include "platform/Registry.h"
#include "platform/SystemVersion.h"

namespace orvane {

// The operating-system name for a reported version record and, for 6.2, the refined version.
std::wstring OSNameFromVersion(const std::optional<OSVersionRecord>& reported,
                               const std::optional<OSVersionNumber>& refined);
std::wstring OSName(const ISystemVersion& system);

bool HasLocaleInfoEx(const ISystemVersion& system);

// How a known folder is asked for on the reported system: not at all on the 9x family and on
// unknown majors, by CSIDL on NT 5, by FOLDERID on NT 6 and 10.
enum class KnownFolderQuery { None, Csidl, FolderId };
KnownFolderQuery ChooseKnownFolderQuery(const std::optional<OSVersionRecord>& reported);

struct KnownFolderIds {
    int csidl;
    const wchar_t* folderId;
};
// The CSIDL number and FOLDERID of Documents, LocalAppData and CommonAppData; nullopt for the others.
std::optional<KnownFolderIds> IdsOfKnownFolder(KnownFolder folder);

std::wstring IEVersion(const IRegistry& registry);
bool RegistryKeyExists(const IRegistry& registry, std::wstring_view key);

// The build environment's tag and the installed environments' tags, for the log only.
std::wstring IDETag();
std::wstring InstalledIDEs(const IRegistry& registry);

std::wstring DocumentsFolder(const IKnownFolders& folders);
std::wstring LocalAppDataFolder(const IKnownFolders& folders);
std::wstring CommonAppDataFolder(const IKnownFolders& folders);
std::wstring EnvironmentValue(const IEnvironment& environment, const std::wstring& name);
std::wstring ProgramFilesFolder(const IEnvironment& environment);

std::wstring ExpandNewlineMarkers(std::wstring text);
// 1-based position of needle in haystack, ASCII letters compared without case; 0 when absent.
size_t PosNoCase(std::wstring_view needle, std::wstring_view haystack);
std::wstring WithTrailingBackslash(std::wstring path);

}  // namespace orvane
