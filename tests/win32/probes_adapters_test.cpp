// The probes' platform services against real files, resources and the process environment.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Error.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Platform.h"
#include "probes/ConfigurationFiles.h"
#include "probes/VersionInfo.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

// A fresh temporary folder for one test, removed afterwards.
struct TempFolder {
    fs::path path = fs::temp_directory_path() / (L"orvane-probes-" + std::to_wstring(GetCurrentProcessId()));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path Write(const wchar_t* name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary) << bytes;
        return path / name;
    }
};

// Stand-ins built with windres for the sample workstation carry the versions given to them.
TEST(Win32VersionResource, ReadsVersionsBuiltIntoRealFiles) {
    const fs::path samples = ProgramFolder().parent_path() / L"sample" / L"bin";
    const win32::TWin32FileSystem files;
    const win32::TWin32VersionResource versions;
    struct Case {
        const wchar_t* file;
        const wchar_t* text;
    };
    for (const Case& c : {Case{L"saplogon.exe", L"7400.3.10.1127"}, Case{L"NWBC.exe", L"60000.1604.14078.18017"},
                          Case{L"WebViewer2D.dll", L"8.2.0.14321"},
                          Case{L"NwCheckWorkstation.exe", L"0.0.0.0"}})  // built without a version resource
        EXPECT_EQ(GetFileVersionText(files, versions, (samples / c.file).wstring()), c.text) << c.file;

    const auto block = versions.Read((samples / L"saplogon.exe").wstring());
    ASSERT_TRUE(block && block->fixedInfo);
    EXPECT_EQ(block->fixedInfo->dwSignature, 0xFEEF04BDu);
    ASSERT_EQ(block->translations.size(), 1u);
    EXPECT_EQ(block->translations[0].language, 0x409);
    EXPECT_EQ(block->translations[0].codePage, 1200);

    TempFolder temp;
    EXPECT_FALSE(versions.Read(temp.Write(L"plain.txt", "text").wstring()));
    EXPECT_EQ(GetFileVersionText(files, versions, temp.path.wstring()), L"Fichier non trouvé.") << "a folder";
    EXPECT_EQ(fs::path(versions.OwnExecutablePath()).filename(), L"win32_tests.exe");
}

TEST(Win32Environment, TellsSetEmptyAndUnsetApart) {
    const win32::TWin32Environment env;
    SetEnvironmentVariableW(L"ORVANE_TEST_VALUE", std::wstring(700, L'é').c_str());
    SetEnvironmentVariableW(L"ORVANE_TEST_EMPTY", L"");
    SetEnvironmentVariableW(L"ORVANE_TEST_UNSET", nullptr);
    EXPECT_EQ(env.Get(L"orvane_test_value"), std::wstring(700, L'é')) << "names ignore case; long values grow the buffer";
    EXPECT_EQ(env.Get(L"ORVANE_TEST_EMPTY"), std::wstring());
    EXPECT_EQ(env.Get(L"ORVANE_TEST_UNSET"), std::nullopt);
}

// TEXT with its byte-order mark, in either byte order.
std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const wchar_t c : text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// Configuration files as the viewers receive them: every byte-order mark, none, every line end.
TEST(Win32TextFileReader, DecodesRealFilesWithAndWithoutByteOrderMarks) {
    TempFolder temp;
    const win32::TWin32TextFileReader reader;
    const win32::TWin32AnsiCodePage ansi;
    const std::wstring expected = L"[Server]\r\nItem1=Qualité\r\nItem2=b\r\n";
    struct Case {
        const wchar_t* name;
        std::string bytes;
    };
    const Case cases[] = {
        {L"utf8bom.ini", "\xEF\xBB\xBF[Server]\r\nItem1=Qualit\xC3\xA9\nItem2=b\r"},
        {L"utf16le.ini", Utf16(L"[Server]\r\nItem1=Qualité\nItem2=b\n", false)},
        {L"utf16be.ini", Utf16(L"[Server]\r\nItem1=Qualité\rItem2=b\r\n", true)},
        {L"ansi.ini", "[Server]\nItem1=Qualit\xE9\r\nItem2=b\n"},
    };
    const win32::TWin32Registry registry;
    const win32::TWin32Environment env;
    const win32::TWin32FileSystem files;
    const TConfigFileSources sources{env, registry, files, reader, ansi};
    for (const Case& c : cases) {
        const fs::path path = temp.Write(c.name, c.bytes);
        const TConfigFileView view = LoadConfigFile(sources, TConfigFileTab::SapLogonIni, path.wstring());
        EXPECT_TRUE(view.found) << path;
        EXPECT_EQ(view.pathBox, path.wstring());
        EXPECT_EQ(view.text, expected) << path;
    }
}

TEST(Win32TextFileReader, AFileLockedForWritingRaisesTheSystemsText) {
    TempFolder temp;
    const fs::path path = temp.Write(L"locked.ini", "[Server]\r\n");
    const win32::TWin32TextFileReader reader;
    EXPECT_EQ(reader.ReadAll(path.wstring()), "[Server]\r\n");
    {
        win32::unique_hfile writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        try {
            reader.ReadAll(path.wstring());
            FAIL() << "a file open for writing elsewhere must not be read";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Message(), win32::SystemMessage(ERROR_SHARING_VIOLATION));
        }
    }
    EXPECT_THROW(reader.ReadAll((temp.path / L"absent.ini").wstring()), AppError);
}

} // namespace
} // namespace orvane
