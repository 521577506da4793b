#include "wizard/WuWiz.h"

#include "core/Text.h"
#include "platform/CodePage.h"
#include "update/ControlFile.h"
#include "update/DateTime.h"

namespace orvane {

namespace {

constexpr int kPauseMilliseconds = 350;
constexpr int kVersionLabelWidth = 300;
constexpr wchar_t kCR[] = L"\r";

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
    return text;
}

}  // namespace

bool IsFormattedText(const std::string& stream) {
    std::string head = stream.substr(0, 5);
    for (char& c : head)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return head == "{\\RTF";
}

TWUWIZ::TWUWIZ(IWizardView& view, const ILocaleFormat* locale) : FView(view), FLocale(locale) {}

void TWUWIZ::FormCreate() {
    FView.ShowPage(TWizardPage::TabSheet1);
    AttachEngine(nullptr);
}

void TWUWIZ::InitLanguage(const TWebUpdateWizardLanguage& set) {
    using C = TWizardControl;
    FView.SetCaption(C::WelcomeLabel, set.Welcome);
    FView.SetCaption(C::StartButton, set.StartButton);
    for (C button : {C::NewButton, C::EULAButton, C::FilesButton}) FView.SetCaption(button, set.NextButton);
    FStrNext = set.NextButton;
    FStrExit = set.ExitButton;
    FView.SetCaption(C::RestartButton, set.RestartButton);
    FView.SetCaption(C::CancelButton, set.CancelButton);
    FFailedDownload = set.FailedDownload;
    FView.SetCaption(C::ControlButton, set.GetUpdateButton);
    FStrGetUpdate = set.GetUpdateButton;
    FStrNewFound = set.NewVersionFound;
    FStrNewVersion = set.NewVersion;
    FStrNoNewVersion = set.NoNewVersionAvail;
    FStrUCNewVersion = set.NewVersionAvail;
    FStrCurVersion = set.CurrentVersion;
    FStrNoNewFiles = set.NoFilesFound;
    FStrNoUpdate = set.NoUpdateOnServer;
    FStrCannotConnect = set.CannotConnect;
    FView.SetCaption(C::Label1, set.WhatsNew);
    FView.SetCaption(C::Label2, set.License);
    FView.SetCaption(C::RAccept, set.AcceptLicense);
    FView.SetCaption(C::RNoAccept, set.NotAcceptLicense);
    FView.SetCaption(C::Label3, set.ComponentsAvail);
    FView.SetCaption(C::Label4, set.DownloadingFiles);
    FView.SetCaption(C::Label5, set.CurrentProgress);
    FView.SetCaption(C::Label6, set.TotalProgress);
    FView.SetCaption(C::Label7, set.UpdateComplete);
    FView.SetCaption(C::Label8, set.RestartInfo);
    FStrWhatsNewPopup = set.WhatsNewPopup;
    FStrLicensePopup = set.LicensePopup;
}

void TWUWIZ::AttachEngine(TWebUpdate* engine) {
    FWebUpdate = engine;
    if (engine) {
        engine->OnFileProgress = [this](TWebUpdate&, const std::wstring& name, std::int64_t pos, std::int64_t size) {
            WebUpdateFileProgress(name, pos, size);
        };
        engine->OnProgressCancel = [this](TWebUpdate&, bool& cancel) { WebUpdateCancel(cancel); };
    }
    FCancelled = false;
}

void TWUWIZ::FormActivate() {
    // Later activations (after a message box, say) leave the page as it is: the start button may lie
    // on a hidden page by then, and an automatic start must not check twice.
    if (FActivated) return;
    FActivated = true;
    FView.SetFocus(TWizardControl::StartButton);
    if (!FAutoStart || !FWebUpdate) return;
    RunStep([this] {
        FView.ShowPage(TWizardPage::TabSheet2);
        if (Pause()) StartButtonClick();
    });
}

void TWUWIZ::RunStep(const std::function<void()>& step) {
    struct End {
        TWUWIZ& w;
        // A close asked for during the step is carried out now, also when the step failed.
        ~End() {
            if (--w.FSteps > 0 || !w.FCloseRequested || w.FClosed) return;
            try {
                w.UpdateDone();
            } catch (...) {
                w.FClosed = true;
                w.FView.Close();
            }
        }
    };
    ++FSteps;
    const End end{*this};
    step();
}

bool TWUWIZ::FormCloseQuery() {
    if (FClosed) return true;
    if (FSteps > 0) {
        FCloseRequested = true;
        FCancelled = true;
        if (FWebUpdate) FWebUpdate->Cancel();
        return false;
    }
    UpdateDone();
    return true;
}

