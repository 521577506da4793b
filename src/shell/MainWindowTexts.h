#pragma once

// The captions of the main window, exactly as the user sees them.

namespace orvane::texts {

inline constexpr const wchar_t* kAppTitle = L"Orvane";
inline constexpr const wchar_t* kAbout = L"A propos de...";
inline constexpr const wchar_t* kClose = L"&Fermer";
inline constexpr const wchar_t* kSaveReport = L"Enregistrer le rapport...";
inline constexpr const wchar_t* kSaveReportTitle = L"Enregistrer le rapport";
inline constexpr const wchar_t* kReportFileName = L"Orvane.txt";
// Two filters, each a caption and a pattern, as the save dialog reads them.
inline constexpr wchar_t kReportFilter[] = L"Texte (*.txt)\0*.txt\0Tous les fichiers (*.*)\0*.*\0";

inline constexpr const wchar_t* kTabVersions = L"Versions";
inline constexpr const wchar_t* kGetVersions = L"Recherche les version Installées";
inline constexpr const wchar_t* kTabEnvVar = L"Variables d'environment";
inline constexpr const wchar_t* kGetEnvVar = L"Lecture des variables d'environnement";
inline constexpr const wchar_t* kColVariable = L"Variable";
inline constexpr const wchar_t* kColValeur = L"Valeur";
inline constexpr const wchar_t* kTabFichiers = L"Fichiers";
inline constexpr const wchar_t* kSearchFiles = L"Recherche des fichiers";
inline constexpr const wchar_t* kFileTabs[] = {L"SAPLOGON.INI", L"SAPMSG.INI", L"SAPROUTE.INI",
                                               L"SAPLOGONTREE.XML", L"SERVICES", L"SAPUILANDSCAPE.XML"};
inline constexpr const wchar_t* kTabServeurs = L"Serveurs";
inline constexpr const wchar_t* kPing = L"Ping des serveurs";
inline constexpr const wchar_t* kColServeur = L"Serveur";
inline constexpr const wchar_t* kColStatut = L"Statut";
inline constexpr const wchar_t* kColPort = L"Port";
inline constexpr const wchar_t* kColTcp = L"TCP";
inline constexpr const wchar_t* kMenuCopy = L"Copier";
inline constexpr const wchar_t* kMenuSelectAll = L"Tout sélectionner";
// A doubled ampersand shows as one "&" in a tab caption.
inline constexpr const wchar_t* kTabRepertoires = L"Répertoires && Outils";
inline constexpr const wchar_t* kGroupRepertoires = L"Répertoires";
inline constexpr const wchar_t* kGroupOutils = L"Outils";
inline constexpr const wchar_t* kFolderButtons[] = {L"SAP Logs", L"%APPDATA%\\SAP\\", L"D:\\Users\\Public\\SAP\\",
                                                    L"D:\\Users\\All Users\\SAP\\"};
inline constexpr const wchar_t* kNwCheckWorkstation = L"NwCheckWorkstation";

} // namespace orvane::texts
