#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/Text.h"
#include "platform/CodePage.h"
#include "probes/SyntaxColouring.h"
#include "probes/TextDecoding.h"

namespace orvane {
namespace {

// Spans written as kind letters with their text: "S{[x]}T{ }..." (T text, S section, K key, V value,
// C comment, G tag, N attribute name, A attribute value).
std::wstring Render(std::wstring_view line, const std::vector<TColourSpan>& spans) {
    static constexpr wchar_t kLetters[] = L"TSKVCGNA";
    std::wstring out;
    for (const TColourSpan& s : spans) {
        out += kLetters[static_cast<int>(s.kind)];
        out += L'{';
        out += line.substr(s.start, s.length);
        out += L'}';
    }
    return out;
}

struct LineCase {
    TSyntaxLanguage language;
    TLineState start;
    const wchar_t* line;
    const wchar_t* spans;
    TLineState end;
};

TEST(ProbesColouring, Lines) {
    using L = TSyntaxLanguage;
    using S = TLineState;
    const LineCase cases[] = {
        {L::Ini, S::Text, L"[Configuration]", L"S{[Configuration]}", S::Text},
        {L::Ini, S::Text, L"  Item1=SAP P01 = test", L"T{  }K{Item1}T{=}V{SAP P01 = test}", S::Text},
        {L::Ini, S::Text, L"; comment", L"C{; comment}", S::Text},
        {L::Ini, S::Text, L"\t# comment", L"T{\t}C{# comment}", S::Text},
        {L::Ini, S::Text, L"Test", L"T{Test}", S::Text},
        {L::Ini, S::Text, L"", L"", S::Text},
        {L::Ini, S::Text, L"Key=", L"K{Key}T{=}", S::Text},
        {L::Ini, S::Text, L"[Server] ; x", L"S{[Server]}T{ ; x}", S::Text},
        {L::Ini, S::Text, L"[Server", L"S{[Server}", S::Text},
        {L::Ini, S::Comment, L"a=b", L"K{a}T{=}V{b}", S::Text},  // INI lines do not carry state
        {L::None, S::Text, L"sapdp00  3200/tcp  # SAP", L"T{sapdp00  3200/tcp  # SAP}", S::Text},
        {L::Xml, S::Text, L"<?xml version=\"1.0\" encoding='UTF-8'?>",
         L"G{<?xml}T{ }N{version}T{=}A{\"1.0\"}T{ }N{encoding}T{=}A{'UTF-8'}G{?>}", S::Text},
        {L::Xml, S::Text, L"\t<Service type=\"SAPGUI\" name=\"A &amp; B\"/>",
         L"T{\t}G{<Service}T{ }N{type}T{=}A{\"SAPGUI\"}T{ }N{name}T{=}A{\"A &amp; B\"}G{/>}", S::Text},
        {L::Xml, S::Text, L"<Memo>text</Memo>", L"G{<Memo>}T{text}G{</Memo>}", S::Text},
        {L::Xml, S::Text, L"<!-- <Service name=\"x\"/>", L"C{<!-- <Service name=\"x\"/>}", S::Comment},
        {L::Xml, S::Comment, L"still --><Node/>", L"C{still -->}G{<Node/>}", S::Text},
        {L::Xml, S::Comment, L"<Node/>", L"C{<Node/>}", S::Comment},
        {L::Xml, S::Text, L"<Service uuid=\"x\"", L"G{<Service}T{ }N{uuid}T{=}A{\"x\"}", S::InTag},
        {L::Xml, S::InTag, L"\t sapcpg=\"1100\"/>", L"T{\t }N{sapcpg}T{=}A{\"1100\"}G{/>}", S::Text},
        {L::Xml, S::Text, L"<Memo a=\"line one", L"G{<Memo}T{ }N{a}T{=}A{\"line one}", S::ValueDouble},
        {L::Xml, S::ValueDouble, L"two\">x</Memo>", L"A{two\"}G{>}T{x}G{</Memo>}", S::Text},
        {L::Xml, S::ValueSingle, L"it\"s'>", L"A{it\"s'}G{>}", S::Text},
        {L::Xml, S::Text, L"<![CDATA[x<y]]>z", L"G{<![CDATA[}T{x<y}G{]]>}T{z}", S::Text},
        {L::Xml, S::Text, L"<![CDATA[x", L"G{<![CDATA[}T{x}", S::CData},
        {L::Xml, S::Text, L"<!DOCTYPE html>", L"G{<!DOCTYPE html>}", S::Text},
        {L::Xml, S::Text, L"<a <b>", L"G{<a}T{ }G{<b>}", S::Text},
        {L::Xml, S::Text, L"a &amp; b", L"T{a &amp; b}", S::Text},
        {L::Xml, S::Text, L"<", L"G{<}", S::InTag},
        {L::Xml, S::InTag, L"/ x>", L"T{/ }N{x}G{>}", S::Text},
    };
    std::vector<TColourSpan> spans;
    for (const LineCase& c : cases) {
        const TLineState end = ColourLine(c.line, c.language, c.start, spans);
        EXPECT_EQ(Render(c.line, spans), c.spans) << ToUtf8(c.line);
        EXPECT_EQ(end, c.end) << ToUtf8(c.line);
        EXPECT_EQ(NextLineState(c.line, c.language, c.start), c.end) << ToUtf8(c.line);
    }
}

// Every line of the real files: spans in order, contiguous, covering the line, and the state walk
// without spans agreeing with the one with spans.
TEST(ProbesColouring, RealFilesAreCoveredWholly) {
    const TWindows1252 ansi;
    const std::filesystem::path root = std::filesystem::path(ORVANE_FIXTURES) / "real";
    int filesSeen = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        const bool xml = ext == ".xml" || ext == ".XML";
        if (!xml && ext != ".ini") continue;
        ++filesSeen;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const std::wstring text = DecodeTextFile(bytes, ansi).text;
        const TSyntaxLanguage language = xml ? TSyntaxLanguage::Xml : TSyntaxLanguage::Ini;
        TLineState state = TLineState::Text;
        std::vector<TColourSpan> spans;
        for (const size_t start : LineStarts(text)) {
            const std::wstring_view line = LineAt(text, start);
            const TLineState quick = NextLineState(line, language, state);
            state = ColourLine(line, language, state, spans);
            ASSERT_EQ(quick, state) << entry.path();
            size_t at = 0;
            for (const TColourSpan& s : spans) {
                ASSERT_EQ(s.start, at) << entry.path() << " at " << start;
                ASSERT_GT(s.length, 0u);
                at += s.length;
            }
            ASSERT_EQ(at, line.size()) << entry.path() << " at " << start;
        }
        if (xml && entry.path().filename().string().find("not-wellformed") == std::string::npos) {
            EXPECT_EQ(state, TLineState::Text) << entry.path() << " should end outside markup";
        }
    }
    EXPECT_GT(filesSeen, 0);
}

}  // namespace
}  // namespace orvane
