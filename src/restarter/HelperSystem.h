#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "restarter/HelperRules.h"

namespace orvane {

// What the restart helper needs of Windows; one Win32 implementation, a fake in the tests.
class IHelperSystem {
public:
    virtual ~IHelperSystem() = default;

    virtual LocalTime Now() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;

    enum class TWait { wEnded, wTimedOut };
    // Waits for the process to end. One that cannot be opened, or that was created after this
    // process (its id was reused), counts as ended.
    virtual TWait WaitForProcess(std::uint32_t processId, unsigned timeoutMs) = 0;
    // Runs a program hidden and waits for it: its exit code, or nullopt when it could not start or did
    // not end in time (it is then left running).
    virtual std::optional<std::uint32_t> RunAndWait(const std::wstring& program, const std::wstring& arguments,
                                                    unsigned timeoutMs) = 0;
    // Starts a program shown, without waiting: ARGUMENTS follow its quoted path on the command line.
    virtual bool Start(const std::wstring& program, const std::wstring& arguments) = 0;

    virtual std::wstring CurrentFolder() = 0;
    virtual std::wstring DocumentsFolder() = 0;
    // The folders a file list's TARGET may name; APP is the current folder.
    virtual THelperFolders Folders() = 0;
    virtual const IAnsiCodePage& Ansi() = 0;

    // Whole-file read; nullopt when the file cannot be read.
    virtual std::optional<std::string> ReadFile(const std::wstring& path) = 0;
    virtual bool Exists(const std::wstring& path) = 0;
    virtual bool Delete(const std::wstring& path) = 0;
    // Copies to a file that must not exist yet, flushed before it returns.
    virtual bool CopyNew(const std::wstring& from, const std::wstring& to) = 0;
    // Renames without replacing anything (a running program can be renamed).
    virtual bool Rename(const std::wstring& from, const std::wstring& to) = 0;
    // Moves into place, replacing the target, written through to the disk.
    virtual bool MoveReplace(const std::wstring& from, const std::wstring& to) = 0;
    virtual bool CreateFolders(const std::wstring& folder) = 0;
    // Files below FOLDER, as paths relative to it ("a\b.dll"); subfolders are walked.
    virtual std::vector<std::wstring> ListFiles(const std::wstring& folder) = 0;
    virtual void RemoveTree(const std::wstring& folder) = 0;

    // Expands LZ data into FOLDER with the system's LZ functions: the expanded file's name and size,
    // nullopt on failure.
    struct TExpanded {
        std::wstring name;
        std::uint64_t size = 0;
    };
    virtual std::optional<TExpanded> LzExpand(const std::wstring& source, const std::wstring& folder) = 0;
    virtual bool ExtractCabinet(const std::wstring& cabinet, const std::wstring& folder) = 0;

    // One line appended to the log, in the 8-bit code page.
    virtual void AppendLog(const std::wstring& path, const std::wstring& line) = 0;
};

}  // namespace orvane
