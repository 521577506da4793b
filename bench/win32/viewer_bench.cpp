// How long the text viewer takes to take a big file and show it: WM_SETTEXT, the first paint, and a
// jump to the end with its paint, for INI and XML texts of 1, 5 and 20 MB.
//
//   viewer_bench [landscape.xml]   (repeats the given landscape file; otherwise a generated one)

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "probes/SyntaxColouring.h"
#include "winui/TextView.h"

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
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::wstring GeneratedLandscape() {
    std::wstring xml =
        L"<?xml version=\"1.0\"?>\r\n<Landscape updated=\"2026-01-29T17:58:09Z\" version=\"1\">\r\n"
        L"  <Workspaces>\r\n    <Workspace uuid=\"7d1c3c52-0c40-477c-9767-f8a7037c293d\" name=\"Local\">\r\n";
    for (int i = 0; i < 40; ++i)
        xml +=
            L"      <Item uuid=\"20a99bb0-55bf-4dd6-9984-b053accfc24f\" "
            L"serviceid=\"e2a618d5-449c-405c-901e-9cc36729727" +
            std::to_wstring(i % 10) + L"\"/>\r\n";
    xml += L"    </Workspace>\r\n  </Workspaces>\r\n  <!-- services of the main systems -->\r\n  <Services>\r\n";
    for (int i = 0; i < 40; ++i)
        xml += L"    <Service type=\"SAPGUI\" uuid=\"e2a618d5-449c-405c-901e-9cc36729727a\" name=\"PRD " +
               std::to_wstring(i) +
               L"\" systemid=\"PRD\" msid=\"b1a2\" server=\"sapprd.example.local:3200\" sncop=\"-1\" dcpg=\"2\"/>\r\n";
    xml +=
        L"  </Services>\r\n  <Messageservers>\r\n    <Messageserver uuid=\"b1a2\" name=\"PRD\" host=\"msprd\" "
        L"port=\"3600\"/>\r\n"
        L"  </Messageservers>\r\n</Landscape>\r\n";
    return xml;
}

std::wstring LandscapeFrom(const char* path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return GeneratedLandscape();
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

std::wstring Ini() {
    std::wstring ini;
    for (int i = 0; i < 30; ++i) {
        ini += L"[Configuration]\r\n; entries of system " + std::to_wstring(i) + L"\r\n";
        ini += L"Item" + std::to_wstring(i) + L"=PRD - Production (sapprd.example.local)\r\n";
        ini += L"Server" + std::to_wstring(i) + L"=sapprd.example.local\r\nDatabase" + std::to_wstring(i) + L"=00\r\n";
    }
    return ini;
}

std::wstring Repeat(const std::wstring& unit, size_t characters) {
    std::wstring text;
    text.reserve(characters + unit.size());
    while (text.size() < characters) text += unit;
    return text;
}

double PaintMs(HWND view, HDC dc) {
    const double start = Now();
    SendMessageW(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrvaneViewerBench";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (!host) {
        std::fprintf(stderr, "no window (is DISPLAY set?)\n");
        return 1;
    }
    winui::RegisterTextView(wc.hInstance);
    HWND view = winui::CreateTextView(host, 1, TSyntaxLanguage::Xml);
    MoveWindow(view, 0, 0, 860, 640, FALSE);
    RECT client;
    GetClientRect(view, &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    ReleaseDC(nullptr, screen);

    const std::wstring xmlUnit = argc > 1 ? LandscapeFrom(argv[1]) : GeneratedLandscape();
    const std::wstring iniUnit = Ini();
    std::printf("%-4s %6s %9s %11s %11s %14s %12s %10s\n", "kind", "MB", "lines", "settext_ms", "paint_ms",
                "end+paint_ms", "gettext_ms", "total_ms");
    for (const TSyntaxLanguage language : {TSyntaxLanguage::Ini, TSyntaxLanguage::Xml}) {
        for (const size_t megabytes : {1, 5, 20}) {
            // Sizes are of the file on disk, one byte a character as in these ASCII files.
            const std::wstring text = Repeat(language == TSyntaxLanguage::Xml ? xmlUnit : iniUnit, megabytes << 20);
            winui::TextViewSetLanguage(view, language);
            SendMessageW(view, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));

            const double t0 = Now();
            SendMessageW(view, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            const double setText = Now() - t0;
            const double firstPaint = PaintMs(view, dc);
            const double t1 = Now();
            SendMessageW(view, WM_VSCROLL, SB_BOTTOM, 0);
            const double endPaint = Now() - t1 + PaintMs(view, dc);
            const double t2 = Now();
            std::wstring back(static_cast<size_t>(SendMessageW(view, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
            SendMessageW(view, WM_GETTEXT, back.size(), reinterpret_cast<LPARAM>(back.data()));
            const double getText = Now() - t2;
            std::printf("%-4s %6zu %9lld %11.1f %11.1f %14.1f %12.1f %10.1f\n",
                        language == TSyntaxLanguage::Xml ? "xml" : "ini", megabytes,
                        static_cast<long long>(SendMessageW(view, EM_GETLINECOUNT, 0, 0)), setText, firstPaint,
                        endPaint, getText, setText + firstPaint + endPaint);
        }
    }
    // The worst case for one paint: a 5 MB text without a line break, shown at its far end.
    const std::wstring oneLine = Repeat(L"<Item uuid=\"20a99bb0-55bf\" name=\"x\"/>", 5 << 20);
    winui::TextViewSetLanguage(view, TSyntaxLanguage::Xml);
    const double t0 = Now();
    SendMessageW(view, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(oneLine.c_str()));
    const double setText = Now() - t0;
    const double firstPaint = PaintMs(view, dc);
    const double t1 = Now();
    SendMessageW(view, WM_HSCROLL, SB_RIGHT, 0);
    const double endPaint = Now() - t1 + PaintMs(view, dc);
    const double again = PaintMs(view, dc);
    std::printf("one line of 5 MB: settext %.1f ms, paint %.1f ms, far end + paint %.1f ms, repaint %.1f ms\n", setText,
                firstPaint, endPaint, again);

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyWindow(host);
    return 0;
}
