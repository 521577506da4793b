#include "platform/win32/Pinger_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <iphlpapi.h>

#include <icmpapi.h>
#include <objbase.h>
#include <oleauto.h>

#include <cwchar>
#include <limits>
#include <vector>

#include "core/Error.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Winsock_win32.h"

namespace orvane::win32 {

namespace {

void ReleaseCom(IUnknown* object) {
    object->Release();
}
void FreeBstr(BSTR text) {
    SysFreeString(text);
}
void CloseIcmp(HANDLE handle) {
    IcmpCloseHandle(handle);
}

using unique_dispatch = unique_any<IDispatch*, ReleaseCom>;
using unique_enumvariant = unique_any<IEnumVARIANT*, ReleaseCom>;
using unique_bstr = unique_any<BSTR, FreeBstr>;
using unique_icmp = unique_any<HANDLE, CloseIcmp, ~std::uintptr_t{0}>;

struct TVariant {
    VARIANT value;
    TVariant() { VariantInit(&value); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    ~TVariant() { VariantClear(&value); }
};

// The calling thread's apartment is the application's: it is joined as apartment-threaded only when
// the thread has none yet, and left again only when this call entered it.
class TComApartment {
public:
    TComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

private:
    HRESULT hr_;
};

// The object's own description of the failure when it gave one, else the system's text.
[[noreturn]] void ThrowComError(const wchar_t* member, HRESULT hr, const std::wstring& description = {}) {
    std::wstring text = description;
    if (text.empty()) {
        wchar_t* buffer = nullptr;
        const DWORD length =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        if (length) text.assign(buffer, length);
        if (buffer) LocalFree(buffer);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    }
    if (text.empty()) {
        // WMI's own codes are not in the system's message table.
        wchar_t code[16];
        swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
        text = std::wstring(L"Erreur ") + code;
    }
    throw AppError(std::wstring(member) + L" : " + text);
}

// WMI has no such class (Wine has no ping status; a damaged repository loses it): the one failure
// that leaves the echo to another way of asking.
bool IsMissingClass(HRESULT hr) {
    constexpr HRESULT kNotFound = static_cast<HRESULT>(0x80041002);      // WBEM_E_NOT_FOUND
    constexpr HRESULT kInvalidClass = static_cast<HRESULT>(0x80041010);  // WBEM_E_INVALID_CLASS
    return hr == kNotFound || hr == kInvalidClass;
}

// Thrown inside this file when WMI has no ping status class to ask.
struct TNoClass {};

// Calls MEMBER of OBJECT by name; ARGS in the order a script would write them.
HRESULT Invoke(IDispatch* object, const wchar_t* member, WORD flags, std::vector<VARIANT> args, VARIANT* result,
               EXCEPINFO* info) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    // Positional arguments travel last to first.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    UINT badArgument = 0;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, info, &badArgument);
}

VARIANT Text(BSTR text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}

VARIANT Int(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

void ClearExcepInfo(EXCEPINFO& info) {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    info = {};
}

// The failure a late-bound call reports: a method's own code travels in the exception record.
HRESULT EffectiveError(HRESULT hr, const EXCEPINFO& info) {
    if (hr == DISP_E_EXCEPTION && FAILED(info.scode)) return info.scode;
    return hr;
}

// Raises the failure of MEMBER, or TNoClass when it only says the class is missing.
[[noreturn]] void Failed(const wchar_t* member, HRESULT hr, EXCEPINFO& info) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    const HRESULT code = EffectiveError(hr, info);
    const std::wstring description = info.bstrDescription ? info.bstrDescription : L"";
    ClearExcepInfo(info);
    if (IsMissingClass(code)) throw TNoClass{};
    ThrowComError(member, code, description);
}

// Calls a method that returns an object.
unique_dispatch CallForObject(IDispatch* object, const wchar_t* member, std::vector<VARIANT> args) {
    TVariant result;
    EXCEPINFO info = {};
    const HRESULT hr = Invoke(object, member, DISPATCH_METHOD, std::move(args), &result.value, &info);
    if (FAILED(hr)) Failed(member, hr, info);
    ClearExcepInfo(info);
    if (result.value.vt != VT_DISPATCH || !result.value.pdispVal) ThrowComError(member, DISP_E_TYPEMISMATCH);
    result.value.pdispVal->AddRef();
    return unique_dispatch(result.value.pdispVal);
}

// The first object of a result set; nothing when it is empty.
unique_dispatch FirstObject(IDispatch* results) {
    TVariant enumerator;
    DISPPARAMS none = {};
    EXCEPINFO info = {};
    UINT badArgument = 0;
    // _NewEnum is reached through its reserved id, as scripting hosts do.
    const HRESULT hr =
        results->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none,
                        &enumerator.value, &info, &badArgument);
    if (FAILED(hr)) Failed(L"_NewEnum", hr, info);
    ClearExcepInfo(info);
    IUnknown* unknown = enumerator.value.vt == VT_UNKNOWN    ? enumerator.value.punkVal
                        : enumerator.value.vt == VT_DISPATCH ? enumerator.value.pdispVal
                                                             : nullptr;
    if (!unknown) ThrowComError(L"_NewEnum", DISP_E_TYPEMISMATCH);
    unique_enumvariant items;
    const HRESULT queried = unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.put()));
    if (FAILED(queried)) ThrowComError(L"_NewEnum", queried);
    TVariant item;
    ULONG fetched = 0;
    // A query run in the background reports its failure when the first object is asked for.
    const HRESULT next = items.get()->Next(1, &item.value, &fetched);
    if (FAILED(next)) {
        if (IsMissingClass(next)) throw TNoClass{};
        ThrowComError(L"Next", next);
    }
    if (next != S_OK || fetched != 1) return {};
    if (item.value.vt != VT_DISPATCH || !item.value.pdispVal) ThrowComError(L"Next", DISP_E_TYPEMISMATCH);
    item.value.pdispVal->AddRef();
    return unique_dispatch(item.value.pdispVal);
}

