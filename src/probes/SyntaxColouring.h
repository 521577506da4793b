#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace orvane {

enum class TSyntaxLanguage { None, Ini, Xml };

enum class TTokenKind : std::uint8_t {
    Text,            // anything uncoloured: INI "=" and stray lines, XML character data
    Section,         // INI "[name]"
    Key,             // INI key before "="
    Value,           // INI value after "="
    Comment,         // INI ";" or "#" line, XML "<!-- -->"
    Tag,             // XML "<name", "</name", ">", "/>", "<?xml", "?>", "<!DOCTYPE", CDATA brackets
    AttributeName,   // XML
    AttributeValue,  // XML, quotes included
};

struct TColourSpan {
    std::uint32_t start;
    std::uint32_t length;
    TTokenKind kind;
};

// Where a line leaves the XML scanner, for the next line to start from; INI lines are independent.
enum class TLineState : std::uint8_t {
    Text,         // between markup (also the start of a file)
    Comment,      // inside "<!--"
    CData,        // inside "<![CDATA["
    InTag,        // inside a start tag or declaration, between attributes
    ValueDouble,  // inside a "..." attribute value
    ValueSingle,  // inside a '...' attribute value
    Declaration,  // inside "<!DOCTYPE ...>" or another "<!" declaration
};

// Colours one line (without its line break). OUT is cleared and receives contiguous spans that cover
// the whole line, neighbours of one kind merged. Returns the state the next line starts in.
TLineState ColourLine(std::wstring_view line, TSyntaxLanguage language, TLineState start,
                      std::vector<TColourSpan>& out);

// The state the next line starts in, without building spans: for walking to the first visible line.
TLineState NextLineState(std::wstring_view line, TSyntaxLanguage language, TLineState start);

// How a token kind is drawn: colour as 0x00BBGGRR (a Windows COLORREF), bold and italic flags.
struct TTokenStyle {
    std::uint32_t colour;
    bool bold;
    bool italic;
};
TTokenStyle StyleOf(TTokenKind kind);

}  // namespace orvane
