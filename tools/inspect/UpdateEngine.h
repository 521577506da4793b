#pragma once

// What the check and update commands share: an engine on the real services with the program's
// settings, its {APP} standing for the folder the command names.

#ifdef _WIN32

#include <cstdio>
#include <optional>
#include <string>

#include "CommandLine.h"
#include "core/Text.h"
#include "platform/win32/Win32Platform.h"
#include "update/UpdateSignature.h"
#include "update/Versions.h"
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"

namespace orvane::inspect {

// The log's lines go to standard output instead of a file, exactly as the engine writes them.
class TConsoleLog : public IFileWriter {
public:
    bool FolderExists(const std::wstring&) const override { return true; }
    bool CreateFolder(const std::wstring&) override { return true; }
    AppendResult AppendToExisting(const std::wstring&, std::string_view bytes) override {
        Print(bytes);
        return AppendResult::Appended;
    }
    bool CreateWith(const std::wstring&, std::string_view bytes) override {
        Print(bytes);
        return true;
    }

private:
    static void Print(std::string_view bytes) {
        while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.remove_suffix(1);
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
};

// The engine of a script: nothing is asked, nothing restarts, and it records how the run went.
class TScriptEngine : public TWebUpdate {
public:
    TScriptEngine(const TWebUpdateServices& services, const std::optional<std::wstring>& appFolder)
        : TWebUpdate(services) {
        Agent = L"TWebUpdate";
        ExtractCAB = true;
        ForceUpdate = true;
        UseCRC32 = true;
        UpdateUpdate = TWebUpdateUpdate::wuuSilent;
        // A handler, so that system errors are reported in the output and never in a message box.
        OnStatus = [](TWebUpdate&, const std::wstring&, int, int) {};
        // The same trust as the installed program: the build's key and the policy's keys.
        TrustedKeys = TrustedUpdateKeys(win32::TWin32Registry(), [this](const std::wstring& s) { AddToLog(s); });
        if (appFolder) {
            const std::wstring folder = StripTrailing(*appFolder);
            // A release older than the program installed there is the downgrade to refuse.
            const tfvi installed = GetFileVersion(folder + L"\\orvane.exe");
            if (installed.versionms != -1) OwnVersion = VersionToText(installed);
            OnConvertPrefix = [folder](TWebUpdate&, std::wstring& path) {
                for (size_t at = UpperCaseAscii(path).find(L"{APP}"); at != std::wstring::npos;
                     at = UpperCaseAscii(path).find(L"{APP}", at + folder.size()))
                    path.replace(at, 5, folder);
            };
        }
    }
    std::optional<int> controlResult, updatesResult;
    int GetControlFile() override { return *(controlResult = TWebUpdate::GetControlFile()); }
    int GetFileUpdates() override { return *(updatesResult = TWebUpdate::GetFileUpdates()); }
    void DoRestart() override {}

private:
    static std::wstring StripTrailing(std::wstring s) {
        while (s.size() > 3 && (s.back() == L'\\' || s.back() == L'/')) s.pop_back();
        return s;
    }
};

}  // namespace orvane::inspect

#endif