void TWUWIZ::Click(TWizardControl control) {
    using C = TWizardControl;
    if (control == C::CancelButton) {
        FCancelled = true;
        return;
    }
    if (FSteps > 0 || FClosed || !FWebUpdate) return;
    RunStep([this, control] {
        switch (control) {
            case C::StartButton:
                StartButtonClick();
                break;
            case C::ControlButton:
                ControlButtonClick();
                break;
            case C::NewButton:
                NewButtonClick();
                break;
            case C::RAccept:
            case C::RNoAccept:
                RAcceptClick();
                break;
            case C::EULAButton:
                EULAButtonClick();
                break;
            case C::FilesButton:
                FilesButtonClick();
                break;
            case C::RestartButton:
                RestartButtonClick();
                break;
            case C::ViewinNotepad1:
                ViewInNotepad(C::WhatsNewMemo, L"whatsnew.txt");
                break;
            case C::ViewinNotepad2:
                ViewInNotepad(C::EULAMemo, L"eula.txt");
                break;
            default:
                break;
        }
    });
}

void TWUWIZ::WebUpdateFileProgress(const std::wstring& fileName, std::int64_t pos, std::int64_t size) {
    const size_t cut = fileName.find_last_of(L"\\/:");
    FView.SetCaption(TWizardControl::FileLabel, cut == std::wstring::npos ? fileName : fileName.substr(cut + 1));
    FView.SetProgress(TWizardControl::FileProgress, size, pos);
    if (FWebUpdate) {
        const TFileList& list = FWebUpdate->FileList();
        FView.SetProgress(TWizardControl::TotalProgress, list.TotalSize(), pos + list.CompletedSize());
    }
    FView.ProcessMessages();
}

void TWUWIZ::UpdateDone() {
    if (FWebUpdate) FWebUpdate->StopConnection();
    FClosed = true;
    FView.Close();
}

bool TWUWIZ::CheckFileCount() {
    if (FWebUpdate && FWebUpdate->FileList().Count() > 0) return true;
    FView.ShowMessage(FStrNoNewFiles);
    UpdateDone();
    return false;
}

bool TWUWIZ::Pause() {
    FView.Pause(kPauseMilliseconds);
    return !FCloseRequested && !FClosed;
}

void TWUWIZ::EnableNamedButton(TWizardControl button, const std::wstring& caption) {
    FView.SetEnabled(button, true);
    FView.SetCaption(button, caption);
    FView.SizeButtonToCaption(button);
}

std::vector<std::wstring> TWUWIZ::TextLines(const std::string& bytes) const {
    const TWindows1252 western;
    return DecodeTextLines(bytes, western);
}

std::optional<std::wstring> TWUWIZ::VersionText(int result) const {
    TWebUpdate& e = *FWebUpdate;
    switch (result) {
        case 6: {
            const std::wstring picture = FLocale ? FLocale->ShortDateFormat() : L"dd/MM/yyyy";
            const wchar_t separator = FLocale ? FLocale->DateSeparator() : L'/';
            auto date = [&](TDateTime value) { return FormatDatePicture(DateOf(value), picture, separator); };
            std::wstring current;
            if (DateOf(e.CurVersionDate()) != *EncodeDate(1980, 1, 1))
                current = FStrCurVersion + L" : " + date(e.CurVersionDate());
            std::wstring text =
                FStrNewFound + L" :" + kCR + current + kCR + FStrNewVersion + L" : " + date(e.NewVersionDate());
            const TDateTime time = TimeOf(e.NewVersionDate());
            if (time != 0) {
                text += L" " + FormatTimePicture(time, FLocale ? FLocale->LongTimeFormat() : L"HH:mm:ss",
                                                 FLocale ? FLocale->AmDesignator() : L"AM",
                                                 FLocale ? FLocale->PmDesignator() : L"PM");
            }
            return text + kCR + kCR + e.UpdateDescription();
        }
        case 7:
            return FStrNoNewVersion;
        case 11:
            return FStrNewFound + L" :" + kCR + FStrCurVersion + L" : " + e.CurVersionInfo() + kCR + FStrNewVersion +
                   L" : " + e.NewVersionInfo() + kCR + kCR + e.UpdateDescription();
        case 8:
        case 9:
        case 10:
        case 12:
            return FStrUCNewVersion;
        default:
            return std::nullopt;
    }
}

