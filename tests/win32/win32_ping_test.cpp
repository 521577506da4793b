// The pinger and the INI profile reader against the real system: ICMP echoes to loopback addresses,
// WMI as Wine has it, scripted stand-ins for the WMI objects, and INI files written here.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "core/Error.h"
#include "core/Text.h"
#include "fakes/FakePing.h"
#include "platform/win32/Pinger_win32.h"
#include "platform/win32/ProfileReader_win32.h"
#include "probes/ServerPing.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using win32::TFallbackPinger;
using win32::TIcmpPinger;
using win32::TWmiPinger;

// --- ICMP echo -------------------------------------------------------------------------------

TEST(IcmpPinger, LoopbackAddressesAnswer) {
    TIcmpPinger pinger;
    struct Case {
        const wchar_t* address;
        uint16_t size;
    };
    for (const Case& c :
         {Case{L"127.0.0.1", 32}, Case{L"127.0.0.2", 32}, Case{L"127.0.0.1", 1000}, Case{L"127.0.0.1", 0}}) {
        const auto reply = pinger.Ping(c.address, c.size);
        ASSERT_TRUE(reply) << c.address;
        ASSERT_TRUE(reply->statusCode) << c.address;
        EXPECT_EQ(*reply->statusCode, 0) << c.address;
        EXPECT_EQ(reply->protocolAddress, c.address);
        EXPECT_EQ(reply->replySize, c.size) << c.address;
        EXPECT_LT(reply->responseTime, 1000u) << c.address;
        EXPECT_GT(reply->timeToLive, 0u) << c.address;
        EXPECT_EQ(
            PingServer(pinger, c.address, c.size).rfind(std::wstring(L"Reply from ") + c.address + L": bytes=", 0), 0u)
            << c.address;
    }
}

// True when the host machine answers "localhost" from its hosts file before asking any DNS server.
bool LocalhostIsOffline() {
    std::ifstream nsswitch("Z:\\etc\\nsswitch.conf"), hosts("Z:\\etc\\hosts");
    bool filesFirst = false, listed = false;
    for (std::string line; std::getline(nsswitch, line);)
        if (line.rfind("hosts:", 0) == 0) {
            const size_t files = line.find(" files"), dns = line.find(" dns");
            filesFirst = files != std::string::npos && (dns == std::string::npos || files < dns);
        }
    for (std::string line; std::getline(hosts, line);) {
        std::replace(line.begin(), line.end(), '\t', ' ');
        if (line.rfind("127.", 0) == 0 && (line + " ").find(" localhost ") != std::string::npos) listed = true;
    }
    return filesFirst && listed;
}

TEST(IcmpPinger, LocalhostResolvesToLoopback) {
    if (!LocalhostIsOffline()) GTEST_SKIP() << "localhost would be looked up outside the hosts file";
    TIcmpPinger pinger;
    const auto reply = pinger.Ping(L"localhost", 32);
    ASSERT_TRUE(reply && reply->statusCode);
    EXPECT_EQ(*reply->statusCode, 0);
    EXPECT_EQ(reply->protocolAddress.rfind(L"127.", 0), 0u) << reply->protocolAddress;
}

TEST(IcmpPinger, NamesThatDoNotResolveHaveNoStatus) {
    std::vector<std::wstring> asked;
    TIcmpPinger pinger([&](const std::wstring& name) -> std::optional<uint32_t> {
        asked.push_back(name);
        return std::nullopt;
    });
    for (const wchar_t* name : {L"srv-unknown.corp", L"127.0.0.2:3200", L""}) {
        const auto reply = pinger.Ping(name, 32);
        ASSERT_TRUE(reply) << name;
        EXPECT_FALSE(reply->statusCode) << name;
        EXPECT_EQ(PingServer(pinger, name, 32), std::wstring(L"Reply from ") + name + L": Error processing request");
    }
    // The empty name would stand for this machine's own addresses: it is not resolved at all.
    EXPECT_EQ(asked, (std::vector<std::wstring>{L"srv-unknown.corp", L"srv-unknown.corp", L"127.0.0.2:3200",
                                                L"127.0.0.2:3200"}));
}

