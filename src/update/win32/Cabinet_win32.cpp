#include "update/win32/Cabinet_win32.h"

#include <windows.h>

#include <fcntl.h>
#include <fdi.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/Text.h"
#include "platform/win32/FileWriter_win32.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Platform.h"
#include "update/CabinetCheck.h"
#include "update/PathHelpers.h"

namespace orvane {

namespace {

using win32::unique_hfile;
using win32::unique_hmodule;

// One file the extractor works on through the callbacks: the cabinet itself, or a member being written.
struct TFdiFile {
    unique_hfile handle;
    bool member = false;
    std::wstring path;
    std::uint64_t declared = 0;
    std::uint64_t written = 0;
};

// State of one extraction. The file callbacks carry no user pointer, so they find it through the
// calling thread: each thread can run its own extraction.
struct TExtraction {
    std::wstring target;
    const IAnsiCodePage* ansi = nullptr;
    std::string cabinetAnsiPath;  // what the extractor asks to open for the cabinet
    std::wstring cabinetPath;     // and what is opened then
    std::unordered_map<TFdiFile*, std::unique_ptr<TFdiFile>> files;
    bool failed = false;
    std::wstring reason;  // the first failure seen in a callback
    std::vector<std::wstring> written;
    win32::TWin32FileWriter folders;

    TFdiFile* Find(INT_PTR hf) {
        const auto it = files.find(reinterpret_cast<TFdiFile*>(hf));
        return it == files.end() ? nullptr : it->second.get();
    }
    INT_PTR Add(std::unique_ptr<TFdiFile> file) {
        TFdiFile* key = file.get();
        files.emplace(key, std::move(file));
        return reinterpret_cast<INT_PTR>(key);
    }
    // Closes the file; a member that was not finished is deleted, so nothing truncated looks complete.
    void Fail(std::wstring why) {
        if (!failed) reason = std::move(why);
        failed = true;
    }
    void Drop(TFdiFile* file, bool complete) {
        const auto it = files.find(file);
        if (it == files.end()) return;
        const std::unique_ptr<TFdiFile> owned = std::move(it->second);
        files.erase(it);
        owned->handle.reset();
        if (owned->member && !complete) {
            DeleteFileW(owned->path.c_str());
            // A later member of the same name took the place of an earlier one that was whole.
            std::erase_if(written,
                          [&](const std::wstring& w) { return _wcsicmp(w.c_str(), owned->path.c_str()) == 0; });
        }
    }
};

thread_local TExtraction* tCurrent = nullptr;

std::wstring FullPathName(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length + 1);
    }
}

FNALLOC(FdiAlloc) {
    return std::malloc(cb);
}

FNFREE(FdiFree) {
    std::free(pv);
}

