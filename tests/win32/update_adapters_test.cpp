// The update engine's platform services against the real registry, file system, locale and
// Internet library, and the engine's log and stores wired to them.

#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <filesystem>
#include <fstream>

#include "RegistrySandbox.h"
#include "core/Error.h"
#include "core/Text.h"
#include "platform/win32/FileWriter_win32.h"
#include "platform/win32/Handle.h"
#include "update/Checksum.h"
#include "update/DateTime.h"
#include "update/HostProbes.h"
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct TempFolder {
    fs::path path = fs::temp_directory_path() / (L"orvane-update-" + std::to_wstring(GetCurrentProcessId()));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

// A key of its own under HKEY_CURRENT_USER, deleted with everything below it afterwards.
struct TestKey {
    std::wstring path = L"Software\\OrvaneTests\\Update" + std::to_wstring(GetCurrentProcessId());
    ~TestKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrvaneTests");  // only when no other run left keys there
    }
    bool Exists(const std::wstring& sub = L"") const {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, (sub.empty() ? path : path + L"\\" + sub).c_str(), 0, KEY_READ, &key))
            return false;
        RegCloseKey(key);
        return true;
    }
};

TEST(Win32RegistryStore, RoundTripsTextUnderCurrentUser) {
    TestKey key;
    win32::TWin32RegistryStore store;
    EXPECT_EQ(store.ReadText(RegHive::CurrentUser, key.path, L"Update", L"LastURL"), std::nullopt);
    EXPECT_FALSE(key.Exists()) << "reading creates nothing";

    const std::wstring url = L"http://127.0.0.1/files/orvane.inf?é=" + std::wstring(600, L'x');
    ASSERT_TRUE(store.WriteText(RegHive::CurrentUser, key.path, L"Update", L"LastURL", url));
    EXPECT_TRUE(key.Exists(L"Update")) << "the key and section are created";
    EXPECT_EQ(store.ReadText(RegHive::CurrentUser, key.path, L"Update", L"LastURL"), url);
    EXPECT_EQ(store.ReadText(RegHive::CurrentUser, key.path + L"\\", L"Update", L"LastURL"), url);
    EXPECT_EQ(store.ReadText(RegHive::CurrentUser, key.path, L"Update", L"Missing"), std::nullopt);
    ASSERT_TRUE(store.WriteText(RegHive::CurrentUser, key.path, L"Update", L"LastURL", L""));
    EXPECT_EQ(store.ReadText(RegHive::CurrentUser, key.path, L"Update", L"LastURL"), L"");

    const DWORD number = 7;
    HKEY section;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (key.path + L"\\Update").c_str(), 0, KEY_SET_VALUE, &section), 0);
    RegSetValueExW(section, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(section);
    EXPECT_EQ(store.ReadText(RegHive::CurrentUser, key.path, L"Update", L"Number"), std::nullopt) << "not text";
}

TEST(Win32RegistryStore, EngineKeepsUrlAndDate) {
    TestKey key;
    TWin32UpdateServices services;
    TWebUpdate engine(services.Services());
    engine.LastURLEntry = {true, key.path, L"Orvane", TLastURLReg::lurLOCALUSER};
    engine.URLPut(L"http://127.0.0.1/files/next.inf");
    EXPECT_EQ(engine.URLGet(), L"http://127.0.0.1/files/next.inf");

    const TDateTime installed = *EncodeDate(2024, 3, 14) + *EncodeTime(9, 5, 7);
    engine.UpdateDatePut(installed);
    const win32::TWin32LocaleFormat locale;
    const auto stored = win32::TWin32RegistryStore().ReadText(RegHive::CurrentUser, key.path, L"Orvane", L"LastDate");
    EXPECT_EQ(stored, std::wstring(L"14") + locale.DateSeparator() + L"03" + locale.DateSeparator() + L"2024");
    EXPECT_NEAR(engine.UpdateDateGet(), installed, 1.0 / 86400 / 2);
}

// The browser probe reads the machine hive for reading only: a standard user gets the same answer.
TEST(Win32HostProbes, BrowserVersionAndKeysFromTheMachineHive) {
    const std::wstring vector = L"Software\\Microsoft\\Internet Explorer\\Version Vector";
    TWin32UpdateServices services;
    TWebUpdate engine(services.Services());
    {
        testing::RegistrySandbox hklm;
        EXPECT_EQ(engine.GetIEVersion(), L"(not found)");
        EXPECT_FALSE(RegistryKeyExists(*services.Services().registry, L"\\" + vector));
        hklm.CreateKey(vector);
        hklm.MakeReadOnly(vector);
        EXPECT_EQ(engine.GetIEVersion(), L"");
        EXPECT_TRUE(RegistryKeyExists(*services.Services().registry, L"\\" + vector));
    }
    {
        testing::RegistrySandbox hklm;
        hklm.SetString(vector, L"IE", L"11.0000");
        EXPECT_EQ(engine.GetIEVersion(), L"11.0000");
    }
    {
        testing::RegistrySandbox hklm;
        hklm.SetDword(vector, L"IE", 11);
        EXPECT_THROW(engine.GetIEVersion(), AppError);
    }
    const auto programFiles = services.Services().environment->Get(L"ProgramFiles");
    SetEnvironmentVariableW(L"ProgramFiles", L"C:\\Program Files (test)");
    EXPECT_EQ(ProgramFilesFolder(*services.Services().environment), L"C:\\Program Files (test)");
    EXPECT_EQ(engine.ExpandPrefixes(L"{PF}\\Orvane"), L"C:\\Program Files (test)\\Orvane");
    SetEnvironmentVariableW(L"ProgramFiles", programFiles ? programFiles->c_str() : nullptr);
}

