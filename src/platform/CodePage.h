#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The system's ANSI code page, for files that carry no byte-order mark.
class IAnsiCodePage {
public:
    virtual ~IAnsiCodePage() = default;
    virtual std::wstring Decode(std::string_view bytes) const = 0;
    virtual std::string Encode(std::wstring_view text) const = 0;  // unmappable characters become '?'
};

// Windows-1252, the ANSI code page of Western European Windows; used natively and in tests.
class TWindows1252 : public IAnsiCodePage {
public:
    std::wstring Decode(std::string_view bytes) const override;
    std::string Encode(std::wstring_view text) const override;
};

} // namespace orvane