void TWUWIZ::StartButtonClick() {
    using C = TWizardControl;
    TWebUpdate& e = *FWebUpdate;
    FView.SetBusy(true);
    FView.SetEnabled(C::StartButton, false);
    FView.SetEnabled(C::ControlButton, false);
    FView.SetCaption(C::ViewinNotepad1, FStrWhatsNewPopup);
    FView.SetCaption(C::ViewinNotepad2, FStrLicensePopup);
    int connected;
    try {
        connected = e.StartConnection();
    } catch (...) {
        FView.SetBusy(false);
        FView.SetEnabled(C::StartButton, true);
        throw;
    }
    FView.SetBusy(false);
    if (connected != 0) {
        UpdateDone();
        FView.SetEnabled(C::StartButton, true);
        return;
    }
    if (e.UpdateType == TWebUpdateType::ftpUpdate) e.FTPConnect();
    e.UpdateUpdate = TWebUpdateUpdate::wuuSilent;  // the wizard speaks for the engine from here on
    if (e.GetControlFile() != 0) {
        FView.ShowPage(TWizardPage::TabSheet2);
        FView.SetCaption(C::VersionInfoLabel, FStrCannotConnect + kCR + FStrNoUpdate);
        FView.SetWidth(C::VersionInfoLabel, kVersionLabelWidth);
        FView.SetCaption(C::ControlButton, FStrExit);
        FView.SizeButtonToCaption(C::ControlButton);
    } else {
        FView.SetEnabled(C::StartButton, true);
        FView.ShowPage(TWizardPage::TabSheet2);
        FView.SetEnabled(C::ControlButton, true);
        const int result = e.DoVersionCheck();
        if (const auto text = VersionText(result)) FView.SetCaption(C::VersionInfoLabel, *text);
        FView.SetWidth(C::VersionInfoLabel, kVersionLabelWidth);
        FView.SetCaption(C::ControlButton, result == 7 ? FStrExit : FStrGetUpdate);
        FView.SizeButtonToCaption(C::ControlButton);
    }
    FView.SetEnabled(C::ControlButton, true);
    FView.SetFocus(C::ControlButton);
    if (FAutoRun && Pause()) ControlButtonClick();
}

void TWUWIZ::ControlButtonClick() {
    using C = TWizardControl;
    TWebUpdate& e = *FWebUpdate;
    FView.SetEnabled(C::ControlButton, false);
    if (FView.Caption(C::ControlButton) == FStrExit || e.HandleActions() != 0) {
        UpdateDone();
        return;
    }
    const std::optional<std::string> whatsNew = e.GetWhatsNewStream();
    if (whatsNew && !whatsNew->empty()) {
        int res = 1;
        const bool formatted = IsFormattedText(*whatsNew);
        std::vector<std::wstring> lines;
        if (!formatted) {
            lines = TextLines(*whatsNew);
            if (e.OnDownloadedWhatsNew) e.OnDownloadedWhatsNew(e, lines, res);
        }
        if (res == 1) {
            FView.SetVisible(C::WhatsNewRichEdit, formatted);
            FView.SetVisible(C::WhatsNewMemo, !formatted);
            if (formatted)
                FView.LoadRichText(C::WhatsNewRichEdit, *whatsNew);
            else
                FView.LoadPlainText(C::WhatsNewMemo, JoinLines(lines));
            FView.ShowPage(TWizardPage::TabSheet3);
            FView.SetEnabled(C::NewButton, true);
            FView.SetFocus(C::NewButton);
            if (FAutoRun && Pause()) NewButtonClick();
            return;
        }
    }
    if (ShowLicence(true)) return;
    e.GetFileDetails();
    e.ProcessFileDetails();
    FillCheckList(true, false);
    ShowComponents();
}

bool TWUWIZ::ShowLicence(bool offerToHandler) {
    using C = TWizardControl;
    TWebUpdate& e = *FWebUpdate;
    const std::optional<std::string> licence = e.GetEULAStream();
    if (!licence || licence->empty()) return false;
    const bool formatted = IsFormattedText(*licence);
    FView.SetVisible(C::EULAMemo, !formatted);
    FView.SetVisible(C::EULARichEdit, formatted);
    if (formatted) {
        FView.LoadRichText(C::EULARichEdit, *licence);
    } else {
        std::vector<std::wstring> lines = TextLines(*licence);
        // The licence page is shown whatever the handler leaves in its result: the user decides there.
        int res = 4;
        if (offerToHandler && e.OnDownloadedEULA) e.OnDownloadedEULA(e, lines, res);
        FView.LoadPlainText(C::EULAMemo, JoinLines(lines));
    }
    FView.ShowPage(TWizardPage::TabSheet4);
    if (FAutoRun) {
        EnableNamedButton(C::EULAButton, FStrNext);
        if (Pause()) EULAButtonClick();
    }
    return true;
}

void TWUWIZ::FillCheckList(bool nameEmptyDescriptions, bool preselectedOnly) {
    const TFileList& list = FWebUpdate->FileList();
    for (size_t i = 0; i < list.Count(); ++i) {
        const TFileDescription& file = list[i];
        if (file.Hidden) continue;
        FView.AddItem(file.Description.empty() && nameEmptyDescriptions ? L"Application" : file.Description);
    }
    int item = 0;
    for (size_t i = 0; i < list.Count(); ++i) {
        const TFileDescription& file = list[i];
        if (file.Hidden) continue;
        // A mandatory file is always downloaded, so its item shows checked on every path.
        const bool checked = !preselectedOnly || file.Preselect || file.Mandatory;
        FView.SetItem(item++, checked, !file.Mandatory, static_cast<std::intptr_t>(i));
    }
}

