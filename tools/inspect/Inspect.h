#pragma once

#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace orvane::inspect {

// Arguments are UTF-8 on every system; files without a byte-order mark are read in this code page
// (the system's ANSI code page on Windows, Windows-1252 elsewhere).
const IAnsiCodePage& SystemAnsiCodePage();

// One subcommand: ARGS are the words after its name. Returns the process exit code.
using Command = int (*)(const std::vector<std::string>& args);

int Landscape(const std::vector<std::string>& args);  // landscape FILE
int Checksum(const std::vector<std::string>& args);   // checksum FILE
int Control(const std::vector<std::string>& args);    // control FILE
int Fetch(const std::vector<std::string>& args);      // fetch [options] URL FOLDER

} // namespace orvane::inspect
