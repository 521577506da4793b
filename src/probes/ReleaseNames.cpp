#include "probes/ReleaseNames.h"

#include <span>

namespace orvane {

namespace {

struct ReleaseRow {
    const wchar_t* version;
    const wchar_t* name;
};

// Names are SAP's own, repeated words included; rows stay in the order lookups try them.
constexpr ReleaseRow kSapLogon[] = {
    {L"6206.6.66.970", L"SAP Logon for Windows 620 Patch Level 66"},
    {L"6404.4.16.1015", L"SAP Logon for Windows 640 Patch Level 16"},
    {L"7100.1.3.1029", L"SAP Logon for Windows 710 Patch Level 3"},
    {L"7100.2.9.1039", L"SAP Logon for Windows 710 Patch Level 9"},
    {L"7200.1.0.1050", L"SAP Logon for Windows 720 Patch Level 0"},
    {L"7300.3.9.1084", L"SAP Logon for Windows 730 Patch Level 9"},
    {L"7300.3.10.1084", L"SAP Logon for Windows 730 Patch Level 10"},
    {L"7300.3.11.1084", L"SAP Logon for Windows 730 Patch Level 11"},
    {L"7300.3.12.1084", L"SAP Logon for Windows 730 Patch Level 12"},
    {L"7300.3.13.1084", L"SAP Logon for Windows 730 Patch Level 13"},
    {L"7300.3.14.1084", L"SAP Logon for Windows 730 Patch Level 14"},
    {L"7300.3.15.1085", L"SAP Logon for Windows 730 Patch Level 15"},
    {L"7400.1.2.1102", L"SAP Logon for Windows 740 Patch Level 2 Level 2"},
    {L"7400.1.3.1103", L"SAP Logon for Windows 740 Patch Level 3"},
    {L"7400.1.3.1104", L"SAP Logon for Windows 740 Patch Level 3 Level 1"},
    {L"7400.1.4.1106", L"SAP Logon for Windows 740 Patch Level 4"},
    {L"7400.1.4.1107", L"SAP Logon for Windows 740 Patch Level 4 Level 1"},
    {L"7400.2.5.1110", L"SAP Logon for Windows 740 Patch Level 5"},
    {L"7400.2.5.1112", L"SAP Logon for Windows 740 Patch Level 5 Level 1"},
    {L"7400.2.7.1112", L"SAP Logon for Windows 740 Patch Level 7"},
    {L"7400.3.8.1123", L"SAP Logon for Windows 740 Patch Level 8"},
    {L"7400.3.9.1125", L"SAP Logon for Windows 740 Patch Level 9"},
    {L"7400.3.10.1126", L"SAP Logon for Windows 740 Patch Level 10"},
    {L"7400.3.10.1127", L"SAP Logon for Windows 740 Patch Level 10 Level 1"},
};

constexpr ReleaseRow kBusinessClient[] = {
    {L"40000.1309.10048.6201", L"SAP NetWeaver Business Client 4.0 Final Release PL 10"},
    {L"40000.1407.24128.19890", L"SAP NetWeaver Business Client 4.0 Final Release PL 14"},
    {L"50000.1509.22048.13143", L"SAP NetWeaver Business Client 5.0 Final Release PL 8"},
    {L"60000.1604.14078.18017", L"SAP NetWeaver Business Client 6.0 Final Release PL 3"},
    {L"60000.1604.29078.11712", L"SAP NetWeaver Business Client 6.0 Final Release PL 4"},
    {L"60000.1606.21078.11712", L"SAP NetWeaver Business Client 6.0 Final Release PL 5"},
    {L"60000.1608.19078.11712", L"SAP NetWeaver Business Client 6.0 Final Release PL 6"},
    {L"60000.1609.23098.11712", L"SAP NetWeaver Business Client 6.0 Final Release PL 7"},
    {L"60000.1610.12078.11712", L"SAP NetWeaver Business Client 6.0 Final Release PL 8"},
};

// Patch level 9 shipped with a build number older than patch level 8's; the row is SAP's.
constexpr ReleaseRow kEclViewer[] = {
    {L"2.122.0.1", L"ECL Viewer 3.1"},
    {L"4.1.0.21212", L"ECL Viewer 4.1.3"},
    {L"5.1.0.50202", L"ECL Viewer 5.1.3"},
    {L"6.1.0.61033", L"ECL Viewer 6.0 Patch Level 5"},
    {L"8.2.0.10122", L"ECL Viewer 7.0"},
    {L"8.2.0.11130", L"ECL Viewer 7.0 Patch Level 1"},
    {L"8.2.0.11244", L"ECL Viewer 7.0 Patch Level 2"},
    {L"8.2.0.11305", L"ECL Viewer 7.0 Patch Level 3"},
    {L"8.2.0.12016", L"ECL Viewer 7.0 Patch Level 4"},
    {L"8.2.0.12192", L"ECL Viewer 7.0 Patch Level 5"},
    {L"8.2.0.12212", L"ECL Viewer 7.0 Patch Level 6"},
    {L"8.2.0.12310", L"ECL Viewer 7.0 Patch Level 7"},
    {L"8.2.0.13036", L"ECL Viewer 7.0 Patch Level 8"},
    {L"8.2.0.12070", L"ECL Viewer 7.0 Patch Level 9"},
    {L"8.2.0.13133", L"ECL Viewer 7.0 Patch Level 10"},
    {L"8.2.0.13215", L"ECL Viewer 7.0 Patch Level 11"},
    {L"8.2.0.13231", L"ECL Viewer 7.0 Patch Level 12"},
    {L"8.2.0.13253", L"ECL Viewer 7.0 Patch Level 13"},
    {L"8.2.0.13314", L"ECL Viewer 7.0 Patch Level 14"},
    {L"8.2.0.14007", L"ECL Viewer 7.0 Patch Level 15"},
    {L"8.2.0.14041", L"ECL Viewer 7.0 Patch Level 16"},
    {L"8.2.0.14203", L"ECL Viewer 7.0 Patch Level 17"},
    {L"8.2.0.14286", L"ECL Viewer 7.0 Patch Level 18"},
    {L"8.2.0.14321", L"ECL Viewer 7.0 Patch Level 19"},
    {L"8.3.0.15309", L"ECL Viewer 8.0 Patch Level 20"},
    {L"8.3.3.16160", L"ECL Viewer 8.0 Patch Level 21"},
    {L"10.1.4.16176", L"ECL Viewer 10.2 Patch Level 1.0"},
};

constexpr ReleaseRow kSecureLogon[] = {
    {L"2.0.1.32", L"SAP Secure Logon Client 2.0 SP00"},
    {L"2.0.1000.0", L"SAP Secure Logon Client 2.0 SP01"},
    {L"2.0.1001.0", L"SAP Secure Logon Client 2.0 SP01 Patch Level 1"},
    {L"2.0.1002.0", L"SAP Secure Logon Client 2.0 SP01 Patch Level 2"},
    {L"2.0.1003.0", L"SAP Secure Logon Client 2.0 SP01 Patch Level 3"},
    {L"2.0.1004.0", L"SAP Secure Logon Client 2.0 SP01 Patch Level 4"},
    {L"2.0.2000.0", L"SAP Secure Logon Client 2.0 SP02"},
    {L"2.0.2001.0", L"SAP Secure Logon Client 2.0 SP02 Patch Level 1"},
    {L"2.0.2002.0", L"SAP Secure Logon Client 2.0 SP02 Patch Level 2"},
    {L"2.0.2003.0", L"SAP Secure Logon Client 2.0 SP02 Patch Level 3"},
    {L"2.0.2004.0", L"SAP Secure Logon Client 2.0 SP02 Patch Level 4"},
    {L"2.0.2005.0", L"SAP Secure Logon Client 2.0 SP02 Patch Level 5"},
    {L"2.0.3000.0", L"SAP Secure Logon Client 2.0 SP03"},
    {L"2.0.3001.0", L"SAP Secure Logon Client 2.0 SP03 Patch Level 1"},
    {L"2.0.3002.0", L"SAP Secure Logon Client 2.0 SP03 Patch Level 2"},
    {L"2.0.4000.0", L"SAP Secure Logon Client 2.0 SP04"},
    {L"2.0.4001.0", L"SAP Secure Logon Client 2.0 SP04 Patch Level 1"},
    {L"2.0.5000.0", L"SAP Secure Logon Client 2.0 SP05"},
    {L"2.0.5001.0", L"SAP Secure Logon Client 2.0 SP05 Patch Level 1"},
    {L"2.0.5002.0", L"SAP Secure Logon Client 2.0 SP05 Patch Level 2"},
    {L"2.0.5003.0", L"SAP Secure Logon Client 2.0 SP05 Patch Level 3"},
    {L"2.0.6000.0", L"SAP Secure Logon Client 2.0 SP06"},
    {L"2.0.6001.0", L"SAP Secure Logon Client 2.0 SP06 Patch Level 1"},
    {L"2.0.6002.0", L"SAP Secure Logon Client 2.0 SP06 Patch Level 2"},
    {L"2.0.6003.0", L"SAP Secure Logon Client 2.0 SP06 Patch Level 3"},
};

std::span<const ReleaseRow> TableFor(TSapComponentKind kind) {
    switch (kind) {
        case ckSapGui:
            return kSapLogon;
        case ckNwbc4:
        case ckNwbc5:
        case ckNwbc6:
            return kBusinessClient;
        case ckEngineeringClientViewer:
            return kEclViewer;
        default:
            return kSecureLogon;
    }
}

}  // namespace

std::wstring GetReleaseName(TSapComponentKind kind, const std::wstring& versionText) {
    for (const ReleaseRow& row : TableFor(kind))
        if (versionText == row.version) return row.name;
    return {};
}

}  // namespace orvane
