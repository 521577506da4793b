// The cabinet check on about 1 MiB of folder tables: 65535 folders claiming the same 65535 blocks
// (refused), and 65535 folders with a block each (accepted). Prints the reads of the check and the
// time from the file to the answer of the extraction an update runs.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/Text.h"
#include "platform/win32/Win32Platform.h"
#include "update/CabinetCheck.h"
#include "update/win32/Cabinet_win32.h"

namespace {

// Stored folders of BLOCKS empty data blocks each, all starting at the first block when SHARED,
// else each at its own; one empty member.
std::string Cabinet(bool shared) {
    std::string out;
    auto u16 = [&](unsigned v) { out += static_cast<char>(v & 0xFF), out += static_cast<char>(v >> 8 & 0xFF); };
    auto u32 = [&](unsigned v) { u16(v & 0xFFFF), u16(v >> 16); };
    const unsigned folders = 65535, blocks = shared ? 65535 : 1, files = 36 + 8 * folders, data = files + 18;
    out = "MSCF";
    u32(0), u32(data + 8 * 65535), u32(0), u32(files), u32(0);
    out += '\3', out += '\1';
    u16(folders), u16(1), u16(0), u16(1), u16(0);
    for (unsigned i = 0; i < folders; ++i) u32(data + (shared ? 0 : 8 * i)), u16(blocks), u16(0);
    u32(0), u32(0), u16(0), u16(0x5021), u16(0x6000), u16(0x20), out += "a", out += '\0';
    out.append(8 * 65535, '\0');
    return out;
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / (L"orvane-cab-bench-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder / L"out");
    const orvane::win32::TWin32AnsiCodePage ansi;
    for (const bool shared : {true, false}) {
        const std::string bytes = Cabinet(shared);
        size_t reads = 0;
        const orvane::CabinetReader read = [&](std::uint64_t offset, void* out, size_t n) {
            ++reads;
            if (offset > bytes.size() || n > bytes.size() - offset) return false;
            std::memcpy(out, bytes.data() + offset, n);
            return true;
        };
        const auto checkStart = std::chrono::steady_clock::now();
        const orvane::TCabinetCheck check = orvane::CheckCabinet(read, bytes.size());
        const double checkMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - checkStart).count();

        const fs::path file = folder / (shared ? L"shared.cab" : L"own.cab");
        std::ofstream(file, std::ios::binary) << bytes;
        const auto start = std::chrono::steady_clock::now();
        const orvane::TCabinetExtraction report =
            orvane::ExtractCabinetReport(file.wstring(), (folder / L"out").wstring(), ansi);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf(
            "%-28s %8zu bytes  check: %s, %zu reads, %.1f ms in memory  extraction from the file: %s, %.1f ms\n",
            shared ? "65535 folders, same blocks" : "65535 folders, own blocks", bytes.size(),
            check.ok ? "accepted" : "refused", reads, checkMs,
            report.result == 0 ? "done" : orvane::ToUtf8(report.reason).c_str(), ms);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
