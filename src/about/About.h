#pragma once

#include <optional>
#include <string>

#include "platform/HostIdentity.h"
#include "platform/Registry.h"
#include "platform/VersionResource.h"
#include "platform/WorkstationIdentity.h"

namespace orvane {

class TWebUpdate;

namespace about {

inline constexpr const wchar_t* kCaption = L"A propos de...";
inline constexpr const wchar_t* kApplicationTitle = L"Orvane";
inline constexpr const wchar_t* kUpdateButton = L"Mise à jour du programme";
inline constexpr const wchar_t* kWizardCaption = L"Mise à jour de l'application";
inline constexpr const wchar_t* kNewsButton = L"Nouveautés";
inline constexpr const wchar_t* kCloseButton = L"&Fermer";
inline constexpr const wchar_t* kLegalNotice =
    L"Orvane lit la configuration SAP de ce poste sans rien y modifier. Il est fourni tel quel, "
    L"sans garantie d'aucune sorte, pour l'usage des équipes de support. Les informations affichées "
    L"restent sur ce poste tant que vous ne les transmettez pas vous-même.";

// The identity rows of the box, top to bottom: caption and value.
struct TIdentityRows {
    std::wstring os, screen, terminal, user, domain, workgroup;
};
inline constexpr const wchar_t* kIdentityCaptions[] = {
    L"Système d'exploitation", L"Résolution de l'écran", L"Terminal", L"Utilisateur", L"Domaine", L"Groupe de travail"};

// "1920 x 1080"; empty when the size is unknown.
std::wstring ScreenResolutionText(const std::optional<TScreenSize>& size);
// "PC01  (10.0.0.5)".
std::wstring TerminalText(const std::wstring& computer, const std::wstring& address);
// Every value in display order: the system's product name and the Windows 9x workgroup come from the
// registry, the workgroup from the network service when the registry has none.
TIdentityRows ReadIdentity(const IRegistry& registry, const IWorkstationIdentity& names, const IHostIdentity& host);

// "major.minor.release.build" of a fixed file-version record.
std::wstring FileVersionText(const TFixedFileInfo& info);
// The text of the error raised when the program's own version cannot be read.
std::wstring SystemErrorText(unsigned long code, const std::wstring& systemText);

// The compiler the program was built with, as major.minor (GCC 12.2 gives 12.2).
double BuildToolChainVersion();
// "Compiler & RTL: 12.20  ".
std::wstring ToolChainLabel(double version);

// The update and news buttons show only for a box opened with a control-file URL.
bool ShowsUpdateButtons(const std::wstring& url);

}  // namespace about

// The update component as the About box uses it; URL replaced only by a non-empty one.
void ConfigureAboutEngine(TWebUpdate& engine, const std::wstring& url);

}  // namespace orvane
