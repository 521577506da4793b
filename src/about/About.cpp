#include "about/About.h"

#include <cstdio>

#include "update/WebUpdate.h"

namespace orvane {
namespace about {

namespace {

std::wstring RegistryText(const IRegistry& registry, const wchar_t* key, const wchar_t* name) {
    const RegText value = registry.ReadText(RegHive::LocalMachine, key, name);
    return value.state == RegText::State::Text ? value.text : std::wstring();
}

}  // namespace

std::wstring ScreenResolutionText(const std::optional<TScreenSize>& size) {
    if (!size || (size->width == 0 && size->height == 0)) return {};
    return std::to_wstring(size->width) + L" x " + std::to_wstring(size->height);
}

std::wstring TerminalText(const std::wstring& computer, const std::wstring& address) {
    return computer + L"  (" + address + L")";
}

TIdentityRows ReadIdentity(const IRegistry& registry, const IWorkstationIdentity& names, const IHostIdentity& host) {
    TIdentityRows rows;
    rows.os = RegistryText(registry, L"Software\\Microsoft\\Windows NT\\CurrentVersion", L"ProductName");
    rows.screen = ScreenResolutionText(host.StoredScreenSize());
    rows.terminal = TerminalText(names.ComputerName(), host.OwnIPv4Address());
    rows.user = names.UserName();
    rows.domain = host.AccountDomain();
    rows.workgroup = RegistryText(registry, L"System\\CurrentControlSet\\Services\\Vxd\\VNETSUP", L"Workgroup");
    if (rows.workgroup.empty()) rows.workgroup = host.LanGroup();
    return rows;
}

std::wstring FileVersionText(const TFixedFileInfo& info) {
    return std::to_wstring(info.dwFileVersionMS >> 16) + L'.' + std::to_wstring(info.dwFileVersionMS & 0xFFFF) + L'.' +
           std::to_wstring(info.dwFileVersionLS >> 16) + L'.' + std::to_wstring(info.dwFileVersionLS & 0xFFFF);
}

std::wstring SystemErrorText(unsigned long code, const std::wstring& systemText) {
    return L"Erreur système.  Code : " + std::to_wstring(static_cast<long>(code)) + L".\r\n" + systemText;
}

double BuildToolChainVersion() {
#if defined(__GNUC__) && !defined(__clang__)
    return __GNUC__ + __GNUC_MINOR__ / 10.0;
#elif defined(__clang__)
    return __clang_major__ + __clang_minor__ / 10.0;
#else
    return 0;
#endif
}

std::wstring ToolChainLabel(double version) {
    char number[32];
    std::snprintf(number, sizeof number, "%2.2f", version);
    return L"Compiler & RTL: " + std::wstring(number, number + std::char_traits<char>::length(number)) + L"  ";
}

bool ShowsUpdateButtons(const std::wstring& url) {
    return !url.empty();
}

}  // namespace about

void ConfigureAboutEngine(TWebUpdate& engine, const std::wstring& url) {
    engine.Agent = L"TWebUpdate";
    engine.DateFormat = L"dd/mm/yyyy";
    engine.DateSeparator = L'/';
    engine.ExtractCAB = true;
    engine.ForceUpdate = true;
    engine.Logging = true;
    engine.SetLogFileName(L"WUPDATE.LOG");
    engine.PostUpdateInfo.Enabled = false;
    engine.ShowDownloadProgress = true;
    engine.Signature = L"WebUpdate";
    engine.TempDirectory = L".";
    engine.TimeFormat = L"hh:nn";
    engine.TimeSeparator = L':';
    engine.UseCRC32 = true;
    engine.SetVersion(L"2.3.0.0");
    if (about::ShowsUpdateButtons(url)) engine.URL = url;
}

}  // namespace orvane
