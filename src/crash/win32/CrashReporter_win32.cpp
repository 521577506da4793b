#include "crash/win32/CrashReporter_win32.h"

#include <windows.h>

#include <dbghelp.h>
#include <objbase.h>
#include <shlobj.h>
#include <wincodec.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/Text.h"
#include "platform/win32/Handle.h"
#include "platform/win32/SystemVersion_win32.h"
#include "update/HostProbes.h"

#ifndef ORVANE_VERSION_TEXT
#define ORVANE_VERSION_TEXT "0.0.0.0"
#endif

namespace orvane::crash {

namespace {

namespace fs = std::filesystem;

#if defined(__x86_64__)
constexpr int kPointerBits = 64;
constexpr const wchar_t* kArchitecture = L"x86-64";
#else
constexpr int kPointerBits = 32;
constexpr const wchar_t* kArchitecture = L"x86";
#endif

void ReleaseCom(IUnknown* object) {
    object->Release();
}
void FreeTaskMemory(PWSTR text) {
    CoTaskMemFree(text);
}
template <typename T>
using unique_com = win32::unique_any<T*, ReleaseCom>;
using unique_taskmem = win32::unique_any<PWSTR, FreeTaskMemory>;

std::wstring SystemFolderFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return name;
    return std::wstring(folder, length) + L"\\" + name;
}

std::wstring DefaultReportRoot() {
    unique_taskmem path;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, path.put())) || !path) return L"";
    return std::wstring(path.get()) + L"\\Orvane\\Crashes";
}

TStackFrame FrameOf(uint64_t address) {
    HMODULE module = nullptr;
    // A null address would name the executable itself.
    if (address == 0 ||
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(address)), &module))
        return {L"", address};
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring name(path, length);
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    return {name, address - reinterpret_cast<uintptr_t>(module)};
}

// dbghelp.dll from the system folder only: a copy beside the program or in the current folder is
// never the one loaded.
class TDbgHelp {
public:
    TDbgHelp() : module_(LoadLibraryExW(SystemFolderFile(L"dbghelp.dll").c_str(), nullptr, 0)) {
        if (!module_) return;
        writeDump_ = Get<decltype(&MiniDumpWriteDump)>("MiniDumpWriteDump");
        symInitialize_ = Get<decltype(&SymInitializeW)>("SymInitializeW");
        stackWalk_ = Get<decltype(&StackWalk64)>("StackWalk64");
        functionTable_ = Get<PFUNCTION_TABLE_ACCESS_ROUTINE64>("SymFunctionTableAccess64");
        moduleBase_ = Get<PGET_MODULE_BASE_ROUTINE64>("SymGetModuleBase64");
        symCleanup_ = Get<decltype(&SymCleanup)>("SymCleanup");
    }

    bool WriteDump(const std::wstring& path, const TCrashEvent& event) const {
        if (!writeDump_) return false;
        win32::unique_hfile file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        MINIDUMP_EXCEPTION_INFORMATION exception{event.threadId, event.pointers, FALSE};
        const auto type = static_cast<MINIDUMP_TYPE>(MiniDumpWithThreadInfo | MiniDumpWithUnloadedModules);
        return writeDump_(GetCurrentProcess(), GetCurrentProcessId(), file.get(), type,
                          event.pointers ? &exception : nullptr, nullptr, nullptr);
    }

    // The crashed thread's frames, from the context it stopped in (it waits, so its stack holds still).
    // A thread stopped by its stack overflowing may have thousands of frames; the top ones tell.
    static constexpr size_t kMaxFrames = 64;
#if defined(__x86_64__)
    // 64-bit code carries its unwind tables: the kernel's own unwinder walks them, without the symbol
    // engine (which takes seconds to load every module's symbols).
    std::vector<TStackFrame> Stack(const CONTEXT& stopped) const {
        std::vector<TStackFrame> frames;
        CONTEXT context = stopped;
        while (frames.size() < kMaxFrames && context.Rip != 0) {
            frames.push_back(FrameOf(context.Rip));
            DWORD64 imageBase = 0;
            const PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
            if (function) {
                void* handlerData = nullptr;
                DWORD64 establisher = 0;
                RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData,
                                 &establisher, nullptr);
            } else {
                // A leaf function: the return address is on top of the stack.
                context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
                context.Rsp += 8;
            }
        }
        return frames;
    }