// Reads property NAME of OBJECT into OUT, converted to TYPE; false when it is null. Failures are errors.
bool ReadProperty(IDispatch* object, const wchar_t* name, VARTYPE type, TVariant& out) {
    TVariant raw;
    EXCEPINFO info = {};
    const HRESULT hr = Invoke(object, name, DISPATCH_PROPERTYGET, {}, &raw.value, &info);
    if (FAILED(hr)) {
        if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
        const HRESULT code = EffectiveError(hr, info);
        const std::wstring description = info.bstrDescription ? info.bstrDescription : L"";
        ClearExcepInfo(info);
        ThrowComError(name, code, description);
    }
    ClearExcepInfo(info);
    if (raw.value.vt == VT_NULL || raw.value.vt == VT_EMPTY) return false;
    const HRESULT converted = VariantChangeType(&out.value, &raw.value, 0, type);
    if (FAILED(converted)) ThrowComError(name, converted);
    return true;
}

std::optional<int32_t> ReadStatus(IDispatch* object) {
    TVariant value;
    if (!ReadProperty(object, L"StatusCode", VT_I8, value)) return std::nullopt;
    const LONGLONG code = value.value.llVal;
    if (code < std::numeric_limits<int32_t>::min() || code > std::numeric_limits<uint32_t>::max())
        ThrowComError(L"StatusCode", DISP_E_OVERFLOW);
    return static_cast<int32_t>(static_cast<uint32_t>(code));
}

uint32_t ReadCount(IDispatch* object, const wchar_t* name) {
    TVariant value;
    if (!ReadProperty(object, name, VT_I8, value)) return 0;
    const LONGLONG number = value.value.llVal;
    if (number < 0 || number > std::numeric_limits<uint32_t>::max()) ThrowComError(name, DISP_E_OVERFLOW);
    return static_cast<uint32_t>(number);
}

std::wstring ReadText(IDispatch* object, const wchar_t* name) {
    TVariant value;
    if (!ReadProperty(object, name, VT_BSTR, value) || !value.value.bstrVal) return {};
    return std::wstring(value.value.bstrVal, SysStringLen(value.value.bstrVal));
}

unique_bstr Bstr(const std::wstring& text) {
    unique_bstr result(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (!result) throw AppError(SystemMessage(static_cast<DWORD>(E_OUTOFMEMORY)));
    return result;
}

std::wstring IPv4Text(uint32_t networkOrder) {
    const auto* b = reinterpret_cast<const unsigned char*>(&networkOrder);
    return std::to_wstring(b[0]) + L"." + std::to_wstring(b[1]) + L"." + std::to_wstring(b[2]) + L"." +
           std::to_wstring(b[3]);
}

// The ping status's defaults, which the query leaves in place.
constexpr DWORD kEchoTimeoutMs = 1000;
constexpr UCHAR kEchoTimeToLive = 80;

// IP_STATUS codes sit from IP_STATUS_BASE up; other last errors are failures of the call itself.
bool IsIpStatus(DWORD code) {
    return code >= IP_STATUS_BASE && code < IP_STATUS_BASE + 1000;
}

}  // namespace

IDispatch* CreateWbemLocator() {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(L"WbemScripting.SWbemLocator", &clsid);
    if (FAILED(hr)) ThrowComError(L"WbemScripting.SWbemLocator", hr);
    IDispatch* locator = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(&locator));
    if (FAILED(hr)) ThrowComError(L"WbemScripting.SWbemLocator", hr);
    return locator;
}