void TWUWIZ::ShowComponents() {
    using C = TWizardControl;
    if (!CheckFileCount()) return;
    if (FView.ItemCount() == 0) {
        RunDownload();
        return;
    }
    FView.ShowPage(TWizardPage::TabSheet5);
    FView.SetEnabled(C::FilesButton, true);
    FView.SetFocus(C::FilesButton);
    if (FAutoRun && Pause()) FilesButtonClick();
}

void TWUWIZ::NewButtonClick() {
    TWebUpdate& e = *FWebUpdate;
    if (ShowLicence(false)) return;
    e.GetFileDetails();
    e.ProcessFileDetails();
    FillCheckList(false, false);
    ShowComponents();
}

void TWUWIZ::RAcceptClick() {
    using C = TWizardControl;
    if (FView.RadioChecked(C::RAccept))
        EnableNamedButton(C::EULAButton, FStrNext);
    else if (FView.RadioChecked(C::RNoAccept))
        EnableNamedButton(C::EULAButton, FStrExit);
}

void TWUWIZ::EULAButtonClick() {
    using C = TWizardControl;
    TWebUpdate& e = *FWebUpdate;
    if (FView.RadioChecked(C::RAccept)) {
        e.GetFileDetails();
        e.ProcessFileDetails();
        FillCheckList(false, true);
        ShowComponents();
    } else if (FView.RadioChecked(C::RNoAccept)) {
        UpdateDone();
    }
}

void TWUWIZ::FilesButtonClick() {
    TFileList& list = FWebUpdate->FileList();
    for (size_t i = 0; i < list.Count(); ++i) list[i].Selected = true;
    for (int item = 0; item < FView.ItemCount(); ++item) {
        if (FView.ItemChecked(item)) continue;
        const std::intptr_t index = FView.ItemData(item);
        if (index < 0 || static_cast<size_t>(index) >= list.Count()) continue;
        TFileDescription& file = list[static_cast<size_t>(index)];
        if (!file.Mandatory) file.Selected = false;
    }
    for (size_t i = list.Count(); i-- > 0;)
        if (!list[i].Selected) list.Delete(i);
    if (CheckFileCount()) RunDownload();
}

void TWUWIZ::RunDownload() {
    using C = TWizardControl;
    TWebUpdate& e = *FWebUpdate;
    FView.SetCaption(C::FileLabel, L"");
    FView.SetProgress(C::FileProgress, 0, 0);
    FView.SetProgress(C::TotalProgress, 0, 0);
    FView.ShowPage(TWizardPage::TabSheet6);
    FView.SetEnabled(C::CancelButton, true);
    FView.SetFocus(C::CancelButton);
    if (FAutoRun) FView.SetEnabled(C::CancelButton, false);

    FView.SetBusy(true);
    try {
        if (e.GetFileUpdates() == -1) {
            FView.SetBusy(false);
            e.Cancel();
            FView.ShowMessage(FFailedDownload);
        }
        e.UpdateActions();
    } catch (...) {
        FView.SetBusy(false);
        throw;
    }
    FView.SetBusy(false);
    if (e.Cancelled()) {
        UpdateDone();
        return;
    }
    e.StopConnection();
    if (e.OnSuccess) e.OnSuccess(e);

    const bool restart = e.AppNeedsRestart(), silent = e.AppSilentRestart();
    if (!restart) {
        FView.ShowPage(TWizardPage::TabSheet7);
        FView.SetCaption(C::RestartButton, FStrExit);
        FView.SizeButtonToCaption(C::RestartButton);
        FView.SetCaption(C::Label8, L"");
    } else if (!silent) {
        FView.ShowPage(TWizardPage::TabSheet7);
    }
    if (!restart || !silent) {
        FView.SetEnabled(C::RestartButton, true);
        FView.SetFocus(C::RestartButton);
    }
    if (FAutoRun || (silent && restart)) {
        if (!silent && !Pause()) return;
        RestartButtonClick();
    }
}

void TWUWIZ::RestartButtonClick() {
    if (FWebUpdate->AppNeedsRestart())
        FWebUpdate->DoRestart();
    else
        UpdateDone();
}

void TWUWIZ::ViewInNotepad(TWizardControl memo, const wchar_t* fileName) {
    FView.OpenInEditor(FWebUpdate->WinTempDir() + fileName, FView.Caption(memo));
}

}  // namespace orvane
