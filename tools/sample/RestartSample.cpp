// A stand-in application for the restart helper's tests, built once per version. Each start appends
// "vN started" and its arguments to marker.txt beside itself; "--run-ms N" keeps it running N ms.
// Built with SAMPLE_RESTARTS, "--restart-into FOLDER" hands over to the helper as the engine does:
// its new version is FOLDER\<own name>_NEW, the helper comes from its own "UPD" resource.

#include <windows.h>

#include <cwchar>
#include <string>

#include "platform/win32/Handle.h"

#ifdef SAMPLE_RESTARTS
#include "core/Error.h"
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"
#endif

#ifndef SAMPLE_VERSION
#error SAMPLE_VERSION names the build
#endif

namespace {

void AppendLine(const std::wstring& file, std::wstring line) {
    line += L"\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), bytes.data(), size, nullptr, nullptr);
    const orvane::win32::unique_hfile out(CreateFileW(file.c_str(), FILE_APPEND_DATA,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (out) WriteFile(out.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

#ifdef SAMPLE_RESTARTS
// The engine at the end of an update that delivered the application's own file.
class TStandInEngine : public orvane::TWebUpdate {
public:
    using TWebUpdate::TWebUpdate;
    void Delivered(const std::wstring& appName) {
        FAppClose = true;
        FAppCompsIncluded = true;
        FSilentRestart = true;
        FAppName = appName;
        FAppParam = L" ";
        FAppComps = appName + L"_NEW";
    }
};

int HandOver(const std::wstring& marker, const std::wstring& workFolder, const std::wstring& appName) {
    orvane::TWin32UpdateServices services;
    TStandInEngine engine(services.Services());
    engine.UseWinTempDir = false;
    engine.TempDirectory = workFolder;
    engine.Logging = true;
    engine.SetLogFileName(workFolder + L"update.log");
    engine.Delivered(appName);
    try {
        if (!engine.AppNeedsRestart()) throw orvane::AppError(L"no restart needed");
        engine.DoRestart();
    } catch (const orvane::AppError& e) {
        AppendLine(marker, L"v" + std::to_wstring(SAMPLE_VERSION) + L" kept running: " + e.Message());
        return 1;
    }
    // DoRestart asked the message loop to finish; the application closes normally.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    AppendLine(marker, L"v" + std::to_wstring(SAMPLE_VERSION) + L" ended");
    return 0;
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    const std::wstring self(path, n);
    const std::wstring folder = self.substr(0, self.rfind(L'\\') + 1);
    const std::wstring marker = folder + L"marker.txt";

    std::wstring line = L"v" + std::to_wstring(SAMPLE_VERSION) + L" started";
    if (arguments && *arguments) line += std::wstring(L" ") + arguments;
    AppendLine(marker, line);
    if (arguments) {
        if (const wchar_t* run = std::wcsstr(arguments, L"--run-ms ")) Sleep(DWORD(std::wcstoul(run + 9, nullptr, 10)));
#ifdef SAMPLE_RESTARTS
        if (const wchar_t* into = std::wcsstr(arguments, L"--restart-into "))
            return HandOver(marker, into + 15, self.substr(folder.size()));
#endif
    }
    return 0;
}
