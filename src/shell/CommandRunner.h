#pragma once

#include <functional>
#include <string>

namespace orvane {

// What a main-window command needs from the window that runs it.
class ICommandHost {
public:
    virtual ~ICommandHost() = default;
    virtual void SetBusyCursor(bool busy) = 0;
    // The application-wide error report: a modal message box with the error's text.
    virtual void ReportError(const std::wstring& text) = 0;
};

enum class CommandCursor { Normal, Busy };

// Runs one command of the main window. An error ends the command where it was raised; what it had
// displayed stays, its text is reported and the window stays usable. A busy command shows the
// hourglass for its whole run, and the normal cursor comes back even after an error.
// Returns false when the command ended with an error.
bool RunCommand(ICommandHost& host, CommandCursor cursor, const std::function<void()>& command);

// The text reported for an exception in flight (call only from a catch block).
std::wstring DescribeCurrentException();

} // namespace orvane
