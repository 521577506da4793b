#pragma once

#include <string>
#include <vector>

#include "update/ControlFile.h"
#include "update/FileList.h"

namespace orvane {

// What the engine reads from a control file, as JSON (UTF-8): every section with each key's
// effective value, then the file entries the file list builds from them.
std::string ControlFileJson(const TControlFileValues& values, const std::vector<TFileDescription>& entries);

// The entries with folder prefixes left as written.
std::vector<TFileDescription> FileEntriesAsWritten(const TControlFileValues& values);

}  // namespace orvane
