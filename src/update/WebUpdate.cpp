#include "update/WebUpdate.h"

#include <fstream>
#include <iterator>
#include <mutex>
#include <stdexcept>

#include "core/Text.h"
#include "update/ControlFile.h"
#include "update/HostProbes.h"
#include "update/PathHelpers.h"

namespace orvane {

namespace {

struct StatusEntry {
    int id;
    const wchar_t* text;
};

constexpr StatusEntry kStatusTable[] = {
    {909, L"Download update file : "},
    {910, L"Download update files ?"},
    {911, L"Shutdown application to update executable files ?"},
    {912, L"Equal source and target files : %s"},
    {913, L"File not found : %s"},
    {914, L"Zero length source file : %s"},
    {915, L"Download : %s"},
    {916, L"Http status : %s"},
    {917, L"File not found : %s"},
    {918, L"Checking for Internet connection"},
    {919, L"Prompt to open new Internet connection"},
    {920, L"Opening Internet connection"},
    {921, L"Found open Internet connection"},
    {922, L"Cannot open Internet connection"},
    {923, L"Connect to host : %s"},
    {925, L"Update control file not found"},
    {926, L"Update control file found"},
    {927, L"Invalid signature in update control file"},
    {928, L"Date based update found"},
    {929, L"New version found : %s"},
    {930, L"No new version found"},
    {931, L"Checksum based update found"},
    {932, L"File size based update found"},
    {933, L"Version based update found"},
    {934, L"Found message instruction"},
    {935, L"Found HTML dialog instruction"},
    {936, L"Found query instruction"},
    {937, L"Found whatsnew instruction"},
    {938, L"Whatsnew not accepted"},
    {939, L"Found license agreement instruction"},
    {941, L"Found URL redirection instruction"},
    {942, L"Found URL show instruction"},
    {943, L"Found file update instruction"},
    {944, L"Version check : %s"},
    {946, L"Cannot download update file : %s"},
    {947, L"Error decompressing CAB file : %s"},
    {948, L"Finished processing update control file"},
    {949, L"Closed Internet connection"},
    {951, L"Cannot connect to server for post"},
    {952, L"Cannot access resource for post"},
    {953, L"Dialup failed"},
    {954, L"Closed FTP connection"},
    {955, L"Disconnect dialup"},
    {956, L"Authentication cancelled"},
    {958, L"Spawn %s"},
    {959, L"Restart app in directory : %s"},
    {960, L"Threaded update execution done"},
    {961, L"Restart after threaded update"},
    {962, L"Found application component : %s"},
    {963, L"Start WebUpdate process with version : %s"},
    {964, L"WebUpdate process cancelled"},
    {965, L"Extract CAB file : %s"},
    {966, L"OS version : %s"},
    {967, L"IE version : %s"},
    {968, L"Start update : %s ---------------------------"},
    {969, L"Compiler : %s"},
    {970, L"Installed IDEs : %s"},
    {971, L"Processing file : %s"},
    {972, L"Cannot delete file : %s"},
    {973, L"Cannot rename file : %s"},
    {974, L"Change FTP directory to : %s"},
    {975, L"Cannot change FTP directory to : %s"},
    {976, L"System error : %s"},
    {977, L"Downloading : %s"},
    {978, L"Downloading..."},
    {979, L"Update control file signature verified"},
    {980, L"Update control file refused, signature not valid : %s"},
    {981, L"Update control file refused, no version offered"},
    {982, L"Update control file refused, older than the running version : %s"},
    {983, L"Update control file refused, running version unknown"},
    {984, L"SHA-256 of update file does not match : %s"},
    {985, L"Update file refused, no SHA-256 given : %s"},
    {986, L"Update file refused, SHA-256 not valid : %s"},
};

constexpr int kTextOnlyStatus = 18;
constexpr std::uint32_t kInternetExtendedError = 12003;
constexpr std::uint32_t kInternetLoginFailure = 12015;
constexpr size_t kErrorTextLimit = 2050;
constexpr int kMaxPrefixExpansions = 64;

// Guards the shared name; the lines themselves are written without a lock, as before.
std::mutex& LogNameMutex() {
    static std::mutex m;
    return m;
}
std::wstring& LogNameStorage() {
    static std::wstring name;
    return name;
}

std::wstring TwoDigits(int v) {
    std::wstring s = std::to_wstring(v);
    return s.size() < 2 ? L"0" + s : s;
}

std::wstring ReplaceNoCase(std::wstring text, std::wstring_view what, const std::wstring& with) {
    const std::wstring upperWhat = UpperCaseAscii(what);
    size_t pos = 0;
    for (;;) {
        const size_t at = UpperCaseAscii(text).find(upperWhat, pos);
        if (at == std::wstring::npos) return text;
        text.replace(at, what.size(), with);
        pos = at + with.size();
    }
}

std::wstring CollapseBackslashes(const std::wstring& path) {
    size_t start = 0;
    std::wstring out;
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        out = L"\\\\";
        start = 2;
    }
    for (size_t i = start; i < path.size(); ++i) {
        out += path[i];
        if (path[i] == L'\\' && i + 1 < path.size() && path[i + 1] == L'\\') ++i;
    }
    return out;
}

RegHive HiveOf(TLastURLReg root) {
    return root == TLastURLReg::lurLOCALMACHINE ? RegHive::LocalMachine : RegHive::CurrentUser;
}

}  // namespace

