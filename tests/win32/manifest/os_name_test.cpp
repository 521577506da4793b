// Runs in a process that carries orvane.exe's own manifest, so the system answers it as it
// answers the program: a manifest that declares Windows 10 gets the true version, unshimmed.

#include <gtest/gtest.h>

#include "core/Text.h"
#include "platform/win32/SystemVersion_win32.h"
#include "update/HostProbes.h"
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"

namespace orvane {
namespace {

TEST(ProgramManifest, TheSystemIsNamedFromItsTrueVersion) {
    const win32::TWin32SystemVersion system;
    const auto reported = system.Reported();
    const auto refined = system.Refined();
    ASSERT_TRUE(reported && refined);
    ASSERT_EQ(reported->platform, OSVersionRecord::Platform::WindowsNT);
    // Without the manifest's declaration a Windows 10 or 11 would report 6.2 here.
    EXPECT_EQ(reported->major, refined->major);
    EXPECT_EQ(reported->minor, refined->minor);
    EXPECT_EQ(reported->build, refined->build);
    ASSERT_EQ(reported->major, 10u) << "the test system must be Windows 10 or later (Wine's default)";
    ASSERT_EQ(reported->minor, 0u);
    ASSERT_EQ(reported->productType, 1u) << "a workstation";

    const std::wstring expected = reported->build >= 22000 ? L"Windows 11" : L"Windows 10";
    EXPECT_EQ(OSName(system), expected) << "build " << reported->build;
    win32::TWin32UpdateServices services;
    TWebUpdate engine(services.Services());
    EXPECT_EQ(engine.GetOSVersion(), expected);
}

}  // namespace
}  // namespace orvane
