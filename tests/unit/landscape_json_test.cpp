#include <gtest/gtest.h>

#include "landscape/LandscapeJson.h"
#include "landscape/LandscapeReader.h"

namespace orvane {
namespace {

TEST(LandscapeJson, StringEscaping) {
    const std::pair<std::wstring, std::string> cases[] = {
        {L"plain", "\"plain\""},
        {L"a\"b\\c", "\"a\\\"b\\\\c\""},
        {L"\r\n\t\b\f", "\"\\r\\n\\t\\b\\f\""},
        {std::wstring(L"\x01\x1f", 2) + L'\0', "\"\\u0001\\u001f\\u0000\""},
        {L"caf\u00E9 \u20AC </Memo>", "\"caf\xC3\xA9 \xE2\x82\xAC </Memo>\""},
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(JsonString(text), json);
}

TEST(LandscapeJson, FieldsFlagsAndEnumerationsByName) {
    tyLandscape l;
    ReadLandscapeBytes(
        "<Landscape version=\"1\"><Service type=\"SAPGUI\" mode=\"258\" sncop=\"-1\" name=\"a \\ &quot;b&quot;\" "
        "canvasapptype=\"BrowserURL\"><Memo>line</Memo></Service><Messageserver uuid=\"m\" port=\"3600\"/>",
        l, TWindows1252());
    const std::string json = LandscapeToJson(l);
    const char* expected[] = {
        "\"Services\": [\n    {\n      \"Memo\": \"line\",\n      \"_Memo\": true,\n      \"Auth\": \"\",\n"
        "      \"CanvasAppType\": \"catBrowserURL\",\n      \"_CanvasAppType\": true,",
        "\"Filterid\": \"\",\n      \"_FilterID\": false,",
        "\"Mode\": 2,\n      \"_Mode\": true,",
        "\"Name\": \"a \\\\ &quot;b&quot;\",\n      \"_Name\": true,",
        "\"SNCop\": -1,\n      \"_SNCop\": true,",
        "\"ServiceType\": \"stSAPGUI\",\n      \"_ServiceType\": true,",
        "\"Workspaces\": [],",
        "\"MessageServers\": [\n    {\n      \"Description\": \"\",",
        "\"Port\": 3600,\n      \"_Port\": true,",
        "\"LDAPS\": [],",
        "\"Version\": 1,\n  \"_Version\": true\n}\n",
    };
    for (const char* part : expected) EXPECT_NE(json.find(part), std::string::npos) << part << "\nin\n" << json;
    EXPECT_EQ(json.find("_Auth"), std::string::npos);
    EXPECT_EQ(json.rfind("{", 0), 0u);
}

TEST(LandscapeJson, EmptyRecord) {
    EXPECT_EQ(LandscapeToJson(tyLandscape{}),
              "{\n  \"Services\": [],\n  \"Workspaces\": [],\n  \"MessageServers\": [],\n  \"Routers\": [],\n"
              "  \"LDAPS\": [],\n  \"Includes\": [],\n  \"Configuration\": [],\n  \"Generator\": \"\",\n"
              "  \"_Generator\": false,\n  \"Localization\": \"\",\n  \"_Localization\": false,\n  \"Origin\": \"\",\n"
              "  \"_Origin\": false,\n  \"Updated\": \"\",\n  \"_Updated\": false,\n  \"Version\": 0,\n"
              "  \"_Version\": false\n}\n");
}

} // namespace
} // namespace orvane
