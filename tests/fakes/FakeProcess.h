#pragma once

// The running process's own services in memory: its resources, identity, started programs, INI values.

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ProcessControl.h"

namespace orvane::fakes {

class FakeModuleResources : public IModuleResources {
public:
    std::map<std::wstring, std::string> resources;
    std::optional<std::string> Find(const std::wstring& name) override {
        const auto it = resources.find(name);
        if (it == resources.end()) return std::nullopt;
        return it->second;
    }
    std::wstring modulePath;
    std::wstring ModulePath() override { return modulePath; }
};

class FakeProcessControl : public IProcessControl {
public:
    std::uint32_t processId = 1234;
    std::wstring currentFolder = L"C:\\Apps\\Tool";
    std::intptr_t shellAnswer = 42;  // above 32: started
    struct Started {
        std::wstring file, parameters;
    };
    std::vector<Started> started;
    int quitRequests = 0;

    std::uint32_t CurrentProcessId() override { return processId; }
    std::wstring CurrentFolder() override { return currentFolder; }
    std::intptr_t ShellOpen(const std::wstring& file, const std::wstring& parameters) override {
        started.push_back({file, parameters});
        return shellAnswer;
    }
    void RequestQuit() override { ++quitRequests; }
};

class FakeProfileWriter : public IProfileWriter {
public:
    using Address = std::tuple<std::wstring, std::wstring, std::wstring>;  // file, section, key
    std::map<Address, std::wstring> values;
    bool fails = false;
    bool WriteString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override {
        if (fails) return false;
        values[{file, section, key}] = value;
        return true;
    }
};

}  // namespace orvane::fakes
