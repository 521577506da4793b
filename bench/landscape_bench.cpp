// Times the landscape reader on generated 1, 10 and 50 MB files against a plain linear pass over
// the same bytes (counting "<"). The reader has to stay within 10 times that pass at 50 MB.
//   count <        the pass over the bytes already in memory
//   read+count     reading the file and the same pass: what the reader is held to
//   reader         ReadLandscape on the file, into a fresh record
// Most of the reader's time is the first touch of the memory its records take (about 1.4 KB per
// service where wchar_t is 4 bytes), which no pass over the bytes pays.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <type_traits>

#include "landscape/LandscapeReader.h"
#include "landscape/StdTextFileReader.h"
#include "platform/CodePage.h"

namespace {

using Clock = std::chrono::steady_clock;

// A file shaped like the ones SAP Logon writes: workspaces with items, services (some with a
// memo), message servers and routers, CRLF line ends and tab indents.
std::string Generate(size_t target) {
    std::string items, services, line(1024, '\0');
    const auto add = [&line](std::string& to, int n) { to.append(line.data(), static_cast<size_t>(n)); };
    for (size_t i = 0; items.size() + services.size() + 16384 < target; ++i) {
        add(items, std::snprintf(line.data(), line.size(),
                                 "\t\t\t<Item uuid=\"a1b2c3d4-%04zx-4e5f-8a9b-%012zx\" "
                                 "serviceid=\"0f1e2d3c-%04zx-4b5a-9687-%012zx\"/>\r\n",
                                 i & 0xFFFF, i, i & 0xFFFF, i));
        if (i % 3 == 0) {
            add(services,
                std::snprintf(
                    line.data(), line.size(),
                    "\t\t<Service type=\"SAPGUI\" uuid=\"0f1e2d3c-%04zx-4b5a-9687-%012zx\" name=\"%03zu - Production "
                    "ECC &amp; HR\" systemid=\"P%02zu\" msid=\"9d0bacf1-94b8-48a6-9353-%012zx\" server=\"PUBLIC\" "
                    "sncname=\"p:CN=SAPServiceP01, OU=SAP Security, O=Corp, C=DE\" sncop=\"9\" dcpg=\"2\" "
                    "sapcpg=\"1100\"/>\r\n",
                    i & 0xFFFF, i, i % 1000, i % 100, i % 64));
        } else if (i % 3 == 1) {
            add(services,
                std::snprintf(
                    line.data(), line.size(),
                    "\t\t<Service type=\"SAPGUI\" uuid=\"0f1e2d3c-%04zx-4b5a-9687-%012zx\" name=\"%03zu - Quality "
                    "Assurance\" systemid=\"Q%02zu\" mode=\"1\" server=\"10.%zu.%zu.%zu:32%02zu\" "
                    "routerid=\"7c2e0a55-1111-4222-8333-%012zx\" dcpg=\"2\">\r\n"
                    "\t\t\t<Memo xml:space=\"preserve\">Use only for tests; ask the basis team first.</Memo>\r\n"
                    "\t\t</Service>\r\n",
                    i & 0xFFFF, i, i % 1000, i % 100, (i >> 16) & 255, (i >> 8) & 255, i & 255, i % 100, i % 8));
        } else {
            add(services,
                std::snprintf(
                    line.data(), line.size(),
                    "\t\t<Service type=\"NWBC\" uuid=\"0f1e2d3c-%04zx-4b5a-9687-%012zx\" name=\"%03zu - Business "
                    "Client\" url=\"https://fiori%zu.example.invalid:44300/sap/bc/ui2/flp?sap-client=100&amp;"
                    "sap-language=EN\" sapguiid=\"0f1e2d3c-%04zx-4b5a-9687-%012zx\" client=\"100\" "
                    "language=\"EN\"/>\r\n",
                    i & 0xFFFF, i, i % 1000, i % 50, (i - 1) & 0xFFFF, i - 1));
        }
    }
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<Landscape updated=\"2024-06-26T23:09:06Z\" version=\"1\" generator=\"SAP GUI for Windows v8000.1.5.155\">\r\n"
        "\t<Workspaces>\r\n\t\t<Workspace uuid=\"6c1a7a9e-0d4b-4c55-9b3e-2c0d9c0e5d11\" name=\"Local\">\r\n";
    xml += items;
    xml += "\t\t</Workspace>\r\n\t</Workspaces>\r\n\t<Services>\r\n";
    xml += services;
    xml += "\t</Services>\r\n\t<Messageservers>\r\n";
    for (size_t i = 0; i < 64; ++i)
        add(xml,
            std::snprintf(line.data(), line.size(),
                          "\t\t<Messageserver uuid=\"9d0bacf1-94b8-48a6-9353-%012zx\" name=\"P%02zu\" host=\"msg%02zu."
                          "example.invalid\" port=\"36%02zu\" description=\"Message server %zu\"/>\r\n",
                          i, i, i, i % 100, i));
    xml += "\t</Messageservers>\r\n\t<Routers>\r\n";
    for (size_t i = 0; i < 8; ++i)
        add(xml, std::snprintf(line.data(), line.size(),
                               "\t\t<Router uuid=\"7c2e0a55-1111-4222-8333-%012zx\" name=\"Router %zu\" "
                               "router=\"/H/saprouter%zu.example.invalid/S/3299/H/\"/>\r\n",
                               i, i, i));
    xml += "\t</Routers>\r\n</Landscape>\r\n";
    return xml;
}

// The best of ROUNDS runs; RUN may return its own time when only part of it counts.
template <class F>
double BestMs(F&& run, int rounds = 3) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = Clock::now();
        double ms;
        if constexpr (std::is_void_v<decltype(run())>) {
            run();
            ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        } else {
            ms = run();
        }
        best = std::min(best, ms);
    }
    return best;
}

} // namespace

