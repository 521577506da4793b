#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/CabinetExtractor.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Crypto.h"
#include "platform/CurrentFolder.h"
#include "platform/Dialogs.h"
#include "platform/EngineDialogs.h"
#include "platform/Environment.h"
#include "platform/FileOperations.h"
#include "platform/FileTimes.h"
#include "platform/FileWriter.h"
#include "platform/Internet.h"
#include "platform/InternetErrors.h"
#include "platform/KnownFolders.h"
#include "platform/LocaleFormat.h"
#include "platform/LoginPrompt.h"
#include "platform/LzExpand.h"
#include "platform/MessagePump.h"
#include "platform/Processes.h"
#include "platform/ProcessControl.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"
#include "platform/SystemVersion.h"
#include "platform/VersionResource.h"
#include "platform/Worker.h"
#include "update/DateTime.h"
#include "update/FileList.h"
#include "update/ProgressForm.h"
#include "update/UrlHelpers.h"
#include "update/Versions.h"

namespace orvane {

enum class TWebUpdateType { ftpUpdate, httpUpdate, fileUpdate };
enum class TWebUpdateConnect {
    wucNoConnect,
    wucConnectPrompt,
    wucConnectSilent,
    wucConnectPromptHangup,
    wucConnectSilentHangup,
    wucNone
};
enum class TWebUpdateUpdate { wuuPromptOnce, wuuPromptAll, wuuSilent };
enum class TWebUpdateVersionCheck { vcUpdateOnly, vcAlways };
enum class TWebUpdateAuthentication { waAlways, waAuto, waNever };
enum class TWebUpdateCertCheck { ccEnable, ccDisable };
enum class TLastURLReg { lurLOCALUSER, lurLOCALMACHINE };

struct TLastURLEntry {
    bool Save = false;
    std::wstring Key;
    std::wstring Section;
    TLastURLReg RegRoot = TLastURLReg::lurLOCALUSER;
};

struct TPostUpdateInfo {
    std::wstring Server;
    std::wstring Action;
    std::string Data;
    bool Enabled = false;
    std::string PostResult;  // the server's answer
    std::uint16_t Port = 80;  // HTTP; a test points it at its own server
};

// Display settings of the patcher run; a component of its own placed beside the update component.
struct TWebUpdateUtility {
    bool ShowWindow = false;
    bool ShowAnimation = false;
    std::wstring StatusMessage;
    std::wstring StatusCaption;
};

// The platform services the engine uses; a missing service makes its step answer its fallback.
struct TWebUpdateServices {
    const IKnownFolders* folders = nullptr;
    const IEnvironment* environment = nullptr;
    const IRegistry* registry = nullptr;
    IRegistryStore* store = nullptr;
    IFileWriter* files = nullptr;
    const IFileTimes* fileTimes = nullptr;
    const IAnsiCodePage* ansi = nullptr;
    const IClock* clock = nullptr;
    const ILocaleFormat* locale = nullptr;
    const IInternetErrors* errors = nullptr;
    IDialogs* dialogs = nullptr;
    const ISystemVersion* system = nullptr;
    IInternet* internet = nullptr;
    IConnectionState* connection = nullptr;
    IFileOperations* fileOps = nullptr;
    ILzExpand* lz = nullptr;
    ICabinetExtractor* cabinets = nullptr;
    ILoginPrompt* login = nullptr;
    IMessagePump* pump = nullptr;
    const IVersionResource* versions = nullptr;
    IProcessLauncher* processes = nullptr;
    IEngineDialogs* engineDialogs = nullptr;
    ICurrentFolder* currentFolder = nullptr;
    IWorkerThreads* workers = nullptr;
    // Creates the download window DoUpdate shows; none when empty.
    std::function<std::unique_ptr<TProgressForm>()> progressForms;
    IModuleResources* resources = nullptr;
    IProcessControl* process = nullptr;
    IProfileWriter* profiles = nullptr;
    const ICrypto* crypto = nullptr;
};

// The status template of a message number; nullptr when the number has none.
const wchar_t* StatusTemplate(int msgId);
// The message of a status: the template with the text in place of its "%s"; number 18 is the text itself.
std::wstring StatusMessage(int msgId, const std::wstring& text);
// "dd/mm/yyyy hh:nn:ss : [id] message (Status:s) (Error:e)" with the locale's separators.
std::wstring FormatLogLine(const LocalTime& now, wchar_t dateSeparator, wchar_t timeSeparator, int msgId,
                           const std::wstring& message, int statusCode, int errCode);
// The folder a prefix names, in its final form: drive paths without a trailing backslash, others followed by "\.".
std::wstring NormalizeFolder(std::wstring s);

// The log file name shared by every update component of the process.
std::wstring ProcessLogFileName();
void SetProcessLogFileName(const std::wstring& name);

class TWebUpdate {
public:
    explicit TWebUpdate(const TWebUpdateServices& services);
    virtual ~TWebUpdate();
    TWebUpdate(const TWebUpdate&) = delete;
    TWebUpdate& operator=(const TWebUpdate&) = delete;

