// The main window as a technician meets it, driven from another process through window messages.
// Runs on the sample workstation (scripts/sample-workstation.sh), under Wine and a virtual display.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

#include "GuiDriver.h"
#include "OrvaneProcess.h"
#include "platform/win32/Win32Platform.h"
#include "probes/FoldersAndTools.h"
#include "shell/ControlIds.h"
#include "winui/Controls.h"

namespace orvane {
namespace {

using testing::TOrvaneProcess;

RECT Rect(const TOrvaneProcess& app, int id) { return gui::ClientRectIn(app.Control(id), app.Main()); }
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

TEST(MainWindow, StartsOnVersionsWithEveryDisplayEmpty) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    const auto ctl = [&](int id) { return app.Control(id); };

    const HWND tabs = ctl(ids::pgMain);
    const std::vector<std::wstring> mainTabs = {L"Versions", L"Variables d'environment", L"Fichiers", L"Serveurs",
                                                L"Répertoires && Outils"};
    ASSERT_EQ(gui::TabCount(tabs), static_cast<int>(mainTabs.size()));
    for (int i = 0; i < gui::TabCount(tabs); ++i) EXPECT_EQ(gui::TabCaption(tabs, i), mainTabs[i]);
    EXPECT_EQ(gui::SelectedTab(tabs), 0);
    EXPECT_TRUE(gui::IsVisible(ctl(ids::memVersions)));
    EXPECT_FALSE(gui::IsVisible(ctl(ids::vlEnvVar)));

    const HWND fileTabs = ctl(ids::pgFile);
    const std::vector<std::wstring> files = {L"SAPLOGON.INI",     L"SAPMSG.INI", L"SAPROUTE.INI",
                                             L"SAPLOGONTREE.XML", L"SERVICES",   L"SAPUILANDSCAPE.XML"};
    ASSERT_EQ(gui::TabCount(fileTabs), static_cast<int>(files.size()));
    for (int i = 0; i < gui::TabCount(fileTabs); ++i) EXPECT_EQ(gui::TabCaption(fileTabs, i), files[i]);
    EXPECT_EQ(gui::SelectedTab(fileTabs), 0);

    struct Caption {
        int id;
        const wchar_t* text;
    };
    for (const Caption& c : {Caption{ids::bbtAbout, L"A propos de..."}, Caption{ids::bbtClose, L"&Fermer"},
                             Caption{ids::bbtGetVersions, L"Recherche les version Installées"},
                             Caption{ids::bbtGetEnvVar, L"Lecture des variables d'environnement"},
                             Caption{ids::bbtSearchFiles, L"Recherche des fichiers"},
                             Caption{ids::bbtPing, L"Ping des serveurs"}, Caption{ids::grpRepertoires, L"Répertoires"},
                             Caption{ids::bbtOpenFolder1, L"SAP Logs"}, Caption{ids::bbtOpenFolder2, L"%APPDATA%\\SAP\\"},
                             Caption{ids::bbtOpenFolder3, L"D:\\Users\\Public\\SAP\\"},
                             Caption{ids::bbtOpenFolder4, L"D:\\Users\\All Users\\SAP\\"},
                             Caption{ids::grpOutils, L"Outils"},
                             Caption{ids::bbtNwCheckWorkstation, L"NwCheckWorkstation"}})
        EXPECT_EQ(gui::Text(ctl(c.id)), c.text) << "control " << c.id;

