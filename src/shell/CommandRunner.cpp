#include "shell/CommandRunner.h"

#include <exception>

#include "core/Error.h"
#include "core/Text.h"

namespace orvane {

std::wstring DescribeCurrentException() {
    try {
        throw;
    } catch (const AppError& e) {
        return e.Message();
    } catch (const std::bad_alloc&) {
        return L"Mémoire insuffisante.";
    } catch (const std::exception& e) {
        return FromUtf8(e.what());
    } catch (...) {
        return L"Erreur inattendue.";
    }
}

bool RunCommand(ICommandHost& host, CommandCursor cursor, const std::function<void()>& command) {
    const bool busy = cursor == CommandCursor::Busy;
    if (busy) host.SetBusyCursor(true);
    std::wstring error;
    bool failed = false;
    try {
        command();
    } catch (...) {
        failed = true;
        error = DescribeCurrentException();
    }
    if (busy) host.SetBusyCursor(false);
    if (failed) host.ReportError(error);
    return !failed;
}

} // namespace orvane
