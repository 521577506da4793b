#pragma once

#include <windows.h>

#include "platform/win32/Clock_win32.h"
#include "platform/win32/Crypto_win32.h"
#include "platform/win32/FileOperations_win32.h"
#include "platform/win32/FileTimes_win32.h"
#include "platform/win32/FileWriter_win32.h"
#include "platform/win32/InternetErrors_win32.h"
#include "platform/win32/Internet_win32.h"
#include "platform/win32/KnownFolders_win32.h"
#include "platform/win32/LocaleFormat_win32.h"
#include "platform/win32/LzExpand_win32.h"
#include "platform/win32/MessagePump_win32.h"
#include "platform/win32/Processes_win32.h"
#include "platform/win32/Worker_win32.h"
#include "platform/win32/ProcessControl_win32.h"
#include "platform/win32/RegistryStore_win32.h"
#include "platform/win32/SystemVersion_win32.h"
#include "platform/win32/Win32Platform.h"
#include "update/WebUpdate.h"
#include "update/win32/EngineDialogs_win32.h"
#include "update/win32/LoginForm_win32.h"

namespace orvane {

// The user's folders asked for as the host probes decide from the reported system version.
win32::KnownFolderRoute UpdateKnownFolderRoute(const ISystemVersion& system);

// Downloaded cabinets go through the checked extraction.
class TWin32CabinetExtractor : public ICabinetExtractor {
public:
    explicit TWin32CabinetExtractor(const IAnsiCodePage& ansi) : ansi_(ansi) {}
    int Extract(const std::wstring& cabinet, const std::wstring& target) override;

private:
    const IAnsiCodePage& ansi_;
};

// Every Windows service the update engine uses, owned in one place; Services() wires an engine.
class TWin32UpdateServices {
public:
    explicit TWin32UpdateServices(HWND owner = nullptr);
    TWin32UpdateServices(const TWin32UpdateServices&) = delete;
    TWin32UpdateServices& operator=(const TWin32UpdateServices&) = delete;

    TWebUpdateServices Services();

private:
    win32::TWin32SystemVersion system_;
    win32::TWin32KnownFolders folders_;
    win32::TWin32Environment environment_;
    win32::TWin32Registry registry_;
    win32::TWin32RegistryStore store_;
    win32::TWin32FileWriter files_;
    win32::TWin32FileTimes fileTimes_;
    win32::TWin32AnsiCodePage ansi_;
    win32::TWin32Clock clock_;
    win32::TWin32LocaleFormat locale_;
    win32::TWin32InternetErrors errors_;
    win32::TWin32Dialogs dialogs_;
    win32::TWin32Internet internet_;
    win32::TWin32ConnectionState connection_;
    win32::TWin32FileOperations fileOps_;
    win32::TWin32LzExpand lz_;
    TWin32CabinetExtractor cabinets_{ansi_};
    TWin32LoginPrompt login_;
    win32::TWin32MessagePump pump_;
    win32::TWin32VersionResource versions_;
    win32::TWin32ProcessLauncher processes_;
    TWin32EngineDialogs engineDialogs_;
    win32::TWin32CurrentFolder currentFolder_;
    win32::TWin32WorkerThreads workers_;
    HWND owner_;
    win32::TWin32ModuleResources resources_;
    win32::TWin32ProcessControl process_;
    win32::TWin32ProfileWriter profiles_;
    win32::TWin32Crypto crypto_;
};

}  // namespace orvane
