// A whole update on the real services against the loopback HTTP server: the control file and the
// files come over WinInet, land in a scratch application folder, and a failing entry leaves that
// folder as it was.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "LoopbackServers.h"
#include "TestSigning.h"
#include "core/Text.h"
#include "platform/win32/Crypto_win32.h"
#include "platform/win32/Handle.h"
#include "update/UpdateSignature.h"
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using testservers::LoopbackServers;

const LoopbackServers& Servers() {
    return LoopbackServers::Get();
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("<missing>");
}

std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

// The control file's text in the encodings a server may publish it in.
enum class Encoding { Ansi, Utf8Bom, Utf16 };
std::string Encode(const std::wstring& text, Encoding e) {
    switch (e) {
        case Encoding::Ansi:
            return std::string(text.begin(), text.end());
        case Encoding::Utf8Bom:
            return "\xEF\xBB\xBF" + ToUtf8(text);
        case Encoding::Utf16: {
            std::string out = "\xFF\xFE";
            for (wchar_t c : text) out += {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF)};
            return out;
        }
    }
    return {};
}

// The real launcher, remembering what it was asked to start and whether the shell started it.
class RecordingLauncher : public IProcessLauncher {
public:
    explicit RecordingLauncher(IProcessLauncher& real) : real_(real) {}
    std::vector<std::pair<std::wstring, bool>> opened;
    bool ShellOpen(const std::wstring& file, const std::wstring& parameters, bool normalShow) override {
        const bool started = real_.ShellOpen(file, parameters, normalShow);
        opened.emplace_back(file, started);
        return started;
    }
    bool Exec(const std::string& commandLine) override { return real_.Exec(commandLine); }
    TRun RunAndWait(const std::wstring& commandLine, bool showWindow) override {
        return real_.RunAndWait(commandLine, showWindow);
    }

private:
    IProcessLauncher& real_;
};

class UpdateRunE2E : public ::testing::Test {
protected:
    UpdateRunE2E() : token(LoopbackServers::UniqueToken()) {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        app = fs::path(temp) / (L"orvane-app-" + Wide(token));
        fs::create_directories(app);
        // The working folder is the system's temporary folder: one of its own, since other test
        // programs download files of the same names at the same time.
        work = fs::path(temp) / (L"orvane-work-" + Wide(token));
        fs::create_directories(work);
        SetEnvironmentVariableW(L"TMP", work.c_str());
        SetEnvironmentVariableW(L"TEMP", work.c_str());
        served = Servers().Root() / "scratch" / token;
        fs::create_directories(served);
        registryKey = L"Software\\OrvaneTests\\" + Wide(token);
    }
    ~UpdateRunE2E() override {
        std::error_code ec;
        fs::remove_all(app, ec);
        fs::remove_all(work, ec);
        fs::remove_all(served, ec);
        RegDeleteTreeW(HKEY_CURRENT_USER, registryKey.c_str());
    }

    std::wstring Route(const std::wstring& path) const { return Servers().Url("http", L"/t/" + Wide(token) + path); }
    std::wstring ControlUrl() const { return Route(L"/files/scratch/" + Wide(token) + L"/app.inf"); }

    // The program's own settings, without questions and without a restart.
    TWebUpdate& Engine() {
        services = win32.Services();
        launcher = std::make_unique<RecordingLauncher>(*services.processes);
        services.processes = launcher.get();
        engine = std::make_unique<TWebUpdate>(services);
        TWebUpdate& u = *engine;
        u.ExtractCAB = true;
        // The program forces its updates; the check runs here so that the date's recording is seen.
        u.ForceUpdate = false;
        u.Logging = true;
        u.UseCRC32 = true;
        u.ShowDownloadProgress = false;
        u.UpdateUpdate = TWebUpdateUpdate::wuuSilent;
        u.SetLogFileName((app / L"WUPDATE.LOG").wstring());
        u.URL = ControlUrl();
        u.LastURLEntry = {true, L"Software\\OrvaneTests", Wide(token), TLastURLReg::lurLOCALUSER};
        const std::wstring appFolder = app.wstring();
        u.OnConvertPrefix = [appFolder](TWebUpdate&, std::wstring& path) {
            const size_t at = path.find(L"{APP}");
            if (at != std::wstring::npos) path.replace(at, 5, appFolder);
        };
        u.OnSuccess = [this](TWebUpdate&) { ++successes; };
        return u;
    }
    void Publish(const std::wstring& files, Encoding e = Encoding::Ansi) {
        const std::wstring text =
            L"[update]\r\ndate=01/01/2030\r\n[action]\r\nrunafter=cmd.exe\r\nrunafterparam=/c echo ran> \"" +
            (app / L"ran.txt").wstring() + L"\"\r\n" + files;
        std::ofstream(served / "app.inf", std::ios::binary) << Encode(text, e);
    }
    bool DateRecorded() const {
        return services.store->ReadText(RegHive::CurrentUser, L"Software\\OrvaneTests", Wide(token), L"LastDate")
            .has_value();
    }
    // An empty application folder; the program started after the last run may still hold it.
    void ResetApp() {
        std::error_code ec;
        for (int i = 0; i < 100; ++i) {
            fs::remove_all(app, ec);
            if (!ec) break;
            Sleep(50);
        }
        fs::create_directories(app);
    }

