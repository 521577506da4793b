#pragma once

#include <windows.h>

#include "crash/Mail.h"

namespace orvane::crash {

// Simple MAPI's MAPISendMailW, from mapi32.dll in the system folder, loaded only when the
// workstation names a default mail client.
class TMapiMailClient : public IMailClient {
public:
    explicit TMapiMailClient(HWND owner) : owner_(owner) {}
    Result Send(const TMailMessage& message) override;

private:
    HWND owner_;
};

}  // namespace orvane::crash
