#include "update/UpdatePolicy.h"

#include "update/UrlHelpers.h"
#include "update/WebUpdate.h"

namespace orvane {

// The status number whose message is its text as given.
constexpr int kTextOnlyStatus = 18;

bool IsAcceptedUpdateURL(std::wstring_view url) {
    for (wchar_t c : url)
        if (c <= L' ' || c == 0x7F) return false;
    const auto origin = OriginOfUrl(url);
    if (!origin) return false;
    return origin->scheme == L"http" || origin->scheme == L"https" || origin->scheme == L"ftp";
}

TUpdateURLChoice ChooseUpdateURL(const IRegistry& registry, const std::wstring& builtIn) {
    const RegText policy = registry.ReadText(RegHive::LocalMachine, kUpdatePolicyKey, kUpdatePolicyValue);
    if (policy.state == RegText::State::Text && IsAcceptedUpdateURL(policy.text)) return {policy.text, true};
    return {builtIn, false};
}

void LogUpdateURLChoice(TWebUpdate& engine, const TUpdateURLChoice& choice) {
    if (!choice.fromPolicy) return;
    // Credentials in the value stay out of the log.
    engine.DoStatus(kTextOnlyStatus, L"Update URL from policy: " + WithoutCredentials(choice.url), 0, 0);
}

}  // namespace orvane
