// Runs in a process that carries orvane.exe's own manifest, so the system answers it as it
// answers the program: a manifest that declares Windows 10 gets the true version, unshimmed.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/Text.h"
#include "platform/win32/Handle.h"
#include "platform/win32/SystemVersion_win32.h"
#include "update/HostProbes.h"
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"

namespace orvane {
namespace {

constexpr wchar_t kChildMark[] = L"ORVANE_AS_WINDOWS_10";

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::wstring OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

// Wine answers each program as the Windows version set for it, and the build's prefix says
// Windows 7. A second copy of this program runs with Wine's per-program setting at Windows 10.
DWORD RunAsWindows10() {
    std::wstring exe = OwnPath();
    const std::wstring name = exe.substr(exe.find_last_of(L"\\/") + 1);
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + name;
    win32::unique_hkey settings;
    EXPECT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, settings.put(), nullptr),
        ERROR_SUCCESS);
    const wchar_t version[] = L"win10";
    EXPECT_EQ(
        RegSetValueExW(settings.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof version),
        ERROR_SUCCESS);

    SetEnvironmentVariableW(kChildMark, L"1");
    std::wstring command = L"\"" + exe + L"\" --gtest_filter=ProgramManifest.*";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(kChildMark, nullptr);
    DWORD code = 1;
    if (started) {
        const win32::unique_handle child(process.hProcess), thread(process.hThread);
        WaitForSingleObject(child.get(), INFINITE);
        GetExitCodeProcess(child.get(), &code);
    }
    settings.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    EXPECT_TRUE(started);
    return code;
}

TEST(ProgramManifest, TheSystemIsNamedFromItsTrueVersion) {
    if (UnderWine() && GetEnvironmentVariableW(kChildMark, nullptr, 0) == 0) {
        EXPECT_EQ(RunAsWindows10(), 0u) << "the copy that sees Windows 10 failed; its output is above";
        return;
    }
    const win32::TWin32SystemVersion system;
    const auto reported = system.Reported();
    const auto refined = system.Refined();
    ASSERT_TRUE(reported && refined);
    ASSERT_EQ(reported->platform, OSVersionRecord::Platform::WindowsNT);
    ASSERT_EQ(refined->major, 10u) << "the system must be Windows 10 or later";
    ASSERT_EQ(reported->productType, 1u) << "a workstation";
    // Without the manifest's declaration the system would report 6.2 here.
    EXPECT_EQ(reported->major, 10u);
    EXPECT_EQ(reported->minor, 0u);
    EXPECT_EQ(reported->build, refined->build);

    const std::wstring expected = refined->build >= 22000 ? L"Windows 11" : L"Windows 10";
    EXPECT_EQ(OSName(system), expected) << "build " << refined->build;
    TWin32UpdateServices services;
    TWebUpdate engine(services.Services());
    EXPECT_EQ(engine.GetOSVersion(), expected);
}

}  // namespace
}  // namespace orvane
