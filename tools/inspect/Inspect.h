#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "platform/CodePage.h"

namespace orvane::inspect {

// Arguments are UTF-8 on every system; files without a byte-order mark are read in this code page
// (the system's ANSI code page on Windows, Windows-1252 elsewhere).
const IAnsiCodePage& SystemAnsiCodePage();

std::filesystem::path PathOf(const std::string& utf8);
bool IsReadableFile(const std::string& utf8);

// One subcommand: what it accepts, and what runs once its command line parsed. Returns the
// process exit code.
struct TCommand {
    TCommandSpec spec;
    int (*run)(const TCommandLine& line);
};

const TCommand& LandscapeCommand();  // landscape FILE
const TCommand& ChecksumCommand();   // checksum FILE
const TCommand& ControlCommand();    // control FILE
const TCommand& FetchCommand();      // fetch [OPTIONS] URL FOLDER
const TCommand& CheckCommand();      // check [--app-folder DIR] URL
const TCommand& UpdateCommand();     // update [--app-folder DIR] URL
const TCommand& PublishCommand();    // publish --version A.B.C.D --url BASE FOLDER
#ifdef _WIN32
const TCommand& CabinetCommand();  // cabinet FILE FOLDER
const TCommand& ReportCommand();   // report [--json] [--ping] [--ports]
const TCommand& VerifyCommand();   // verify CONTROL SIGNATURE --key PUBLIC.pem
#endif

// The whole command line after the program's name.
int RunInspect(const std::vector<std::string>& words);

}  // namespace orvane::inspect