TEST(IcmpPinger, EchoesTheAddressTheResolverGave) {
    TIcmpPinger pinger([](const std::wstring&) -> std::optional<uint32_t> {
        const unsigned char bytes[4] = {127, 0, 0, 3};
        uint32_t address;
        memcpy(&address, bytes, 4);
        return address;
    });
    const auto reply = pinger.Ping(L"app01", 32);
    ASSERT_TRUE(reply && reply->statusCode);
    EXPECT_EQ(*reply->statusCode, 0);
    EXPECT_EQ(reply->protocolAddress, L"127.0.0.3");
}

// --- WMI through scripted stand-ins ----------------------------------------------------------

std::atomic<int> liveObjects{0};

// A late-bound object made of named members, enough to stand in for the WMI scripting objects.
class TFakeDispatch : public IDispatch {
public:
    using THandler = std::function<HRESULT(const std::vector<VARIANT>& args, VARIANT* result)>;

    TFakeDispatch() { ++liveObjects; }
    virtual ~TFakeDispatch() { --liveObjects; }

    // Failures then come back as DISP_E_EXCEPTION with the code and a description in the exception
    // record, as a dispatcher built on a type library reports them.
    void ReportThroughExceptions(std::wstring description) {
        asException_ = true;
        description_ = std::move(description);
    }

    void On(const std::wstring& name, THandler handler) {
        const DISPID id = name == L"_NewEnum" ? DISPID_NEWENUM : static_cast<DISPID>(members_.size() + 1);
        ids_[name] = id;
        members_[id] = std::move(handler);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (!left) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (const auto& [name, id] : ids_)
            if (count == 1 && _wcsicmp(name.c_str(), names[0]) == 0) {
                ids[0] = id;
                return S_OK;
            }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT*) override {
        const auto it = members_.find(id);
        if (it == members_.end()) return DISP_E_MEMBERNOTFOUND;
        std::vector<VARIANT> args(params->rgvarg, params->rgvarg + params->cArgs);
        std::reverse(args.begin(), args.end());
        const HRESULT hr = it->second(args, result);
        if (FAILED(hr) && asException_ && info) {
            info->scode = hr;
            info->bstrDescription = SysAllocString(description_.c_str());
            return DISP_E_EXCEPTION;
        }
        return hr;
    }

private:
    bool asException_ = false;
    std::wstring description_;
    ULONG refs_ = 1;
    std::map<std::wstring, DISPID> ids_;
    std::map<DISPID, THandler> members_;
};

class TFakeEnum : public IEnumVARIANT {
public:
    explicit TFakeEnum(std::vector<IDispatch*> items, HRESULT failure = S_OK)
        : items_(std::move(items)), failure_(failure) {
        ++liveObjects;
        for (IDispatch* item : items_) item->AddRef();
    }
    virtual ~TFakeEnum() {
        for (IDispatch* item : items_) item->Release();
        --liveObjects;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IEnumVARIANT) {
            *out = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (!left) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        if (FAILED(failure_)) {
            if (fetched) *fetched = 0;
            return failure_;
        }
        ULONG n = 0;
        for (; n < count && next_ < items_.size(); ++n, ++next_) {
            out[n].vt = VT_DISPATCH;
            out[n].pdispVal = items_[next_];
            items_[next_]->AddRef();
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

private:
    ULONG refs_ = 1;
    std::vector<IDispatch*> items_;
    HRESULT failure_;
    size_t next_ = 0;
};

VARIANT Null() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_NULL;
    return v;
}
VARIANT I4(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}
VARIANT UI4(ULONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UI4;
    v.ulVal = value;
    return v;
}
// The BSTR is freed with the scene (VariantCopy hands out copies).
VARIANT Str(const wchar_t* text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    return v;
}

std::wstring ArgText(const VARIANT& v) {
    if (v.vt == VT_BSTR) return std::wstring(L"'") + (v.bstrVal ? v.bstrVal : L"") + L"'";
    if (v.vt == VT_I4) return std::to_wstring(v.lVal);
    return L"?";
}

// What the stand-in WMI does for one ping.
struct TWmiScene {
    HRESULT connectError = S_OK;
    HRESULT queryError = S_OK;
    HRESULT nextError = S_OK;  // a query run in the background fails when its first object is asked for
    bool throughExceptions = false;
    std::vector<std::map<std::wstring, VARIANT>> objects;  // property values of each result object
    std::vector<std::wstring> calls;                       // members called, with their arguments
    std::vector<std::wstring> read;                        // properties read

