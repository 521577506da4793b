#pragma once

#include "platform/ProfileReader.h"

namespace orvane::win32 {

// GetPrivateProfileStringW: the key names of the section, then each key's value, with buffers that
// grow until nothing is cut off.
class TWin32ProfileReader : public IProfileReader {
public:
    std::vector<std::pair<std::wstring, std::wstring>> ReadSection(const std::wstring& path,
                                                                   const std::wstring& section) const override;
};

}  // namespace orvane::win32
