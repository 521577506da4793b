#include <gtest/gtest.h>

#include "core/Text.h"
#include "update/ControlFile.h"
#include "update/ControlFileJson.h"

namespace orvane {
namespace {

TControlFile Parse(const std::string& bytes) {
    return TControlFile::FromBytes(bytes, TWindows1252());
}

TEST(UpdateControlFile, LineSyntax) {
    const TControlFile f = Parse(
        "stray=before any section\r\n"
        "  [ UPDATE ]  \r\n"
        "; date=01/01/2000\r\n"
        "   Date   =   25/12/2024   \r\n"
        "date=26/12/2024\r\n"
        "no equals sign here\r\n"
        "descr=a=b\r\n"
        "empty=\r\n"
        "\r\n"
        "[update]\r\n"
        "signature=second section ignored\r\n"
        "[application]\n"
        "appparam=\"-x\"\n"
        "\tappname\t=\tapp.exe\t\n");
    EXPECT_EQ(f.Find(L"update", L"date"), L"25/12/2024");
    EXPECT_EQ(f.Find(L"Update", L"DATE"), L"25/12/2024");
    EXPECT_EQ(f.Find(L"update", L"descr"), L"a=b");
    EXPECT_EQ(f.Find(L"update", L"empty"), L"");
    EXPECT_EQ(f.Find(L"update", L"signature"), std::nullopt);
    EXPECT_EQ(f.Find(L"update", L"no equals sign here"), std::nullopt);
    EXPECT_EQ(f.Find(L"update", L"stray"), std::nullopt);
    EXPECT_EQ(f.Find(L"update", L"; date"), std::nullopt);
    EXPECT_EQ(f.Find(L"application", L"appparam"), L"\"-x\"");
    EXPECT_EQ(f.Find(L"application", L"appname"), L"app.exe");
    EXPECT_EQ(f.ReadString(L"update", L"empty", L"fallback"), L"");
    EXPECT_EQ(f.ReadString(L"update", L"absent", L"fallback"), L"fallback");
    ASSERT_EQ(f.Sections().size(), 2u);
    EXPECT_EQ(f.Sections()[0].name, L"UPDATE");
}

TEST(UpdateControlFile, ByteOrderMarksAndCodePage) {
    const std::string utf8 = "\xEF\xBB\xBF[update]\ndescr=Mise \xC3\xA0 jour\n";
    const std::string ansi = "[update]\ndescr=Mise \xE0 jour\n";
    std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
    const std::u16string text16 = u"[update]\r\ndescr=Mise \u00E0 jour \U0001F600\r\n";
    for (char16_t c : text16) {
        utf16le += static_cast<char>(c & 0xFF);
        utf16le += static_cast<char>(c >> 8);
        utf16be += static_cast<char>(c >> 8);
        utf16be += static_cast<char>(c & 0xFF);
    }
    EXPECT_EQ(Parse(utf8).Find(L"update", L"descr"), L"Mise \u00E0 jour");
    EXPECT_EQ(Parse(ansi).Find(L"update", L"descr"), L"Mise \u00E0 jour");
    EXPECT_EQ(Parse(utf16le).Find(L"update", L"descr"), L"Mise \u00E0 jour \U0001F600");
    EXPECT_EQ(Parse(utf16be).Find(L"update", L"descr"), L"Mise \u00E0 jour \U0001F600");
}

TEST(UpdateControlFile, Integers) {
    const std::pair<std::wstring, std::optional<std::int32_t>> cases[] = {
        {L"31", 31},
        {L"-1", -1},
        {L"+7", 7},
        {L"0x1F", 31},
        {L"0X1f", 31},
        {L"$1F", 31},
        {L"$ff", 255},
        {L"$FFFFFFFF", -1},
        {L"0x80000000", INT32_MIN},
        {L"0x100000000", std::nullopt},
        {L"2147483647", INT32_MAX},
        {L"-2147483648", INT32_MIN},
        {L"2147483648", std::nullopt},
        {L"abc", std::nullopt},
        {L"", std::nullopt},
        {L"0x", std::nullopt},
        {L"$", std::nullopt},
        {L"$F", std::nullopt},  // hex needs more than two characters
        {L"0xG1", std::nullopt},
        {L"12 3", std::nullopt},
        {L"-", std::nullopt},
        {L"1.5", std::nullopt},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseControlInteger(text), value) << ToUtf8(text);

    const TControlFile f = Parse("[update]\nnewchecksum=abc\nnewsize=\n[file1]\nnewchecksum=$1F\n");
    EXPECT_EQ(f.ReadInteger(L"update", L"newchecksum", -1), -1);
    EXPECT_EQ(f.ReadInteger(L"update", L"newsize", 0), 0);
    EXPECT_EQ(f.ReadInteger(L"file1", L"newchecksum", -1), 31);
}

TEST(UpdateControlFile, FlagsAreExactlyOne) {
    const TControlFile f = Parse(
        "[application]\nappupdate=2\nsilentrestart=1\n"
        "[file1]\npreselect=0\nmandatory=0x1\nhidden=yes\n"
        "[file2]\npreselect=abc\n");
    EXPECT_FALSE(f.ReadFlag(L"application", L"appupdate", false));
    EXPECT_TRUE(f.ReadFlag(L"application", L"silentrestart", false));
    EXPECT_FALSE(f.ReadFlag(L"file1", L"preselect", true));
    EXPECT_TRUE(f.ReadFlag(L"file1", L"mandatory", false));
    EXPECT_FALSE(f.ReadFlag(L"file1", L"hidden", false));
    EXPECT_TRUE(f.ReadFlag(L"file2", L"preselect", true));  // not an integer: the default
}

TEST(UpdateControlFile, EffectiveValuesAndDefaults) {
    const TControlFile f = Parse(
        "[UPDATE]\nDate=25/12/2024\nnewchecksum=0x1F\n"
        "[application]\nappupdate=2\nappparam=\"-x\"\n"
        "[whatsnew]\nfile=plain.txt\ncaption=News\n"
        "[whatsnewFR]\nfile=nouveau.txt\nokbtn=ignored\n"
        "[eula]\nokbtn=\n"
        "[files]\ncount=3\n"
        "[file1]\nurl={APP}\\a.exe\ntargetdir={APP}\\data\n"
        "[file3]\npreselect=0\ncompressed=1\n");
    const TControlFileValues plain = ReadControlFileValues(f, L"");
    EXPECT_EQ(plain.update.date, L"25/12/2024");
    EXPECT_EQ(plain.update.newchecksum, 31);
    EXPECT_EQ(plain.update.newsize, 0);
    EXPECT_FALSE(plain.application.appupdate);
    EXPECT_EQ(plain.application.appparam, L"\"-x\"");
    EXPECT_EQ(plain.whatsnew.file, L"plain.txt");
    EXPECT_EQ(plain.whatsnew.okbtn, L"Ok");
    EXPECT_EQ(plain.whatsnew.cancelbtn, L"Cancel");
    EXPECT_EQ(plain.eula.okbtn, L"");  // present and empty is not absent
    EXPECT_EQ(plain.eula.accept, L"I accept");
    EXPECT_EQ(plain.eula.notaccept, L"I do not accept");
    ASSERT_EQ(plain.files.size(), 3u);
    EXPECT_EQ(plain.files[0].url, L"{APP}\\a.exe");
    EXPECT_EQ(plain.files[1].url, L"");
    EXPECT_EQ(plain.files[1].newchecksum, -1);
    EXPECT_TRUE(plain.files[1].preselect);
    EXPECT_FALSE(plain.files[2].preselect);
    EXPECT_TRUE(plain.files[2].compressed);

    const TControlFileValues french = ReadControlFileValues(f, L"FR");
    EXPECT_EQ(french.whatsnew.file, L"nouveau.txt");
    EXPECT_EQ(french.whatsnew.caption, L"News");
    EXPECT_EQ(french.whatsnew.okbtn, L"Ok");
    EXPECT_EQ(french.eula.file, L"");
}

TEST(UpdateControlFile, FileSectionCounts) {
    EXPECT_TRUE(ReadControlFileValues(Parse("[update]\n"), L"").files.empty());
    EXPECT_TRUE(ReadControlFileValues(Parse("[files]\ncount=-2\n[file1]\nurl=x\n"), L"").files.empty());
    // A hostile count must not exhaust memory.
    const TControlFileValues huge = ReadControlFileValues(Parse("[files]\ncount=2147483647\n"), L"");
    EXPECT_EQ(huge.count, INT32_MAX);
    EXPECT_EQ(huge.files.size(), static_cast<size_t>(kMaxControlFileEntries));
}

TEST(UpdateControlFile, JsonShowsSectionsAndEntries) {
    const TControlFileValues v = ReadControlFileValues(
        Parse("[update]\ndescr=line\\none \"q\"\n[files]\ncount=2\n[file1]\nurl=http://h/a.cab\ntargetdir={APP}\\data\n"
              "descr=\xE9t\xE9\nsha256=AB12\n"),
        L"");
    const std::string json = ControlFileJson(v, FileEntriesAsWritten(v));
    for (const char* part :
         {"\"descr\": \"line\\\\none \\\"q\\\"\"", "\"count\": 2", "\"file2\": {",
          "\"TargetDir\": \"{APP}\\\\data\\\\\"", "\"Description\": \"\xC3\xA9t\xC3\xA9\"", "\"okbtn\": \"Ok\"",
          "\"Preselect\": true", "\"newchecksum\": -1", "\"sha256\": \"AB12\"", "\"Sha256\": \"AB12\""})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
}

}  // namespace
}  // namespace orvane
