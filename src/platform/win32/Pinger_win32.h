#pragma once

// The pinger on Windows: the system's ping status through WMI, late-bound, and an ICMP echo
// through the IP helper API when WMI has no answer because it has no ping status class or no
// object (Wine has no Win32_PingStatus; a broken WMI repository behaves the same).

#include <oaidl.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Pinger.h"

namespace orvane::win32 {

// The WQL query for one address and payload size.
using TQueryText = std::function<std::wstring(const std::wstring& address, uint16_t bufferSize)>;

// Gives a new reference to a locator object; raises AppError when none can be created.
using TLocatorFactory = std::function<IDispatch*()>;

// "WbemScripting.SWbemLocator" through its ProgID.
IDispatch* CreateWbemLocator();

// Nothing when WMI has no ping status class or the query gives no object; every other failure
// (locator, connection, query, reading the object) raises AppError with its text.
class TWmiPinger : public IPinger {
public:
    explicit TWmiPinger(TQueryText queryText, TLocatorFactory createLocator = CreateWbemLocator);
    std::optional<TPingReply> Ping(const std::wstring& address, uint16_t bufferSize) override;

private:
    TQueryText queryText_;
    TLocatorFactory createLocator_;
};

// The IPv4 address of a name in network byte order, or nothing when it does not resolve.
using TResolver = std::function<std::optional<uint32_t>(const std::wstring& name)>;

// GetAddrInfoW, IPv4 only.
std::optional<uint32_t> ResolveIPv4(const std::wstring& name);

// One echo with the system ping status's defaults: 1000 ms to answer, a time-to-live of 80.
class TIcmpPinger : public IPinger {
public:
    explicit TIcmpPinger(TResolver resolve = ResolveIPv4);
    std::optional<TPingReply> Ping(const std::wstring& address, uint16_t bufferSize) override;

private:
    TResolver resolve_;
};

// Asks PRIMARY, and FALLBACK only when PRIMARY gave nothing; errors of PRIMARY are not masked.
class TFallbackPinger : public IPinger {
public:
    TFallbackPinger(std::unique_ptr<IPinger> primary, std::unique_ptr<IPinger> fallback)
        : primary_(std::move(primary)), fallback_(std::move(fallback)) {}
    std::optional<TPingReply> Ping(const std::wstring& address, uint16_t bufferSize) override;

private:
    std::unique_ptr<IPinger> primary_;
    std::unique_ptr<IPinger> fallback_;
};

// What the main window uses: WMI first, then ICMP. QUERYTEXT comes from the probes' logic.
class TWin32Pinger : public TFallbackPinger {
public:
    explicit TWin32Pinger(TQueryText queryText)
        : TFallbackPinger(std::make_unique<TWmiPinger>(std::move(queryText)), std::make_unique<TIcmpPinger>()) {}
};

}  // namespace orvane::win32