TEST(Win32SystemFacts, VersionFoldersAndLocale) {
    const win32::TWin32SystemVersion system;
    const auto reported = system.Reported();
    ASSERT_TRUE(reported);
    EXPECT_EQ(reported->platform, OSVersionRecord::Platform::WindowsNT);
    EXPECT_TRUE(system.Refined());
    EXPECT_TRUE(system.HasLocaleInfoEx());
    EXPECT_NE(OSName(system), L"Unknown") << reported->major << "." << reported->minor;

    const win32::TWin32KnownFolders folders(UpdateKnownFolderRoute(system));
    for (KnownFolder k : {KnownFolder::Documents, KnownFolder::LocalAppData, KnownFolder::CommonAppData,
                          KnownFolder::Windows, KnownFolder::System, KnownFolder::Application, KnownFolder::Temp}) {
        const std::wstring path = folders.Path(k);
        EXPECT_FALSE(path.empty()) << static_cast<int>(k);
        EXPECT_TRUE(fs::is_directory(path)) << ToUtf8(path);
    }
    EXPECT_EQ(folders.Path(KnownFolder::Temp).back(), L'\\');
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    TWin32UpdateServices services;
    TWebUpdate engine(services.Services());
    EXPECT_EQ(engine.WinTempDir(), temp) << "the working folder";
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(fs::path(folders.Path(KnownFolder::Application)), fs::path(exe).parent_path());

    // Each way of asking gives the same documents folder; no way gives nothing.
    using Kind = win32::KnownFolderRequest::Kind;
    const auto ids = IdsOfKnownFolder(KnownFolder::Documents);
    const std::wstring documents = folders.Path(KnownFolder::Documents);
    for (Kind kind : {Kind::Csidl, Kind::FolderId}) {
        const win32::TWin32KnownFolders forced([&](KnownFolder) {
            return win32::KnownFolderRequest{kind, ids->csidl, ids->folderId};
        });
        // Wine gives the CSIDL path with a final backslash; the interface allows either.
        EXPECT_EQ(WithBackslash(forced.Path(KnownFolder::Documents)), WithBackslash(documents))
            << static_cast<int>(kind);
    }
    const win32::TWin32KnownFolders none([](KnownFolder) { return win32::KnownFolderRequest{}; });
    EXPECT_EQ(none.Path(KnownFolder::Documents), L"");

    const win32::TWin32LocaleFormat locale;
    EXPECT_NE(locale.DateSeparator(), L'\0');
    EXPECT_NE(locale.TimeSeparator(), L'\0');
    EXPECT_NE(locale.LongTimeFormat().find_first_of(L"hH"), std::wstring::npos) << ToUtf8(locale.LongTimeFormat());

    const win32::TWin32Clock clock;
    SYSTEMTIME before;
    GetLocalTime(&before);
    const LocalTime now = clock.Now();
    EXPECT_EQ(now.year, before.wYear);
    EXPECT_GE(now.year, 2020);
}

TEST(Win32InternetErrors, MessageTableAndResponse) {
    const win32::TWin32InternetErrors errors;
    const std::wstring text = errors.Message(ERROR_INTERNET_NAME_NOT_RESOLVED);  // 12007
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos) << "one line for the log";
    EXPECT_EQ(errors.Message(0x2FFFFFFF), L"");
    SetLastError(12029);
    EXPECT_EQ(errors.LastError(), 12029u);
    EXPECT_EQ(errors.LastResponse(), L"") << "no server has answered";

    // The engine's error report: a status line with the table's text and the code.
    TWin32UpdateServices services;
    TWebUpdate engine(services.Services());
    std::wstring status;
    int code = 0;
    engine.OnStatus = [&](TWebUpdate&, const std::wstring& s, int, int e) { status = s, code = e; };
    SetLastError(ERROR_INTERNET_NAME_NOT_RESOLVED);
    engine.Error();
    EXPECT_EQ(status, L"System error : " + text);
    EXPECT_EQ(code, 12007);
}

