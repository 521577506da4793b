#pragma once

#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace orvane {

class TWebUpdate;

// Where an administrator may point the program at another control file (HKEY_LOCAL_MACHINE).
inline constexpr wchar_t kUpdatePolicyKey[] = L"SOFTWARE\\Policies\\Orvane";
inline constexpr wchar_t kUpdatePolicyValue[] = L"UpdateURL";

// An http://, https:// or ftp:// URL (scheme in any case) naming a host, without blanks or
// control characters.
bool IsAcceptedUpdateURL(std::wstring_view url);

struct TUpdateURLChoice {
    std::wstring url;
    bool fromPolicy = false;
};

// The control-file URL the program uses: the policy value when it is an accepted URL, else the
// one built in. Nothing else (environment, command line) redirects updates.
TUpdateURLChoice ChooseUpdateURL(const IRegistry& registry, const std::wstring& builtIn);

// Tells the engine's log where a policy URL came from; nothing for the built-in one.
void LogUpdateURLChoice(TWebUpdate& engine, const TUpdateURLChoice& choice);

}  // namespace orvane
