#pragma once

#include <string>

#include "platform/win32/Win32Platform.h"
#include "restarter/Helper.h"
#include "restarter/HelperSystem.h"

namespace orvane {

// The helper's Windows: wide functions throughout, LZ32 and cabinet.dll from the system folder only.
class TWin32HelperSystem : public IHelperSystem {
public:
    // A process created after SINCE (a FILETIME; by default this process's creation) is not the
    // application, whose id it reuses.
    TWin32HelperSystem();
    explicit TWin32HelperSystem(unsigned long long since) : ownCreation_(since) {}

    LocalTime Now() override;
    void Sleep(unsigned milliseconds) override;
    TWait WaitForProcess(std::uint32_t processId, unsigned timeoutMs) override;
    std::optional<std::uint32_t> RunAndWait(const std::wstring& program, const std::wstring& arguments,
                                            unsigned timeoutMs) override;
    bool Start(const std::wstring& program, const std::wstring& arguments) override;
    std::wstring CurrentFolder() override;
    std::wstring DocumentsFolder() override;
    THelperFolders Folders() override;
    const IAnsiCodePage& Ansi() override { return ansi_; }
    std::optional<std::string> ReadFile(const std::wstring& path) override;
    bool Exists(const std::wstring& path) override;
    bool Delete(const std::wstring& path) override;
    bool CopyNew(const std::wstring& from, const std::wstring& to) override;
    bool Rename(const std::wstring& from, const std::wstring& to) override;
    bool MoveReplace(const std::wstring& from, const std::wstring& to) override;
    bool CreateFolders(const std::wstring& folder) override;
    std::vector<std::wstring> ListFiles(const std::wstring& folder) override;
    void RemoveTree(const std::wstring& folder) override;
    std::optional<TExpanded> LzExpand(const std::wstring& source, const std::wstring& folder) override;
    bool ExtractCabinet(const std::wstring& cabinet, const std::wstring& folder) override;
    void AppendLog(const std::wstring& path, const std::wstring& line) override;

private:
    win32::TWin32AnsiCodePage ansi_;
    unsigned long long ownCreation_ = 0;
};

// The wait bounds, shortened (never lengthened) by "wusetup.bounds.ini" beside the helper: only the
// tests write that file, and a planted one can at worst make the helper give up early.
THelperBounds HelperBoundsBeside(const std::wstring& helperFolder);

// The folder holding the running executable, with a trailing backslash.
std::wstring OwnFolder();

}  // namespace orvane