    // Settings.
    std::wstring Agent = L"TWebUpdate";
    bool ApplyPatch = false;
    TWebUpdateAuthentication Authenticate = TWebUpdateAuthentication::waNever;
    bool AutoRestart = true;
    TWebUpdateCertCheck CertCheck = TWebUpdateCertCheck::ccEnable;
    std::wstring DateFormat = L"dd/mm/yyyy";
    wchar_t DateSeparator = L'/';
    bool ExtractCAB = false;
    bool ExistingConnection = false;
    bool ForceUpdate = false;
    std::wstring FTPDirectory;
    bool FTPPassive = false;
    std::wstring Host;
    bool HTTPKeepAliveAuthentication = false;
    bool KeepIntermediateFiles = false;
    std::wstring LanguageID;
    bool Logging = false;
    TLastURLEntry LastURLEntry;
    std::wstring Password;
    int Port = 21;
    TPostUpdateInfo PostUpdateInfo;
    std::wstring Proxy;
    std::wstring ProxyUserID;
    std::wstring ProxyPassword;
    bool ShowDownloadProgress = false;
    std::wstring Signature = L"WebUpdate";
    bool SignatureCheck = false;
    std::wstring TempDirectory = L".";
    std::wstring TimeFormat = L"hh:nn";
    int TimeOut = 0;
    int ReceiveTimeOut = 0;
    wchar_t TimeSeparator = L':';
    TWebUpdateType UpdateType = TWebUpdateType::httpUpdate;
    TWebUpdateConnect UpdateConnect = TWebUpdateConnect::wucNoConnect;
    TWebUpdateUpdate UpdateUpdate = TWebUpdateUpdate::wuuPromptOnce;
    std::wstring URL;
    bool HideURLInLogFile = false;
    std::wstring UserID;
    bool UseCRC32 = false;
    bool UseWinTempDir = true;
    TWebUpdateUtility* Utility = nullptr;  // not owned
    TWebUpdateVersionCheck VersionCheck = TWebUpdateVersionCheck::vcUpdateOnly;
    // Public keys (PEM) control files must be signed with; with none, control files are taken unsigned.
    std::vector<std::string> TrustedKeys;
    // The running program's version, which a signed release may not go below; empty: read from its file.
    std::wstring OwnVersion;

    const std::wstring& LogFileName() const { return FLogFileName; }
    void SetLogFileName(const std::wstring& name);  // also the process-wide name
    std::wstring Version() const;
    void SetVersion(const std::wstring&) {}  // the component's version is fixed

