#pragma once

// What a crash report says, decided without the system: the text a developer reads, the sentence
// the user reads, the report folder's name and which older reports go.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"

namespace orvane::crash {

// How the program was brought down.
enum class TCrashCause { SystemException, CppException, Terminate, Abort, PureCall, InvalidParameter };

// Codes given to causes that are not system exceptions; the process ends with them.
constexpr uint32_t kCppExceptionCode = 0xE06D7363;  // the code every Windows tool knows as a C++ exception
constexpr uint32_t kFatalAppExitCode = 0x40000015;  // what abort() ends a process with

struct TStackFrame {
    std::wstring module;  // file name only; empty when the address is in no module
    uint64_t offset = 0;  // from the module's base, or the address itself when there is no module
};

struct TCrashFacts {
    std::wstring version;  // four numbers
    std::wstring build;    // compiler date and architecture
    std::wstring osVersion;
    LocalTime time;
    int pointerBits = 32;
    TCrashCause cause = TCrashCause::SystemException;
    uint32_t code = 0;
    uint64_t address = 0;
    TStackFrame where;  // module and offset of the faulting address
    uint32_t threadId = 0;
    bool mainThread = false;
    std::wstring detail;  // the C++ exception's message, the access violation's target...
    std::vector<TStackFrame> stack;
    std::wstring updateLogPath;
    std::vector<std::wstring> updateLogTail;
};

// The symbolic name of a system exception code, or "" when it has none here.
std::wstring ExceptionCodeName(uint32_t code);
// "0xC0000005"
std::wstring HexCode(uint32_t code);
// "orvane.exe+0x1a2b", or the bare address when it lies in no module.
std::wstring FrameText(const TStackFrame& frame, int pointerBits);
// "read of address 0x00000010" for the access-violation information words (operation, address).
std::wstring AccessViolationDetail(uint64_t operation, uint64_t address, int pointerBits);

// The text report (English, CR LF, like the update log).
std::wstring FormatCrashReport(const TCrashFacts& facts);
// What happened, in one French sentence.
std::wstring CrashSentence(const TCrashFacts& facts);

// "2026-12-10_15-09-32": sorts by time; SEQUENCE > 1 (a second report in the same second) adds "_2".
std::wstring ReportFolderName(const LocalTime& time, int sequence = 1);
bool IsReportFolderName(std::wstring_view name);
// Of the report folders among NAMES, the oldest ones beyond the KEEP newest. Other names are never chosen.
std::vector<std::wstring> FoldersToPrune(std::vector<std::wstring> names, size_t keep);
constexpr size_t kReportsKept = 10;

// The last COUNT non-empty lines of TEXT (CR LF, LF or CR line ends).
std::vector<std::wstring> LastLines(std::wstring_view text, size_t count);
constexpr size_t kUpdateLogLines = 20;

}  // namespace orvane::crash