    ~TWmiScene() {
        for (auto& object : objects)
            for (auto& [name, value] : object) VariantClear(&value);
    }

    static HRESULT Give(IDispatch* object, VARIANT* result) {
        VariantInit(result);
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
        return S_OK;
    }

    void Record(const std::wstring& member, const std::vector<VARIANT>& args) {
        std::wstring text = member + L"(";
        for (size_t i = 0; i < args.size(); ++i) text += (i ? L", " : L"") + ArgText(args[i]);
        calls.push_back(text + L")");
    }

    IDispatch* MakeObject(std::map<std::wstring, VARIANT>& properties) {
        auto* object = new TFakeDispatch;
        for (auto& [name, value] : properties) {
            const std::wstring property = name;
            VARIANT* stored = &value;
            object->On(property, [this, property, stored](const std::vector<VARIANT>&, VARIANT* result) {
                read.push_back(property);
                VariantInit(result);
                return VariantCopy(result, stored);
            });
        }
        return object;
    }

    TFakeDispatch* NewObject() {
        auto* object = new TFakeDispatch;
        if (throughExceptions) object->ReportThroughExceptions(L"Description from WMI");
        return object;
    }

    IDispatch* Locator() {
        auto* locator = NewObject();
        locator->On(L"ConnectServer", [this](const std::vector<VARIANT>& args, VARIANT* result) {
            Record(L"ConnectServer", args);
            if (FAILED(connectError)) return connectError;
            auto* services = NewObject();
            services->On(L"ExecQuery", [this](const std::vector<VARIANT>& args, VARIANT* result) {
                Record(L"ExecQuery", args);
                if (FAILED(queryError)) return queryError;
                auto* set = NewObject();
                // The result set holds the objects; each enumerator takes its own references.
                std::shared_ptr<std::vector<IDispatch*>> items(new std::vector<IDispatch*>, [](auto* list) {
                    for (IDispatch* item : *list) item->Release();
                    delete list;
                });
                for (auto& properties : objects) items->push_back(MakeObject(properties));
                set->On(L"_NewEnum", [items, this](const std::vector<VARIANT>&, VARIANT* result) {
                    VariantInit(result);
                    result->vt = VT_UNKNOWN;
                    result->punkVal = new TFakeEnum(*items, nextError);
                    return S_OK;
                });
                return Give(set, result);
            });
            return Give(services, result);
        });
        return locator;
    }
};

TEST(WmiPinger, CallsTheScriptingObjectsByName) {
    TWmiScene scene;
    scene.objects = {{{L"StatusCode", I4(0)},
                      {L"ResponseTime", I4(0)},
                      {L"ProtocolAddress", Str(L"127.0.0.1")},
                      {L"ReplySize", I4(32)},
                      {L"TimeToLive", I4(80)}},
                     {{L"StatusCode", I4(11010)}}};
    {
        TWmiPinger pinger(PingQueryText, [&] { return scene.Locator(); });
        const auto reply = pinger.Ping(L"o'hara", 32);
        ASSERT_TRUE(reply);
        EXPECT_EQ(PingServer(pinger, L"o'hara", 32), L"Reply from 127.0.0.1: bytes=32 time=<1ms TTL=80");
    }
    EXPECT_EQ(scene.calls[0], L"ConnectServer('localhost', 'root\\CIMV2', '', '')");
    EXPECT_EQ(scene.calls[1],
              L"ExecQuery('SELECT * FROM Win32_PingStatus where Address='o''hara' AND BufferSize=32', 'WQL', 0)");
    EXPECT_EQ(scene.calls.size(), 4u);  // a new connection and one query per ping
    // Five properties of the first object per ping; the second object is never looked at.
    EXPECT_EQ(scene.read.size(), 10u);
    EXPECT_EQ(liveObjects, 0) << "every COM object released";
}

TEST(WmiPinger, ReadsTheResultObjectsProperties) {
    struct Case {
        const char* what;
        std::function<std::map<std::wstring, VARIANT>()> properties;
        std::optional<int32_t> status;
        std::wstring address;
        uint32_t size, time, ttl;
    };
    const std::vector<Case> cases = {
        {"answered",
         [] {
             return std::map<std::wstring, VARIANT>{{L"StatusCode", I4(0)},
                                                    {L"ResponseTime", I4(12)},
                                                    {L"ProtocolAddress", Str(L"10.1.2.3")},
                                                    {L"ReplySize", I4(32)},
                                                    {L"TimeToLive", I4(128)}};
         },
         0, L"10.1.2.3", 32, 12, 128},
        {"name did not resolve",
         [] {
             return std::map<std::wstring, VARIANT>{{L"StatusCode", Null()},
                                                    {L"ResponseTime", Null()},
                                                    {L"ProtocolAddress", Null()},
                                                    {L"ReplySize", Null()},
                                                    {L"TimeToLive", Null()}};
         },
         std::nullopt, L"", 0, 0, 0},
        {"timed out, unsigned and text values",
         [] {
             return std::map<std::wstring, VARIANT>{{L"StatusCode", UI4(11010)},
                                                    {L"ResponseTime", Null()},
                                                    {L"ProtocolAddress", Str(L"10.9.9.9")},
                                                    {L"ReplySize", Str(L"0")},
                                                    {L"TimeToLive", UI4(80)}};
         },
         11010, L"10.9.9.9", 0, 0, 80},
    };
    for (const Case& c : cases) {
        TWmiScene scene;
        scene.objects = {c.properties()};
        TWmiPinger pinger(PingQueryText, [&] { return scene.Locator(); });
        const auto reply = pinger.Ping(L"srv", 32);
        ASSERT_TRUE(reply) << c.what;
        EXPECT_EQ(reply->statusCode, c.status) << c.what;
        EXPECT_EQ(reply->protocolAddress, c.address) << c.what;
        EXPECT_EQ(reply->replySize, c.size) << c.what;
        EXPECT_EQ(reply->responseTime, c.time) << c.what;
        EXPECT_EQ(reply->timeToLive, c.ttl) << c.what;
    }
    EXPECT_EQ(liveObjects, 0);
}

TEST(WmiPinger, PropertiesThatCannotBeReadAreErrors) {
    struct Case {
        const char* what;
        std::function<std::map<std::wstring, VARIANT>()> properties;
    };
    const auto complete = [](std::map<std::wstring, VARIANT> p) {
        for (const wchar_t* name : {L"StatusCode", L"ResponseTime", L"ReplySize", L"TimeToLive"})
            if (!p.count(name)) p[name] = I4(0);
        if (!p.count(L"ProtocolAddress")) p[L"ProtocolAddress"] = Str(L"10.0.0.1");
        return p;
    };
    const std::vector<Case> cases = {
        {"no such property",
         [] {
             return std::map<std::wstring, VARIANT>{{L"StatusCode", I4(0)}};
         }},
        {"status is not a number",
         [&] {
             return complete({{L"StatusCode", Str(L"abc")}});
         }},
        {"negative size",
         [&] {
             return complete({{L"ReplySize", I4(-1)}});
         }},
    };
    for (const Case& c : cases) {
        TWmiScene scene;
        scene.objects = {c.properties()};
        TWmiPinger pinger(PingQueryText, [&] { return scene.Locator(); });
        EXPECT_THROW(pinger.Ping(L"srv", 32), AppError) << c.what;
    }
    EXPECT_EQ(liveObjects, 0);
}

// WMI codes of the scripting objects.
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80041003);
constexpr HRESULT kNotFound = static_cast<HRESULT>(0x80041002);
constexpr HRESULT kInvalidClass = static_cast<HRESULT>(0x80041010);
constexpr HRESULT kInvalidQuery = static_cast<HRESULT>(0x80041017);
constexpr HRESULT kTransportFailure = static_cast<HRESULT>(0x80041015);

