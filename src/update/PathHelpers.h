#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/Paths.h"

#include "platform/FileWriter.h"

namespace orvane {

std::wstring StripTrailingDelimiter(std::wstring path);
// Text before the last "\" (without it); empty without one.
std::wstring DirectoryPart(std::wstring_view path);
// Text after the last "\"; the whole text without one.
std::wstring FileNamePart(std::wstring_view path);
bool IsExistingDirectory(const IFileWriter& files, const std::wstring& path);
// Creates the folder and its missing parents; true when it exists afterwards.
bool CreateDirectoryChain(IFileWriter& files, const std::wstring& directory);

}  // namespace orvane
