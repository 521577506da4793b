#pragma once

// What the update round trip does to the workstation, one small function each, so that the steps
// of a test read as the support technician's: start a program, wait for its window, read a file's
// version resource, read the update log, compare installed bytes.

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/Handle.h"

namespace orvane::roundtrip {

namespace fs = std::filesystem;

// The test program's own folder (bin/ of the build tree).
fs::path BinFolder();
// Folders of the current user in the Wine prefix the test runs in.
fs::path DocumentsFolder();
fs::path TempFolder();

std::string ReadAll(const fs::path& file);  // empty when it cannot be read
void WriteAll(const fs::path& file, const std::string& bytes);
// "a.b.c.d" of the fixed part of the file's version resource; empty when it has none.
std::wstring FileVersion(const fs::path& file);
// Size and the update engine's checksum, enough to tell versions of a program apart in messages.
std::string Fingerprint(const fs::path& file);
// Names of the files directly in FOLDER, sorted.
std::vector<std::wstring> FileNames(const fs::path& folder);
// Removes a folder, retrying while a program that just ended still holds it.
void RemoveAll(const fs::path& folder);

struct TRun {
    DWORD code = 0xFFFFFFFF;  // the exit code; 0xFFFFFFFF when it could not start or did not end
    std::string output;       // standard output and error, as printed
};
// Runs COMMAND LINE in FOLDER (the current one when empty) and waits for its end.
TRun Run(const std::wstring& commandLine, const std::wstring& folder = L"", DWORD timeoutMs = 180000);
// orvane-inspect of this build tree with ARGS.
TRun RunInspect(const std::wstring& args);

// A program started for a test; ended (killed if it must) when the test lets go of it.
class TProgram {
public:
    TProgram(const fs::path& exe, const std::wstring& args = L"");
    ~TProgram();
    TProgram(TProgram&&) = default;
    bool Started() const { return bool(process_); }
    DWORD Pid() const { return pid_; }
    // Its exit code once ended within TIMEOUT ms; 0xFFFFFFFF when it is still running.
    DWORD WaitForEnd(DWORD timeoutMs);

private:
    win32::unique_handle process_;
    DWORD pid_ = 0;
};

// A descendant window whose caption, ampersands left out, is CAPTION.
HWND FindCaption(HWND root, const std::wstring& caption);
// The same among windows that are shown and enabled: the button a user could press now.
HWND FindShown(HWND root, const std::wstring& caption);
// A descendant window whose class name starts with CLASSNAME ("Edit" finds "Edit", not "RichEdit").
HWND FindClass(HWND root, const std::wstring& className);
// The process of a window.
DWORD ProcessOf(HWND window);

// The machine policy that points installed copies at a control file: written with the system's
// "reg add", as an administrator would; read back in this process's registry view.
bool SetPolicyUpdateUrl(const std::wstring& url);
std::wstring PolicyUpdateUrl();
// The policy's trusted keys (PEM texts); none removes the value.
bool SetPolicyPublicKeys(const std::vector<std::string>& pems);

// Expands the restart helper that PROGRAM carries (resource "UPD") into FOLDER\wusetup.exe.
bool ExtractCarriedHelper(const fs::path& program, const fs::path& folder);

}  // namespace orvane::roundtrip