// Only a missing ping status class (no class, no object) leaves the answer to someone else; every
// other failure is the command's error, with its text.
TEST(WmiPinger, NothingOnlyWhenThereIsNoClassOrNoObject) {
    struct Case {
        const char* what;
        bool noLocator;
        HRESULT connect, query, next;
        bool throughExceptions;
        const wchar_t* error;  // the start of the error's text; none when nothing comes back
    };
    const Case cases[] = {
        {"empty result set", false, S_OK, S_OK, S_OK, false, nullptr},
        {"no such class", false, S_OK, kInvalidClass, S_OK, false, nullptr},
        {"no such class, in the exception record", false, S_OK, kInvalidClass, S_OK, true, nullptr},
        {"not found", false, S_OK, kNotFound, S_OK, false, nullptr},
        {"no such class, found while enumerating", false, S_OK, S_OK, kInvalidClass, false, nullptr},
        {"no locator", true, S_OK, S_OK, S_OK, false, L"WbemScripting.SWbemLocator : "},
        {"connection refused", false, kAccessDenied, S_OK, S_OK, false, L"ConnectServer : Erreur 0x80041003"},
        {"connection refused, in the exception record", false, kAccessDenied, S_OK, S_OK, true,
         L"ConnectServer : Description from WMI"},
        {"broken transport", false, kTransportFailure, S_OK, S_OK, false, L"ConnectServer : "},
        {"query refused", false, S_OK, kInvalidQuery, S_OK, false, L"ExecQuery : Erreur 0x80041017"},
        {"query refused, in the exception record", false, S_OK, kInvalidQuery, S_OK, true,
         L"ExecQuery : Description from WMI"},
        {"out of memory while enumerating", false, S_OK, S_OK, E_OUTOFMEMORY, false, L"Next : "},
    };
    for (const Case& c : cases) {
        TWmiScene scene;
        scene.connectError = c.connect;
        scene.queryError = c.query;
        scene.nextError = c.next;
        scene.throughExceptions = c.throughExceptions;
        TWmiPinger pinger(PingQueryText, [&]() -> IDispatch* {
            if (c.noLocator) throw AppError(L"WbemScripting.SWbemLocator : Classe non enregistrée");
            return scene.Locator();
        });
        if (!c.error) {
            EXPECT_FALSE(pinger.Ping(L"srv", 32)) << c.what;
        } else {
            try {
                pinger.Ping(L"srv", 32);
                ADD_FAILURE() << c.what << ": no error";
            } catch (const AppError& e) {
                EXPECT_EQ(e.Message().rfind(c.error, 0), 0u) << c.what << ": " << ToUtf8(e.Message());
                EXPECT_FALSE(e.Message().ends_with(L": ")) << c.what << ": the error has a text";
            }
        }
        EXPECT_EQ(liveObjects, 0) << c.what;
    }
}

