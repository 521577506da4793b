// orvane-guidriver: starts Orvane, walks through its window like a technician would and leaves what
// it saw behind: a screenshot of every tab and the texts of every display.
//
//   orvane-guidriver tour ORVANE_EXE OUT_FOLDER

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "core/Text.h"
#include "shell/ControlIds.h"

namespace {

using namespace orvane;
namespace fs = std::filesystem;

void WriteUtf8(const fs::path& file, const std::wstring& text) {
    std::ofstream out(file, std::ios::binary);
    const std::string bytes = ToUtf8(text);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const auto& line : lines) text += line + L"\r\n";
    return text;
}

bool Shot(HWND window, const fs::path& file) {
    const bool ok = gui::SaveScreenshot(window, file.wstring());
    std::wprintf(L"  %ls%ls\n", file.filename().c_str(), ok ? L"" : L" (failed)");
    return ok;
}

int Tour(const std::wstring& exe, const fs::path& out) {
    fs::create_directories(out);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", exe.c_str(), GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    const HWND main = gui::WaitForWindow(L"Orvane", process.dwProcessId, 60000);
    if (!main) {
        std::fwprintf(stderr, L"the Orvane window did not appear\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    const auto ctl = [main](int id) { return gui::FindById(main, id); };
    const HWND tabs = ctl(ids::pgMain);

    std::wstring captions;
    for (int i = 0; i < gui::TabCount(tabs); ++i) captions += L"tab " + std::to_wstring(i) + L": " + gui::TabCaption(tabs, i) + L"\r\n";
    Shot(main, out / "0-start.bmp");

    // Each computing tab: select it, press its button, keep what it shows.
    struct Step {
        int tab;
        int button;
        const char* name;
    };
    const Step steps[] = {{0, ids::bbtGetVersions, "1-versions"},
                          {1, ids::bbtGetEnvVar, "2-envvar"},
                          {2, ids::bbtSearchFiles, "3-fichiers"},
                          {3, ids::bbtPing, "4-serveurs"},
                          {4, 0, "5-repertoires"}};
    for (const Step& step : steps) {
        gui::SelectTab(tabs, step.tab);
        if (step.button) gui::ClickAndWait(ctl(step.button));
        if (const HWND box = gui::WaitForMessageBox(process.dwProcessId, 0)) {
            captions += L"message: " + gui::MessageBoxText(box) + L"\r\n";
            gui::PressOk(box);
            gui::WaitIdle(main);
        }
        Shot(main, out / (std::string(step.name) + ".bmp"));
    }
    WriteUtf8(out / "versions.txt", gui::Text(ctl(ids::memVersions)));
    WriteUtf8(out / "envvar.txt", JoinLines(gui::ListViewRows(ctl(ids::vlEnvVar))));
    WriteUtf8(out / "serveurs.txt", JoinLines(gui::ListViewRows(ctl(ids::vlPing))));

    gui::SelectTab(tabs, 2);
    const HWND fileTabs = ctl(ids::pgFile);
    for (int i = 0; i < ids::kFileTabCount; ++i) {
        gui::SelectTab(fileTabs, i);
        const std::wstring name = gui::TabCaption(fileTabs, i);
        const std::string file = "3-fichiers-" + ToUtf8(LowerCaseAscii(name));
        Shot(main, out / (file + ".bmp"));
        WriteUtf8(out / (file + ".txt"),
                  gui::Text(ctl(ids::edtFileFirst + i)) + L"\r\n\r\n" + gui::Text(ctl(ids::synMemFirst + i)));
    }
    for (const int id : {ids::bbtAbout, ids::bbtClose, ids::bbtGetVersions, ids::bbtGetEnvVar, ids::bbtSearchFiles,
                         ids::bbtPing, ids::grpRepertoires, ids::bbtOpenFolder1, ids::bbtOpenFolder2, ids::bbtOpenFolder3,
                         ids::bbtOpenFolder4, ids::grpOutils, ids::bbtNwCheckWorkstation}) {
        const HWND control = ctl(id);
        captions += L"control " + std::to_wstring(id) + L": " + gui::Text(control) +
                    (gui::IsEnabled(control) ? L"" : L" (disabled)") + L"\r\n";
    }
    WriteUtf8(out / "captions.txt", captions);

    gui::Click(ctl(ids::bbtClose));
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    std::wprintf(L"  texts: versions.txt envvar.txt serveurs.txt 3-fichiers-*.txt captions.txt\n");
    return ended ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"tour") return Tour(argv[2], argv[3]);
    std::fwprintf(stderr, L"usage: orvane-guidriver tour ORVANE_EXE OUT_FOLDER\n");
    return 2;
}