    // Events; assign an empty function to clear one.
    std::function<void(TWebUpdate&, const std::wstring& fileName, std::int64_t pos, std::int64_t size)> OnFileProgress;
    std::function<void(TWebUpdate&, const std::wstring& fileName)> OnFileDownloaded;
    std::function<void(TWebUpdate&, const std::wstring& newVersion, const std::wstring& localVersion, bool& isNew)>
        OnFileVersionCheck;
    std::function<void(TWebUpdate&, bool& allowPostResult)> OnProcessPostResult;
    std::function<void(TWebUpdate&, bool& allowPost)> OnBeforePost;
    std::function<void(TWebUpdate&, bool& cancel)> OnProgressCancel;
    std::function<void(TWebUpdate&, const std::wstring& statusStr, int statusCode, int errCode)> OnStatus;
    std::function<void(TWebUpdate&)> OnThreadUpdateDone;
    std::function<void(TWebUpdate&, bool& allow)> OnAppRestart;
    std::function<void(TWebUpdate&)> OnAppDoClose;
    std::function<void(TWebUpdate&, int fileIdx, const TFileDescription& file, std::wstring& url)> OnBeforeFileDownload;
    std::function<void(TWebUpdate&, const std::wstring& msg, const std::wstring& param, bool& allow)> OnCustomValidate;
    std::function<void(void* hfile, const std::wstring& url, const std::wstring& tgt, bool& uncompress, bool& handled,
                       bool& success)>
        OnBeforeUrlToFile;
    std::function<void(TWebUpdate&, const std::wstring& msg, const std::wstring& param)> OnCustomProcess;
    std::function<void(TWebUpdate&, std::vector<std::wstring>& list)> OnGetFileList;
    std::function<void(TWebUpdate&, std::wstring& path)> OnConvertPrefix;
    std::function<void(TWebUpdate&, std::wstring& appParams)> OnSetAppParams;
    std::function<void(TWebUpdate&, std::wstring& appParams)> OnSetAppParamAfter;
    std::function<void(TWebUpdate&, std::wstring& appParams)> OnSetAppParamBefore;
    std::function<void(TWebUpdate&, std::vector<std::wstring>& text, int& res)> OnDownloadedWhatsNew;
    std::function<void(TWebUpdate&, std::vector<std::wstring>& text, int& res)> OnDownloadedEULA;
    std::function<void(TWebUpdate&, const std::wstring& url, std::wstring& fileName)> OnFileNameFromURL;
    std::function<void(TWebUpdate&)> OnSuccess;

    // Public state.
    const std::wstring& ControlFileName() const { return FControlFileName; }
    TDateTime NewVersionDate() const { return FNewVersionDate; }
    TDateTime CurVersionDate() const { return FCurVersionDate; }
    const std::wstring& NewVersionInfo() const { return FNewVersionInfo; }
    const std::wstring& CurVersionInfo() const { return FCurVersionInfo; }
    const std::wstring& UpdateDescription() const { return FUpdateDescription; }
    TFileList& FileList() { return FFileList; }
    const TFileList& FileList() const { return FFileList; }
    bool Cancelled() const { return FCancelled; }
    bool InProgress() const { return FInProgress; }
    bool AppNeedsRestart() const { return FAppClose && !FCancelled && FAppCompsIncluded; }
    bool AppSilentRestart() const { return FSilentRestart; }
    void* HintConnect() const { return FHintConnect; }
    bool UACEnabled() const { return true; }
    bool SignaturesEnforced() const { return !TrustedKeys.empty(); }
    // OwnVersion, or the version resource of the running program; empty when unknown.
    std::wstring RunningVersion();