// What the main window pings through: WMI, then the echo only when WMI has no ping status class.
TEST(WmiPinger, TheEchoStandsInOnlyForAMissingClass) {
    struct Case {
        const char* what;
        HRESULT connect, query;
        bool echoAsked;
    };
    for (const Case& c :
         {Case{"no such class", S_OK, kInvalidClass, true}, Case{"connection refused", kAccessDenied, S_OK, false},
          Case{"query refused", S_OK, kInvalidQuery, false}}) {
        TWmiScene scene;
        scene.connectError = c.connect;
        scene.queryError = c.query;
        auto echo = std::make_unique<fakes::FakePinger>();
        for (const wchar_t* name : {L"srvA", L"srvB", L"srvC"}) echo->Answer(name, TPingReply{11010, L"10.0.0.9"});
        fakes::FakePinger& echoRef = *echo;
        int asked = 0;
        TFallbackPinger pinger(std::make_unique<TWmiPinger>(PingQueryText,
                                                            [&]() -> IDispatch* {
                                                                // Only the second server meets the failure.
                                                                const bool fail = ++asked == 2;
                                                                scene.connectError = fail ? c.connect : S_OK;
                                                                scene.queryError = fail ? c.query : S_OK;
                                                                return scene.Locator();
                                                            }),
                               std::move(echo));
        std::vector<std::wstring> rows;
        const auto run = [&] {
            PingServers(pinger, {L"srvA", L"srvB", L"srvC"}, [&](const std::wstring& name, const std::wstring& reply) {
                rows.push_back(name + L"=" + reply);
            });
        };
        if (c.echoAsked) {
            run();
            EXPECT_EQ(rows.size(), 3u) << c.what;
            EXPECT_EQ(rows[1], L"srvB=Reply from 10.0.0.9: Request Timed Out") << c.what;
            EXPECT_EQ(echoRef.asked, (std::vector<std::wstring>{L"srvA", L"srvB", L"srvC"})) << c.what;
        } else {
            EXPECT_THROW(run(), AppError) << c.what;
            // The command ends at the failing server: the first row stays, the third is never pinged.
            EXPECT_EQ(rows, (std::vector<std::wstring>{L"srvA=Reply from 10.0.0.9: Request Timed Out"})) << c.what;
            EXPECT_EQ(echoRef.asked, (std::vector<std::wstring>{L"srvA"})) << c.what;
        }
        EXPECT_EQ(liveObjects, 0) << c.what;
    }
}