TWmiPinger::TWmiPinger(TQueryText queryText, TLocatorFactory createLocator)
    : queryText_(std::move(queryText)), createLocator_(std::move(createLocator)) {}

std::optional<TPingReply> TWmiPinger::Ping(const std::wstring& address, uint16_t bufferSize) {
    const TComApartment apartment;
    unique_dispatch object;
    try {
        // A new locator and connection per address: nothing is kept between pings.
        const unique_dispatch locator(createLocator_());
        if (!locator) ThrowComError(L"WbemScripting.SWbemLocator", E_POINTER);
        const unique_bstr server = Bstr(L"localhost"), space = Bstr(L"root\\CIMV2"), user = Bstr(L""),
                          password = Bstr(L"");
        const unique_dispatch services =
            CallForObject(locator.get(), L"ConnectServer",
                          {Text(server.get()), Text(space.get()), Text(user.get()), Text(password.get())});
        const unique_bstr query = Bstr(queryText_(address, bufferSize)), language = Bstr(L"WQL");
        const unique_dispatch results =
            CallForObject(services.get(), L"ExecQuery", {Text(query.get()), Text(language.get()), Int(0)});
        object = FirstObject(results.get());
    } catch (const TNoClass&) {
        return std::nullopt;
    }
    if (!object) return std::nullopt;

    TPingReply reply;
    reply.statusCode = ReadStatus(object.get());
    reply.responseTime = ReadCount(object.get(), L"ResponseTime");
    reply.protocolAddress = ReadText(object.get(), L"ProtocolAddress");
    reply.replySize = ReadCount(object.get(), L"ReplySize");
    reply.timeToLive = ReadCount(object.get(), L"TimeToLive");
    return reply;
}

std::optional<uint32_t> ResolveIPv4(const std::wstring& name) {
    const TWinsock winsock;
    ADDRINFOW hints = {};
    hints.ai_family = AF_INET;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(name.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
    std::optional<uint32_t> address;
    for (const ADDRINFOW* a = found; a; a = a->ai_next)
        if (a->ai_family == AF_INET && a->ai_addr) {
            address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
            break;
        }
    FreeAddrInfoW(found);
    return address;
}

TIcmpPinger::TIcmpPinger(TResolver resolve) : resolve_(std::move(resolve)) {}

std::optional<TPingReply> TIcmpPinger::Ping(const std::wstring& address, uint16_t bufferSize) {
    TPingReply reply;
    // An empty name would resolve to this machine's own addresses; like an unknown name it has no status.
    const std::optional<uint32_t> target = address.empty() ? std::nullopt : resolve_(address);
    if (!target) {
        reply.protocolAddress = address;
        return reply;
    }
    const unique_icmp icmp(IcmpCreateFile());
    if (!icmp) ThrowWin32Error();

    // The payload the Windows ping tool sends: the alphabet from "a" to "w", repeated.
    std::vector<char> payload(bufferSize);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>('a' + i % 23);
    // Room for the reply, its echoed data, the ICMP error message a router may send instead and the
    // I/O status block the system keeps there.
    std::vector<unsigned char> answer(sizeof(ICMP_ECHO_REPLY) + payload.size() + 8 + 2 * sizeof(void*) + 64);
    IP_OPTION_INFORMATION options = {};
    options.Ttl = kEchoTimeToLive;

    const DWORD count =
        IcmpSendEcho(icmp.get(), *target, payload.empty() ? nullptr : payload.data(), static_cast<WORD>(payload.size()),
                     &options, answer.data(), static_cast<DWORD>(answer.size()), kEchoTimeoutMs);
    if (count == 0) {
        const DWORD error = GetLastError();
        if (!IsIpStatus(error)) ThrowWin32Error(error);
        reply.statusCode = static_cast<int32_t>(error);
        reply.protocolAddress = IPv4Text(*target);
        return reply;
    }
    const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(answer.data());
    reply.statusCode = static_cast<int32_t>(echo->Status);
    reply.protocolAddress = IPv4Text(echo->Address);
    if (echo->Status == IP_SUCCESS) {
        reply.replySize = echo->DataSize;
        reply.responseTime = echo->RoundTripTime;
        reply.timeToLive = echo->Options.Ttl;
    }
    return reply;
}

std::optional<TPingReply> TFallbackPinger::Ping(const std::wstring& address, uint16_t bufferSize) {
    if (auto reply = primary_->Ping(address, bufferSize)) return reply;
    return fallback_->Ping(address, bufferSize);
}

}  // namespace orvane::win32
