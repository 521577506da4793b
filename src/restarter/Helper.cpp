#include "restarter/Helper.h"

#include <algorithm>

#include "core/Text.h"
#include "restarter/HelperParameters.h"
#include "restarter/HelperRules.h"
#include "update/ControlFile.h"
#include "update/PathHelpers.h"
#include "update/Szdd.h"

namespace orvane {

namespace {

// A file that goes into place: from the working folder or the staging folder, to its target.
struct TPlacement {
    std::wstring source, target;
    std::wstring staged = {}, aside = {};  // filled while installing
};

struct TAction {
    std::wstring program, arguments, consumed;  // consumed: deleted once it has run
};

class TInstall {
public:
    TInstall(IHelperSystem& system, const THelperBounds& bounds, const THelperParameters& params,
             const std::wstring& logPath)
        : sys_(system), bounds_(bounds), params_(params), logPath_(logPath) {}

    void Log(const std::wstring& message) {
        if (params_.log) sys_.AppendLog(logPath_, FormatHelperLogLine(sys_.Now(), message));
    }

    // Everything delivered is first prepared beside its target; only then is anything replaced, and
    // a failure puts back what was replaced.
    void Run() {
        const std::wstring here = WithBackslash(sys_.CurrentFolder());
        folders_ = sys_.Folders();
        staging_ = params_.workFolder + L"wusetup.staging\\";
        sys_.RemoveTree(staging_);
        for (const std::wstring& file : params_.files) {
            if (failed_) break;
            ProcessFile(file, here, false);
        }
        if (!failed_ && Commit()) {
            RemoveLeftovers();
            for (const TAction& action : actions_) RunAction(action);
            for (const std::wstring& done : consumed_) sys_.Delete(done);
        } else {
            Log(L"UPD install failed: nothing was changed, the installed files are kept");
        }
        sys_.RemoveTree(staging_);
    }

private:
    void Fail() { failed_ = true; }

    void ProcessFile(const std::wstring& f, const std::wstring& d, bool fromList) {
        const std::wstring& w = params_.workFolder;
        if (!IsPlainFileName(f)) {
            Log(L"UPD unsafe file name refused : " + f);
            return Fail();
        }
        const TComponentRule rule = ClassifyComponent(f);
        switch (rule.kind) {
            case TComponentKind::ckCopy: {
                const std::wstring& b = rule.base;
                if (!IsPlainFileName(b)) {
                    Log(L"UPD unsafe file name refused : " + f);
                    return Fail();
                }
                if (!sys_.Exists(w + b + L"_new")) return;
                Log(L"Upd copying file : " + w + b + L"_NEW to " + d + b);
                placements_.push_back({w + f, d + b});
                return;
            }
            case TComponentKind::ckFileList: {
                if (fromList) {
                    Log(L"Upd inf file inside a file list not followed: " + w + f);
                    return;
                }
                Log(L"Upd inf file: " + w + f);
                const auto bytes = sys_.ReadFile(w + f);
                if (!bytes) return;  // an unreadable list installs nothing
                int i = 0;
                for (const TFileListEntry& entry : ReadFileList(*bytes, sys_.Ansi())) {
                    if (failed_) return;
                    Log(L"upd inf " + std::to_wstring(++i) + L" : " + entry.file + L" " + entry.target);
                    ProcessFile(entry.file, ExpandTarget(entry.target, folders_), true);
                }
                return;
            }
            case TComponentKind::ckPatch: {
                const size_t dot = f.rfind(L'.');
                const std::wstring p = f.substr(0, dot) + L".EXE";
                std::wstring arguments = params_.log ? L"-v " : L"";
                arguments += L"\"" + w + f + L"\" \"" + d + p + L"\"";
                if (params_.log) arguments += L" >>WUPDATELOG";
                actions_.push_back({w + L"patcher.exe", arguments, w + f});
                return;
            }
            case TComponentKind::ckCabinet: {
                Log(L"Upd cab extract " + f + L" " + d);
                const std::wstring folder = NewStagingFolder();
                if (!sys_.ExtractCabinet(w + f, folder)) {
                    Log(L"Upd cabextract failed");
                    return Fail();
                }
                for (const std::wstring& member : sys_.ListFiles(folder))
                    placements_.push_back({folder + member, d + member});
                consumed_.push_back(w + f);
                return;
            }
            case TComponentKind::ckProgram:
                Log(L"Upd execute " + f + L" " + d);
                actions_.push_back({w + f, L"", w + f});
                return;
            case TComponentKind::ckLz:
                return ExpandLz(f, d);
        }
    }

