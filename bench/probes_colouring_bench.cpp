// Decoding, line indexing and colouring of big configuration files, as the file viewers do them:
// the whole file is decoded and indexed once, then only the visible lines are coloured. Prints the
// time of each step for 1, 5 and 20 MB landscape and saplogon.ini files.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "probes/SyntaxColouring.h"
#include "probes/TextDecoding.h"

using namespace orvane;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Repeats SAMPLE (without its first line, which would repeat a mark or declaration) up to SIZE bytes.
std::string Grow(const std::string& sample, size_t size) {
    std::string out = sample;
    const std::string body = sample.substr(sample.find('\n') + 1);
    while (out.size() < size) out += body;
    out.resize(size);
    return out;
}

void Run(const char* label, const std::string& bytes, TSyntaxLanguage language) {
    constexpr size_t kVisibleLines = 60;
    const TWindows1252 ansi;
    double best[5] = {1e30, 1e30, 1e30, 1e30, 1e30};
    size_t lines = 0;
    for (int round = 0; round < 3; ++round) {
        auto t = Clock::now();
        const TDecodedText decoded = DecodeTextFile(bytes, ansi);
        const double decode = Ms(t);

        t = Clock::now();
        const std::vector<size_t> starts = LineStarts(decoded.text);
        const double index = Ms(t);
        lines = starts.size();

        // First paint: the top screen, from the start state.
        t = Clock::now();
        std::vector<TColourSpan> spans;
        TLineState state = TLineState::Text;
        size_t spanCount = 0;
        for (size_t i = 0; i < std::min(kVisibleLines, starts.size()); ++i) {
            state = ColourLine(LineAt(decoded.text, starts[i]), language, state, spans);
            spanCount += spans.size();
        }
        const double firstPaint = Ms(t);

        // Jump to the end: walk the states of every line above, then colour the last screen.
        t = Clock::now();
        state = TLineState::Text;
        const size_t firstVisible = starts.size() > kVisibleLines ? starts.size() - kVisibleLines : 0;
        for (size_t i = 0; i < firstVisible; ++i)
            state = NextLineState(LineAt(decoded.text, starts[i]), language, state);
        for (size_t i = firstVisible; i < starts.size(); ++i) {
            state = ColourLine(LineAt(decoded.text, starts[i]), language, state, spans);
            spanCount += spans.size();
        }
        const double lastPaint = Ms(t);
        const double total = decode + index + firstPaint;
        const double now[5] = {decode, index, firstPaint, lastPaint, total};
        for (int k = 0; k < 5; ++k) best[k] = std::min(best[k], now[k]);
        if (spanCount == 0) std::printf("(no spans)\n");
    }
    std::printf(
        "%-26s %7zu lines  decode %7.1f ms  index %6.1f ms  first screen %6.3f ms  "
        "last screen %6.1f ms  load+first paint %7.1f ms\n",
        label, lines, best[0], best[1], best[2], best[3], best[4]);
}

// Samples shaped like what SAP writes: UTF-8 landscape services with a comment block now and then,
// and ANSI saplogon.ini sections of "ItemN=" lines.
std::string LandscapeSample() {
    std::string out =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Landscape updated=\"2024-01-01T00:00:00Z\">\r\n";
    out += "  <Services>\r\n";
    for (int i = 0; i < 200; ++i) {
        const std::string n = std::to_string(i);
        if (i % 25 == 0) out += "    <!--\r\n    <Service type=\"SAPGUI\" name=\"old " + n + "\"/>\r\n    -->\r\n";
        out += "    <Service type=\"SAPGUI\" uuid=\"0c9a7d1e-55f3-4b8e-9e0b-" + n +
               "\" name=\"P11 Energ\xC3\xAD"
               "a " +
               n +
               "\" systemid=\"P11\" msid=\"4c1e\" server=\"PUBLIC\" "
               "sncname=\"p:CN=P11, OU=SAP Security\" sncop=\"9\" dcpg=\"2\"/>\r\n";
    }
    return out + "  </Services>\r\n</Landscape>\r\n";
}

std::string IniSample() {
    std::string out;
    for (const char* section : {"[Configuration]", "[Description]", "[Server]", "[Router]", "[Database]"}) {
        out += std::string(section) + "\r\n";
        for (int i = 1; i <= 100; ++i)
            out += "Item" + std::to_string(i) +
                   "=T\xE9l\xE9"
                   "com P" +
                   std::to_string(i) + " /H/host/S/3299/H/\r\n";
        out += "; end\r\n";
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    // An optional real file replaces the landscape sample: probes_colouring_bench FILE.xml
    const std::string landscape = argc > 1 ? ReadFile(argv[1]) : LandscapeSample();
    if (landscape.empty()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string ini = IniSample();
    std::printf("best of 3 rounds; a screen is 60 lines\n");
    for (const size_t mb : {1, 5, 20}) {
        const size_t size = mb * 1024 * 1024;
        const std::string xmlLabel = "landscape XML " + std::to_string(mb) + " MB";
        const std::string iniLabel = "saplogon.ini " + std::to_string(mb) + " MB";
        Run(xmlLabel.c_str(), Grow(landscape, size), TSyntaxLanguage::Xml);
        Run(iniLabel.c_str(), Grow(ini, size), TSyntaxLanguage::Ini);
    }
    // Server-generated landscapes can come without a single line break: the first screen is then
    // the whole file's one line.
    std::string oneLine = Grow(landscape, 20 * 1024 * 1024);
    std::erase_if(oneLine, [](char c) { return c == '\r' || c == '\n'; });
    Run("landscape XML 20 MB, 1 line", oneLine, TSyntaxLanguage::Xml);
    return 0;
}
