#pragma once

#include "platform/FileTimes.h"

namespace orvane::win32 {

// Converted with the time-zone rules of the file's own date, so a summer date reads as summer time
// whatever the season of the call.
class TWin32FileTimes : public IFileTimes {
public:
    std::optional<double> LastWriteLocal(const std::wstring& path) const override;
};

}  // namespace orvane::win32
