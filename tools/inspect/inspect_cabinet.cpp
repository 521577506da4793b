#include <cstdio>
#include <string>

#include "Inspect.h"
#include "core/Text.h"
#include "update/win32/Cabinet_win32.h"

namespace orvane::inspect {

namespace {

// The extraction an update runs: the checks, then the system's extractor, stored times, incomplete
// members deleted. One line per member written whole.
int Cabinet(const TCommandLine& line) {
    const TCabinetExtraction report =
        ExtractCabinetReport(FromUtf8(line.operands[0]), FromUtf8(line.operands[1]), SystemAnsiCodePage());
    for (const std::wstring& file : report.written) std::printf("%s\n", ToUtf8(file).c_str());
    std::fflush(stdout);
    if (report.result == 0) return 0;
    std::fprintf(stderr, "orvane-inspect: %s%s\n", report.refused ? "refused: " : "", ToUtf8(report.reason).c_str());
    return 1;
}

}  // namespace

const TCommand& CabinetCommand() {
    static const TCommand command{
        {"cabinet", "FILE FOLDER", "extract a cabinet into FOLDER as an update does", {}, 2, 2}, Cabinet};
    return command;
}

}  // namespace orvane::inspect