const wchar_t* StatusTemplate(int msgId) {
    for (const StatusEntry& e : kStatusTable)
        if (e.id == msgId) return e.text;
    return nullptr;
}

std::wstring StatusMessage(int msgId, const std::wstring& text) {
    if (msgId == kTextOnlyStatus) return text;
    const wchar_t* pattern = StatusTemplate(msgId);
    if (!pattern) return {};
    const std::wstring_view p(pattern);
    const size_t at = p.find(L"%s");
    if (at == std::wstring_view::npos) return std::wstring(p);
    return std::wstring(p.substr(0, at)) + text + std::wstring(p.substr(at + 2));
}

std::wstring FormatLogLine(const LocalTime& now, wchar_t dateSeparator, wchar_t timeSeparator, int msgId,
                           const std::wstring& message, int statusCode, int errCode) {
    std::wstring year = std::to_wstring(now.year);
    while (year.size() < 4) year = L"0" + year;
    return TwoDigits(now.day) + dateSeparator + TwoDigits(now.month) + dateSeparator + year + L' ' +
           TwoDigits(now.hour) + timeSeparator + TwoDigits(now.minute) + timeSeparator + TwoDigits(now.second) +
           L" : [" + std::to_wstring(msgId) + L"] " + message + L" (Status:" + std::to_wstring(statusCode) +
           L") (Error:" + std::to_wstring(errCode) + L")";
}

std::wstring NormalizeFolder(std::wstring s) {
    if (!s.empty() && s.back() != L'\\') s += L'\\';
    if (s.size() > 3 && s[1] == L':')
        s.pop_back();
    else
        s += L'.';
    return s;
}

std::wstring ProcessLogFileName() {
    std::lock_guard<std::mutex> lock(LogNameMutex());
    return LogNameStorage();
}

void SetProcessLogFileName(const std::wstring& name) {
    std::lock_guard<std::mutex> lock(LogNameMutex());
    LogNameStorage() = name;
}

TWebUpdate::TWebUpdate(const TWebUpdateServices& services) : FServices(services) {
    SetLogFileName(L"WUPDATE.LOG");
}

TWebUpdate::~TWebUpdate() {
    // A worker still running would otherwise use an engine that is gone.
    if (FServices.workers) {
        FCancelled = true;
        FServices.workers->JoinAll();
    }
}

void TWebUpdate::SetLogFileName(const std::wstring& name) {
    FLogFileName = name;
    SetProcessLogFileName(name);
}

std::wstring TWebUpdate::Version() const {
    constexpr std::uint32_t kVersion = 0x02030001;
    return std::to_wstring(kVersion >> 24) + L'.' + std::to_wstring((kVersion >> 16) & 0xFF) + L'.' +
           std::to_wstring((kVersion >> 8) & 0xFF) + L'.' + std::to_wstring(kVersion & 0xFF);
}

// Status, log and the services every step uses.

void TWebUpdate::DoStatus(int msgId, const std::wstring& text, int statusCode, int errCode) {
    const std::wstring message = StatusMessage(msgId, text);
    if (Logging) {
        const LocalTime now = FServices.clock ? FServices.clock->Now() : LocalTime{};
        const wchar_t dateSep = FServices.locale ? FServices.locale->DateSeparator() : L'/';
        const wchar_t timeSep = FServices.locale ? FServices.locale->TimeSeparator() : L':';
        WriteLogLine(FormatLogLine(now, dateSep, timeSep, msgId, message, statusCode, errCode));
    }
    if (OnStatus) OnStatus(*this, message, statusCode, errCode);
}

