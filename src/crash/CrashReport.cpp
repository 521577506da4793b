#include "crash/CrashReport.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace orvane::crash {

namespace {

std::wstring Hex(uint64_t value, int digits) {
    wchar_t buffer[32];
    std::swprintf(buffer, 32, L"0x%0*llX", digits, static_cast<unsigned long long>(value));
    return buffer;
}

std::wstring Two(int n) {
    return (n < 10 ? L"0" : L"") + std::to_wstring(n);
}

std::wstring CauseText(TCrashCause cause) {
    switch (cause) {
        case TCrashCause::SystemException:
            return L"unhandled exception";
        case TCrashCause::CppException:
            return L"unhandled C++ exception";
        case TCrashCause::Terminate:
            return L"std::terminate called";
        case TCrashCause::Abort:
            return L"abort called";
        case TCrashCause::PureCall:
            return L"pure virtual function call";
        case TCrashCause::InvalidParameter:
            return L"invalid parameter passed to the C runtime";
    }
    return L"";
}

bool AllDigits(std::wstring_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

}  // namespace

std::wstring ExceptionCodeName(uint32_t code) {
    switch (code) {
        case 0xC0000005:
            return L"EXCEPTION_ACCESS_VIOLATION";
        case 0xC00000FD:
            return L"EXCEPTION_STACK_OVERFLOW";
        case 0xC000001D:
            return L"EXCEPTION_ILLEGAL_INSTRUCTION";
        case 0xC0000094:
            return L"EXCEPTION_INT_DIVIDE_BY_ZERO";
        case 0xC0000095:
            return L"EXCEPTION_INT_OVERFLOW";
        case 0xC000008E:
            return L"EXCEPTION_FLT_DIVIDE_BY_ZERO";
        case 0xC0000006:
            return L"EXCEPTION_IN_PAGE_ERROR";
        case 0xC0000096:
            return L"EXCEPTION_PRIV_INSTRUCTION";
        case 0xC000008C:
            return L"EXCEPTION_ARRAY_BOUNDS_EXCEEDED";
        case 0xC0000025:
            return L"EXCEPTION_NONCONTINUABLE_EXCEPTION";
        case 0xC0000409:
            return L"STATUS_STACK_BUFFER_OVERRUN";
        case 0x80000003:
            return L"EXCEPTION_BREAKPOINT";
        case 0x80000002:
            return L"EXCEPTION_DATATYPE_MISALIGNMENT";
        case kCppExceptionCode:
            return L"C++ exception";
        case kFatalAppExitCode:
            return L"STATUS_FATAL_APP_EXIT";
    }
    return L"";
}

std::wstring HexCode(uint32_t code) {
    return Hex(code, 8);
}

std::wstring FrameText(const TStackFrame& frame, int pointerBits) {
    if (frame.module.empty()) return Hex(frame.offset, pointerBits / 4);
    return frame.module + L"+" + Hex(frame.offset, 1);
}

std::wstring AccessViolationDetail(uint64_t operation, uint64_t address, int pointerBits) {
    const wchar_t* what = operation == 0 ? L"read of" : operation == 1 ? L"write to" : L"execution at";
    return std::wstring(what) + L" address " + Hex(address, pointerBits / 4);
}

std::wstring FormatCrashReport(const TCrashFacts& f) {
    const int digits = f.pointerBits / 4;
    std::wstring out;
    const auto line = [&out](std::wstring_view label, std::wstring_view value) {
        out.append(label).append(L": ").append(value).append(L"\r\n");
    };
    out += L"Orvane crash report\r\n\r\n";
    line(L"Version", f.version + L" (" + std::to_wstring(f.pointerBits) + L"-bit)");
    line(L"Build", f.build);
    line(L"Operating system", f.osVersion);
    line(L"Time", std::to_wstring(f.time.year) + L"-" + Two(f.time.month) + L"-" + Two(f.time.day) + L" " +
                      Two(f.time.hour) + L":" + Two(f.time.minute) + L":" + Two(f.time.second));
    line(L"Cause", CauseText(f.cause));
    const std::wstring name = ExceptionCodeName(f.code);
    line(L"Exception code", HexCode(f.code) + (name.empty() ? L"" : L" " + name));
    line(L"Exception address", Hex(f.address, digits));
    line(L"Module", f.where.module.empty() ? L"(none)" : f.where.module);
    line(L"Module offset", Hex(f.where.offset, 1));
    line(L"Thread", std::to_wstring(f.threadId) + (f.mainThread ? L" (main thread)" : L""));
    if (!f.detail.empty()) line(L"Detail", f.detail);
    out += L"\r\nStack of the faulting thread:\r\n";
    if (f.stack.empty()) out += L"  (not available)\r\n";
    for (const TStackFrame& frame : f.stack) out += L"  " + FrameText(frame, f.pointerBits) + L"\r\n";
    if (!f.updateLogTail.empty()) {
        out += L"\r\nLast lines of the update log (" + f.updateLogPath + L"):\r\n";
        for (const std::wstring& l : f.updateLogTail) out += L"  " + l + L"\r\n";
    }
    return out;
}

std::wstring CrashSentence(const TCrashFacts& f) {
    std::wstring what;
    switch (f.cause) {
        case TCrashCause::SystemException:
            what = f.code == 0xC00000FD   ? L"débordement de pile"
                   : f.code == 0xC0000005 ? L"accès mémoire invalide"
                                          : L"exception système " + HexCode(f.code);
            break;
        case TCrashCause::CppException:
            what = L"exception non traitée";
            break;
        case TCrashCause::Terminate:
            what = L"arrêt d'urgence";
            break;
        case TCrashCause::Abort:
            what = L"arrêt d'urgence (abort)";
            break;
        case TCrashCause::PureCall:
            what = L"appel d'une fonction virtuelle pure";
            break;
        case TCrashCause::InvalidParameter:
            what = L"paramètre invalide";
            break;
    }
    if (!f.where.module.empty()) what += L" dans " + f.where.module;
    return L"Orvane a rencontré une erreur grave (" + what + L") et doit se fermer.";
}

std::wstring ReportFolderName(const LocalTime& t, int sequence) {
    std::wstring name = std::to_wstring(t.year) + L"-" + Two(t.month) + L"-" + Two(t.day) + L"_" + Two(t.hour) + L"-" +
                        Two(t.minute) + L"-" + Two(t.second);
    if (sequence > 1) name += L"_" + std::to_wstring(sequence);
    return name;
}

bool IsReportFolderName(std::wstring_view n) {
    // yyyy-mm-dd_hh-mm-ss, optionally _N
    if (n.size() < 19) return false;
    const auto digits = [&](size_t at, size_t count) { return AllDigits(n.substr(at, count)); };
    if (!(digits(0, 4) && n[4] == L'-' && digits(5, 2) && n[7] == L'-' && digits(8, 2) && n[10] == L'_' &&
          digits(11, 2) && n[13] == L'-' && digits(14, 2) && n[16] == L'-' && digits(17, 2)))
        return false;
    if (n.size() == 19) return true;
    return n[19] == L'_' && AllDigits(n.substr(20));
}

std::vector<std::wstring> FoldersToPrune(std::vector<std::wstring> names, size_t keep) {
    std::erase_if(names, [](const std::wstring& n) { return !IsReportFolderName(n); });
    // Same second: "_10" is newer than "_9", so compare the sequence as a number.
    // Any number of digits may follow (someone's copy): compared by length, then text, never parsed.
    const auto key = [](const std::wstring& n) {
        std::wstring sequence = n.size() > 20 ? n.substr(20) : L"1";
        sequence.erase(0, std::min(sequence.find_first_not_of(L'0'), sequence.size() - 1));
        return std::make_tuple(n.substr(0, 19), sequence.size(), sequence);
    };
    std::stable_sort(names.begin(), names.end(),
              [&](const std::wstring& a, const std::wstring& b) { return key(a) < key(b); });
    if (names.size() <= keep) return {};
    names.resize(names.size() - keep);
    return names;
}

std::vector<std::wstring> LastLines(std::wstring_view text, size_t count) {
    std::vector<std::wstring> lines;
    size_t end = text.size();
    while (end > 0 && lines.size() < count) {
        size_t start = text.find_last_of(L"\r\n", end - 1);
        start = start == std::wstring_view::npos ? 0 : start + 1;
        if (start < end) lines.emplace_back(text.substr(start, end - start));
        end = start == 0 ? 0 : start - 1;
    }
    std::reverse(lines.begin(), lines.end());
    return lines;
}

}  // namespace orvane::crash
