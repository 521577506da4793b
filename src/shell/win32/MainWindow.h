#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/win32/Handle.h"
#include "platform/win32/Win32Platform.h"
#include "probes/ConfigurationFiles.h"
#include "probes/ServerList.h"
#include "shell/CommandRunner.h"

namespace orvane {

// The main window: a tabbed console whose buttons compute their display afresh from the workstation.
class TfrmMain : public ICommandHost {
public:
    TfrmMain();
    ~TfrmMain() override;

    // Creates the window, centred on the screen, and shows it.
    HWND Create(int showCommand);
    HWND Handle() const { return hwnd_; }
    // Keys the window handles before the dialog navigation does: Tab and Shift+Tab move through every
    // control of the visible page, tab strips included; Ctrl+Tab and Ctrl+Shift+Tab change the main
    // tab. True when the message was used.
    bool TranslateKeys(const MSG& message);

    void SetBusyCursor(bool busy) override;
    void ReportError(const std::wstring& text) override;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void FormCreate();
    void FormDestroy();
    void CreateControls();
    void ApplyDpi(UINT dpi);
    void Layout();
    void OnCommand(int id, HWND control);
    void OnNotify(const NMHDR& header);
    void ShowPage(HWND tab);
    void MoveFocus(bool backwards);

    void bbtGetVersionsClick();
    void bbtGetEnvVarClick();
    void bbtSearchFilesClick();
    void SearchFiles();
    void bbtPingClick();
    void bbtOpenFolderClick(HWND sender);
    void bbtNwCheckWorkstationClick();
    void bbtAboutClick();
    void bbtCloseClick();
    void UpdateToolButtons();

    HWND Ctl(int id) const;
    HWND Add(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle = 0);

    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    bool busy_ = false;
    std::unordered_map<int, HWND> controls_;
    std::array<HWND, 5> mainPages_{};
    std::array<HWND, 6> filePages_{};
    win32::unique_hfont font_, reportFont_, viewerFont_;

    win32::TWin32Registry registry_;
    win32::TWin32Environment environment_;
    win32::TWin32FileSystem files_;
    win32::TWin32VersionResource versions_;
    win32::TWin32TextFileReader fileReader_;
    win32::TWin32AnsiCodePage ansi_;

    // FSAPLOGON_INI_FilePath and FSAPUILANDSCAPE_XML_FilePath: set by the file search, read by the ping.
    TConfigFilePaths FFilePaths;
    std::unique_ptr<TServerList> FServeurs;
};

} // namespace orvane
