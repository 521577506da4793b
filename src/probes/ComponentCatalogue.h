#pragma once

#include <string>

#include "platform/Registry.h"

namespace orvane {

// An SAP client component; selects where its folder is recorded and its release-name table.
using TSapComponentKind = int;

inline constexpr TSapComponentKind ckSapSetup = 0;
inline constexpr TSapComponentKind ckBusinessExplorer = 1;
inline constexpr TSapComponentKind ckSapGui = 2;
inline constexpr TSapComponentKind ckEngineeringClientViewer = 3;
inline constexpr TSapComponentKind ckNwbc4 = 4;
inline constexpr TSapComponentKind ckNwbc5 = 5;
inline constexpr TSapComponentKind ckNwbc6 = 6;
inline constexpr TSapComponentKind ckVisualEnterpriseViewer = 7;
inline constexpr TSapComponentKind ckSncEncryption = 8;
inline constexpr TSapComponentKind ckSecureLogin32 = 9;
inline constexpr TSapComponentKind ckSecureLogin64 = 10;
inline constexpr TSapComponentKind ckKerberos32 = 11;
inline constexpr TSapComponentKind ckKerberos64 = 12;

constexpr TSapComponentKind kFirstComponentKind = ckSapSetup;
constexpr TSapComponentKind kLastComponentKind = ckKerberos64;

struct ComponentSource {
    const wchar_t* registryKey;    // under HKEY_LOCAL_MACHINE, or nullptr
    const wchar_t* valueName;      // or nullptr
    const wchar_t* defaultFolder;  // ends in a backslash
    const wchar_t* subFolder;      // appended to the folder found, may be empty
};

// The catalogue row of a kind, or nullptr for an unknown kind.
const ComponentSource* FindComponentSource(TSapComponentKind kind);

// Installation folder of a component kind, ending in a backslash (empty for an unknown kind).
// The folder may not exist. A registry value that is not text raises AppError.
std::wstring GetComponentFolder(const IRegistry& registry, TSapComponentKind kind);

} // namespace orvane
