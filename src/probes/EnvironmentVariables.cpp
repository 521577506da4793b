#include "probes/EnvironmentVariables.h"

#include <algorithm>
#include <map>

#include "core/Text.h"

namespace orvane {

namespace {

// The longest value Windows lets an environment variable or a long path have.
constexpr size_t kMaxExpandedLength = 32767;

// References are paired within the text that holds them (the original text, or one variable's
// value), never across the boundary of a value brought in, so each value expands on its own.
class PercentExpander {
public:
    explicit PercentExpander(const IEnvironment& env) : env_(env) {}

    void Expand(std::wstring_view text, std::wstring& out) {
        size_t pos = 0;
        while (pos < text.size()) {
            const size_t open = text.find(L'%', pos);
            if (open == std::wstring_view::npos || full_) break;
            const size_t close = text.find(L'%', open + 1);
            if (close == std::wstring_view::npos) break;
            out.append(text, pos, open - pos);
            pos = close + 1;

            const std::wstring_view name = text.substr(open + 1, close - open - 1);
            if (name.empty()) continue;
            const std::wstring key = UpperCaseAscii(name);
            if (std::find(active_.begin(), active_.end(), key) != active_.end()) {
                out.append(text, open, close - open + 1);
                continue;
            }
            auto cached = values_.find(key);
            if (cached == values_.end()) cached = values_.emplace(key, EnvValue(env_, std::wstring(name))).first;
            active_.push_back(key);
            Expand(cached->second, out);
            active_.pop_back();
            if (out.size() > kMaxExpandedLength) full_ = true;
        }
        out.append(text, std::min(pos, text.size()));
    }

private:
    const IEnvironment& env_;
    std::map<std::wstring, std::wstring> values_;  // one reading per name, whatever its case
    std::vector<std::wstring> active_;             // names whose values are being expanded
    bool full_ = false;
};

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
    std::wstring out;
    out.reserve(text.size());
    PercentExpander(env).Expand(text, out);
    return out;
}

}  // namespace orvane
