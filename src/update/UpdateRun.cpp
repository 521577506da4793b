#include <memory>
#include <stdexcept>

#include "core/Error.h"
#include "core/Text.h"
#include "update/ControlFile.h"
#include "update/HostProbes.h"
#include "update/PathHelpers.h"
#include "update/UpdateSignature.h"
#include "update/WebUpdate.h"

namespace orvane {

namespace {

std::wstring UpperExtension(const std::wstring& name) {
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : UpperCaseAscii(name.substr(dot));
}

// Each blank-separated item of the components text names one file; only its file name counts.
bool IsApplicationComponent(const std::wstring& name, const std::wstring& components) {
    size_t at = 0;
    while (at < components.size()) {
        const size_t end = std::min(components.find(L' ', at), components.size());
        const std::wstring item = components.substr(at, end - at);
        if (!item.empty() && EqualsNoCaseAscii(FileNamePart(item), name)) return true;
        at = end + 1;
    }
    return false;
}

}  // namespace

std::wstring TWebUpdate::CurrentFolder() const {
    return FServices.currentFolder ? FServices.currentFolder->Get() : std::wstring();
}

void TWebUpdate::DoUpdate(bool initPath) {
    FCancelled = false;
    if (initPath && FServices.currentFolder && FServices.folders)
        FServices.currentFolder->Set(FServices.folders->Path(KnownFolder::Application));
    DoStatus(968, FThreaded ? L"Threaded update" : L"Non threaded update", 0, 0);
    DoStatus(966, GetOSVersion(), 0, 0);
    DoStatus(967, GetIEVersion(), 0, 0);
    DoStatus(969, GetIDE(), 0, 0);
    DoStatus(970, GetInstalledIDEs(), 0, 0);
    FAppCompsIncluded = false;
    FFTPDirSet = false;
    FControlFileName.clear();
    DoStatus(963, Version(), 0, 0);
    // Raised before the session opens, so nothing is left open behind the error.
    if (UpdateType == TWebUpdateType::ftpUpdate && Host.empty()) throw AppError(L"No host specified");
    if (StartConnection() != 0) return;
    if (UpdateType == TWebUpdateType::ftpUpdate && FTPConnect() == -1) Error();
    if ((!FHintConnect && UpdateType != TWebUpdateType::fileUpdate) || GetControlFile() != 0) {
        StopConnection();
        return;
    }
    if (!ForceUpdate && DoVersionCheck() == 7) {
        FAppClose = false;
        StopConnection();
        return;
    }
    if (HandleActions() != 0) {
        StopConnection();
        return;
    }
    int r = 0;
    if (const auto whatsNew = GetWhatsNewStream()) r = ShowWhatsNewDialog(*whatsNew);
    if (const auto eula = GetEULAStream())
        if (r == 0) r = ShowEULADialog(*eula);
    if (r != 0 || GetFileDetails() <= 0) {
        FAppClose = false;
        StopConnection();
        return;
    }
    r = ProcessFileDetails();
    if (r == 0) {
        std::unique_ptr<TProgressForm> form;
        if (ShowDownloadProgress && FServices.progressForms) {
            form = FServices.progressForms();
            FProgressForm = form.get();
        }
        struct Forget {
            TWebUpdate& self;
            ~Forget() {
                if (self.FProgressForm) self.FProgressForm->SetVisible(false);
                self.FProgressForm = nullptr;
            }
        } forget{*this};
        r = GetFileUpdates();
        // An update that did not happen whole is not recorded, and its after-actions do not run.
        if (r == 0 && !FDownloadsRefused) UpdateActions();
    }
    StopConnection();
    if (r == 0 && !FCancelled) DoSuccess();
    if (AppNeedsRestart() && !FThreaded) DoRestart();
}

void TWebUpdate::DoThreadUpdate(bool initPath) {
    if (!FServices.workers) throw std::logic_error("TWebUpdate::DoThreadUpdate needs worker threads");
    FThreaded = true;
    FServices.workers->Start([this, initPath] { DoUpdate(initPath); }, [this] { ThreadDone(); });
}

void TWebUpdate::ThreadDone() {
    if (OnThreadUpdateDone) OnThreadUpdateDone(*this);
    FThreaded = false;
    DoStatus(960, L"", 0, 0);
    if (AppNeedsRestart()) {
        DoStatus(961, L"", 0, 0);
        DoRestart();
    }
}

void TWebUpdate::DoSuccess() {
    if (OnSuccess) OnSuccess(*this);
}

void TWebUpdate::DoSetAppParamBefore(std::wstring& appParams) {
    if (OnSetAppParamBefore) OnSetAppParamBefore(*this, appParams);
}

void TWebUpdate::DoSetAppParamAfter(std::wstring& appParams) {
    if (OnSetAppParamAfter) OnSetAppParamAfter(*this, appParams);
}

void TWebUpdate::StartProgram(const std::wstring& program, const std::wstring& params) {
    IProcessLauncher* p = FServices.processes;
    if (!p) return;
    if (!FServices.system || HasLocaleInfoEx(*FServices.system)) {
        p->ShellOpen(program, params, true);
    } else {
        const std::wstring line = params.empty() ? program : program + L" " + params;
        p->Exec(FServices.ansi ? FServices.ansi->Encode(line) : TWindows1252().Encode(line));
    }
}

int TWebUpdate::HandleActions() {
    int r = 0;
    const TControlFile file = ReadControlFile();
    IEngineDialogs* dialogs = FServices.engineDialogs;
    const std::wstring msg = ExpandNewlineMarkers(file.ReadString(L"action", L"msg"));
    if (!msg.empty()) {
        DoStatus(934, L"", 3, 0);
        if (dialogs) dialogs->Inform(msg);
    }
    const std::wstring html = ExpandPrefixes(file.ReadString(L"action", L"htmldlg"));
    if (!html.empty()) {
        DoStatus(935, L"", 7, 0);
        ShowHTMLDialog(html);
    }
    const std::wstring before = ExpandPrefixes(file.ReadString(L"action", L"runbefore"));
    std::wstring beforeParams = file.ReadString(L"action", L"runbeforeparam");
    DoSetAppParamBefore(beforeParams);
    if (!before.empty()) StartProgram(before, beforeParams);
    if (OnCustomProcess)
        OnCustomProcess(*this, file.ReadString(L"custom", L"processmsg"), file.ReadString(L"custom", L"processparam"));
    const std::wstring show = ExpandPrefixes(file.ReadString(L"action", L"showURL"));
    if (!show.empty()) {
        DoStatus(942, L"", 3, 0);
        const std::wstring url = MakeProxyUrl(show, ProxyUserID, ProxyPassword);
        if (IProcessLauncher* p = FServices.processes)
            if (!p->ShellOpen(L"iexplore.exe", L"-new " + url, false)) p->ShellOpen(url, L"", false);
    }
    const std::wstring query = ExpandNewlineMarkers(file.ReadString(L"action", L"query"));
    if (!query.empty()) {
        DoStatus(936, L"", 3, 0);
        if (!dialogs || !dialogs->AskInformation(query)) {
            FAppClose = false;
            r = -1;
        }
    }
    if (FCancelled) r = -1;
    return r;
}

int TWebUpdate::UpdateActions() {
    if (FCancelled) return -1;
    if (PostUpdateInfo.Enabled) {
        bool allowPost = true;
        if (OnBeforePost) OnBeforePost(*this, allowPost);
        if (allowPost) {
            DoPostUpdateInfo();
            bool allowResult = true;
            if (OnProcessPostResult) OnProcessPostResult(*this, allowResult);
            if (!allowResult) return -1;
        }
    }
    if (FSaveUpdate) UpdateDatePut(FNewVersionDate);
    const TControlFile file = ReadControlFile();
    const std::wstring next = file.ReadString(L"action", L"updateURL");
    if (!next.empty()) {
        DoStatus(941, L"", 3, 0);
        URLPut(next);
    }
    if (Utility && ApplyPatch) ExtractPatcher();
    const std::wstring after = ExpandPrefixes(file.ReadString(L"action", L"runafter"));
    std::wstring afterParams = file.ReadString(L"action", L"runafterparam");
    DoSetAppParamAfter(afterParams);
    if (!after.empty()) StartProgram(after, afterParams);
    DoStatus(948, L"", 3, 0);
    return 0;
}

int TWebUpdate::GetFileUpdates() {
    int r = 0;
    TWebUpdateUpdate mode = UpdateUpdate;
    FDownloadsRefused = false;
    IEngineDialogs* dialogs = FServices.engineDialogs;
    const size_t count = FFileList.Count();
    for (size_t k = 1; k <= count && k <= FFileList.Count(); ++k) {
        const TFileDescription& entry = FFileList[k - 1];
        if (mode == TWebUpdateUpdate::wuuPromptAll) {
            if (!dialogs || !dialogs->Confirm(StatusMessage(909, L"") + URLtoFile(entry.URL))) {
                FDownloadsRefused = true;
                continue;
            }
        } else if (mode == TWebUpdateUpdate::wuuPromptOnce) {
            if (!dialogs || !dialogs->Confirm(StatusMessage(910, L""))) {
                FDownloadsRefused = true;
                break;
            }
        }
        std::wstring url = entry.URL;
        const std::wstring name = URLtoFile(url);
        FFileList.ActiveItem = static_cast<int>(k - 1);
        if (OnBeforeFileDownload) OnBeforeFileDownload(*this, static_cast<int>(k), entry, url);
        IFileWriter* files = FServices.files;
        if (!entry.TargetDir.empty() && files && !files->FolderExists(StripTrailingDelimiter(entry.TargetDir)))
            CreateDirectoryChain(*files, StripTrailingDelimiter(entry.TargetDir));
        const std::wstring folder = UseWinTempDir ? WinTempDir() : entry.TargetDir;
        std::optional<TSha256> digest;
        const bool checkable = EntryDigest(entry, url, digest);
        if (FProgressForm) FProgressForm->SetVisible(true);
        FExpectedSha256 = digest;
        // A name from the control file never becomes a path outside its folder.
        bool fetched = false;
        try {
            fetched = checkable && IsSafeFileName(name) && URLGetFile(FHintConnect, url, folder, false);
        } catch (...) {
            FExpectedSha256.reset();
            throw;
        }
        FExpectedSha256.reset();
        if (FProgressForm) FProgressForm->SetVisible(false);
        if (!fetched || !FinishDownload(entry, folder, name)) {
            r = -1;
            if (!fetched) DoStatus(946, url, 2, 9);
            FAppClose = false;
        }
        if (mode == TWebUpdateUpdate::wuuPromptOnce) mode = TWebUpdateUpdate::wuuSilent;
    }
    return r;
}

bool TWebUpdate::EntryDigest(const TFileDescription& entry, const std::wstring& url, std::optional<TSha256>& digest) {
    const std::wstring shown = HideURLInLogFile ? URLtoFile(url) : WithoutCredentials(url);
    if (entry.Sha256.empty()) {
        if (!SignaturesEnforced()) return true;
        DoStatus(985, shown, 2, 14);
        return false;
    }
    digest = ParseSha256Hex(entry.Sha256);
    if (digest) return true;
    DoStatus(986, shown, 2, 14);
    return false;
}

bool TWebUpdate::MatchesExpectedDigest(const std::wstring& path, const std::wstring& url) {
    if (!FExpectedSha256) return true;
    const auto digest = FServices.crypto ? FServices.crypto->Sha256File(path) : std::nullopt;
    if (digest && *digest == *FExpectedSha256) return true;
    DoStatus(984, HideURLInLogFile ? URLtoFile(url) : WithoutCredentials(url), 20, 11);
    return false;
}

bool TWebUpdate::FinishDownload(const TFileDescription& entry, const std::wstring& folder, const std::wstring& name) {
    if (IsApplicationComponent(name, FAppComps)) {
        FAppCompsIncluded = true;
        DoStatus(962, name, 0, 0);
        return true;
    }
    IFileOperations* files = FServices.fileOps;
    if (!files) return false;
    const std::wstring ext = UpperExtension(name);
    const std::wstring downloaded = WithTrailingBackslash(folder) + name;
    std::wstring current = downloaded;  // where the download is now

    if (ext != L".CAB" && ext != L".PAT" && UseWinTempDir && !entry.TargetDir.empty()) {
        const std::wstring target = WithTrailingBackslash(entry.TargetDir) + name;
        if (target != downloaded) {
            // One step: the installed file stays as it was unless the new one took its place.
            if (files->FileExists(target)) files->ClearReadOnlyHidden(target);
            if (!files->MoveReplace(downloaded, target)) {
                DoStatus(973, downloaded + L" to " + target, 19, 7);
                return false;
            }
            current = target;
        }
    }
    if (ext != L".CAB" && ExtractCAB && entry.Compressed) {
        std::wstring compressed = current;
        if (current == downloaded) {
            compressed = WithTrailingBackslash(CurrentFolder()) + name;
            if (compressed != downloaded && !files->MoveReplace(downloaded, compressed)) {
                DoStatus(973, downloaded + L" to " + compressed, 19, 7);
                return false;
            }
        }
        // The expansion replaces the compressed file by the expanded one; what stays is a failure.
        if (ExpandLZFile(compressed) == compressed) return false;
    }
    if (ext == L".CAB" && ExtractCAB && entry.Compressed) {
        const std::wstring cabinet = WithTrailingBackslash(folder) + name;
        const int extracted = FServices.cabinets ? FServices.cabinets->Extract(cabinet, entry.TargetDir) : -1;
        if (extracted == -1) {
            // The cabinet stays for a look at what went wrong.
            DoStatus(947, cabinet, 8, 0);
            return false;
        }
        if (!KeepIntermediateFiles) files->Delete(cabinet);
    }
    if (ext == L".PAT" && ApplyPatch && !entry.LocalVersion.empty()) {
        if (Utility && !files->FileExists(WithTrailingBackslash(CurrentFolder()) + L"patcher.exe")) ExtractPatcher();
        const std::wstring command = Logging ? L"patcher.exe -v " + name + L" " + entry.LocalVersion + L">> WUPDATE.LOG"
                                             : L"patcher.exe " + name + L" " + entry.LocalVersion;
        const TWebUpdateUtility shown = Utility ? *Utility : TWebUpdateUtility{true, false, {}, {}};
        RunAndWait(command, shown.ShowWindow, shown.ShowAnimation, shown.StatusCaption, shown.StatusMessage);
        if (!KeepIntermediateFiles) files->Delete(entry.TargetDir + name);
    }
    return true;
}

bool TWebUpdate::RunAndWait(const std::wstring& command, bool showWindow, bool showAnimation,
                            const std::wstring& caption, const std::wstring& message) {
    DoStatus(18, L"Exec: " + command, 18, 0);
    std::unique_ptr<IShownWindow> animation;
    if (showAnimation && FServices.engineDialogs)
        animation = FServices.engineDialogs->ShowCopyAnimation(caption, message);
    if (!FServices.processes) return false;
    const IProcessLauncher::TRun run = FServices.processes->RunAndWait(command, showWindow);
    return run.started && run.exitCode && *run.exitCode == 0;
}

}  // namespace orvane