int main() {
    const orvane::TWindows1252 ansi;
    const orvane::TStdTextFileReader files;
    const auto folder = std::filesystem::temp_directory_path();
    bool within = true;
    std::printf("%8s %9s %9s %11s %10s %13s %13s\n", "size MB", "services", "count <", "read+count", "reader",
                "reader/count", "reader/(r+c)");
    for (const size_t mb : {1, 10, 50}) {
        const std::string xml = Generate(mb << 20);
        const auto path = folder / ("orvane-landscape-bench-" + std::to_string(mb) + "mb.xml");
        std::ofstream(path, std::ios::binary).write(xml.data(), static_cast<std::streamsize>(xml.size()));

        volatile size_t sink = 0;
        const auto countOpen = [&sink](const std::string& bytes) {
            size_t n = 0;
            for (const char c : bytes) n += c == '<';
            sink = n;
        };
        const double count = BestMs([&] { countOpen(xml); });
        const double readCount = BestMs([&] { countOpen(files.ReadAll(path.wstring())); });

        // Each round reads into a fresh record, freed outside the timed part.
        size_t services = 0;
        const double reader = BestMs([&] {
            orvane::tyLandscape landscape;
            const auto t0 = Clock::now();
            orvane::ReadLandscape(path.wstring(), landscape, files, ansi);
            const auto t1 = Clock::now();
            services = landscape.Services.size();
            return std::chrono::duration<double, std::milli>(t1 - t0).count();
        });
        std::filesystem::remove(path);

        std::printf("%8.1f %9zu %7.1fms %9.1fms %8.1fms %12.1fx %12.1fx\n", xml.size() / 1048576.0, services, count,
                    readCount, reader, reader / count, reader / readCount);
        if (mb == 50 && reader / readCount > 10) within = false;
    }
    std::printf("reader within 10x of reading the file and counting \"<\" at 50 MB: %s\n", within ? "yes" : "NO");
    return within ? 0 : 1;
}
