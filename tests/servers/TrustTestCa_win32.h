#pragma once

#include <filesystem>
#include <string>

namespace orvane::testservers {

// Adds the test CA (a DER file) to the current user's "Root" store, that is inside the Wine
// prefix the test runs in; the machine's own trust is never touched. Replaces an earlier copy.
// Throws std::runtime_error with the system's error code on failure.
void TrustTestCa(const std::filesystem::path& derFile);

}  // namespace orvane::testservers
