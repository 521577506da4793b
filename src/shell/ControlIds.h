#pragma once

// Control identifiers of the main window. The GUI test driver finds controls by these too.

namespace orvane::ids {

enum : int {
    pnlBottom = 100,
    bbtAbout = 101,
    bbtClose = 102,
    pgMain = 103,
    bbtSaveReport = 104,

    tshVersions = 110,
    bbtGetVersions = 111,
    memVersions = 112,

    tshEnvVar = 120,
    bbtGetEnvVar = 121,
    vlEnvVar = 122,

    tshFichiers = 130,
    bbtSearchFiles = 131,
    pgFile = 132,
    fileTabFirst = 140,  // the six file pages, 140..145
    edtFileFirst = 150,  // their path boxes, 150..155
    synMemFirst = 160,   // their viewers, 160..165

    TabSheet1 = 170,
    bbtPing = 171,
    vlPing = 172,

    tshRepertoires = 180,
    grpRepertoires = 181,
    bbtOpenFolder1 = 182,
    bbtOpenFolder2 = 183,
    bbtOpenFolder3 = 184,
    bbtOpenFolder4 = 185,
    grpOutils = 186,
    bbtNwCheckWorkstation = 187,
};

constexpr int kFileTabCount = 6;

} // namespace orvane::ids
