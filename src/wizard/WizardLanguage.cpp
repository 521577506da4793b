#include "wizard/WizardLanguage.h"

namespace orvane {

TWebUpdateWizardLanguage::TWebUpdateWizardLanguage()
    : Welcome(L"Press start to start checking for available application updates ..."),
      StartButton(L"Start"),
      NextButton(L"Next"),
      ExitButton(L"Exit"),
      RestartButton(L"Restart"),
      CancelButton(L"Cancel"),
      FailedDownload(L"Failed to download updates"),
      GetUpdateButton(L"Get update"),
      NewVersionFound(L"New version found"),
      NewVersion(L"New version"),
      NoNewVersionAvail(L"No new version available."),
      NewVersionAvail(L"New version available."),
      CurrentVersion(L"Current version"),
      NoFilesFound(L"No files found for update"),
      NoUpdateOnServer(L"No update found on server ..."),
      CannotConnect(L"Could not connect to update server or"),
      WhatsNew(L"What's new"),
      License(L"License agreement"),
      AcceptLicense(L"I accept"),
      NotAcceptLicense(L"I do not accept"),
      ComponentsAvail(L"Available application components"),
      DownloadingFiles(L"Downloading files"),
      CurrentProgress(L"Current file progress"),
      TotalProgress(L"Total file progress"),
      UpdateComplete(L"Update completed ..."),
      RestartInfo(L"Press restart to start the updated application."),
      WhatsNewPopup(L"View in Notepad"),
      LicensePopup(L"View in Notepad") {}

void TWebUpdateWizardLanguage::Assign(const TWebUpdateWizardLanguage& source) {
    if (&source != this) TWebUpdateWizardLanguage::operator=(source);
}

TWebUpdateWizardFrench::TWebUpdateWizardFrench() {
    Welcome = L"Cliquez sur Vérifier pour rechercher d'éventuelles mises à jour ...";
    StartButton = L"Vérifier";
    NextButton = L"Suivant";
    ExitButton = L"Quitter";
    RestartButton = L"Redémarrer";
    CancelButton = L"Annuler";
    GetUpdateButton = L"Mettre à jour";
    NewVersionFound = L"Une nouvelle version est disponible";
    NewVersion = L"Nouvelle version";
    NoNewVersionAvail = L"Pas de nouvelle version disponible.";
    NewVersionAvail = L"Nouvelle version disponible.";
    CurrentVersion = L"Version actuelle";
    NoFilesFound = L"pas de mises à jour disponible";
    NoUpdateOnServer = L"Aucune mise à jour disponible ...";
    CannotConnect = L"Connexion impossible avec le serveur ou";
    WhatsNew = L"Nouveautés";
    License = L"Informations de license";
    AcceptLicense = L"J'accepte";
    NotAcceptLicense = L"Je refuse";
    ComponentsAvail = L"Composants d'application disponible";
    DownloadingFiles = L"Téléchargement des fichiers";
    CurrentProgress = L"Progression du fichier";
    TotalProgress = L"Progression totale";
    UpdateComplete = L"Mise à jour terminée";
    RestartInfo = L"Cliquez sur Redémarrer pour lancer la nouvelle version";
}

TWebUpdateWizardFrench ConfiguredFrenchLanguage() {
    TWebUpdateWizardFrench set;
    set.FailedDownload = L"Erreur de téléchargement de la mise à jour";
    set.WhatsNewPopup = L"Voir dans le bloc notes";
    set.LicensePopup = L"Voir dans le bloc notes";
    return set;
}

}  // namespace orvane
