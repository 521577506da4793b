#pragma once

#include "platform/MessagePump.h"

namespace orvane::win32 {

class TWin32MessagePump : public IMessagePump {
public:
    void ProcessMessages() override;
    void DebugOutput(const std::wstring& text) override;
};

}  // namespace orvane::win32