// The application's thread is apartment-threaded; other threads keep whatever they have.
TEST(WmiPinger, LeavesTheCallersApartmentAsItWas) {
    struct Case {
        const char* what;
        std::optional<DWORD> apartment;
        bool singleThreaded;  // as the locator sees it
    };
    for (const Case& c :
         {Case{"no COM yet", std::nullopt, true}, Case{"single-threaded", COINIT_APARTMENTTHREADED, true},
          Case{"multithreaded", COINIT_MULTITHREADED, false}}) {
        std::thread([&] {
            if (c.apartment) {
                ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, *c.apartment))) << c.what;
            }
            TWmiScene scene;
            scene.objects = {{{L"StatusCode", I4(0)},
                              {L"ResponseTime", I4(1)},
                              {L"ProtocolAddress", Str(L"127.0.0.1")},
                              {L"ReplySize", I4(32)},
                              {L"TimeToLive", I4(80)}}};
            APTTYPE seen = APTTYPE_CURRENT;
            TWmiPinger pinger(PingQueryText, [&] {
                APTTYPEQUALIFIER qualifier;
                CoGetApartmentType(&seen, &qualifier);
                return scene.Locator();
            });
            EXPECT_TRUE(pinger.Ping(L"srv", 32)) << c.what;
            EXPECT_EQ(seen == APTTYPE_STA || seen == APTTYPE_MAINSTA, c.singleThreaded) << c.what;
            // Asking again for the same apartment must not be refused as a change of model.
            const HRESULT again = CoInitializeEx(nullptr, c.apartment.value_or(COINIT_MULTITHREADED));
            EXPECT_EQ(again, c.apartment ? S_FALSE : S_OK) << c.what;
            if (SUCCEEDED(again)) CoUninitialize();
            if (c.apartment) CoUninitialize();
        }).join();
    }
}

// Wine's WMI has no ping status class: its query yields no object, or an answer where it does.
TEST(WmiPinger, RealWmiAnswersOrGivesNothing) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        TWmiPinger pinger(PingQueryText);
        const auto reply = pinger.Ping(L"127.0.0.1", 32);
        if (reply) {
            EXPECT_EQ(reply->statusCode, 0);
        }
        win32::TWin32Pinger both(PingQueryText);
        const auto answer = both.Ping(L"127.0.0.1", 32);
        ASSERT_TRUE(answer && answer->statusCode);
        EXPECT_EQ(*answer->statusCode, 0);
        EXPECT_EQ(answer->protocolAddress, L"127.0.0.1");
    }
    CoUninitialize();
}

// --- Falling back ----------------------------------------------------------------------------

TEST(FallbackPinger, AsksTheSecondOnlyWhenTheFirstHasNothing) {
    struct Case {
        const char* what;
        bool firstAnswers, firstFails;
        bool secondAsked, answered;
    };
    for (const Case& c :
         {Case{"first answers", true, false, false, true}, Case{"first has nothing", false, false, true, true},
          Case{"first fails", false, true, false, false}}) {
        auto first = std::make_unique<fakes::FakePinger>();
        auto second = std::make_unique<fakes::FakePinger>();
        if (c.firstAnswers) first->Answer(L"srv", TPingReply{0, L"10.0.0.1", 32, 1, 80});
        if (c.firstFails) first->Fail(L"srv", L"WMI en panne");
        second->Answer(L"srv", TPingReply{11010, L"10.0.0.1"});
        fakes::FakePinger& secondRef = *second;
        TFallbackPinger pinger(std::move(first), std::move(second));
        if (c.firstFails) {
            EXPECT_THROW(pinger.Ping(L"srv", 32), AppError) << c.what;
        } else {
            EXPECT_TRUE(pinger.Ping(L"srv", 32)) << c.what;
        }
        EXPECT_EQ(secondRef.asked.size(), c.secondAsked ? 1u : 0u) << c.what;
        if (c.secondAsked) {
            EXPECT_EQ(secondRef.sizes[0], 32) << c.what;
        }
    }
}