// The extractor only ever gets the cabinet, read-only; it never opens files of its own choosing.
FNOPEN(FdiOpen) {
    TExtraction* x = tCurrent;
    if (!x || !pszFile || (oflag & (_O_WRONLY | _O_RDWR | _O_CREAT | _O_TRUNC | _O_APPEND))) return -1;
    if (x->cabinetAnsiPath != pszFile) return -1;
    auto file = std::make_unique<TFdiFile>();
    file->handle.reset(CreateFileW(x->cabinetPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file->handle) return -1;
    return x->Add(std::move(file));
}

FNREAD(FdiRead) {
    TFdiFile* file = tCurrent ? tCurrent->Find(hf) : nullptr;
    DWORD read = 0;
    if (!file || !ReadFile(file->handle.get(), pv, cb, &read, nullptr)) return static_cast<UINT>(-1);
    return read;
}

FNWRITE(FdiWrite) {
    TFdiFile* file = tCurrent ? tCurrent->Find(hf) : nullptr;
    if (!file || !file->member) return static_cast<UINT>(-1);
    // Never more than the member declared: corrupt data must not fill the disk.
    if (file->written + cb > file->declared) return static_cast<UINT>(-1);
    DWORD written = 0;
    if (!WriteFile(file->handle.get(), pv, cb, &written, nullptr)) return static_cast<UINT>(-1);
    file->written += written;
    return written;
}

FNCLOSE(FdiClose) {
    TExtraction* x = tCurrent;
    TFdiFile* file = x ? x->Find(hf) : nullptr;
    if (!file) return -1;  // the extractor closes handles it never got after an abort
    x->Drop(file, false);
    return 0;
}

FNSEEK(FdiSeek) {
    TFdiFile* file = tCurrent ? tCurrent->Find(hf) : nullptr;
    LARGE_INTEGER distance, position;
    distance.QuadPart = dist;
    const DWORD method = seektype == SEEK_CUR ? FILE_CURRENT : seektype == SEEK_END ? FILE_END : FILE_BEGIN;
    if (!file || !SetFilePointerEx(file->handle.get(), distance, &position, method) || position.QuadPart > 0x7FFFFFFF)
        return -1;
    return static_cast<LONG>(position.QuadPart);
}

bool StampFile(HANDLE file, USHORT date, USHORT time) {
    FILETIME utc;
    if (date == 0 && time == 0) {
        GetSystemTimeAsFileTime(&utc);
    } else {
        FILETIME localTicks;
        SYSTEMTIME local, universal;
        // An impossible stored date leaves the time of writing in place.
        if (!DosDateTimeToFileTime(date, time, &localTicks) || !FileTimeToSystemTime(&localTicks, &local) ||
            !TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal) || !SystemTimeToFileTime(&universal, &utc))
            return true;
    }
    return SetFileTime(file, nullptr, nullptr, &utc) != FALSE;
}

INT_PTR CopyFileEvent(TExtraction& x, const FDINOTIFICATION& n) {
    const TCabinetMember member{
        n.psz1 ? n.psz1 : "", static_cast<std::uint32_t>(n.cb), 0, 0, 0, 0, static_cast<std::uint16_t>(n.attribs)};
    const auto destination = CabinetDestination(x.target, MemberNameText(member, *x.ansi));
    if (!destination) {
        x.Fail(L"unsafe member name: " + MemberNameText(member, *x.ansi));
        return -1;
    }
    std::wstring folder = destination->folder;
    if (x.target.empty()) folder = DirectoryPart(FullPathName(destination->file));
    if (!folder.empty() && !IsExistingDirectory(x.folders, folder)) CreateDirectoryChain(x.folders, folder);

    auto file = std::make_unique<TFdiFile>();
    file->member = true;
    file->path = destination->file;
    file->declared = static_cast<std::uint32_t>(n.cb);
    file->handle.reset(
        CreateFileW(file->path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file->handle) {
        x.Fail(L"cannot create " + file->path);
        return -1;
    }
    return x.Add(std::move(file));
}

INT_PTR CloseFileEvent(TExtraction& x, const FDINOTIFICATION& n) {
    TFdiFile* file = x.Find(n.hf);
    if (!file || !file->member) {
        x.Fail(L"the extractor closed a file it was not given");
        return FALSE;
    }
    // The extractor also reports members cut short by corrupt data as closed.
    const std::wstring path = file->path;
    const bool whole = file->written == file->declared;
    const bool complete = whole && StampFile(file->handle.get(), n.date, n.time);
    x.Drop(file, complete);
    if (complete) {
        x.written.push_back(path);
    } else {
        x.Fail(whole ? L"cannot set the time of " + path : L"incomplete member " + path);
    }
    return complete ? TRUE : FALSE;
}

FNFDINOTIFY(FdiNotify) {
    TExtraction* x = tCurrent;
    if (!x || !pfdin) return -1;
    switch (fdint) {
        case fdintCOPY_FILE:
            return CopyFileEvent(*x, *pfdin);
        case fdintCLOSE_FILE_INFO:
            return CloseFileEvent(*x, *pfdin);
        case fdintNEXT_CABINET:
            // Updates never come as cabinet sets; answering anything else makes the extractor ask again.
            x->Fail(L"the cabinet goes on in another part");
            return -1;
        default:
            return 0;
    }
}

using FDICreateFn = decltype(&FDICreate);
using FDIIsCabinetFn = decltype(&FDIIsCabinet);
using FDICopyFn = decltype(&FDICopy);
using FDIDestroyFn = decltype(&FDIDestroy);

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The system's own copy, never one planted beside the program.
unique_hmodule LoadCabinetLibrary() {
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return unique_hmodule();
    return unique_hmodule(LoadLibraryW((std::wstring(system, length) + L"\\cabinet.dll").c_str()));
}

// The check asks for many small pieces, mostly in order (names byte by byte): they come from a
// window of the file instead of one system call each.
class TWindowReader {
public:
    explicit TWindowReader(HANDLE file) : file_(file), window_(64 * 1024) {}

    bool Read(std::uint64_t offset, void* out, size_t count) {
        if (count > window_.size()) return ReadAt(offset, out, count) == count;
        if (offset < start_ || offset - start_ > filled_ || count > filled_ - (offset - start_)) {
            start_ = offset;
            filled_ = ReadAt(offset, window_.data(), window_.size());
            if (count > filled_) return false;
        }
        std::memcpy(out, window_.data() + (offset - start_), count);
        return true;
    }

private:
    size_t ReadAt(std::uint64_t offset, void* out, size_t count) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD got = 0;
        if (count > 0xFFFFFFFFu || !SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) ||
            !ReadFile(file_, out, static_cast<DWORD>(count), &got, nullptr))
            return 0;
        return got;
    }

    HANDLE file_;
    std::vector<unsigned char> window_;
    std::uint64_t start_ = 0;
    size_t filled_ = 0;
};