    // Whole runs and queries; built with their steps.
    void DoUpdate(bool initPath = true);
    void DoThreadUpdate(bool initPath = true);
    bool NewVersionAvailable(bool initPath = true);
    std::optional<std::vector<std::wstring>> NewWhatsNew(bool showDialog);
    virtual int UpdateActions();
    void ShowHTMLDialog(const std::wstring& url);
    void DoSuccess();
    void DoPostUpdateInfo();
    bool Connected();
    int ConnectionType();
    void HangUp();
    bool URLGetFile(void* hfile, const std::wstring& url, const std::wstring& tgt, bool uncompress);
    std::wstring URLtoFile(const std::wstring& url);
    std::wstring URLToDomain(const std::wstring& url);
    std::wstring MakeProxyUrl(const std::wstring& url, const std::wstring& proxyUser, const std::wstring& proxyPwd);

    tfvi GetFileVersion(const std::wstring& fileName);
    TDateTime ParseUpdateDateTime(const std::wstring& date, const std::wstring& time) const;
    std::optional<std::vector<std::wstring>> DownloadTextList(const std::wstring& url);
    std::optional<std::string> DownloadTextStream(const std::wstring& url);
    static bool StreamIsRTF(const std::string& stream);
    bool RunAndWait(const std::wstring& command, bool showWindow, bool showAnimation, const std::wstring& caption,
                    const std::wstring& message);
    // Runs on the main thread once the worker of DoThreadUpdate has ended.
    void ThreadDone();

    // Services every step uses.
    std::wstring ExpandPrefixes(std::wstring text);
    void AddToLog(const std::wstring& s);
    void Error();
    void Cancel() { FCancelled = true; }
    std::wstring WinTempDir() const;

    // The stored control-file URL and date of the last update.
    std::wstring URLGet();
    void URLPut(const std::wstring& url);
    TDateTime UpdateDateGet();
    void UpdateDatePut(TDateTime dt);

    // Overridable operations, in the order of their slots.
    virtual int ShowWhatsNewDialog(const std::string& content);
    virtual int ShowEULADialog(const std::string& content);
    virtual void DoStatus(int msgId, const std::wstring& text, int statusCode, int errCode);
    virtual bool ExtractRestarter();
    virtual bool ExtractPatcher();
    virtual bool IsUpdateNeeded(std::wstring& newVersion, std::wstring& localFile, std::int32_t newSize,
                                std::int32_t newCheckSum);
    virtual void DoFileProgress(const std::wstring& fileName, std::int64_t pos, std::int64_t size);
    virtual void DoProgressCancel(bool& cancel);
    virtual void DoSetAppParamBefore(std::wstring& appParams);
    virtual void DoSetAppParamAfter(std::wstring& appParams);
    virtual void CustomProcess(const std::wstring& fn);
    virtual void DoRestart();
    virtual int StartConnection();
    virtual int StopConnection();
    virtual int FTPConnect();
    virtual std::wstring GetControlFileURL();
    virtual int GetControlFile();
    virtual int DoVersionCheck();
    virtual int HandleActions();
    virtual std::optional<std::vector<std::wstring>> GetWhatsNew();
    virtual std::optional<std::string> GetWhatsNewStream();
    virtual std::optional<std::vector<std::wstring>> GetEULA();
    virtual std::optional<std::string> GetEULAStream();
    virtual std::wstring GetOSVersion();
    virtual std::wstring GetIDE();
    virtual std::wstring GetIEVersion();
    virtual std::wstring GetInstalledIDEs();
    virtual int GetFileDetails();
    virtual int ProcessFileDetails();
    virtual int GetFileUpdates();
    virtual void ConvertPrefix(const std::wstring& prefix, std::wstring& s);

    // Module-level helpers of the fetch, bound to this engine's services and reports.
    bool CopyLocalFile(const std::wstring& source, const std::wstring& target);
    std::wstring ExpandLZFile(const std::wstring& path);
    void ClearFileAttributes(const std::wstring& path);
    bool LoginPrompt(const std::wstring& caption, std::wstring& user, std::wstring& password);

