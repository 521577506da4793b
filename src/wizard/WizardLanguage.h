#pragma once

#include <string>

namespace orvane {

// The texts of the update wizard; a new set holds the English texts.
class TWebUpdateWizardLanguage {
public:
    TWebUpdateWizardLanguage();
    virtual ~TWebUpdateWizardLanguage() = default;
    TWebUpdateWizardLanguage(const TWebUpdateWizardLanguage&) = default;
    TWebUpdateWizardLanguage& operator=(const TWebUpdateWizardLanguage&) = default;

    // Copies all texts of SOURCE (this set or any descendant).
    void Assign(const TWebUpdateWizardLanguage& source);

    std::wstring Welcome;
    std::wstring StartButton;
    std::wstring NextButton;
    std::wstring ExitButton;
    std::wstring RestartButton;
    std::wstring CancelButton;
    std::wstring FailedDownload;
    std::wstring GetUpdateButton;
    std::wstring NewVersionFound;
    std::wstring NewVersion;
    std::wstring NoNewVersionAvail;
    std::wstring NewVersionAvail;
    std::wstring CurrentVersion;
    std::wstring NoFilesFound;
    std::wstring NoUpdateOnServer;
    std::wstring CannotConnect;
    std::wstring WhatsNew;
    std::wstring License;
    std::wstring AcceptLicense;
    std::wstring NotAcceptLicense;
    std::wstring ComponentsAvail;
    std::wstring DownloadingFiles;
    std::wstring CurrentProgress;
    std::wstring TotalProgress;
    std::wstring UpdateComplete;
    std::wstring RestartInfo;
    std::wstring WhatsNewPopup;
    std::wstring LicensePopup;
};

// The French texts; the download failure and the two menu items stay English until configured.
class TWebUpdateWizardFrench : public TWebUpdateWizardLanguage {
public:
    TWebUpdateWizardFrench();
};

// The French set as the About box configures it: every text French.
TWebUpdateWizardFrench ConfiguredFrenchLanguage();

}  // namespace orvane
