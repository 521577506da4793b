// trust-test-ca CA.der: trusts the loopback servers' test CA in this Wine prefix (current user).
#include "TrustTestCa_win32.h"

#include <cstdio>
#include <exception>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: trust-test-ca CA.der\n", stderr);
        return 2;
    }
    try {
        orvane::testservers::TrustTestCa(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "trust-test-ca: %s\n", error.what());
        return 1;
    }
    return 0;
}
