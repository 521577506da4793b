#include <gtest/gtest.h>

#include "core/Text.h"

namespace orvane {
namespace {

TEST(Text, Utf8RoundTripAndInvalidBytes) {
    const std::wstring text = L"Répertoires && Outils \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(L"é"), "\xC3\xA9");
    EXPECT_EQ(FromUtf8("a\xFF" "b"), L"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xC3"), L"\uFFFD");        // cut sequence
    EXPECT_EQ(FromUtf8("\xC0\xAF"), L"\uFFFD\uFFFD"); // overlong
}

TEST(Text, FormatTextFillsPlaceholdersInOrder) {
    EXPECT_EQ(FormatText(L"Type de données incorrect pour '%s'", {L"Path"}), L"Type de données incorrect pour 'Path'");
    EXPECT_EQ(FormatText(L"%s=%s %d %s", {L"a", L"b"}), L"a=b %d %s");
}

TEST(Text, WithBackslash) {
    EXPECT_EQ(WithBackslash(L""), L"");
    EXPECT_EQ(WithBackslash(L"C:"), L"C:\\");
    EXPECT_EQ(WithBackslash(L"C:\\"), L"C:\\");
}

} // namespace
} // namespace orvane
