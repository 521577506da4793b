// The helper's Windows half against the real thing: processes, LZ32, files.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "RestartTestFiles.h"
#include "platform/win32/Handle.h"
#include "restarter/win32/HelperSystem_win32.h"
#include "update/Szdd.h"

namespace orvane {
namespace {

using namespace restarttest;

namespace fs = std::filesystem;
using win32::unique_handle;

unique_handle StartSample(unsigned runMs) {
    const fs::path program = BinFolder() / L"restart_sample_v1.exe";
    const fs::path folder = fs::temp_directory_path() / L"orvane-helper-system";
    fs::create_directories(folder);
    std::wstring line = L"\"" + program.wstring() + L"\" --run-ms " + std::to_wstring(runMs);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info))
        return unique_handle();
    const unique_handle thread(info.hThread);
    return unique_handle(info.hProcess);
}

TEST(HelperSystem, WaitsOnlyForAnOlderProcess) {
    using W = IHelperSystem::TWait;
    const unique_handle older = StartSample(20000);
    ASSERT_TRUE(older);
    Sleep(50);  // creation times must differ
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    TWin32HelperSystem system((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    EXPECT_EQ(system.WaitForProcess(GetProcessId(older.get()), 300), W::wTimedOut);

    // An id that now belongs to a process started after the helper: the application is gone.
    Sleep(50);
    const unique_handle newer = StartSample(20000);
    ASSERT_TRUE(newer);
    const DWORD start = GetTickCount();
    EXPECT_EQ(system.WaitForProcess(GetProcessId(newer.get()), 5000), W::wEnded);
    EXPECT_LT(GetTickCount() - start, 2000u);

    TerminateProcess(older.get(), 0);
    WaitForSingleObject(older.get(), 5000);
    EXPECT_EQ(system.WaitForProcess(GetProcessId(older.get()), 5000), W::wEnded);
    EXPECT_EQ(system.WaitForProcess(0xFFFFFFF0u, 5000), W::wEnded);
    TerminateProcess(newer.get(), 0);
    WaitForSingleObject(newer.get(), 5000);
}

TEST(HelperSystem, RunAndWaitIsBounded) {
    TWin32HelperSystem system;
    const fs::path program = BinFolder() / L"restart_sample_v1.exe";
    EXPECT_EQ(system.RunAndWait(program.wstring(), L"--run-ms 10", 10000), std::optional<std::uint32_t>(0));
    const DWORD start = GetTickCount();
    EXPECT_EQ(system.RunAndWait(program.wstring(), L"--run-ms 5000", 300), std::nullopt);
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(system.RunAndWait(L"C:\\no\\such\\program.exe", L"", 1000), std::nullopt);
}

// The system's LZ32 through handles gives what the portable reader gives, and the name it records.
TEST(HelperSystem, LzExpandAgreesWithThePortableReader) {
    const fs::path corpus = fs::path(ORVANE_FIXTURES) / "szdd";
    const fs::path out = fs::temp_directory_path() / L"orvane-helper-lz \u00e9\u011e";
    fs::remove_all(out);
    fs::create_directories(out);
    TWin32HelperSystem system;
    const struct {
        const char* file;
        const wchar_t* name;  // nullptr: refused
    } cases[] = {
        {"random100k.bin_", L"random100k.bin"},
        {"zeros64k.bin_", L"zeros64k.bin"},
        {"crafted-window-wrap.tx_", L"crafted-window-wrap.txt"},
        {"crafted-overlap-rle.tx_", L"crafted-overlap-rle.txt"},
        {"wine-lz32-test-compress-exe.tx_", L"wine-lz32-test-compress-exe.txt"},
        {"crafted-missing-char-backslash.tx_", nullptr},
        {"crafted-missing-char-colon.tx_", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto expanded = system.LzExpand((corpus / c.file).wstring(), out.wstring());
        if (!c.name) {
            EXPECT_FALSE(expanded);
            continue;
        }
        ASSERT_TRUE(expanded);
        EXPECT_EQ(expanded->name, c.name);
        const std::string portable = SzddDecompress(ReadAll(corpus / c.file)).data;
        EXPECT_EQ(expanded->size, portable.size());
        EXPECT_TRUE(ReadAll(out / c.name) == portable);
    }
    fs::remove_all(out);
}

// What the install relies on: a running program can be renamed aside but not replaced in place.
TEST(HelperSystem, RunningProgramIsRenamedNotReplaced) {
    const fs::path folder = fs::temp_directory_path() / L"orvane-helper-running";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path program = folder / L"App.exe";
    fs::copy_file(BinFolder() / L"restart_sample_v1.exe", program);
    std::ofstream(folder / L"new.exe") << "new";
    std::wstring line = L"\"" + program.wstring() + L"\" --run-ms 20000";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                               &startup, &info));
    const unique_handle process(info.hProcess), thread(info.hThread);
    Sleep(300);

    TWin32HelperSystem system;
    EXPECT_FALSE(system.Delete(program.wstring()));
    EXPECT_TRUE(system.Rename(program.wstring(), program.wstring() + L".wusetup-old"));
    EXPECT_TRUE(system.MoveReplace((folder / L"new.exe").wstring(), program.wstring()));
    EXPECT_EQ(ReadAll(program), "new");
    EXPECT_EQ(WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));  // still running

    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace orvane
