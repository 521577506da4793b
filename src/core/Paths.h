#pragma once

#include <filesystem>
#include <string>

namespace orvane {

// A filesystem path for a Windows-style wide path on this host: UTF-16 as is on Windows, UTF-8
// elsewhere (whatever the process locale, which may not convert accented names).
std::filesystem::path NativePath(const std::wstring& path);

} // namespace orvane
