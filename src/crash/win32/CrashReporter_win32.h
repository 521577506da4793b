#pragma once

// The reporter's work once a crash was handed over: the report folder and its files, then the
// dialog. Runs on the reporter's own thread.

#include <windows.h>

#include <string>
#include <vector>

#include "crash/CrashReport.h"
#include "crash/win32/CrashHandler_win32.h"
#include "platform/win32/Handle.h"

namespace orvane::crash {

struct TCrashEvent {
    EXCEPTION_POINTERS* pointers = nullptr;
    DWORD threadId = 0;
    bool mainThread = false;
    TCrashCause cause = TCrashCause::SystemException;
    std::wstring detail;
};

struct TWrittenReport {
    std::wstring folder;
    std::vector<std::wstring> files;  // full paths, in the order shown
    TCrashFacts facts;
    std::wstring text;
    std::wstring screenshot;          // empty when none could be taken
    win32::unique_hgdiobj thumbnail;  // the screenshot, small, for the dialog
};

TWrittenReport WriteCrashReport(const TCrashSettings& settings, const TCrashEvent& event);
void ShowCrashDialog(const TCrashSettings& settings, const TWrittenReport& report);

// Orvane's visible windows as they are on the screen, saved as a PNG through the system's imaging
// component. False when there is nothing to show or no encoder.
bool SaveScreenshotPng(DWORD processId, const std::wstring& path, win32::unique_hgdiobj* thumbnail = nullptr);

}  // namespace orvane::crash
