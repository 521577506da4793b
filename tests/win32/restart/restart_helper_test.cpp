// The restart helper as it ships: taken out of orvane.exe's "UPD" resource, expanded by the system's
// LZ32, and run as a real process against a stand-in application, real files and real locks.

#include <windows.h>

#include <lzexpand.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "RestartTestFiles.h"
#include "platform/win32/Handle.h"
#include "update/Szdd.h"

namespace orvane {
namespace {

using namespace restarttest;

namespace fs = std::filesystem;
using win32::unique_handle;
using win32::unique_hfile;
using win32::unique_hmodule;

std::string UpdResource() {
    const unique_hmodule module(LoadLibraryExW((BinFolder() / L"orvane.exe").c_str(), nullptr,
                                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) return {};
    const HRSRC found = FindResourceW(module.get(), L"UPD", MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {};
    const HGLOBAL loaded = LoadResource(module.get(), found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return std::string(static_cast<const char*>(bytes), SizeofResource(module.get(), found));
}

// The system's LZ32, by its full path.
struct TLz32 {
    unique_hmodule module;
    decltype(&LZOpenFileW) open = nullptr;
    decltype(&GetExpandedNameW) expandedName = nullptr;
    decltype(&LZCopy) copy = nullptr;
    decltype(&LZClose) close = nullptr;

    TLz32() {
        wchar_t system[MAX_PATH];
        const UINT n = GetSystemDirectoryW(system, MAX_PATH);
        module.reset(LoadLibraryW((std::wstring(system, n) + L"\\lz32.dll").c_str()));
        if (!module) return;
        open = reinterpret_cast<decltype(open)>(reinterpret_cast<void*>(GetProcAddress(module.get(), "LZOpenFileW")));
        expandedName = reinterpret_cast<decltype(expandedName)>(
            reinterpret_cast<void*>(GetProcAddress(module.get(), "GetExpandedNameW")));
        copy = reinterpret_cast<decltype(copy)>(reinterpret_cast<void*>(GetProcAddress(module.get(), "LZCopy")));
        close = reinterpret_cast<decltype(close)>(reinterpret_cast<void*>(GetProcAddress(module.get(), "LZClose")));
    }
};

// Expands PACKED the way the system does: the name it gives and the bytes it writes.
std::pair<fs::path, std::string> ExpandWithLz32(const fs::path& packed) {
    TLz32 lz;
    if (!lz.open) return {};
    std::wstring source = packed.wstring();
    wchar_t name[MAX_PATH * 2] = {};
    if (lz.expandedName(source.data(), name) != 1) return {};
    std::wstring target = name;
    OFSTRUCT ofIn = {}, ofOut = {};
    const INT in = lz.open(source.data(), &ofIn, OF_READ);
    const INT out = lz.open(target.data(), &ofOut, OF_CREATE | OF_WRITE);
    LONG copied = -1;
    if (in >= 0 && out >= 0) copied = lz.copy(in, out);
    if (in >= 0) lz.close(in);
    if (out >= 0) lz.close(out);
    if (copied < 0) return {};
    return {fs::path(target), ReadAll(target)};
}

WORD MachineOf(const std::string& image) {
    if (image.size() < 0x40) return 0;
    const auto pe = *reinterpret_cast<const std::uint32_t*>(image.data() + 0x3C);
    if (pe + 6 > image.size() || image.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
    return *reinterpret_cast<const WORD*>(image.data() + pe + 4);
}

#ifdef _WIN64
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_I386;
#endif

TEST(UpdResource, ExpandsWithTheSystemLz32AndThePortableReader) {
    const std::string packed = UpdResource();
    ASSERT_FALSE(packed.empty()) << "orvane.exe carries no UPD resource";
    const std::string helper = ReadAll(BinFolder() / L"wusetup.exe");
    ASSERT_FALSE(helper.empty());

    const TSzddResult portable = SzddDecompress(packed);
    EXPECT_TRUE(portable.ok());
    EXPECT_EQ(portable.header.missingChar, 'e');
    EXPECT_TRUE(portable.data == helper);

    const fs::path folder = fs::temp_directory_path() / L"orvane-upd-resource";
    fs::remove_all(folder);
    fs::create_directories(folder);
    WriteAll(folder / L"wusetup.ex_", packed);
    const auto [name, expanded] = ExpandWithLz32(folder / L"wusetup.ex_");
    EXPECT_EQ(name.filename(), L"wusetup.exe");
    EXPECT_TRUE(expanded == helper);
    EXPECT_EQ(MachineOf(expanded), kOwnMachine);
    fs::remove_all(folder);
}

// ---- The helper against a stand-in application ----

unique_handle Start(const fs::path& program, const std::wstring& arguments, const fs::path& folder) {
    std::wstring line = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info))
        return unique_handle();
    const unique_handle thread(info.hThread);
    return unique_handle(info.hProcess);
}

std::string Utf16File(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) bytes += char(c & 0xFF), bytes += char((c >> 8) & 0xFF);
    return bytes;
}

struct Case {
    const char* name;
    const wchar_t* folder;  // the sandbox's folder name: a user folder of any script
    const wchar_t* pid;     // nullptr: the application's real id
    bool autoRestart = true;
    unsigned appRunMs = 1500;  // how long the old application keeps running
    unsigned waitBoundMs = 0;  // 0: the helper's own bound
    bool lockLibrary = false;  // another process holds lib.dll without write sharing
    bool truncatedLz = false;  // extra.dl_ is cut short
    bool cabinet = false;      // pack.cab with members in sub-folders is delivered too
    // Expected
    bool installed = true;
    const char* restarted = "v2 started";  // nullptr: nothing started
    const char* logLine = "UPD has EXE restarted";
};

const Case kCases[] = {
    {"happy path", L"orvane-restart-happy", nullptr},
    {"non-ASCII user folder", L"orvane-restart-Zo\u00eb \u011e\u00fcl \u0416", nullptr},
    {"null restarts nothing", L"orvane-restart-null", nullptr, false, 1500, 0, false, false, false, true, nullptr,
     "Upd copying file : "},
    {"cabinet", L"orvane-restart-cabinet", nullptr, true, 1500, 0, false, false, true, true},
    {"target held open", L"orvane-restart-locked", nullptr, true, 1500, 0, true, false, true, false, "v1 started",
     "UPD install failed: nothing was changed, the installed files are kept"},
    {"truncated LZ data", L"orvane-restart-truncated", nullptr, true, 1500, 0, false, true, false, false, "v1 started",
     "Upd lzexpand damaged data in "},
    {"application never ends", L"orvane-restart-forever", nullptr, true, 60000, 1500, false, false, false, false,
     nullptr, "UPD application still running after 1 s: nothing installed, nothing restarted"},
    {"malformed process id", L"orvane-restart-badpid", L"12x4", true, 1500, 0, false, false, false, false, nullptr,
     nullptr},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class RestartHelper : public testing::TestWithParam<Case> {};

TEST_P(RestartHelper, RealProcesses) {
    const Case& c = GetParam();
    const fs::path bin = BinFolder();
    const fs::path root = fs::temp_directory_path() / c.folder;
    const fs::path app = root / L"App Folder", work = root / L"Temp", log = root / L"update.log";
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(app);
    fs::create_directories(work);

    const std::string v1 = ReadAll(bin / L"restart_sample_v1.exe"), v2 = ReadAll(bin / L"restart_sample_v2.exe");
    ASSERT_FALSE(v1.empty());
    WriteAll(app / L"App.exe", v1);
    WriteAll(app / L"lib.dll", "old library");
    WriteAll(work / L"App.exe_NEW", v2);
    WriteAll(work / L"lib.dll_NEW", "new library");
    std::wstring components = L"App.exe_NEW";
    const std::string extra = std::string(5000, 'x') + "extra";
    const std::string packedExtra = SzddCompress(extra, 'l');
    WriteAll(work / L"extra.dl_", c.truncatedLz ? packedExtra.substr(0, packedExtra.size() - 30) : packedExtra);
    components += L" extra.dl_";
    if (c.cabinet) {
        fs::copy_file(fs::path(ORVANE_GCAB_DIR) / "subfolders-store.cab", work / L"pack.cab");
        components += L" pack.cab";
    }
    // Last, so that a lock on it comes after files that were new and must go again.
    components += L" lib.dll_NEW";

    // The helper as the engine gets it: out of the resource, through LZ32 (by path, so in a folder of
    // the 8-bit code page).
    const fs::path extraction = fs::temp_directory_path() / L"orvane-restart-extraction";
    fs::create_directories(extraction);
    WriteAll(extraction / L"wusetup.ex_", UpdResource());
    const std::string helperBytes = ExpandWithLz32(extraction / L"wusetup.ex_").second;
    ASSERT_FALSE(helperBytes.empty());
    fs::remove_all(extraction);
    const fs::path helper = work / L"wusetup.exe";
    WriteAll(helper, helperBytes);
    if (c.waitBoundMs)
        WriteAll(work / L"wusetup.bounds.ini", "[BOUNDS]\r\nWAITMS=" + std::to_string(c.waitBoundMs) + "\r\n");

    const fs::path documents = DocumentsFolder();
    fs::create_directories(documents);
    const fs::path settings = documents / L"WUPDATE.INI";
    WriteAll(settings, Utf16File(L"[CONFIG]\r\nLOGFILENAME=" + log.wstring() + L"\r\n"));

    const unique_handle application = Start(app / L"App.exe", L"--run-ms " + std::to_wstring(c.appRunMs), app);
    ASSERT_TRUE(application);
    unique_hfile lock;
    if (c.lockLibrary) {
        lock.reset(
            CreateFileW((app / L"lib.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
    }

    // The parameter text as the engine writes it.
    const std::wstring pid = c.pid ? c.pid : std::to_wstring(GetProcessId(application.get()));
    std::wstring appPart = c.autoRestart ? L"\"" + (app / L"App.exe").wstring() + L"\"" : L"null";
    const std::wstring parameters = pid + L" L " + appPart + L" \" \" \"" + work.wstring() + L"\\\" " + components;

    const unique_handle run = Start(helper, parameters, app);
    ASSERT_TRUE(run);
    ASSERT_EQ(WaitForSingleObject(run.get(), 60000), WAIT_OBJECT_0);
    lock.reset();

    const std::string restartedLine = c.restarted ? std::string(c.restarted) + "\r\n" : "";
    const std::string expectedMarker = "v1 started --run-ms " + std::to_string(c.appRunMs) + "\r\n" + restartedLine;
    std::string marker;
    for (int i = 0; i < 100; ++i) {
        marker = ReadAll(app / L"marker.txt");
        if (marker.size() >= expectedMarker.size()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // anything started late would show now
    EXPECT_EQ(ReadAll(app / L"marker.txt"), expectedMarker);

    EXPECT_TRUE(ReadAll(app / L"App.exe") == (c.installed ? v2 : v1));
    EXPECT_EQ(ReadAll(app / L"lib.dll"), c.installed ? "new library" : "old library");
    EXPECT_EQ(ReadAll(app / L"extra.dll"), c.installed ? extra : "");
    if (c.cabinet) {
        EXPECT_EQ(ReadAll(app / L"top.txt"), c.installed ? "top level file\n" : "");
        EXPECT_EQ(ReadAll(app / L"sub" / L"dir" / L"nested.txt"), c.installed ? "nested file in sub/dir\n" : "");
        EXPECT_EQ(fs::exists(work / L"pack.cab"), !c.installed);  // consumed once installed
        EXPECT_FALSE(fs::exists(work / L"wusetup.staging"));
    }
    for (const auto& entry : fs::directory_iterator(app))
        EXPECT_EQ(entry.path().filename().wstring().find(L".wusetup-"), std::wstring::npos) << entry.path();

    const std::string logText = ReadAll(log);
    if (c.logLine) {
        EXPECT_NE(logText.find(" : [000] UPD v2.0.4.0 started\r\n"), std::string::npos) << logText;
        EXPECT_NE(logText.find(" : [000] " + std::string(c.logLine)), std::string::npos) << logText;
        EXPECT_FALSE(fs::exists(settings));
    } else {
        EXPECT_EQ(logText, "");
        EXPECT_TRUE(fs::exists(settings));  // the helper ended before reading anything
        fs::remove(settings);
    }

    TerminateProcess(application.get(), 0);
    WaitForSingleObject(application.get(), 10000);
    for (int i = 0; i < 50 && fs::exists(root); ++i) {
        fs::remove_all(root, ec);
        if (ec) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RestartHelper, testing::ValuesIn(kCases), [](const testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char ch : std::string(info.param.name))
        if (std::isalnum(static_cast<unsigned char>(ch))) name += ch;
    return name;
});

}  // namespace
}  // namespace orvane