    // The download window while DoUpdate shows one; not owned.
    void SetProgressForm(TProgressForm* form) { FProgressForm = form; }

protected:
    // Parts of the fetch, by transport.
    bool SendsCredentialsTo(const std::wstring& url);
    // A request and the connection it was opened on (closed after it).
    struct TRequest {
        TInternetHandle connection;
        TInternetHandle request;
        bool stop = false;        // the step already reported why it ends the fetch
        std::uint32_t error = 0;  // the system error of a request that could not be opened
    };
    TRequest OpenHttpRequest(void* hfile, const std::wstring& url);
    TRequest OpenFtpRequest(void* hfile, const std::wstring& name, std::uint64_t& expected);
    bool TransferToTarget(TRequest& request, const std::wstring& url, const std::wstring& target,
                          const std::wstring& local, std::uint64_t expected, bool uncompress);
    // Error() for a code taken when the failure happened.
    void ReportError(std::uint32_t code);
    std::wstring ControlFileUrl();
    bool ReplaceTarget(const std::wstring& temp, const std::wstring& target);
    std::wstring TempFolder() const;
    void Uncompress(const std::wstring& path, const std::wstring& target, bool ruleA);

    // The local control file as every step reads it; empty when it cannot be read. Under signatures, the
    // bytes that verified, never the file again.
    TControlFile ReadControlFile();
    TControlFile ParseControlBytes(const std::string& bytes) const;
    std::string ReadLocalFile(const std::wstring& path);
    // Fetches the signature beside the control file and decides; false (reported) when refused.
    bool TrustControlFile(const std::wstring& url);
    // True unless a digest is expected for the fetch under way and the file's bytes do not have it.
    bool MatchesExpectedDigest(const std::wstring& path, const std::wstring& url);
    // The digest an entry must have; false (reported) when the entry cannot be fetched.
    bool EntryDigest(const TFileDescription& entry, const std::wstring& url, std::optional<TSha256>& digest);
    // Text bytes decoded as the control file is, split on any line break.
    std::vector<std::wstring> TextLines(const std::string& bytes) const;
    // Starts a program of the action section without waiting; failures are not reported.
    void StartProgram(const std::wstring& program, const std::wstring& params);
    // Finishes one downloaded entry; false when a step that must succeed failed.
    bool FinishDownload(const TFileDescription& entry, const std::wstring& folder, const std::wstring& name);
    // The folder the current folder stands for; "" when unknown.
    std::wstring CurrentFolder() const;

    // Appends one line to the process-wide log file; a line that cannot be written is lost.
    void WriteLogLine(const std::wstring& line);

    TWebUpdateServices FServices;
    std::wstring FLogFileName;

    std::wstring FControlFileName;
    TDateTime FNewVersionDate = 0, FCurVersionDate = 0;
    std::wstring FNewVersionInfo, FCurVersionInfo, FUpdateDescription;
    TFileList FFileList;
    bool FCancelled = false;
    bool FInProgress = false;
    bool FSilentRestart = false;
    void* FHintConnect = nullptr;  // the session for HTTP, FFtpConnection for FTP
    TInternetHandle FHint;
    TInternetHandle FFtpConnection;
    bool FDialed = false;
    bool FFTPDirSet = false;
    int FTransfers = 0;                           // transfers running (a pumped message may start another)
    bool FStopPending = false;                    // StopConnection asked for during a transfer
    std::optional<TUrlOrigin> FCredentialOrigin;  // where UserID and Password were entered

    bool FAppClose = false;
    bool FAppCompsIncluded = false;
    std::wstring FAppName, FAppParam, FAppComps;
    bool FSaveUpdate = false;
    std::wstring FLocalFileDateCheck;
    bool FThreaded = false;
    bool FDownloadsRefused = false;  // the user said No to a download in the last GetFileUpdates
    TProgressForm* FProgressForm = nullptr;
    std::optional<std::string> FVerifiedControl;  // the control file's bytes once their signature verified
    std::optional<TSha256> FExpectedSha256;       // of the entry being fetched
};

}  // namespace orvane
