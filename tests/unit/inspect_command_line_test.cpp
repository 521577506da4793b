#include <gtest/gtest.h>

#include "CommandLine.h"

namespace orvane::inspect {
namespace {

// A command shaped like a transfer: two operands at most, flags and valued options.
const TCommandSpec kSpec{
    "fetch", "URL [FILE]", "", {{"passive", false, ""}, {"port", true, "N"}, {"proxy", true, "HOST:PORT"}}, 1, 2};

std::string Render(const TCommandLine& line) {
    std::string text;
    for (const std::string& o : line.operands) text += "[" + o + "]";
    for (const auto& [name, value] : line.options) text += " " + name + "=" + value;
    return text;
}

TEST(InspectCommandLine, OptionsAnywhereAroundTheOperands) {
    struct Case {
        std::vector<std::string> words;
        const char* parsed;
    };
    const Case cases[] = {
        {{"u"}, "[u]"},
        {{"--passive", "u", "f"}, "[u][f] passive="},
        {{"u", "--passive", "f"}, "[u][f] passive="},
        {{"u", "f", "--passive"}, "[u][f] passive="},
        {{"u", "--port", "21"}, "[u] port=21"},
        {{"--port=21", "u"}, "[u] port=21"},
        {{"--proxy", "127.0.0.1:8080", "u", "--port", "2121"}, "[u] proxy=127.0.0.1:8080 port=2121"},
        {{"--proxy=", "u"}, "[u] proxy="},
        {{"--port", "--passive", "u"}, "[u] port=--passive"},  // a value is taken as it is
        {{"u", "--", "--passive"}, "[u][--passive]"},          // "--" ends the options
        {{"--", "-u"}, "[-u]"},
        {{"-", "f"}, "[-][f]"},  // "-" names standard input or output
        {{"u", "--port", "1", "--port", "2"}, "[u] port=1 port=2"},
    };
    for (const Case& c : cases) {
        std::string words;
        for (const std::string& w : c.words) words += w + " ";
        EXPECT_EQ(Render(ParseCommandLine(kSpec, c.words)), c.parsed) << words;
    }
}

TEST(InspectCommandLine, UsageErrors) {
    const std::vector<std::string> cases[] = {
        {},                           // too few operands
        {"u", "f", "g"},              // too many
        {"--passive"},                // options alone are no operand
        {"u", "--verbose"},           // unknown
        {"u", "-p"},                  // short options are unknown
        {"u", "--passive=yes"},       // a flag takes no value
        {"u", "--port"},              // missing value
        {"--", "u", "f", "--", "g"},  // after "--" a second "--" is an operand too
    };
    for (const auto& words : cases) {
        std::string text;
        for (const std::string& w : words) text += w + " ";
        EXPECT_THROW(ParseCommandLine(kSpec, words), TUsageError) << text;
    }
}

TEST(InspectCommandLine, ValuesAndNumbers) {
    const TCommandLine line = ParseCommandLine(kSpec, {"u", "--port", "21", "--passive", "--port=2121"});
    EXPECT_TRUE(line.Has("passive"));
    EXPECT_FALSE(line.Has("proxy"));
    EXPECT_EQ(line.Value("port"), "2121");  // the last one counts
    EXPECT_EQ(line.Values("port"), (std::vector<std::string>{"21", "2121"}));
    EXPECT_EQ(line.Value("proxy"), std::nullopt);
    EXPECT_EQ(line.Integer("port", 1, 65535), 2121);
    EXPECT_EQ(line.Integer("proxy", 1, 65535), std::nullopt);

    for (const char* bad : {"0", "65536", "-1", "21x", "", " 21", "0x15", "99999999999999999999"}) {
        const TCommandLine port = ParseCommandLine(kSpec, {"u", std::string("--port=") + bad});
        EXPECT_THROW(port.Integer("port", 1, 65535), TUsageError) << bad;
    }
}

TEST(InspectCommandLine, UsageLists) {
    EXPECT_EQ(UsageText(kSpec),
              "usage: orvane-inspect fetch [OPTIONS] URL [FILE]\n"
              "  --passive\n"
              "  --port  N\n"
              "  --proxy  HOST:PORT\n");
    EXPECT_EQ(UsageText({"cabinet", "FILE FOLDER", "", {}, 2, 2}), "usage: orvane-inspect cabinet FILE FOLDER\n");
}

}  // namespace
}  // namespace orvane::inspect
