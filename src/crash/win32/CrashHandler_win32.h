#pragma once

// Catches every way the program can crash and writes a report (minidump, text, screenshot) into a
// dated folder, then shows the crash dialog and ends the process with the crash's code.

#include <functional>
#include <string>

#include "crash/Mail.h"
#include "platform/Shell.h"

namespace orvane::crash {

struct TCrashSettings {
    std::wstring reportRoot;  // empty: <local application data>\Orvane\Crashes
    bool showDialog = true;
    std::wstring mailTo;                          // where "Envoyer par e-mail" writes to
    std::function<std::wstring()> updateLogPath;  // the update log whose tail goes into the report
    IShell* shell = nullptr;                      // nullptr: the system's shell
    IMailClient* mailClient = nullptr;            // nullptr: Simple MAPI
    std::function<std::wstring()> pickFolder;     // where "Enregistrer sous..." saves; empty: ask the user
    std::function<void()> beforeDump;             // runs on the reporter's thread just before the dump
};

// Call once, early, on the main thread. Starts the reporter thread that stays idle until a crash.
void InstallCrashHandler(TCrashSettings settings);

// For a thread's last catch (the update worker's, for one): reports the exception in flight as a
// crash and ends the process. Call only inside a catch block:
//     try { Execute(); } catch (...) { crash::ReportCurrentExceptionAndExit(); }
// Without the handler installed (unit tests), the process still ends, with the crash's code.
[[noreturn]] void ReportCurrentExceptionAndExit();

}  // namespace orvane::crash