TCabinetCheck CheckOpenedCabinet(HANDLE file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return {};
    TWindowReader window(file);
    const CabinetReader read = [&window](std::uint64_t offset, void* out, size_t count) {
        return window.Read(offset, out, count);
    };
    return CheckCabinet(read, static_cast<std::uint64_t>(size.QuadPart));
}

// Closes whatever the extractor left open; unfinished members go.
struct TCurrentScope {
    explicit TCurrentScope(TExtraction& x) : previous(tCurrent) { tCurrent = &x; }
    ~TCurrentScope() {
        TExtraction* x = tCurrent;
        while (!x->files.empty()) x->Drop(x->files.begin()->first, false);
        tCurrent = previous;
    }
    TExtraction* previous;
};

struct HfdiCloser {
    FDIDestroyFn destroy;
    HFDI context;
    bool destroyed = false;
    ~HfdiCloser() {
        if (context && !destroyed) destroy(context);
    }
};

const wchar_t* ExtractorError(int code) {
    switch (code) {
        case FDIERROR_CABINET_NOT_FOUND:
            return L"cabinet not found";
        case FDIERROR_NOT_A_CABINET:
            return L"not a cabinet";
        case FDIERROR_UNKNOWN_CABINET_VERSION:
            return L"unknown cabinet version";
        case FDIERROR_CORRUPT_CABINET:
            return L"corrupt cabinet";
        case FDIERROR_ALLOC_FAIL:
            return L"out of memory";
        case FDIERROR_BAD_COMPR_TYPE:
            return L"unknown compression";
        case FDIERROR_MDI_FAIL:
            return L"corrupt compressed data";
        case FDIERROR_TARGET_FILE:
            return L"cannot write a member";
        case FDIERROR_RESERVE_MISMATCH:
            return L"reserve sizes differ across the set";
        case FDIERROR_WRONG_CABINET:
            return L"wrong cabinet of the set";
        case FDIERROR_USER_ABORT:
            return L"aborted";
        default:
            return L"failed";
    }
}

}  // namespace

