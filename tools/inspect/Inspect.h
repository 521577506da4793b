#pragma once

#include <string>
#include <vector>

namespace orvane::inspect {

// One subcommand: ARGS are the words after its name. Returns the process exit code.
using Command = int (*)(const std::vector<std::string>& args);

int Landscape(const std::vector<std::string>& args);  // landscape FILE
int Checksum(const std::vector<std::string>& args);   // checksum FILE
int Control(const std::vector<std::string>& args);    // control FILE

} // namespace orvane::inspect