    std::wstring Offered() const {
        return L"[files]\r\ncount=3\r\n"
               L"[file1]\r\nurl=" +
               Route(L"/files/data.bin") +
               L"\r\ntargetdir={APP}\r\n"
               L"[file2]\r\nurl=" +
               Route(L"/files/lz/big.dl_") +
               L"\r\ntargetdir={APP}\r\ncompressed=1\r\n"
               L"[file3]\r\nurl=" +
               Route(L"/files/cab/gcab-subdir-mszip.cab") + L"\r\ntargetdir={APP}\\cab\r\ncompressed=1\r\n";
    }

    std::string token;
    fs::path app, work, served;
    std::wstring registryKey;
    TWin32UpdateServices win32;
    TWebUpdateServices services;
    std::unique_ptr<RecordingLauncher> launcher;
    std::unique_ptr<TWebUpdate> engine;
    int successes = 0;
};

// A file's last write time, in 100 ns units since 1601 (UTC).
unsigned long long WriteTime(const fs::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

// The cabinet's members were stored at 2020-01-02 03:04:06, local time where they were made.
unsigned long long StoredCabinetTime() {
    SYSTEMTIME local{2020, 1, 0, 2, 3, 4, 6, 0}, universal{};
    FILETIME utc{};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal);
    SystemTimeToFileTime(&universal, &utc);
    return (static_cast<unsigned long long>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
}

TEST_F(UpdateRunE2E, InstallsEveryKindOfFileFromEachControlFileEncoding) {
    for (const Encoding e : {Encoding::Ansi, Encoding::Utf8Bom, Encoding::Utf16}) {
        ResetApp();
        FILETIME startTicks;
        GetSystemTimeAsFileTime(&startTicks);
        // File systems keep times to 2 s at worst: a file written by this run is no older than that.
        const unsigned long long started =
            ((static_cast<unsigned long long>(startTicks.dwHighDateTime) << 32) | startTicks.dwLowDateTime) -
            20'000'000ull;
        RegDeleteTreeW(HKEY_CURRENT_USER, registryKey.c_str());
        successes = 0;
        Publish(Offered(), e);
        Engine().DoUpdate(false);
        const std::string which = std::to_string(static_cast<int>(e)) + "\n" + ReadFile(app / "WUPDATE.LOG");
        EXPECT_EQ(ReadFile(app / "data.bin"), ReadFile(Servers().Root() / "data.bin")) << which;
        EXPECT_EQ(ReadFile(app / "big.dll"), ReadFile(Servers().LzFiles() / "expected" / "big.dll")) << which;
        EXPECT_FALSE(fs::exists(app / "big.dl_")) << which;
        EXPECT_TRUE(fs::exists(app / "cab" / "top.txt")) << which;
        EXPECT_TRUE(fs::exists(app / "cab" / "sub" / "dir" / "nested.txt")) << which;
        // Downloads are new files; cabinet members keep the time stored with them.
        EXPECT_GE(WriteTime(app / "data.bin"), started) << which;
        EXPECT_GE(WriteTime(app / "big.dll"), started) << which;
        EXPECT_EQ(WriteTime(app / "cab" / "top.txt"), StoredCabinetTime()) << which;
        EXPECT_EQ(WriteTime(app / "cab" / "sub" / "dir" / "nested.txt"), StoredCabinetTime()) << which;
        EXPECT_EQ(successes, 1) << which;
        EXPECT_TRUE(DateRecorded()) << which;
        // Started, not watched: the shell's answer is what the engine has of it.
        ASSERT_EQ(launcher->opened.size(), 1u) << which;
        EXPECT_EQ(launcher->opened[0], std::make_pair(std::wstring(L"cmd.exe"), true)) << which;
        EXPECT_NE(ReadFile(app / "WUPDATE.LOG").find("Finished processing update control file"), std::string::npos);
    }
}

struct FailureCase {
    const char* name;
    std::wstring route;
    const wchar_t* installed;  // the file the entry would replace
    std::string logged;
};

TEST_F(UpdateRunE2E, AFailingEntryLeavesTheInstalledFileAndRecordsNothing) {
    const FailureCase cases[] = {
        {"missing file", L"/files/none/gone.bin", L"gone.bin", "Cannot download update file"},
        {"short body", L"/short?size=5000&sent=1000", L"size=5000&sent=1000", "Cannot download update file"},
        {"corrupt cabinet", L"/files/cab/crafted-bad-checksum.cab", L"crafted-bad-checksum.cab",
         "Error decompressing CAB file"},
    };
    for (const FailureCase& c : cases) {
        ResetApp();
        std::ofstream(app / c.installed, std::ios::binary) << "installed";
        RegDeleteTreeW(HKEY_CURRENT_USER, registryKey.c_str());
        successes = 0;
        // The entry after the failing one is still installed; the run fails all the same.
        Publish(L"[files]\r\ncount=2\r\n[file1]\r\nurl=" + Route(c.route) +
                L"\r\ntargetdir={APP}\r\ncompressed=1\r\n[file2]\r\nurl=" + Route(L"/files/data.bin") +
                L"\r\ntargetdir={APP}\r\n");
        Engine().DoUpdate(false);
        EXPECT_EQ(ReadFile(app / c.installed), "installed") << c.name;
        EXPECT_EQ(ReadFile(app / "data.bin"), ReadFile(Servers().Root() / "data.bin")) << c.name;
        EXPECT_EQ(successes, 0) << c.name << "\n" << ReadFile(app / "WUPDATE.LOG");
        EXPECT_FALSE(DateRecorded()) << c.name;
        EXPECT_TRUE(launcher->opened.empty()) << c.name;
        EXPECT_NE(ReadFile(app / "WUPDATE.LOG").find(c.logged), std::string::npos) << c.name;
    }
}

TEST_F(UpdateRunE2E, ThreadedRunEndsOnTheMainThread) {
    Publish(Offered());
    TWebUpdate& u = Engine();
    bool done = false;
    u.OnThreadUpdateDone = [&](TWebUpdate&) { done = true; };
    u.DoThreadUpdate(false);
    for (int i = 0; i < 600 && !done; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(20);
    }
    ASSERT_TRUE(done);
    EXPECT_EQ(ReadFile(app / "big.dll"), ReadFile(Servers().LzFiles() / "expected" / "big.dll"));
    EXPECT_EQ(successes, 1);
    EXPECT_NE(ReadFile(app / "WUPDATE.LOG").find("Threaded update execution done"), std::string::npos);
}

TEST_F(UpdateRunE2E, NewVersionAvailableAgainstTheServer) {
    const fs::path local = app / "prog.dat";
    std::ofstream(local, std::ios::binary) << "abc";
    TWebUpdate& u = Engine();
    u.UseCRC32 = false;
    const std::wstring update = L"[update]\r\nlocalversion=" + local.wstring() + L"\r\nnewsize=";
    std::ofstream(served / "app.inf", std::ios::binary) << Encode(update + L"3\r\n", Encoding::Ansi);
    EXPECT_FALSE(u.NewVersionAvailable(false));
    std::ofstream(served / "app.inf", std::ios::binary) << Encode(update + L"4\r\n", Encoding::Ansi);
    EXPECT_TRUE(u.NewVersionAvailable(false));
}

std::string KeyFile(const char* name) {
    return ReadFile(fs::path(ORVANE_TEST_KEYS) / name);
}

using testsigning::Sign;

TEST_F(UpdateRunE2E, SignedReleasesUpdateAndEverythingElseIsRefusedBeforeItActs) {
    const win32::TWin32Crypto crypto;
    const std::string ourKey = KeyFile("test-private.der"), otherKey = KeyFile("other-private.der");
    const std::string servedHex = *Sha256FileHex(crypto, (Servers().Root() / "data.bin").wstring());
    const std::string otherHex = Sha256Hex(*crypto.Sha256("another file"));
    enum class Sig { Ours, Other, None, Truncated, ChangedAfter };
    struct Case {
        const char* name;
        const wchar_t* offered;  // newversion
        Sig signature;
        std::string sha256;
        bool updates;
        int programs;  // started: runbefore when the control file is taken, runafter when every file is
        std::string logged;
    } cases[] = {
        {"signed release", L"2.1.0.0", Sig::Ours, servedHex, true, 2, "signature verified"},
        {"upper-case digest", L"2.1.0.0", Sig::Ours, ToUtf8(UpperCaseAscii(FromUtf8(servedHex))), true, 2,
         "signature verified"},
        {"one byte changed", L"2.1.0.0", Sig::ChangedAfter, servedHex, false, 0, "signature does not match"},
        {"another key", L"2.1.0.0", Sig::Other, servedHex, false, 0, "signature does not match"},
        {"no signature", L"2.1.0.0", Sig::None, servedHex, false, 0, "signature not valid : no signature"},
        {"truncated signature", L"2.1.0.0", Sig::Truncated, servedHex, false, 0, "malformed signature"},
        {"older release", L"1.9.0.0", Sig::Ours, servedHex, false, 0, "older than the running version : 1.9.0.0"},
        {"file of another digest", L"2.1.0.0", Sig::Ours, otherHex, false, 1, "SHA-256 of update file does not match"},
        {"entry without digest", L"2.1.0.0", Sig::Ours, "", false, 1, "no SHA-256 given"},
        {"malformed digest", L"2.1.0.0", Sig::Ours, servedHex.substr(1), false, 1, "SHA-256 not valid"},
    };
    for (const Case& c : cases) {
        ResetApp();
        std::ofstream(app / "data.bin", std::ios::binary) << "installed";
        RegDeleteTreeW(HKEY_CURRENT_USER, registryKey.c_str());
        successes = 0;
        const std::wstring marker = (app / L"before.txt").wstring();
        std::wstring text =
            L"[update]\r\nnewversion=" + std::wstring(c.offered) +
            L"\r\ndate=01/01/2030\r\n[action]\r\nrunbefore=cmd.exe\r\nrunbeforeparam=/c echo before> \"" + marker +
            L"\"\r\nrunafter=cmd.exe\r\nrunafterparam=/c echo ran> \"" + (app / L"ran.txt").wstring() +
            L"\"\r\n[files]\r\ncount=1\r\n[file1]\r\nurl=" + Route(L"/files/data.bin") + L"\r\ntargetdir={APP}\r\n";
        if (!c.sha256.empty()) text += L"sha256=" + FromUtf8(c.sha256) + L"\r\n";
        std::string control = Encode(text, Encoding::Ansi);
        std::string signature = Sign(control, c.signature == Sig::Other ? otherKey : ourKey);
        ASSERT_FALSE(signature.empty()) << c.name;
        if (c.signature == Sig::Truncated) signature.resize(signature.size() - 5);
        if (c.signature == Sig::ChangedAfter) control[control.find("2030")] = '3';
        fs::remove(served / "app.inf.sig");
        std::ofstream(served / "app.inf", std::ios::binary) << control;
        if (c.signature != Sig::None) std::ofstream(served / "app.inf.sig", std::ios::binary) << signature;

        TWebUpdate& u = Engine();
        u.TrustedKeys = {KeyFile("other-public.pem").substr(0, 40), KeyFile("test-public.pem")};
        u.OwnVersion = L"2.0.0.0";
        u.DoUpdate(false);
        const std::string log = ReadFile(app / "WUPDATE.LOG");
        const std::string which = std::string(c.name) + "\n" + log;
        // Compared as a flag: the served file is binary and long.
        const bool expected = ReadFile(app / "data.bin") ==
                              (c.updates ? ReadFile(Servers().Root() / "data.bin") : std::string("installed"));
        EXPECT_TRUE(expected) << which;
        EXPECT_EQ(successes, c.updates ? 1 : 0) << which;
        EXPECT_EQ(DateRecorded(), c.updates) << which;
        EXPECT_EQ(static_cast<int>(launcher->opened.size()), c.programs) << which;
        EXPECT_NE(log.find(c.logged), std::string::npos) << which;
        if (c.programs > 0) {
            // Started through the shell, not waited for.
            for (int i = 0; i < 100 && !fs::exists(marker); ++i) Sleep(50);
            EXPECT_TRUE(fs::exists(marker)) << which;
        } else {
            EXPECT_FALSE(fs::exists(marker)) << which;
        }
        if (c.programs == 0) {
            // The step itself: the failure the wizard shows, and no control file left to read.
            TWebUpdate& again = Engine();
            again.TrustedKeys = {KeyFile("test-public.pem")};
            again.OwnVersion = L"2.0.0.0";
            ASSERT_EQ(again.StartConnection(), 0);
            EXPECT_EQ(again.GetControlFile(), 4) << c.name;
            EXPECT_FALSE(fs::exists(work / "app.inf")) << c.name;
            EXPECT_FALSE(fs::exists(work / "app.inf.sig")) << c.name;
            EXPECT_EQ(again.DoVersionCheck(), 7) << c.name;
            EXPECT_EQ(again.GetFileDetails(), 0) << c.name;
            again.StopConnection();
        }
    }
}

// A build without a key takes the very same control files as it always did, signed or not.
TEST_F(UpdateRunE2E, WithoutKeysControlFilesNeedNoSignature) {
    Publish(L"[files]\r\ncount=1\r\n[file1]\r\nurl=" + Route(L"/files/data.bin") + L"\r\ntargetdir={APP}\r\n");
    Engine().DoUpdate(false);
    EXPECT_EQ(ReadFile(app / "data.bin"), ReadFile(Servers().Root() / "data.bin"));
    EXPECT_EQ(successes, 1);
    EXPECT_EQ(ReadFile(app / "WUPDATE.LOG").find("signature"), std::string::npos);
}

// orvane-inspect as a script runs it: its exit code and what it printed.
struct ToolRun {
    DWORD code = 99;
    std::string out;
};
ToolRun Inspect(const std::wstring& arguments, const fs::path& output) {
    std::wstring tool = FromUtf8(ORVANE_INSPECT);
    if (!tool.empty() && tool[0] == L'/') {  // a host path, seen by Wine through Z:
        for (wchar_t& c : tool)
            if (c == L'/') c = L'\\';
        tool = L"Z:" + tool;
    }
    std::wstring line = L"cmd.exe /c \"\"" + tool + L"\" " + arguments + L" > \"" + output.wstring() + L"\"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ToolRun run;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return run;
    const win32::unique_handle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    GetExitCodeProcess(process.get(), &run.code);
    run.out = ReadFile(output);
    return run;
}

TEST_F(UpdateRunE2E, InspectChecksAndUpdatesFromAScript) {
    Publish(Offered());
    const std::wstring args = ControlUrl() + L" --app-folder \"" + app.wstring() + L"\"";
    const ToolRun check = Inspect(L"check " + args, served / "check.json");
    EXPECT_EQ(check.code, 0u) << check.out;
    EXPECT_NE(check.out.find("\"controlFile\": 0"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("big.dl_"), std::string::npos) << check.out;
    EXPECT_FALSE(fs::exists(app / "big.dll"));

    const ToolRun update = Inspect(L"update " + args, served / "update.log");
    EXPECT_EQ(update.code, 0u) << update.out;
    EXPECT_NE(update.out.find("[948] Finished processing update control file"), std::string::npos) << update.out;
    EXPECT_EQ(ReadFile(app / "big.dll"), ReadFile(Servers().LzFiles() / "expected" / "big.dll"));
    EXPECT_TRUE(fs::exists(app / "cab" / "sub" / "dir" / "nested.txt"));

    Publish(L"[files]\r\ncount=1\r\n[file1]\r\nurl=" + Route(L"/files/none/gone.bin") + L"\r\n");
    const ToolRun failed = Inspect(L"update " + args, served / "failed.log");
    EXPECT_EQ(failed.code, 1u) << failed.out;
    EXPECT_NE(failed.out.find("Cannot download update file"), std::string::npos) << failed.out;
}

}  // namespace
}  // namespace orvane