TCabinetExtraction ExtractCabinetReport(const std::wstring& cabinet, const std::wstring& target,
                                        const IAnsiCodePage& ansi) {
    TCabinetExtraction report;
    const auto fail = [&report](std::wstring why, bool refused = false) {
        report.result = -1;
        report.refused = refused;
        report.reason = std::move(why);
        return report;
    };
    // Held open without write sharing until the end, so the file cannot change after its check.
    const unique_hfile checked(CreateFileW(cabinet.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!checked) return fail(L"cannot read the cabinet: " + win32::SystemMessage(GetLastError()));
    const TCabinetCheck check = CheckOpenedCabinet(checked.get());
    if (!check.ok) return fail(check.reason.empty() ? L"cannot read the cabinet" : check.reason, true);
    if (const TCabinetMember* unsafe = FirstUnsafeMember(check, ansi))
        return fail(L"unsafe member name: " + MemberNameText(*unsafe, ansi), true);

    const unique_hmodule library = LoadCabinetLibrary();
    if (!library) return fail(L"cannot load cabinet.dll: " + win32::SystemMessage(GetLastError()));
    const auto create = Lookup<FDICreateFn>(library.get(), "FDICreate");
    const auto isCabinet = Lookup<FDIIsCabinetFn>(library.get(), "FDIIsCabinet");
    const auto copy = Lookup<FDICopyFn>(library.get(), "FDICopy");
    const auto destroy = Lookup<FDIDestroyFn>(library.get(), "FDIDestroy");
    if (!create || !isCabinet || !copy || !destroy) return fail(L"cabinet.dll lacks the extractor");

    TExtraction x;
    // A folder without its "\" would glue the member names to its last part.
    x.target = WithBackslash(target);
    x.ansi = &ansi;
    x.cabinetPath = FullPathName(cabinet);
    // The cabinet's own path goes to FDI in the system's code page, whatever the member names use.
    const win32::TWin32AnsiCodePage system;
    const std::string name = system.Encode(FileNamePart(x.cabinetPath));
    std::string folder = system.Encode(DirectoryPart(x.cabinetPath) + L"\\");
    x.cabinetAnsiPath = folder + name;
    ERF error = {};
    bool ok = false;
    {
        const TCurrentScope scope(x);
        HfdiCloser context{destroy,
                           create(FdiAlloc, FdiFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek, cpu80386, &error)};
        if (!context.context)
            return fail(std::wstring(L"the extractor cannot start: ") + ExtractorError(error.erfOper));

        const INT_PTR probe = FdiOpen(x.cabinetAnsiPath.data(), _O_BINARY | _O_RDONLY, 0);
        if (probe == -1) {
            x.Fail(L"cannot read the cabinet");
        } else {
            FDICABINETINFO info = {};
            const bool isCab = isCabinet(context.context, probe, &info) != FALSE;
            FdiClose(probe);
            if (!isCab) {
                x.Fail(L"not a cabinet");
            } else {
                std::string cabinetName = name;
                ok = copy(context.context, cabinetName.data(), folder.data(), 0, FdiNotify, nullptr, nullptr) != FALSE;
                if (!ok) x.Fail(std::wstring(L"extraction failed: ") + ExtractorError(error.erfOper));
            }
        }
        context.destroyed = true;
        if (!destroy(context.context)) {
            ok = false;
            x.Fail(L"the extractor could not be released");
        }
    }
    // Members written before a failure stay on disk: they are whole.
    report.written = std::move(x.written);
    if (!ok || x.failed) return fail(x.reason.empty() ? L"extraction failed" : x.reason);
    report.result = 0;
    return report;
}

int ExtractCabinet(const std::wstring& cabinet, const std::wstring& target, const IAnsiCodePage& ansi) {
    return ExtractCabinetReport(cabinet, target, ansi).result;
}

int ExtractCabinet(const std::wstring& cabinet, const std::wstring& target) {
    return ExtractCabinet(cabinet, target, win32::TWin32AnsiCodePage());
}

}  // namespace orvane
