#include "probes/EnvironmentVariables.h"

#include <map>
#include <unordered_set>

#include "core/Text.h"

namespace orvane {

namespace {

// The longest value Windows lets an environment variable or a long path have.
constexpr size_t kMaxExpandedLength = 32767;
// Characters the expansion may write before it gives up; far beyond any real path's needs.
constexpr size_t kWorkBudget = size_t{1} << 24;
// Characters of earlier states kept to recognise a state seen again.
constexpr size_t kSeenBudget = size_t{1} << 20;

// The next "%NAME%" at or after FROM, NAME compared without regard to ASCII case.
size_t FindReference(const std::wstring& s, std::wstring_view name, size_t from) {
    const std::wstring_view all(s);
    for (size_t at = all.find(L'%', from); at != std::wstring_view::npos; at = all.find(L'%', at + 1)) {
        const size_t close = at + 1 + name.size();
        if (close < all.size() && all[close] == L'%' && EqualsNoCaseAscii(all.substr(at + 1, name.size()), name))
            return at;
    }
    return std::wstring_view::npos;
}

}  // namespace

std::wstring EnvValue(const IEnvironment& env, const std::wstring& name) {
    if (name.empty()) return {};
    return env.Get(name).value_or(std::wstring());
}

std::vector<std::wstring> EnvironmentGridRows(const IEnvironment& env) {
    std::vector<std::wstring> rows;
    for (const wchar_t* name : kEnvGridVariables) rows.push_back(std::wstring(name) + L'=' + EnvValue(env, name));
    return rows;
}

std::wstring EnsureTrailingBackslash(std::wstring text) {
    if (text.empty() || text.back() != L'\\') text += L'\\';
    return text;
}

std::wstring ExpandPercentVars(const IEnvironment& env, std::wstring_view text) {
    constexpr size_t npos = std::wstring::npos;
    const size_t limit = text.size() + kMaxExpandedLength;
    std::wstring s(text);
    std::map<std::wstring, std::wstring> values;  // one reading per name, whatever its case
    std::unordered_set<std::wstring> seen;        // the text from OPEN on, at each step since OPEN moved
    size_t seenAt = npos, seenChars = 0, work = 0;
    // Nothing before the first "%" ever changes again, so each search goes on from there.
    for (size_t open = s.find(L'%'); open != npos; open = s.find(L'%', open)) {
        const size_t close = s.find(L'%', open + 1);
        if (close == npos || work > kWorkBudget) break;
        if (open != seenAt) {
            seen.clear();
            seenAt = open;
            seenChars = 0;
        }
        if (seenChars < kSeenBudget) {
            if (!seen.insert(s.substr(open)).second) break;
            seenChars += s.size() - open;
        }
        const std::wstring name = s.substr(open + 1, close - open - 1);
        auto value = values.find(UpperCaseAscii(name));
        if (value == values.end()) value = values.emplace(UpperCaseAscii(name), EnvValue(env, name)).first;

        std::wstring next(s, 0, open);
        size_t from = open;
        bool tooLong = false;
        for (size_t at = open; at != npos; at = FindReference(s, name, from)) {
            next.append(s, from, at - from);
            next += value->second;
            from = at + name.size() + 2;
            if (next.size() > limit) {
                tooLong = true;
                break;
            }
        }
        if (tooLong) break;
        next.append(s, from);
        if (next.size() > limit) break;
        work += next.size();
        s = std::move(next);
    }
    return s;
}

}  // namespace orvane
