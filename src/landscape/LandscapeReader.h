#pragma once

#include <string>
#include <string_view>

#include "landscape/LandscapeTypes.h"
#include "platform/CodePage.h"
#include "platform/TextFileReader.h"

namespace orvane {

// Reads the SAP UI landscape file at PATH into LANDSCAPE (normally empty): appends to Services,
// MessageServers, Routers, Includes and Configuration and sets the header fields. The file is
// taken as ANSI text. A file that cannot be read raises AppError before anything is stored; an
// Integer attribute that is not a number raises AppError("'%s' n'est pas une valeur entière
// correcte") and leaves what was read before it.
void ReadLandscape(const std::wstring& path, tyLandscape& landscape, const ITextFileReader& files,
                   const IAnsiCodePage& ansi);

// The same over the file's raw bytes, line breaks included.
void ReadLandscapeBytes(std::string_view bytes, tyLandscape& landscape, const IAnsiCodePage& ansi);

// The file's lines joined with nothing between them: a line ends at its first CR or LF, and
// everything from there up to and including the next LF is dropped.
std::string JoinLandscapeLines(std::string_view bytes);

} // namespace orvane
