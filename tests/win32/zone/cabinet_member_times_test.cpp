// Runs alone under TZ=Europe/Berlin (see CMakeLists.txt): Wine takes each process's zone from it.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "update/win32/Cabinet_win32.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

struct Dated {
    const char* name;
    int year, month, day, hour, minute;
    int utcHour;  // the same moment in UTC, in Berlin's offset of that date
};

// A stored cabinet: one folder, one data block holding "x" for every member.
std::string DatedCabinet(const std::vector<Dated>& members) {
    std::string header, folder, files, data;
    auto u16 = [](std::string& s, unsigned v) {
        s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8 & 0xFF);
    };
    auto u32 = [&](std::string& s, unsigned v) { u16(s, v & 0xFFFF), u16(s, v >> 16); };
    for (size_t i = 0; i < members.size(); ++i) {
        const Dated& m = members[i];
        u32(files, 1), u32(files, static_cast<unsigned>(i)), u16(files, 0);
        u16(files, (m.year - 1980) << 9 | m.month << 5 | m.day), u16(files, m.hour << 11 | m.minute << 5);
        u16(files, 0x20), files += m.name, files += '\0';
    }
    const unsigned filesAt = 36 + 8, dataAt = filesAt + static_cast<unsigned>(files.size());
    const unsigned count = static_cast<unsigned>(members.size());
    u32(folder, dataAt), u16(folder, 1), u16(folder, 0);
    u32(data, 0), u16(data, count), u16(data, count), data += std::string(count, 'x');
    header = "MSCF";
    u32(header, 0), u32(header, dataAt + static_cast<unsigned>(data.size())), u32(header, 0), u32(header, filesAt);
    u32(header, 0), header += '\3', header += '\1', u16(header, 1), u16(header, count), u16(header, 0), u16(header, 1);
    u16(header, 0);
    return header + folder + files + data;
}

// Stored times are local times of their own date: a summer date keeps summer's offset in winter and
// the other way round. Whatever today is, one of the two dates lies in the other season, where
// converting with today's offset is an hour wrong.
TEST(Win32CabinetZone, StoredTimesUseTheOffsetOfTheirDate) {
    TIME_ZONE_INFORMATION zone;
    ASSERT_NE(GetTimeZoneInformation(&zone), TIME_ZONE_ID_INVALID);
    ASSERT_EQ(zone.Bias, -60) << "run with TZ=Europe/Berlin";
    ASSERT_EQ(zone.DaylightBias, -60) << "run with TZ=Europe/Berlin";

    const std::vector<Dated> members = {
        {"winter.txt", 2024, 1, 15, 12, 30, 11},
        {"summer.txt", 2024, 7, 15, 12, 30, 10},
    };
    const fs::path root = fs::temp_directory_path() / (L"orvane-zone-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(root / L"out");
    std::ofstream(root / L"dated.cab", std::ios::binary) << DatedCabinet(members);
    ASSERT_EQ(ExtractCabinet((root / L"dated.cab").wstring(), (root / L"out").wstring() + L"\\"), 0);

    for (const Dated& m : members) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ASSERT_TRUE(GetFileAttributesExW((root / L"out" / m.name).c_str(), GetFileExInfoStandard, &data)) << m.name;
        SYSTEMTIME utc;
        FileTimeToSystemTime(&data.ftLastWriteTime, &utc);
        EXPECT_EQ(utc.wYear, m.year) << m.name;
        EXPECT_EQ(utc.wMonth, m.month) << m.name;
        EXPECT_EQ(utc.wDay, m.day) << m.name;
        EXPECT_EQ(utc.wHour, m.utcHour) << m.name;
        EXPECT_EQ(utc.wMinute, m.minute) << m.name;
    }
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

}  // namespace
}  // namespace orvane