#else
    std::vector<TStackFrame> Stack(const CONTEXT& stopped) const {
        std::vector<TStackFrame> frames;
        if (!stackWalk_ || !symInitialize_ || !functionTable_ || !moduleBase_) return frames;
        const HANDLE process = GetCurrentProcess();
        if (!symInitialize_(process, nullptr, TRUE)) return frames;
        CONTEXT context = stopped;
        STACKFRAME64 frame{};
        frame.AddrPC.Offset = context.Eip;
        frame.AddrFrame.Offset = context.Ebp;
        frame.AddrStack.Offset = context.Esp;
        frame.AddrPC.Mode = frame.AddrFrame.Mode = frame.AddrStack.Mode = AddrModeFlat;
        // The thread waits for us and is not the one walking; the context given is all that is read.
        while (frames.size() < kMaxFrames && stackWalk_(IMAGE_FILE_MACHINE_I386, process, GetCurrentThread(), &frame,
                                                        &context, nullptr, functionTable_, moduleBase_, nullptr)) {
            if (frame.AddrPC.Offset == 0) break;
            frames.push_back(FrameOf(frame.AddrPC.Offset));
        }
        if (symCleanup_) symCleanup_(process);
        return frames;
    }
#endif

private:
    template <typename F>
    F Get(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

    win32::unique_hmodule module_;
    decltype(&MiniDumpWriteDump) writeDump_ = nullptr;
    decltype(&SymInitializeW) symInitialize_ = nullptr;
    decltype(&StackWalk64) stackWalk_ = nullptr;
    PFUNCTION_TABLE_ACCESS_ROUTINE64 functionTable_ = nullptr;
    PGET_MODULE_BASE_ROUTINE64 moduleBase_ = nullptr;
    decltype(&SymCleanup) symCleanup_ = nullptr;
};

// A new dated folder under ROOT; the oldest beyond the ten newest go.
std::wstring MakeReportFolder(const std::wstring& root, const LocalTime& now) {
    std::error_code ignored;
    fs::create_directories(fs::path(root), ignored);
    std::wstring folder;
    for (int sequence = 1; sequence < 1000; ++sequence) {
        folder = root + L"\\" + ReportFolderName(now, sequence);
        if (CreateDirectoryW(folder.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return L"";
    }
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(fs::path(root), ignored))
        if (entry.is_directory(ignored)) names.push_back(entry.path().filename().wstring());
    for (const std::wstring& old : FoldersToPrune(names, kReportsKept))
        fs::remove_all(fs::path(root + L"\\" + old), ignored);
    return folder;
}

std::vector<std::wstring> UpdateLogTail(const std::wstring& path) {
    if (path.empty()) return {};
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) return {};
    // Only the end matters; a long log is not read whole.
    constexpr std::streamoff kTail = 16 * 1024;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(size > kTail ? size - kTail : 0);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::wstring text(bytes.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                           static_cast<int>(text.size()));
    text.resize(length > 0 ? length : 0);
    return LastLines(text, kUpdateLogLines);
}

// The area covered by a process's visible top-level windows.
struct TWindowSearch {
    DWORD pid;
    RECT area;
    bool any;
};

BOOL CALLBACK AddVisibleWindow(HWND window, LPARAM data) {
    auto& s = *reinterpret_cast<TWindowSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    RECT r;
    if (pid == s.pid && IsWindowVisible(window) && !IsIconic(window) && GetWindowRect(window, &r)) {
        if (s.any)
            UnionRect(&s.area, &s.area, &r);
        else
            s.area = r;
        s.any = true;
    }
    return TRUE;
}

struct TScreenDc {
    HDC dc = GetDC(nullptr);
    TScreenDc() = default;
    TScreenDc(const TScreenDc&) = delete;
    ~TScreenDc() {
        if (dc) ReleaseDC(nullptr, dc);
    }
};

LocalTime Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

bool WriteUtf8File(const std::wstring& path, const std::wstring& text) {
    std::ofstream out(fs::path(path), std::ios::binary);
    out << "\xEF\xBB\xBF" << ToUtf8(text);
    return static_cast<bool>(out);
}

}  // namespace