    EXPECT_EQ(gui::Text(ctl(ids::memVersions)), L"");
    EXPECT_TRUE(gui::ListViewRows(ctl(ids::vlEnvVar)).empty());
    EXPECT_TRUE(gui::ListViewRows(ctl(ids::vlPing)).empty());
    EXPECT_EQ(gui::ListViewColumns(ctl(ids::vlEnvVar)), (std::vector<std::wstring>{L"Variable", L"Valeur"}));
    EXPECT_EQ(gui::ListViewColumns(ctl(ids::vlPing)), (std::vector<std::wstring>{L"Serveur", L"Statut"}));
    for (int i = 0; i < ids::kFileTabCount; ++i) {
        EXPECT_EQ(gui::Text(ctl(ids::edtFileFirst + i)), L"") << files[i];
        EXPECT_EQ(gui::Text(ctl(ids::synMemFirst + i)), L"") << files[i];
    }
    EXPECT_EQ(app.CloseAndWait(), 0);
}

// How wide the strokes in IMAGE are: the columns holding a pixel clearly darker than the image's
// most common colour, its background.
int InkWidth(const gui::TImage& image) {
    const auto luminance = [](uint32_t p) { return (((p >> 16) & 255) * 299 + ((p >> 8) & 255) * 587 + (p & 255) * 114) / 1000; };
    std::map<uint32_t, int> counts;
    for (const uint32_t p : image.pixels) ++counts[p & 0xFFFFFF];
    uint32_t background = 0;
    int most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most) most = count, background = colour;
    const int threshold = static_cast<int>(luminance(background)) - 96;
    int first = -1, last = -1;
    for (int x = 0; x < image.width; ++x)
        for (int y = 0; y < image.height; ++y)
            if (static_cast<int>(luminance(image.pixels[static_cast<size_t>(y) * image.width + x])) < threshold) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

// TEXT drawn as it stands (no prefix processing) in the window's tab font, black on white.
int InkWidthOf(const wchar_t* text) {
    const auto font = winui::CreatePixelFont(L"Tahoma", 11, 96);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 400;
    info.bmiHeader.biHeight = -30;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const HGDIOBJ oldFont = SelectObject(dc, font.get());
    RECT r{0, 0, 400, 30};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    r.left = 10;
    DrawTextW(dc, text, -1, &r, DT_NOPREFIX | DT_SINGLELINE | DT_LEFT | DT_VCENTER);
    GdiFlush();
    gui::TImage image{400, 30, {}};
    const auto* pixels = static_cast<const uint32_t*>(bits);
    image.pixels.assign(pixels, pixels + 400 * 30);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return InkWidth(image);
}

// The caption is stored with a doubled "&" so that the tab draws one: check what is drawn.
TEST(MainWindow, FifthTabShowsOneAmpersandOnScreen) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    SetForegroundWindow(app.Main());
    RedrawWindow(app.Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    gui::WaitIdle(app.Main());
    RECT item = gui::TabItemScreenRect(app.Control(ids::pgMain), 4);
    InflateRect(&item, -3, -2);  // inside the item's frame
    const int drawn = InkWidth(gui::CaptureScreen(item));
    const int one = InkWidthOf(L"Répertoires & Outils"), two = InkWidthOf(L"Répertoires && Outils");
    ASSERT_GT(two - one, 3) << "the reference texts do not tell one ampersand from two";
    EXPECT_NEAR(drawn, one, 1) << "drawn " << drawn << " px; one '&' is " << one << " px, two are " << two << " px";
    EXPECT_EQ(app.CloseAndWait(), 0);
}

// Sizes at 96 dpi, and what follows the window's edges when it grows.
TEST(MainWindow, KeepsItsSizesAndStretchesWithTheWindow) {
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    RECT client;
    GetClientRect(app.Main(), &client);
    EXPECT_EQ(client.right, 635);
    EXPECT_EQ(client.bottom, 382);

    const RECT bar = Rect(app, ids::pnlBottom), close = Rect(app, ids::bbtClose), memo = Rect(app, ids::memVersions);
    const RECT about = Rect(app, ids::bbtAbout);
    EXPECT_EQ(Height(bar), 33);
    EXPECT_EQ(bar.bottom, 382);
    EXPECT_EQ(Height(close), 25);
    EXPECT_EQ(Height(Rect(app, ids::bbtGetVersions)), 25);

    RECT frame;
    GetWindowRect(app.Main(), &frame);
    SetWindowPos(app.Main(), nullptr, 0, 0, Width(frame) + 200, Height(frame) + 100, SWP_NOMOVE | SWP_NOZORDER);
    gui::WaitIdle(app.Main());

    const RECT bar2 = Rect(app, ids::pnlBottom), close2 = Rect(app, ids::bbtClose), memo2 = Rect(app, ids::memVersions);
    EXPECT_EQ(Width(bar2), Width(bar) + 200);
    EXPECT_EQ(bar2.top, bar.top + 100);
    EXPECT_EQ(close2.left, close.left + 200) << "the close button stays at the right edge";
    EXPECT_EQ(Rect(app, ids::bbtAbout).left, about.left) << "the about button stays at the left edge";
    EXPECT_EQ(Width(memo2), Width(memo) + 200);
    EXPECT_EQ(Height(memo2), Height(memo) + 100);
    EXPECT_EQ(app.CloseAndWait(), 0);
}

// The workstation check button follows the tool's presence in the SAP Setup folder at start-up.
TEST(MainWindow, NwCheckWorkstationEnabledExactlyWhenTheToolExists) {
    const win32::TWin32Registry registry;
    const std::filesystem::path tool = NwCheckWorkstationPath(registry);
    ASSERT_TRUE(std::filesystem::is_regular_file(tool)) << "sample workstation not installed: " << tool.string();
    {
        TOrvaneProcess app;
        ASSERT_TRUE(app.Main());
        EXPECT_TRUE(gui::IsEnabled(app.Control(ids::bbtNwCheckWorkstation)));
    }
    std::filesystem::path aside = tool;
    aside += L".aside";
    std::filesystem::rename(tool, aside);
    struct Restore {
        std::filesystem::path from, to;
        ~Restore() { std::filesystem::rename(from, to); }
    } restore{aside, tool};
    TOrvaneProcess app;
    ASSERT_TRUE(app.Main());
    EXPECT_FALSE(gui::IsEnabled(app.Control(ids::bbtNwCheckWorkstation)));
}

} // namespace
} // namespace orvane
