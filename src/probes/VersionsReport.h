#pragma once

#include <functional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/VersionResource.h"

namespace orvane {

// Receives each report line the moment it is computed.
using TReportLineSink = std::function<void(const std::wstring& line)>;

// Writes the installed-versions report, line by line, to SINK. A registry value that is not text
// raises AppError from the folder lookup and ends the report; the lines already given stay given.
void WriteVersionsReport(const IRegistry& registry, const IFileSystem& files, const IVersionResource& versions,
                         const TReportLineSink& sink);

}  // namespace orvane
