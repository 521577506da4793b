#include "CommandLine.h"

#include <charconv>

namespace orvane::inspect {

namespace {

const TOption* FindOption(const TCommandSpec& spec, std::string_view name) {
    for (const TOption& o : spec.options)
        if (o.name == name) return &o;
    return nullptr;
}

}  // namespace

bool TCommandLine::Has(std::string_view name) const {
    for (const auto& [key, value] : options)
        if (key == name) return true;
    return false;
}

std::optional<std::string> TCommandLine::Value(std::string_view name) const {
    std::optional<std::string> last;
    for (const auto& [key, value] : options)
        if (key == name) last = value;
    return last;
}

std::vector<std::string> TCommandLine::Values(std::string_view name) const {
    std::vector<std::string> all;
    for (const auto& [key, value] : options)
        if (key == name) all.push_back(value);
    return all;
}

std::optional<std::int64_t> TCommandLine::Integer(std::string_view name, std::int64_t low, std::int64_t high) const {
    const auto text = Value(name);
    if (!text) return std::nullopt;
    std::int64_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (text->empty() || error != std::errc() || stop != end || value < low || value > high)
        throw TUsageError("--" + std::string(name) + " wants a whole number from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", not \"" + *text + "\"");
    return value;
}

TCommandLine ParseCommandLine(const TCommandSpec& spec, const std::vector<std::string>& words) {
    TCommandLine line;
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            line.operands.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (word[1] != '-') throw TUsageError("unknown option " + word);
        const size_t equals = word.find('=');
        const std::string name = word.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const TOption* option = FindOption(spec, name);
        if (!option) throw TUsageError("unknown option --" + name);
        if (!option->takesValue) {
            if (equals != std::string::npos) throw TUsageError("--" + name + " takes no value");
            line.options.emplace_back(name, "");
        } else if (equals != std::string::npos) {
            line.options.emplace_back(name, word.substr(equals + 1));
        } else if (i + 1 < words.size()) {
            line.options.emplace_back(name, words[++i]);
        } else {
            throw TUsageError("--" + name + " wants a value");
        }
    }
    if (line.operands.size() < spec.minOperands) throw TUsageError("too few arguments");
    if (line.operands.size() > spec.maxOperands) throw TUsageError("too many arguments");
    return line;
}

std::string UsageText(const TCommandSpec& spec) {
    std::string text = "usage: orvane-inspect " + spec.name;
    if (!spec.options.empty()) text += " [OPTIONS]";
    if (!spec.operands.empty()) text += " " + spec.operands;
    text += "\n";
    for (const TOption& o : spec.options) text += "  --" + o.name + (o.help.empty() ? "" : "  " + o.help) + "\n";
    return text;
}

}  // namespace orvane::inspect