    void ExpandLz(const std::wstring& f, const std::wstring& d) {
        const std::wstring source = params_.workFolder + f;
        Log(L"Upd lzexpand " + f + L" " + d);
        // The system's expander takes cut or overlong data without a word: check it first.
        const auto bytes = sys_.ReadFile(source);
        if (!bytes) {
            Log(L"Upd lzexpand cannot read " + source);
            return Fail();
        }
        const TSzddResult check = SzddDecompress(*bytes);
        const bool compressed = check.status != TSzddStatus::szddNotSzdd;
        if (compressed && !check.ok()) {
            Log(L"Upd lzexpand damaged data in " + source);
            return Fail();
        }
        const std::wstring folder = NewStagingFolder();
        const auto expanded = sys_.LzExpand(source, folder);
        if (!expanded || !IsPlainFileName(expanded->name) ||
            (compressed && expanded->size != check.header.expandedSize)) {
            Log(L"Upd lzexpand failed " + source);
            return Fail();
        }
        Log(L"Upd lzexpand dest. filename " + expanded->name);
        placements_.push_back({folder + expanded->name, d + expanded->name});
    }

    std::wstring NewStagingFolder() {
        std::wstring folder = staging_ + std::to_wstring(++stagingCount_) + L"\\";
        sys_.CreateFolders(folder);
        return folder;
    }

    template <typename Step>
    bool Retry(Step step) {
        for (unsigned attempt = 0;; ++attempt) {
            if (step()) return true;
            if (attempt + 1 >= bounds_.retries) return false;
            sys_.Sleep(bounds_.retryDelayMs);
        }
    }

    bool Commit() {
        // The last delivery of a target wins.
        std::vector<TPlacement> unique;
        for (auto it = placements_.rbegin(); it != placements_.rend(); ++it) {
            const bool seen = std::any_of(unique.begin(), unique.end(),
                                          [&](const TPlacement& p) { return EqualsNoCaseAscii(p.target, it->target); });
            if (!seen) unique.push_back(*it);
        }
        std::reverse(unique.begin(), unique.end());

        bool ok = true;
        for (TPlacement& p : unique) {
            p.staged = p.target + std::wstring(kStagedSuffix);
            sys_.CreateFolders(DirectoryPart(p.target));
            sys_.Delete(p.staged);
            if (!sys_.CopyNew(p.source, p.staged)) {
                p.staged.clear();
                Log(L"Upd copy error " + p.source + L" to " + p.target);
                ok = false;
                break;
            }
        }
        size_t done = 0;
        for (; ok && done < unique.size(); ++done) {
            TPlacement& p = unique[done];
            if (sys_.Exists(p.target)) {
                p.aside = AsideName(p.target);
                if (!Retry([&] { return sys_.Rename(p.target, p.aside); })) {
                    Log(L"Upd file in use, cannot replace " + p.target);
                    p.aside.clear();
                    ok = false;
                    break;
                }
            }
            if (!Retry([&] { return sys_.MoveReplace(p.staged, p.target); })) {
                Log(L"Upd copy error " + p.source + L" to " + p.target);
                ok = false;
                ++done;  // its aside file is put back too
                break;
            }
            p.staged.clear();
        }
        if (ok) {
            for (const TPlacement& p : unique) {
                folders_touched_.push_back(DirectoryPart(p.target));
                if (!p.aside.empty()) sys_.Delete(p.aside);  // may be held still: removed next time
            }
            return true;
        }
        // Back to what was installed, newest first.
        for (size_t i = done; i-- > 0;) {
            const TPlacement& p = unique[i];
            if (!p.aside.empty()) {
                if (Retry([&] { return sys_.MoveReplace(p.aside, p.target); }))
                    Log(L"Upd restored " + p.target);
                else
                    Log(L"Upd could not restore " + p.target + L" from " + p.aside);
            } else if (p.staged.empty()) {
                sys_.Delete(p.target);  // a new file that had no predecessor
            }
        }
        for (const TPlacement& p : unique)
            if (!p.staged.empty()) sys_.Delete(p.staged);
        return false;
    }