// --- INI profile files -----------------------------------------------------------------------

struct TempFolder {
    fs::path path = fs::temp_directory_path() / (L"orvane-ping-" + std::to_wstring(GetCurrentProcessId()));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::wstring Write(const wchar_t* name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary) << bytes;
        return (path / name).wstring();
    }
};

using TEntries = std::vector<std::pair<std::wstring, std::wstring>>;

TEST(Win32ProfileReader, ReadsSectionsOfRealFiles) {
    TempFolder temp;
    const std::string longValue(100000, 'x');
    std::string manyKeys = "[Server]\r\n";
    TEntries manyEntries;
    for (int i = 1; i <= 600; ++i) {
        manyKeys += "Item" + std::to_string(i) + "=srv" + std::to_string(i) + "\r\n";
        manyEntries.emplace_back(L"Item" + std::to_wstring(i), L"srv" + std::to_wstring(i));
    }
    struct Case {
        const char* what;
        std::string bytes;
        const wchar_t* section;
        TEntries expected;
    };
    const std::vector<Case> cases = {
        {"file order, other sections apart",
         "[Configuration]\r\nItem1=x\r\n[Server]\r\nItem2=srvB\r\nItem1=srvA\r\n[Router]\r\nItem1=r\r\n",
         L"Server",
         {{L"Item2", L"srvB"}, {L"Item1", L"srvA"}}},
        {"section name in another case", "[SERVER]\nItem1=127.0.0.1\n", L"Server", {{L"Item1", L"127.0.0.1"}}},
        {"empty values and ports kept",
         "[Server]\r\nItem1=\r\nItem2=127.0.0.2:3200\r\n",
         L"Server",
         {{L"Item1", L""}, {L"Item2", L"127.0.0.2:3200"}}},
        {"long value whole",
         "[Server]\r\nItem1=" + longValue + "\r\n",
         L"Server",
         {{L"Item1", std::wstring(longValue.begin(), longValue.end())}}},
        {"names longer than the first buffer", manyKeys, L"Server", manyEntries},
        {"missing section", "[Other]\r\nItem1=x\r\n", L"Server", {}},
        {"UTF-16 with byte order mark",
         std::string("\xFF\xFE", 2) +
             std::string(reinterpret_cast<const char*>(L"[Server]\r\nItem1=S\x00E9rveur\x20AC\r\n"),
                         sizeof(L"[Server]\r\nItem1=S\x00E9rveur\x20AC\r\n") - sizeof(wchar_t)),
         L"Server",
         {{L"Item1", L"S\x00E9rveur\x20AC"}}},
    };
    const win32::TWin32ProfileReader reader;
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring path = temp.Write((L"case" + std::to_wstring(++n) + L".ini").c_str(), c.bytes);
        EXPECT_EQ(reader.ReadSection(path, c.section), c.expected) << c.what;
    }
    EXPECT_TRUE(reader.ReadSection((temp.path / L"missing.ini").wstring(), L"Server").empty());
}

// The same key twice: both are listed, and the system gives each the first one's value.
TEST(Win32ProfileReader, DuplicateKeysGetTheFirstValue) {
    TempFolder temp;
    const std::wstring path = temp.Write(L"dup.ini", "[Server]\r\nItem1=srvA\r\nItem2=srvB\r\nItem1=srvC\r\n");
    const win32::TWin32ProfileReader reader;
    EXPECT_EQ(reader.ReadSection(path, L"Server"),
              (TEntries{{L"Item1", L"srvA"}, {L"Item2", L"srvB"}, {L"Item1", L"srvA"}}));
}

}  // namespace
}  // namespace orvane
