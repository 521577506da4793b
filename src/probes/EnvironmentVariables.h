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

// Replaces every %NAME% reference by the value of the environment variable NAME: the first "%"
// pairs with the next one, every reference to that name (ASCII case ignored) is replaced at once,
// and the search starts again from the left, so values expand in turn and a "%" brought in by a
// value can pair with text after it. Unset or empty names expand to nothing ("%%" disappears).
// Always ends; where that search alone would never end, what has been reached so far is returned:
//  - when the first "%" left has no closing "%" after it;
//  - when the text comes back to a state it was already in (values naming each other);
//  - before the text would grow past 32767 characters beyond the given length, or once the work
//    done passes a bound far beyond what any real path needs.
std::wstring ExpandPercentVars(const IEnvironment& env, std::wstring_view text);

}  // namespace orvane
