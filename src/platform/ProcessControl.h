#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// The running program's own embedded data (resource type RCDATA).
class IModuleResources {
public:
    virtual ~IModuleResources() = default;
    // The resource's bytes; nullopt when the program carries no resource of that name.
    virtual std::optional<std::string> Find(const std::wstring& name) = 0;
    // The running program's own file; empty when unknown.
    virtual std::wstring ModulePath() { return {}; }
};

// The running process: who it is, where it runs, the programs it hands over to and its own end.
class IProcessControl {
public:
    virtual ~IProcessControl() = default;
    virtual std::uint32_t CurrentProcessId() = 0;
    virtual std::wstring CurrentFolder() = 0;
    // Starts a program through the shell ("open", shown); the shell's answer, above 32 on success.
    virtual std::intptr_t ShellOpen(const std::wstring& file, const std::wstring& parameters) = 0;
    // Asks the message loop to finish, so the application closes normally.
    virtual void RequestQuit() = 0;
};

// Writes one value of an INI file, keeping the rest of the file.
class IProfileWriter {
public:
    virtual ~IProfileWriter() = default;
    virtual bool WriteString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                             const std::wstring& value) = 0;
};

}  // namespace orvane
