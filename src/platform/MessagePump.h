#pragma once

#include <string>

namespace orvane {

// What a long transfer does between blocks: lets the window's messages run, traces to a debugger.
class IMessagePump {
public:
    virtual ~IMessagePump() = default;
    virtual void ProcessMessages() = 0;
    virtual void DebugOutput(const std::wstring& text) = 0;
};

}  // namespace orvane
