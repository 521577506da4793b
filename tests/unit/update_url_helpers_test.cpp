#include <gtest/gtest.h>

#include "update/LzFile.h"
#include "update/UrlHelpers.h"

namespace orvane {
namespace {

struct UrlCase {
    const wchar_t* url;
    const wchar_t* fileName;
    const wchar_t* domain;
};

TEST(UpdateUrlHelpers, FileNameAndDomain) {
    const UrlCase cases[] = {
        {L"http://host/dir/setup.exe", L"setup.exe", L"host"},
        {L"http://host:8080/get.php?file.zip", L"file.zip", L"host:8080"},
        {L"https://host/a/b/", L"", L"host"},
        {L"C:\\updates\\files\\app.cab", L"app.cab", L"C:"},
        {L"ftp://u:p@host/x?y/z.txt", L"z.txt", L"u:p@host"},
        {L"plain.inf", L"plain.inf", L"plain.inf"},
        {L"http://host\\dir\\file.txt", L"file.txt", L"host"},
    };
    for (const UrlCase& c : cases) {
        EXPECT_EQ(FileNameOfUrl(c.url), c.fileName) << c.url;
        EXPECT_EQ(DomainOfUrl(c.url), c.domain) << c.url;
    }
}

TEST(UpdateUrlHelpers, ProxyUrlOnlyForPlainHttpWithAUser) {
    EXPECT_EQ(ProxyUrl(L"http://host/f.inf", L"pu", L"pp"), L"http://pu:pp@host/f.inf");
    EXPECT_EQ(ProxyUrl(L"HTTP://host/f.inf", L"pu", L""), L"http://pu:@host/f.inf");
    EXPECT_EQ(ProxyUrl(L"https://host/f.inf", L"pu", L"pp"), L"https://host/f.inf");
    EXPECT_EQ(ProxyUrl(L"ftp://host/f.inf", L"pu", L"pp"), L"ftp://host/f.inf");
    EXPECT_EQ(ProxyUrl(L"http://host/f.inf", L"", L"pp"), L"http://host/f.inf");
}

TEST(UpdateUrlHelpers, Base64OfTheLowByteOfEachCharacter) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"", L""},
        {L"f", L"Zg=="},
        {L"fo", L"Zm8="},
        {L"foo", L"Zm9v"},
        {L"tester:Pa55-word", L"dGVzdGVyOlBhNTUtd29yZA=="},
        {L"\u00e9\u00ff", L"6f8="},
        {L"\u0141", L"QQ=="},  // U+0141 keeps its low byte 0x41
    };
    for (const auto& [text, encoded] : cases) EXPECT_EQ(Base64Encode(text), encoded) << encoded;
}

TEST(UpdateUrlHelpers, CredentialsNeverShown) {
    EXPECT_EQ(WithoutCredentials(L"http://pu:pp@host:81/a@b.txt"), L"http://host:81/a@b.txt");
    EXPECT_EQ(WithoutCredentials(L"http://host/a@b.txt"), L"http://host/a@b.txt");
    EXPECT_EQ(WithoutCredentials(L"ftp://user@host/x"), L"ftp://host/x");
    EXPECT_EQ(WithoutCredentials(L"C:\\dir\\file"), L"C:\\dir\\file");
}

TEST(UpdateUrlHelpers, OriginsCompareSchemeHostAndPort) {
    const auto a = OriginOfUrl(L"HTTP://Host/files/x.inf");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->scheme, L"http");
    EXPECT_EQ(a->host, L"host");
    EXPECT_EQ(a->port, 80);
    EXPECT_EQ(*a, *OriginOfUrl(L"http://u:p@host:80/other"));
    EXPECT_NE(*a, *OriginOfUrl(L"https://host/files/x.inf"));
    EXPECT_NE(*a, *OriginOfUrl(L"http://host:8080/files/x.inf"));
    EXPECT_NE(*a, *OriginOfUrl(L"http://other/files/x.inf"));
    EXPECT_FALSE(OriginOfUrl(L"C:\\updates\\x.inf"));
    EXPECT_FALSE(OriginOfUrl(L"http://host:99999/x"));
}

TEST(UpdateUrlHelpers, HttpTargetSplitsHostPortAndObject) {
    const auto t = HttpTargetOfUrl(L"https://127.0.0.1:4443/files/a.txt?x=1#frag");
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->secure);
    EXPECT_EQ(t->host, L"127.0.0.1");  // never "host:port" as a name
    EXPECT_EQ(t->port, 4443);
    EXPECT_EQ(t->object, L"/files/a.txt?x=1");
    EXPECT_EQ(HttpTargetOfUrl(L"https://host")->object, L"/");
    EXPECT_EQ(HttpTargetOfUrl(L"https://host")->port, 443);
}

TEST(UpdateUrlHelpers, UnsafeFileNames) {
    const wchar_t* unsafe[] = {L"",    L".",    L"..",        L"a:b",  L"c:",        L"CON",      L"con.txt",
                               L"NUL", L"Com1", L"LPT9.log",  L"aux ", L"name.",     L"name ",    L"a\\b",
                               L"a/b", L"x\ty", L"what?.txt", L"a*b",  L"prn.inf.x", L"COM\u00b9"};
    for (const wchar_t* name : unsafe) EXPECT_FALSE(IsSafeFileName(name)) << name;
    const wchar_t* safe[] = {L"setup.exe", L"CONFIG.SYS", L"com10.txt", L"nul1", L".profile", L"a b.txt", L"file.zip"};
    for (const wchar_t* name : safe) EXPECT_TRUE(IsSafeFileName(name)) << name;
}

TEST(UpdateUrlHelpers, SzddHeader) {
    const std::string good(
        "SZDD\x88\xF0\x27\x33"
        "Ax\x10\x27\x00\x00",
        14);
    const auto h = ReadSzddHeader(good);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->missingCharacter, 'x');
    EXPECT_EQ(h->expandedSize, 10000u);
    EXPECT_FALSE(ReadSzddHeader(good.substr(0, 13)));
    EXPECT_FALSE(ReadSzddHeader("MZ" + good.substr(2)));
    for (unsigned char c : {'\\', ':', '/', '\x01', '\x1f'}) EXPECT_TRUE(IsUnsafeMissingCharacter(c)) << int(c);
    for (unsigned char c : {'\0', 'e', 'L', '_', '1'}) EXPECT_FALSE(IsUnsafeMissingCharacter(c)) << int(c);
}

}  // namespace
}  // namespace orvane