void TWebUpdate::WriteLogLine(const std::wstring& line) {
    IFileWriter* files = FServices.files;
    if (!files) return;
    const std::wstring name = ProcessLogFileName();
    std::wstring path;
    if (name.find_first_of(L"\\/:") != std::wstring::npos) {
        path = name;
    } else {
        const std::wstring documents = FServices.folders ? DocumentsFolder(*FServices.folders) : std::wstring();
        path = WithTrailingBackslash(documents) + name;
    }
    const std::wstring app = FServices.folders ? FServices.folders->Path(KnownFolder::Application) : std::wstring();
    path = CollapseBackslashes(ReplaceNoCase(path, L"{APP}", WithTrailingBackslash(app)));

    const std::wstring folder = DirectoryPart(path);
    if (!folder.empty() && !files->FolderExists(folder) && !CreateDirectoryChain(*files, folder)) return;

    const std::string bytes = (FServices.ansi ? FServices.ansi->Encode(line) : TWindows1252().Encode(line)) + "\r\n";
    // Only a log that cannot be opened is created afresh; one that refuses the write keeps its lines.
    if (files->AppendToExisting(path, bytes) == AppendResult::NotOpened) files->CreateWith(path, bytes);
}

void TWebUpdate::AddToLog(const std::wstring& s) {
    WriteLogLine(s);
}

void TWebUpdate::Error() {
    if (!FServices.errors) return;
    ReportError(FServices.errors->LastError());
}

void TWebUpdate::ReportError(std::uint32_t code) {
    if (!FServices.errors || code == 0) return;
    std::wstring text = FServices.errors->Message(code);
    if (code == kInternetExtendedError) {
        text = FServices.errors->LastResponse();
        if (text.empty()) return;
    } else if (text.empty() && code == kInternetLoginFailure) {
        // Some libraries answer a refused FTP log-on with this code instead of the extended one;
        // the server's own words are still the best explanation.
        text = FServices.errors->LastResponse();
    }
    if (text.size() > kErrorTextLimit) text.resize(kErrorTextLimit);
    DoStatus(976, text, 1, static_cast<int>(code));
    if (!OnStatus && UpdateUpdate != TWebUpdateUpdate::wuuSilent && FServices.dialogs)
        FServices.dialogs->ShowError(text);
}

void TWebUpdate::DoProgressCancel(bool& cancel) {
    if (OnProgressCancel) OnProgressCancel(*this, cancel);
    if (cancel) DoStatus(964, L"", 0, 0);
}

void TWebUpdate::DoFileProgress(const std::wstring& fileName, std::int64_t pos, std::int64_t size) {
    if (FProgressForm) {
        FProgressForm->SetProgress(0, size, pos);
        const size_t cut = fileName.find_last_of(L"\\/");
        FProgressForm->SetFileLabel(
            StatusMessage(977, cut == std::wstring::npos ? fileName : fileName.substr(cut + 1)));
        FProgressForm->SetCaption(StatusMessage(978, L""));
    }
    if (OnFileProgress) OnFileProgress(*this, fileName, pos, size);
}

void TWebUpdate::CustomProcess(const std::wstring& fn) {
    if (OnFileDownloaded) OnFileDownloaded(*this, fn);
}

std::wstring TWebUpdate::WinTempDir() const {
    std::wstring dir;
    if (UseWinTempDir)
        dir = FServices.folders ? FServices.folders->Path(KnownFolder::Temp) : std::wstring();
    else
        dir = TempDirectory;
    return WithTrailingBackslash(dir);
}

// Host description.

std::wstring TWebUpdate::GetOSVersion() {
    return FServices.system ? OSName(*FServices.system) : L"Unknown";
}
std::wstring TWebUpdate::GetIDE() {
    return IDETag();
}
std::wstring TWebUpdate::GetIEVersion() {
    return FServices.registry ? IEVersion(*FServices.registry) : L"(not found)";
}
std::wstring TWebUpdate::GetInstalledIDEs() {
    return FServices.registry ? InstalledIDEs(*FServices.registry) : std::wstring();
}

// Folder prefixes.

std::wstring TWebUpdate::ExpandPrefixes(std::wstring text) {
    if (OnConvertPrefix) OnConvertPrefix(*this, text);
    constexpr size_t kNone = std::wstring::npos;
    size_t open = kNone;
    int expansions = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'{' && open == kNone) {
            open = i;
        } else if (text[i] == L'}' && open != kNone) {
            const size_t o = open;
            open = kNone;
            std::wstring value;
            ConvertPrefix(UpperCaseAscii(text.substr(o + 1, i - o - 1)), value);
            // A folder that names itself in braces would otherwise be expanded for ever.
            if (!value.empty() && expansions < kMaxPrefixExpansions) {
                ++expansions;
                text.replace(o, i - o + 1, value);
                i = o - 1;  // the loop's step lands on the inserted text
            }
        }
    }
    return text;
}

