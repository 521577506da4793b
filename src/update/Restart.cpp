// The hand-over to the restart helper, its extraction, the patcher's and the post-update report.

#include "update/Restart.h"

#include <algorithm>

#include "core/Error.h"
#include "update/HostProbes.h"
#include "update/Szdd.h"
#include "update/WebUpdate.h"

namespace orvane {

namespace {

bool HasBlank(const std::wstring& s) {
    return s.find(L' ') != std::wstring::npos;
}

bool Quoted(const std::wstring& s) {
    return s.size() >= 2 && s.front() == L'"' && s.back() == L'"';
}

std::wstring QuoteIfBlank(const std::wstring& s) {
    return HasBlank(s) && !Quoted(s) ? L"\"" + s + L"\"" : s;
}

// Writes the bytes as a new file and checks it holds exactly them; a partial file is removed.
bool WriteWholeFile(IFileOperations& files, const std::wstring& path, const std::string& bytes) {
    bool ok = false;
    if (auto out = files.Create(path)) {
        ok = true;
        for (size_t done = 0; ok && done < bytes.size();) {
            const auto piece = static_cast<std::uint32_t>(std::min<size_t>(bytes.size() - done, 1u << 20));
            const auto written = out->Write(bytes.data() + done, piece);
            ok = written && *written == piece;
            done += piece;
        }
    }
    if (ok) {
        const auto in = files.OpenRead(path);
        const auto size = in ? in->Size() : std::nullopt;
        ok = size && *size == bytes.size();
    }
    if (!ok) files.Delete(path);
    return ok;
}

}  // namespace

std::wstring RestartParameters(TRestartRequest& r) {
    std::wstring app =
        r.appName.find(L':') != std::wstring::npos ? r.appName : WithTrailingBackslash(r.currentFolder) + r.appName;
    app = QuoteIfBlank(app);
    if (!r.autoRestart) app = L"null";
    // An empty field would vanish between two blanks and shift every later one in the helper's
    // split: the working folder would be read as the parameters. A lone blank stands for none.
    if (r.appParam.empty()) r.appParam = L" ";
    r.appParam = QuoteIfBlank(r.appParam);
    app += L" " + r.appParam;
    return std::to_wstring(r.processId) + (r.logging ? L" L " : L" X ") + app + L" \"" + r.workFolder + L"\" " +
           r.appComps;
}

void TWebUpdate::DoRestart() {
    IProcessControl* process = FServices.process;
    if (!process) throw AppError(L"The restart helper cannot be started here");
    const std::wstring currentFolder = process->CurrentFolder();
    DoStatus(959, currentFolder, 0, 0);

    bool cancel = false;
    DoProgressCancel(cancel);
    if (cancel) return;

    bool allow = true;
    if (OnAppRestart)
        OnAppRestart(*this, allow);
    else if (!FSilentRestart)
        allow = FServices.dialogs && FServices.dialogs->AskYesNo(StatusMessage(911, L""));
    if (!allow) return;

    if (!ExtractRestarter()) throw AppError(L"The restart helper could not be written to " + WinTempDir());

    const std::wstring settings =
        WithTrailingBackslash(FServices.folders ? DocumentsFolder(*FServices.folders) : std::wstring()) +
        L"WUPDATE.INI";
    if (!FServices.profiles ||
        !FServices.profiles->WriteString(settings, L"CONFIG", L"LOGFILENAME", ProcessLogFileName()))
        throw AppError(L"The restart settings could not be written to " + settings);

    TRestartRequest request;
    request.processId = process->CurrentProcessId();
    request.logging = Logging;
    request.appName = FAppName;
    request.currentFolder = currentFolder;
    request.autoRestart = AutoRestart;
    request.appParam = FAppParam;
    request.workFolder = UseWinTempDir ? WinTempDir() : TempDirectory;
    request.appComps = FAppComps;
    const std::wstring parameters = RestartParameters(request);
    FAppParam = request.appParam;
    DoStatus(958, parameters, 0, 0);

    // The application only ends once the helper is known to run; otherwise nobody would restart it.
    const std::wstring helper = WinTempDir() + L"wusetup.exe";
    const std::intptr_t started = process->ShellOpen(helper, parameters);
    if (started <= 32)
        throw AppError(L"The restart helper " + helper + L" could not be started (" + std::to_wstring(started) + L")");

    if (OnAppDoClose)
        OnAppDoClose(*this);
    else
        process->RequestQuit();
}

// The helper is expanded by the portable reader straight from the resource: no 8-bit path reaches
// the system's LZ32, and the decoded size must be the one the header declares.
bool TWebUpdate::ExtractRestarter() {
    IFileOperations* files = FServices.fileOps;
    if (!files || !FServices.resources) return false;
    const std::wstring target = WinTempDir() + L"wusetup.exe";
    // A helper left by an earlier run must not be started in place of this one.
    if (files->FileExists(target) && !files->Delete(target)) return false;

    const auto packed = FServices.resources->Find(L"UPD");
    if (!packed) return false;
    const TSzddResult helper = SzddDecompress(*packed);
    if (!helper.ok() || helper.data.empty()) return false;
    const auto name = SzddExpandedName(L"wusetup.ex_", helper.header.missingChar);
    if (!name || *name != L"wusetup.exe") return false;
    return WriteWholeFile(*files, target, helper.data);
}

bool TWebUpdate::ExtractPatcher() {
    IFileOperations* files = FServices.fileOps;
    if (!files || !FServices.resources) return false;
    // Without the resource nothing is written: an empty patcher.exe would only fail when run.
    const auto patcher = FServices.resources->Find(L"UTIL");
    if (!patcher) return false;
    const std::wstring target =
        UseWinTempDir ? WinTempDir() + L"patcher.exe"
                      : WithTrailingBackslash(FServices.process ? FServices.process->CurrentFolder() : std::wstring()) +
                            L"patcher.exe";
    return WriteWholeFile(*files, target, *patcher);
}

void TWebUpdate::DoPostUpdateInfo() {
    TPostUpdateInfo& post = PostUpdateInfo;
    if (post.Server.empty() || post.Action.empty()) return;
    IInternet* net = FServices.internet;
    if (!net) return;

    constexpr std::uint32_t kServiceHttp = 3;
    constexpr std::uint32_t kIgnoreCertificatesAndRedirectToHttps = 0x7000;
    const TInternetHandle session(net, net->Open(Agent, L""));
    const TInternetHandle connection(
        net,
        session ? net->Connect(session.get(), post.Server, post.Port, nullptr, nullptr, kServiceHttp, 0) : nullptr);
    if (!connection) {
        DoStatus(951, L"", 16, 5);
        return;
    }
    const TInternetHandle request(
        net, net->OpenRequest(connection.get(), L"POST", post.Action, kIgnoreCertificatesAndRedirectToHttps));
    if (!request) {
        DoStatus(952, L"", 17, 5);
        return;
    }
    post.PostResult.clear();
    if (!net->SendRequestBody(request.get(), L"Content-Type: application/x-www-form-urlencoded", post.Data)) return;
    char buffer[4096];
    for (;;) {
        if (FServices.pump) FServices.pump->ProcessMessages();
        std::uint32_t read = 0;
        if (!net->Read(request.get(), buffer, sizeof buffer, read) || read == 0) break;
        post.PostResult.append(buffer, read);
    }
}

}  // namespace orvane
