// How fast the update engine downloads: one file fetched through URLGetFile (WinInet, 4096-byte
// reads, a temporary file, then the move into place), timed from the request to the file in place.
//
//   download_bench URL FOLDER     (scripts/bench-download.sh serves a 256 MB file and runs curl beside it)

#include <windows.h>

#include <cstdio>
#include <string>

#include "core/Text.h"
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"

using namespace orvane;

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: download_bench URL FOLDER\n", stderr);
        return 2;
    }
    const std::wstring url = FromUtf8(argv[1]);
    std::wstring folder = FromUtf8(argv[2]);
    if (folder.back() != L'\\') folder += L'\\';

    TWin32UpdateServices win32;
    TWebUpdate engine(win32.Services());
    engine.URL = url;
    engine.UseWinTempDir = false;
    engine.TempDirectory = folder;  // the move into place stays a rename
    std::uint64_t received = 0;
    engine.OnFileProgress = [&](TWebUpdate&, const std::wstring&, std::int64_t pos, std::int64_t) {
        received = static_cast<std::uint64_t>(pos);
    };
    engine.OnStatus = [](TWebUpdate&, const std::wstring& text, int, int) {
        std::fwprintf(stderr, L"  %ls\n", text.c_str());
    };
    if (engine.StartConnection() != 0) return 1;
    const double start = Now();
    const bool ok = engine.URLGetFile(engine.HintConnect(), url, folder, false);
    const double seconds = Now() - start;
    engine.StopConnection();
    if (!ok) {
        std::fputs("download failed\n", stderr);
        return 1;
    }
    std::printf("URLGetFile: %llu bytes in %.2f s = %.1f MB/s\n", static_cast<unsigned long long>(received), seconds,
                static_cast<double>(received) / seconds / 1e6);
    return 0;
}
