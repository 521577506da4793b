#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// Starting programs: handed to the shell without waiting, or run as a process and waited for.
class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    // The shell's "open" of a program, document or URL with parameters; normalShow false uses the
    // default show state. False when the shell refuses (it answers 32 or less).
    virtual bool ShellOpen(const std::wstring& file, const std::wstring& parameters, bool normalShow) = 0;
    // Starts an 8-bit command line on systems without the shell's wide entry (before Vista).
    virtual bool Exec(const std::string& commandLine) = 0;

    struct TRun {
        bool started = false;
        std::optional<std::uint32_t> exitCode;  // empty when the wait or the exit code failed
    };
    // Starts the command line as a new process (its first window shown or hidden), waits for its end,
    // and sets the thread's last error to 8192 + the exit code when that is not 0.
    virtual TRun RunAndWait(const std::wstring& commandLine, bool showWindow) = 0;
};

}  // namespace orvane