void TWebUpdate::ConvertPrefix(const std::wstring& prefix, std::wstring& s) {
    const IKnownFolders* f = FServices.folders;
    auto folder = [f](KnownFolder k) { return f ? f->Path(k) : std::wstring(); };
    if (prefix == L"WIN")
        s = folder(KnownFolder::Windows);
    else if (prefix == L"SYS")
        s = folder(KnownFolder::System);
    else if (prefix == L"APP")
        s = folder(KnownFolder::Application);
    else if (prefix == L"TMP")
        s = WinTempDir();
    else if (prefix == L"DOC")
        s = f ? DocumentsFolder(*f) : std::wstring();
    else if (prefix == L"PF")
        s = FServices.environment ? ProgramFilesFolder(*FServices.environment) : std::wstring();
    else if (prefix == L"LAD")
        s = f ? LocalAppDataFolder(*f) : std::wstring();
    else if (prefix == L"APPDATA")
        s = f ? CommonAppDataFolder(*f) : std::wstring();
    s = NormalizeFolder(s);
}

// Last URL and update date store.

std::wstring TWebUpdate::URLGet() {
    const TLastURLEntry& e = LastURLEntry;
    if (e.Key.empty() || e.Section.empty() || !e.Save || !FServices.store) return {};
    return FServices.store->ReadText(HiveOf(e.RegRoot), e.Key, e.Section, L"LastURL").value_or(std::wstring());
}

void TWebUpdate::URLPut(const std::wstring& url) {
    const TLastURLEntry& e = LastURLEntry;
    if (e.Key.empty() || e.Section.empty() || !e.Save || !FServices.store) return;
    FServices.store->WriteText(HiveOf(e.RegRoot), e.Key, e.Section, L"LastURL", url);
}

TDateTime TWebUpdate::UpdateDateGet() {
    TDateTime result = *EncodeDate(1980, 1, 1);
    const TLastURLEntry& e = LastURLEntry;
    if (!e.Key.empty() && !e.Section.empty()) {
        if (FServices.store) {
            const RegHive hive = HiveOf(e.RegRoot);
            const std::wstring date =
                FServices.store->ReadText(hive, e.Key, e.Section, L"LastDate").value_or(std::wstring());
            const std::wstring time =
                FServices.store->ReadText(hive, e.Key, e.Section, L"LastTime").value_or(std::wstring());
            const wchar_t dateSep = FServices.locale ? FServices.locale->DateSeparator() : L'/';
            const wchar_t timeSep = FServices.locale ? FServices.locale->TimeSeparator() : L':';
            const std::wstring am = FServices.locale ? FServices.locale->AmDesignator() : L"AM";
            const std::wstring pm = FServices.locale ? FServices.locale->PmDesignator() : L"PM";
            [&] {
                if (!date.empty()) {
                    const auto d = ParseDayMonthYear(date, dateSep);
                    if (!d) return;
                    result = *d;
                }
                if (!time.empty()) {
                    const auto t = ParseTimeOfDay(time, timeSep, am, pm);
                    if (!t) return;
                    result += *t;
                }
            }();
        }
        FSaveUpdate = true;
    } else if (!FLocalFileDateCheck.empty() && FServices.fileTimes) {
        if (const auto stamp = FServices.fileTimes->LastWriteLocal(FLocalFileDateCheck)) result = *stamp;
    }
    return result;
}

void TWebUpdate::UpdateDatePut(TDateTime dt) {
    const TLastURLEntry& e = LastURLEntry;
    if (e.Key.empty() || e.Section.empty() || !e.Save || !FServices.store) return;
    const RegHive hive = HiveOf(e.RegRoot);
    const wchar_t dateSep = FServices.locale ? FServices.locale->DateSeparator() : L'/';
    FServices.store->WriteText(hive, e.Key, e.Section, L"LastDate", FormatDayMonthYear(dt, dateSep));
    if (TimeOf(dt) != 0.0) {
        const std::wstring picture = FServices.locale ? FServices.locale->LongTimeFormat() : L"HH:mm:ss";
        const std::wstring am = FServices.locale ? FServices.locale->AmDesignator() : L"AM";
        const std::wstring pm = FServices.locale ? FServices.locale->PmDesignator() : L"PM";
        FServices.store->WriteText(hive, e.Key, e.Section, L"LastTime", FormatTimePicture(dt, picture, am, pm));
    }
}

}  // namespace orvane
