#pragma once

#include "platform/LzExpand.h"

namespace orvane::win32 {

// LZ32 from the system folder (by its full path, never found on the search path), with ANSI paths.
class TWin32LzExpand : public ILzExpand {
public:
    std::optional<std::wstring> ExpandedName(const std::wstring& path) override;
    bool Expand(const std::wstring& source, const std::wstring& target) override;
};

}  // namespace orvane::win32
