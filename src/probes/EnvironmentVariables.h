#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Environment.h"

namespace orvane {

// The SAP variables of the environment grid, in grid order.
inline constexpr const wchar_t* kEnvGridVariables[] = {L"SNC_LIB",           L"SNC_LIB_64",
                                                       L"SSF_LIBRARY_PATH",  L"SSF_LIBRARY_PATH_64",
                                                       L"SAPLOGON_INI_FILE", L"SAPLOGON_LSXML_FILE"};

// The variable's value; an unset variable reads as the empty text, like a set-but-empty one.
std::wstring EnvValue(const IEnvironment& env, const std::wstring& name);

// One "name=value" row per grid variable, in grid order; unset variables give "name=".
std::vector<std::wstring> EnvironmentGridRows(const IEnvironment& env);

// Appends one backslash unless the text already ends in one; the empty text becomes "\".
std::wstring EnsureTrailingBackslash(std::wstring text);

// Replaces every %NAME% reference by the value of the environment variable NAME (names match
// without regard to ASCII case; unset or empty names expand to nothing, so "%%" disappears).
// References inside a value are expanded in turn. Always ends:
//  - a "%" with no closing "%" after it in the same text is kept, with the rest of that text, as is;
//  - a reference met again while its own value is being expanded is kept as its literal text;
//  - once the result passes 32767 characters, what remains is copied without expansion.
std::wstring ExpandPercentVars(const IEnvironment& env, std::wstring_view text);

}  // namespace orvane