    std::wstring AsideName(const std::wstring& target) {
        std::wstring aside = target + std::wstring(kAsideSuffix);
        // A leftover of an earlier run that is still held keeps its name; take the next one.
        for (int n = 1; sys_.Exists(aside) && !sys_.Delete(aside); ++n)
            aside = target + std::wstring(kAsideSuffix) + std::to_wstring(n);
        return aside;
    }

    void RemoveLeftovers() {
        std::sort(folders_touched_.begin(), folders_touched_.end());
        folders_touched_.erase(std::unique(folders_touched_.begin(), folders_touched_.end()), folders_touched_.end());
        for (const std::wstring& folder : folders_touched_) {
            const std::wstring prefix = WithBackslash(folder);
            for (const std::wstring& name : sys_.ListFiles(prefix)) {
                if (name.find(L'\\') != std::wstring::npos) continue;
                if (name.find(kAsideSuffix) != std::wstring::npos) sys_.Delete(prefix + name);
            }
        }
    }

    void RunAction(const TAction& action) {
        const auto code = sys_.RunAndWait(action.program, action.arguments, bounds_.runMs);
        if (!code)
            Log(L"Upd program not run or not ended in time: " + action.program);
        else if (*code != 0)
            Log(L"Upd program ended with code " + std::to_wstring(*code) + L": " + action.program);
        sys_.Sleep(500);
        sys_.Delete(action.consumed);
    }

    IHelperSystem& sys_;
    const THelperBounds& bounds_;
    const THelperParameters& params_;
    const std::wstring& logPath_;
    THelperFolders folders_;
    std::wstring staging_;
    int stagingCount_ = 0;
    bool failed_ = false;
    std::vector<TPlacement> placements_;
    std::vector<TAction> actions_;
    std::vector<std::wstring> consumed_;
    std::vector<std::wstring> folders_touched_;
};

}  // namespace

THelperBounds ShortenedBounds(std::string_view settings, const IAnsiCodePage& ansi) {
    THelperBounds bounds;
    const TControlFile file = TControlFile::FromBytes(settings, ansi);
    const auto shorten = [&](const wchar_t* key, unsigned& value) {
        const std::int32_t n = file.ReadInteger(L"BOUNDS", key, -1);
        if (n >= 0 && unsigned(n) < value) value = unsigned(n);
    };
    shorten(L"waitms", bounds.waitMs);
    shorten(L"runms", bounds.runMs);
    return bounds;
}

void RunHelper(const std::vector<std::wstring>& arguments, IHelperSystem& sys, const THelperBounds& bounds) {
    const auto params = ParseHelperParameters(arguments);
    if (!params) return;

    const LocalTime waitStart = sys.Now();
    const IHelperSystem::TWait waited = sys.WaitForProcess(params->processId, bounds.waitMs);
    const LocalTime waitEnd = sys.Now();

    const std::wstring documents = WithBackslash(sys.DocumentsFolder());
    const std::wstring settings = documents + L"WUPDATE.INI";
    std::optional<std::wstring> configured;
    if (const auto bytes = sys.ReadFile(settings)) {
        configured = ConfiguredLogFileName(*bytes, sys.Ansi());
        sys.Delete(settings);
    }
    const std::wstring logPath = HelperLogPath(configured, documents);
    sys.Sleep(500);

    TInstall install(sys, bounds, *params, logPath);
    install.Log(L"UPD v2.0.4.0 started");
    install.Log(L"UPD current directory: " + sys.CurrentFolder());
    install.Log(L"UPD waited from " + FormatWaitTime(waitStart) + L" to " + FormatWaitTime(waitEnd) +
                L" for application close");
    if (waited == IHelperSystem::TWait::wTimedOut) {
        install.Log(L"UPD application still running after " + std::to_wstring(bounds.waitMs / 1000) +
                    L" s: nothing installed, nothing restarted");
        return;
    }
    install.Run();

    if (params->application == L"null") return;
    install.Log(L"UPD restart " + params->application + L" " + params->applicationParameters);
    const std::wstring parameters = params->applicationParameters == L" " ? L"" : params->applicationParameters;
    if (sys.Start(params->application, parameters))
        install.Log(L"UPD has EXE restarted");
    else
        install.Log(L"UPD restart failed: " + params->application);
}

}  // namespace orvane
