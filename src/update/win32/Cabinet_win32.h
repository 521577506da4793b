#pragma once

#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace orvane {

// Extracts every member of CABINET below TARGET (a folder ending with "\"; empty means the current
// folder), stamping each file with the date and time the cabinet stores. 0 on success, -1 on any
// failure. The cabinet's tables and member names are checked before the system's extractor sees the
// file: a cabinet that fails, or holds one name that would leave the target, is refused whole and
// nothing is written. Members completed before a later failure stay; a member left incomplete is
// deleted. Cabinet sets are refused when the extractor asks for the next part. Member names without
// the UTF-8 flag are read in ANSI.
int ExtractCabinet(const std::wstring& cabinet, const std::wstring& target, const IAnsiCodePage& ansi);
int ExtractCabinet(const std::wstring& cabinet, const std::wstring& target);

// The same extraction, telling what it did: the files written whole, in order, and why it failed.
struct TCabinetExtraction {
    int result = -1;
    bool refused = false;  // the checks refused the cabinet before the extractor saw it
    std::wstring reason;   // empty on success
    std::vector<std::wstring> written;
};
TCabinetExtraction ExtractCabinetReport(const std::wstring& cabinet, const std::wstring& target,
                                        const IAnsiCodePage& ansi);

}  // namespace orvane
