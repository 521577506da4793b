#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane::inspect {

// One option of a command, written "--name" (a flag) or "--name VALUE" / "--name=VALUE".
struct TOption {
    std::string name;  // without the dashes
    bool takesValue = false;
    std::string help;  // "HOST:PORT  the proxy to go through"
};

// What a command accepts. Options may stand before, between or after the positional words.
struct TCommandSpec {
    std::string name;
    std::string operands;  // "FILE FOLDER", for the usage line
    std::string summary;
    std::vector<TOption> options;
    size_t minOperands = 0, maxOperands = 0;
};

// A wrong command line: the process answers it with exit code 2.
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TCommandLine {
    std::vector<std::string> operands;
    std::vector<std::pair<std::string, std::string>> options;  // as given, in order; flags have ""

    bool Has(std::string_view name) const;
    // The last value given for NAME.
    std::optional<std::string> Value(std::string_view name) const;
    std::vector<std::string> Values(std::string_view name) const;
    // The last value as a decimal integer in [low, high]; a TUsageError otherwise.
    std::optional<std::int64_t> Integer(std::string_view name, std::int64_t low, std::int64_t high) const;
};

// "--" ends the options: every word after it is an operand, even one that starts with "-".
// A lone "-" is an operand. Unknown options, a missing or unexpected value and a wrong number of
// operands are TUsageErrors.
TCommandLine ParseCommandLine(const TCommandSpec& spec, const std::vector<std::string>& words);

// "usage: orvane-inspect NAME [OPTIONS] OPERANDS" followed by one line per option.
std::string UsageText(const TCommandSpec& spec);

}  // namespace orvane::inspect
