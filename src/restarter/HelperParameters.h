#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The helper's own reading of its command line: blanks (spaces, tabs) separate, double quotes group
// and are dropped, a backslash is an ordinary character. The engine writes the working folder as
// "C:\Temp\", which the C runtime would read as an escaped quote.
std::vector<std::wstring> SplitHelperCommandLine(std::wstring_view commandLine);
// The parameters without the program name that starts a process's command line.
std::vector<std::wstring> HelperArguments(std::wstring_view processCommandLine);

struct THelperParameters {
    std::uint32_t processId = 0;
    bool log = false;                    // parameter 2 is exactly "L"
    std::wstring application;            // "null" when nothing is started again
    std::wstring applicationParameters;  // a single blank means none
    std::wstring workFolder;             // ends with "\"
    std::vector<std::wstring> files;
};

// nullopt when the first parameter is not a decimal process id or the first five are not all there:
// the helper then ends without waiting, installing, logging or starting anything.
std::optional<THelperParameters> ParseHelperParameters(const std::vector<std::wstring>& arguments);

}  // namespace orvane
