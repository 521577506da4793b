#include <gtest/gtest.h>

#include "core/Text.h"
#include "shell/ReportText.h"
#include "shell/WorkstationReport.h"

namespace orvane {
namespace {

TEST(WorkstationReport, SecretsMaskedInConfigurationText) {
    const struct {
        const wchar_t* text;
        const wchar_t* masked;
    } cases[] = {
        {L"Password=hunter2", L"Password=***"},
        {L"  db_passwd = x y", L"  db_passwd =***"},
        {L"ClientSecret=abc\r\nUser=bob\r\n", L"ClientSecret=***\r\nUser=bob\r\n"},
        {L"SNC_PWD=1\nName=PWD-less", L"SNC_PWD=***\nName=PWD-less"},
        {L"[Password]\n; password=old\nItem1=srv", L"[Password]\n; password=old\nItem1=srv"},
        {L"User=bob", L"User=bob"},
        {L"Item=a=password", L"Item=a=password"},  // the key decides, not the value
        {L"<Item name=\"x\" password=\"p\" secretKey='s' user=\"u\"/>",
         L"<Item name=\"x\" password=\"***\" secretKey='***' user=\"u\"/>"},
        {L"<Parameter name=\"pwd\" value=\"v\"/>", L"<Parameter name=\"pwd\" value=\"v\"/>"},
        {L"<a b=\"=\" password = \"q\">", L"<a b=\"=\" password = \"***\">"},
        {L"<a password=\"unclosed>", L"<a password=\"unclosed>"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(MaskSecrets(c.text), c.masked) << ToUtf8(c.text);
}

TEST(WorkstationReport, RowsAsTabSeparatedLines) {
    EXPECT_EQ(TabSeparatedLines({}), L"");
    EXPECT_EQ(TabSeparatedLines({{L"a", L""}, {L"b", L"c", L"d"}}), L"a\t\r\nb\tc\td");
}

TWorkstationReport Sample() {
    TWorkstationReport r;
    r.program = L"Orvane 1.0.0.0";
    r.when = ReportTime(5, 3, 2026, 9, 7, 0);
    r.os = L"Windows 10";
    r.computer = L"PC1";
    r.user = L"bob";
    r.versions = {L"",
                  L"SAP Setup",
                  L"---------",
                  L"Path = C:\\S\\",
                  L"NwSapSetup.exe = 9.0.1.0",
                  L"",
                  L"SAP GUI for Windows",
                  L"-------------------",
                  L"Path = C:\\G\\",
                  L"saplogon.exe = 7400.3.10.1127",
                  L"saplgpad.exe = Fichier non trouvé.",
                  L"SAP Logon for Windows 740 Patch Level 10 Level 1",
                  L"",
                  L"Kerberos DLL",
                  L"------------",
                  L"Path = C:\\K\\",
                  L"Fichier \"gsskrb5.dll\" introuvable.",
                  L"Path = C:\\K64\\",
                  L""};
    r.environment = {{L"SNC_LIB", L"C:\\x.dll"}, {L"SNC_LIB_64", L""}};
    r.files.resize(6);
    for (size_t i = 0; i < 6; ++i) {
        r.files[i].tab = static_cast<TConfigFileTab>(i);
        r.files[i].pathBox = L"Fichier non trouvé.";
    }
    r.files[0] = {TConfigFileTab::SapLogonIni, true, L"C:\\saplogon.ini", L"[Server]\r\nItem1=srv\r\nPassword=x\r\n"};
    r.servers = {{L"srv", L"Reply from 10.0.0.1: Request Timed Out", L"3200", L"ouvert"}, {L"zz", L"", L"", L""}};
    r.serversListed = r.pinged = r.portsChecked = true;
    return r;
}

TEST(WorkstationReport, TextHasEverySectionAndNoSecret) {
    const std::wstring text = ReportText(Sample());
    const std::wstring expectedParts[] = {
        L"Orvane 1.0.0.0 - 05/03/2026 09:07:00\r\n\r\nPoste de travail\r\n================\r\nSystème\tWindows 10\r\n"
        L"Ordinateur\tPC1\r\nUtilisateur\tbob\r\n",
        L"\r\nVersions\r\n========\r\n\r\nSAP Setup\r\n---------\r\nPath = C:\\S\\\r\n",
        L"Variables d'environnement\r\n=========================\r\nSNC_LIB\tC:\\x.dll\r\nSNC_LIB_64\t\r\n",
        L"Fichiers\r\n========\r\nSAPLOGON.INI\tC:\\saplogon.ini\r\nSAPMSG.INI\tFichier non trouvé.\r\n",
        L"Serveurs\r\n========\r\nsrv\tReply from 10.0.0.1: Request Timed Out\t3200\touvert\r\nzz\t\t\t\r\n",
        L"SAPLOGON.INI "
        L"(C:\\saplogon.ini)\r\n==============================\r\n[Server]\r\nItem1=srv\r\nPassword=***\r\n",
    };
    for (const std::wstring& part : expectedParts) EXPECT_NE(text.find(part), std::wstring::npos) << ToUtf8(part);
    EXPECT_EQ(text.find(L"Password=x"), std::wstring::npos);
}

// A server's line has the columns of what was asked: its name, its reply, its port and TCP check.
TEST(WorkstationReport, ServerLinesFollowWhatWasAsked) {
    TWorkstationReport r = Sample();
    r.servers = {{L"srv", L"Reply", L"3200", L"ouvert"}};
    const struct {
        bool pinged, ports;
        const wchar_t* line;
    } cases[] = {
        {false, false, L"\r\nsrv\r\n"},
        {true, false, L"\r\nsrv\tReply\r\n"},
        {false, true, L"\r\nsrv\t3200\touvert\r\n"},
        {true, true, L"\r\nsrv\tReply\t3200\touvert\r\n"},
    };
    for (const auto& c : cases) {
        r.pinged = c.pinged;
        r.portsChecked = c.ports;
        EXPECT_NE(ReportText(r).find(std::wstring(L"========") + c.line), std::wstring::npos) << ToUtf8(c.line);
    }
    r.servers.clear();
    EXPECT_NE(ReportText(r).find(L"Serveurs\r\n========\r\nAucun serveur.\r\n"), std::wstring::npos);
    r.serversListed = false;  // the window before its first ping
    EXPECT_NE(ReportText(r).find(L"Serveurs\r\n========\r\nNon vérifiés.\r\n"), std::wstring::npos);
}

TEST(WorkstationReport, JsonComponentsFromTheVersionsReport) {
    const std::string json = ReportJson(Sample());
    const char* parts[] = {
        R"({"name": "SAP Setup", "folders": [{"folder": "C:\\S\\", "found": true, "files": [{"name": "NwSapSetup.exe", "version": "9.0.1.0"}]}]})",
        R"({"name": "SAP GUI for Windows", "folders": [{"folder": "C:\\G\\", "found": true, "files": [{"name": "saplogon.exe", "version": "7400.3.10.1127"}, {"name": "saplgpad.exe", "version": "Fichier non trouvé."}], "release": "SAP Logon for Windows 740 Patch Level 10 Level 1"}]})",
        R"({"name": "Kerberos DLL", "folders": [{"folder": "C:\\K\\", "found": false, "files": [], "missing": "Fichier \"gsskrb5.dll\" introuvable."}, {"folder": "C:\\K64\\", "found": true, "files": [], "release": ""}]})",
        R"("environment": {"SNC_LIB": "C:\\x.dll", "SNC_LIB_64": ""})",
        R"({"tab": "SAPLOGON.INI", "found": true, "path": "C:\\saplogon.ini", "text": "[Server]\r\nItem1=srv\r\nPassword=***\r\n"})",
        R"({"tab": "SAPMSG.INI", "found": false, "path": "Fichier non trouvé.", "text": null})",
        R"({"name": "srv", "ping": "Reply from 10.0.0.1: Request Timed Out", "port": 3200, "tcp": "ouvert"})",
        R"({"name": "zz", "ping": "", "port": null, "tcp": null})",
        R"("workstation": {"os": "Windows 10", "computer": "PC1", "user": "bob"})",
    };
    for (const char* part : parts) EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
}

}  // namespace
}  // namespace orvane
