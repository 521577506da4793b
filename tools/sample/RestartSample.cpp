// A stand-in application for the restart helper's tests, built once per version. Each start appends
// "vN started" and its arguments to marker.txt beside itself; "--run-ms N" keeps it running N ms.

#include <windows.h>

#include <cwchar>
#include <string>

#include "platform/win32/Handle.h"

#ifndef SAMPLE_VERSION
#error SAMPLE_VERSION names the build
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring marker(path, n);
    marker.erase(marker.rfind(L'\\') + 1);
    marker += L"marker.txt";

    std::wstring line = L"v" + std::to_wstring(SAMPLE_VERSION) + L" started";
    if (arguments && *arguments) line += std::wstring(L" ") + arguments;
    line += L"\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), bytes.data(), size, nullptr, nullptr);
    {
        const orvane::win32::unique_hfile file(CreateFileW(marker.c_str(), FILE_APPEND_DATA,
                                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file) WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    }
    if (arguments) {
        if (const wchar_t* run = std::wcsstr(arguments, L"--run-ms ")) Sleep(DWORD(std::wcstoul(run + 9, nullptr, 10)));
    }
    return 0;
}
