// How fast the update engine downloads: one file fetched through URLGetFile (WinInet, 4096-byte
// reads, a temporary file, then the move into place), timed from the request to the file in place.
//
//   download_bench URL FOLDER     (scripts/bench-download.sh serves a 256 MB file and runs curl beside it)

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <string>

#include "core/Text.h"
#include "platform/win32/Handle.h"
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

// The floor: WinInet's own 4096-byte reads of the same URL into memory, nothing else per block.
double RawWinInetSeconds(const std::wstring& url, std::uint64_t& bytes) {
    const win32::unique_hinternet session(
        InternetOpenW(L"TWebUpdate", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    const double start = Now();
    const win32::unique_hinternet request(
        InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0,
                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
    if (!request) return 0;
    char buffer[4096];
    DWORD read = 0;
    bytes = 0;
    while (InternetReadFile(request.get(), buffer, sizeof buffer, &read) && read > 0) bytes += read;
    return Now() - start;
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
    std::uint64_t rawBytes = 0;
    const double rawSeconds = RawWinInetSeconds(url, rawBytes);
    std::printf("WinInet alone: %llu bytes in %.2f s = %.1f MB/s\n", static_cast<unsigned long long>(rawBytes),
                rawSeconds, static_cast<double>(rawBytes) / rawSeconds / 1e6);
    std::printf("URLGetFile: %llu bytes in %.2f s = %.1f MB/s\n", static_cast<unsigned long long>(received), seconds,
                static_cast<double>(received) / seconds / 1e6);
    return 0;
}
