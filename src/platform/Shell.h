#pragma once

#include <string>

namespace orvane {

// Hands a folder, document or program to the Windows shell ("Open" verb). Nothing is waited for.
class IShell {
public:
    virtual ~IShell() = default;
    virtual void Open(const std::wstring& path) = 0;
};

} // namespace orvane