bool SaveScreenshotPng(DWORD processId, const std::wstring& path, win32::unique_hgdiobj* thumbnail) {
    TWindowSearch search{processId, {}, false};
    EnumWindows(AddVisibleWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.any) return false;
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT area;
    if (!IntersectRect(&area, &search.area, &screen)) return false;
    const int width = area.right - area.left, height = area.bottom - area.top;

    win32::unique_hgdiobj bitmap;
    {
        const TScreenDc screenDc;
        win32::unique_hdc memory(CreateCompatibleDC(screenDc.dc));
        bitmap.reset(CreateCompatibleBitmap(screenDc.dc, width, height));
        if (!memory || !bitmap) return false;
        const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, screenDc.dc, area.left, area.top, SRCCOPY);
        if (thumbnail) {
            // Fits 200 x 128, the dialog's frame, keeping the proportions.
            const int w = std::max(1, std::min(200, MulDiv(width, 128, std::max(1, height))));
            const int h = std::max(1, MulDiv(height, w, std::max(1, width)));
            win32::unique_hdc small(CreateCompatibleDC(screenDc.dc));
            thumbnail->reset(CreateCompatibleBitmap(screenDc.dc, w, h));
            if (small && *thumbnail) {
                const HGDIOBJ before = SelectObject(small.get(), thumbnail->get());
                SetStretchBltMode(small.get(), HALFTONE);
                StretchBlt(small.get(), 0, 0, w, h, memory.get(), 0, 0, width, height, SRCCOPY);
                SelectObject(small.get(), before);
            }
        }
        SelectObject(memory.get(), previous);
    }

    // The imaging component is reached through COM, so it is not an import of the executable.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    bool saved = false;
    {
        unique_com<IWICImagingFactory> factory;
        unique_com<IWICBitmap> source;
        unique_com<IWICStream> stream;
        unique_com<IWICBitmapEncoder> encoder;
        unique_com<IWICBitmapFrameEncode> frame;
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        saved = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()))) &&
                SUCCEEDED(factory.get()->CreateBitmapFromHBITMAP(static_cast<HBITMAP>(bitmap.get()), nullptr,
                                                                 WICBitmapIgnoreAlpha, source.put())) &&
                SUCCEEDED(factory.get()->CreateStream(stream.put())) &&
                SUCCEEDED(stream.get()->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
                SUCCEEDED(factory.get()->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) &&
                SUCCEEDED(encoder.get()->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
                SUCCEEDED(encoder.get()->CreateNewFrame(frame.put(), nullptr)) &&
                SUCCEEDED(frame.get()->Initialize(nullptr)) && SUCCEEDED(frame.get()->SetSize(width, height)) &&
                SUCCEEDED(frame.get()->SetPixelFormat(&format)) &&
                SUCCEEDED(frame.get()->WriteSource(source.get(), nullptr)) && SUCCEEDED(frame.get()->Commit()) &&
                SUCCEEDED(encoder.get()->Commit());
    }
    if (com) CoUninitialize();
    if (!saved) DeleteFileW(path.c_str());
    return saved;
}

TWrittenReport WriteCrashReport(const TCrashSettings& settings, const TCrashEvent& event) {
    TWrittenReport report;
    TCrashFacts& f = report.facts;
    f.time = Now();
    const std::wstring root = settings.reportRoot.empty() ? DefaultReportRoot() : settings.reportRoot;
    report.folder = MakeReportFolder(root, f.time);

    if (settings.beforeDump) settings.beforeDump();
    const TDbgHelp dbghelp;
    const std::wstring dump = report.folder + L"\\crash.dmp";
    if (!report.folder.empty() && dbghelp.WriteDump(dump, event)) report.files.push_back(dump);

    f.version = FromUtf8(ORVANE_VERSION_TEXT);
    f.build = FromUtf8(__DATE__ " " __TIME__) + L", " + kArchitecture;
    f.osVersion = OSName(win32::TWin32SystemVersion());
    f.pointerBits = kPointerBits;
    f.cause = event.cause;
    f.threadId = event.threadId;
    f.mainThread = event.mainThread;
    f.detail = event.detail;
    if (event.pointers) {
        const EXCEPTION_RECORD& record = *event.pointers->ExceptionRecord;
        f.code = record.ExceptionCode;
        f.address = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
        f.where = FrameOf(f.address);
        if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2)
            f.detail =
                AccessViolationDetail(record.ExceptionInformation[0], record.ExceptionInformation[1], kPointerBits);
        f.stack = dbghelp.Stack(*event.pointers->ContextRecord);
    }
    if (settings.updateLogPath) {
        f.updateLogPath = settings.updateLogPath();
        f.updateLogTail = UpdateLogTail(f.updateLogPath);
    }
    report.text = FormatCrashReport(f);
    if (report.folder.empty()) return report;

    const std::wstring text = report.folder + L"\\report.txt";
    if (WriteUtf8File(text, report.text)) report.files.push_back(text);
    const std::wstring png = report.folder + L"\\screenshot.png";
    if (SaveScreenshotPng(GetCurrentProcessId(), png, &report.thumbnail)) {
        report.files.push_back(png);
        report.screenshot = png;
    }
    return report;
}

}  // namespace orvane::crash