TEST(Win32FileTimes, LastWriteInLocalTime) {
    TempFolder temp;
    const fs::path file = temp.path / L"dated.txt";
    std::ofstream(file) << "x";
    SYSTEMTIME local = {2019, 7, 0, 15, 14, 30, 10, 0}, utc;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    FILETIME stamp;
    SystemTimeToFileTime(&utc, &stamp);
    {
        HANDLE h = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        SetFileTime(h, nullptr, nullptr, &stamp);
        CloseHandle(h);
    }
    const win32::TWin32FileTimes times;
    const auto got = times.LastWriteLocal(file.wstring());
    ASSERT_TRUE(got);
    EXPECT_NEAR(*got, *EncodeDate(2019, 7, 15) + *EncodeTime(14, 30, 10), 1.0 / 86400 / 10);
    EXPECT_EQ(times.LastWriteLocal(temp.path.wstring()), std::nullopt) << "a folder";
    EXPECT_EQ(times.LastWriteLocal((temp.path / L"missing").wstring()), std::nullopt);
}

// The engine's log written through the real file system.
class Win32UpdateLog : public ::testing::Test {
protected:
    void TearDown() override { SetProcessLogFileName(L"WUPDATE.LOG"); }
    TempFolder temp;
    TWin32UpdateServices services;
};

TEST_F(Win32UpdateLog, CreatesFoldersAppendsLinesInTheAnsiCodePage) {
    TWebUpdate engine(services.Services());
    const fs::path log = temp.path / L"new" / L"deeper" / L"update.log";
    engine.SetLogFileName(log.wstring());
    engine.AddToLog(L"première ligne");
    engine.AddToLog(L"second");
    const std::string expected = win32::TWin32AnsiCodePage().Encode(L"première ligne") + "\r\nsecond\r\n";
    EXPECT_EQ(ReadBytes(log), expected);
    EXPECT_EQ(ReadBytes(log).substr(0, 8), "premi\xE8re") << "Western code page under Wine's default locale";

    engine.Logging = true;
    engine.DoStatus(926, L"", 3, 0);
    const std::string text = ReadBytes(log);
    const std::string last = text.substr(expected.size());
    EXPECT_NE(last.find(" : [926] Update control file found (Status:3) (Error:0)\r\n"), std::string::npos) << last;
    EXPECT_EQ(last.size(),
              std::string("dd/mm/yyyy hh:nn:ss : [926] Update control file found (Status:3) (Error:0)\r\n").size());

    // A log in a folder that cannot be made loses its lines quietly.
    std::ofstream(temp.path / L"blocker") << "a file where a folder should be";
    engine.SetLogFileName((temp.path / L"blocker" / L"x.log").wstring());
    engine.AddToLog(L"lost");
    EXPECT_FALSE(fs::exists(temp.path / L"blocker" / L"x.log"));
}

TEST_F(Win32UpdateLog, PlainNameGoesToDocumentsAndAppToTheProgramFolder) {
    TWebUpdate engine(services.Services());
    const std::wstring name = L"orvane-test-" + std::to_wstring(GetCurrentProcessId()) + L".log";
    const TWebUpdateServices s = services.Services();

    engine.SetLogFileName(name);
    engine.AddToLog(L"in documents");
    const fs::path documents = fs::path(s.folders->Path(KnownFolder::Documents)) / name;
    EXPECT_EQ(ReadBytes(documents), "in documents\r\n");
    fs::remove(documents);

    engine.SetLogFileName(L"{app}\\" + name);
    engine.AddToLog(L"beside the program");
    const fs::path beside = fs::path(s.folders->Path(KnownFolder::Application)) / name;
    EXPECT_EQ(ReadBytes(beside), "beside the program\r\n");
    fs::remove(beside);
}

// A file that opens but refuses the write is told apart from one that cannot be opened: only the
// second may be created afresh. Wine shows the host's devices on Z:, and the full device opens as
// any file does but refuses every write for want of space.
TEST_F(Win32UpdateLog, AWriteThatFailsIsNotAFileThatCannotBeOpened) {
    win32::TWin32FileWriter writer;
    EXPECT_EQ(writer.AppendToExisting((temp.path / L"missing.log").wstring(), "x"), AppendResult::NotOpened);
    EXPECT_FALSE(fs::exists(temp.path / L"missing.log"));
    const fs::path log = temp.path / L"kept.log";
    std::ofstream(log, std::ios::binary) << "earlier line\r\n";
    EXPECT_EQ(writer.AppendToExisting(log.wstring(), "next\r\n"), AppendResult::Appended);
    EXPECT_EQ(ReadBytes(log), "earlier line\r\nnext\r\n");

    const AppendResult full = writer.AppendToExisting(L"Z:\\dev\\full", "x\r\n");
    if (full == AppendResult::NotOpened) GTEST_SKIP() << "no full device here";
    EXPECT_EQ(full, AppendResult::WriteFailed);
}

// The three measures open a file the same way: one that another program holds without sharing
// reads as unopened, whatever its size.
TEST(Win32FileMeasures, AFileThatCannotBeOpenedMeasuresAsMissing) {
    TempFolder temp;
    const fs::path file = temp.path / L"held.bin";
    std::ofstream(file, std::ios::binary) << "abc";
    EXPECT_EQ(FileSizeOf(file.wstring()), 3);
    const win32::unique_hfile holder(
        CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(FileSizeOf(file.wstring()), 0);
    EXPECT_EQ(FileCRC32(file.wstring()), 0);
    EXPECT_EQ(FileByteSum(file.wstring()), -1);
}

}  // namespace
}  // namespace orvane
