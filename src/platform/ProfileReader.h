#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orvane {

// INI files read the way the system's profile functions read them.
class IProfileReader {
public:
    virtual ~IProfileReader() = default;
    // The keys of SECTION (matched without regard to case) in file order, each with the value the
    // system returns for that key name; empty when the file or the section is missing.
    virtual std::vector<std::pair<std::wstring, std::wstring>> ReadSection(const std::wstring& path,
                                                                           const std::wstring& section) const = 0;
};

} // namespace orvane
