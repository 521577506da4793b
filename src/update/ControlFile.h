#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/CodePage.h"

namespace orvane {

// A control file as the engine reads it: sections of keys in INI syntax. Names compare without
// letter case and the first occurrence of a section or a key wins.
class TControlFile {
public:
    struct Key {
        std::wstring name, value;
    };
    struct Section {
        std::wstring name;
        std::vector<Key> keys;
        std::unordered_map<std::wstring, size_t> index;  // upper-cased key name -> position in keys
    };

    // Bytes with a UTF-8 or UTF-16 byte-order mark are read as such, others in the 8-bit code page.
    static TControlFile FromBytes(std::string_view bytes, const IAnsiCodePage& ansi);
    static TControlFile FromText(std::wstring_view text);

    bool HasSection(std::wstring_view section) const;
    // The value as written; nullopt when the section or key is absent.
    std::optional<std::wstring> Find(std::wstring_view section, std::wstring_view key) const;
    std::wstring ReadString(std::wstring_view section, std::wstring_view key, const std::wstring& fallback = {}) const;
    std::int32_t ReadInteger(std::wstring_view section, std::wstring_view key, std::int32_t fallback) const;
    // A flag is an integer that means yes only when it is exactly 1.
    bool ReadFlag(std::wstring_view section, std::wstring_view key, bool fallback) const;

    // Sections in file order, later duplicates left out.
    const std::vector<Section>& Sections() const { return sections_; }

private:
    const Section* FindSection(std::wstring_view name) const;
    std::vector<Section> sections_;
    std::unordered_map<std::wstring, size_t> index_;  // upper-cased section name -> position
};

// Decimal, or hexadecimal after "$" or "0x" (either case) when longer than two characters; nullopt otherwise.
std::optional<std::int32_t> ParseControlInteger(std::wstring_view text);

// The text of control-file bytes, by byte-order mark or in the 8-bit code page.
std::wstring DecodeControlText(std::string_view bytes, const IAnsiCodePage& ansi);
// The lines of a downloaded text decoded as the control file is, split at CR LF, CR or LF; a final
// line break opens no empty last line.
std::vector<std::wstring> DecodeTextLines(std::string_view bytes, const IAnsiCodePage& ansi);

// Every key the engine reads, with its effective value after defaults.
struct TControlFileValues {
    struct Update {
        std::wstring signature, descr, date, time, localversion, unconditional, newversion;
        std::int32_t newsize = 0, newchecksum = -1;
    };
    struct Application {
        bool appupdate = false;
        std::wstring appname, appparam, appcomps;
        bool silentrestart = false;
    };
    struct Action {
        std::wstring msg, htmldlg, runbefore, runbeforeparam, showURL, query, updateURL, runafter, runafterparam;
    };
    struct Custom {
        std::wstring validatemsg, validateparam, processmsg, processparam;
    };
    struct WhatsNew {
        std::wstring file, caption, okbtn, cancelbtn;
    };
    struct Eula {
        std::wstring file, caption, okbtn, accept, notaccept;
    };
    struct File {
        std::wstring url, localversion, newversion;
        std::int32_t newsize = 0, newchecksum = -1;
        std::wstring customversion, date, time, descr, targetdir;
        bool compressed = false;
        std::int32_t filesize = 0;
        bool mandatory = false, preselect = true, hidden = false;
        std::wstring sha256;
    };

    Update update;
    Application application;
    Action action;
    Custom custom;
    WhatsNew whatsnew;
    Eula eula;
    std::wstring languageID;  // suffix the file keys of whatsnew and eula were read with
    std::int32_t count = 0;   // as written in section files
    std::vector<File> files;  // file1 .. fileN
};

// A control file may claim any count; entries beyond this would only exhaust memory.
inline constexpr std::int32_t kMaxControlFileEntries = 10000;

TControlFileValues::File ReadFileSection(const TControlFile& file, std::int32_t number);
TControlFileValues ReadControlFileValues(const TControlFile& file, const std::wstring& languageID);

}  // namespace orvane
