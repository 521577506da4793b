#pragma once

// A scripted update engine and a recording wizard view, for the wizard's logic and its window.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "update/WebUpdate.h"
#include "wizard/WizardView.h"

namespace orvane::fakes {

// Answers each step from its script and records the steps called, in order.
class ScriptedEngine : public TWebUpdate {
public:
    ScriptedEngine() : TWebUpdate(TWebUpdateServices{}) {
        UseWinTempDir = false;
        TempDirectory = L"C:\\Temp\\";
    }

    int startConnection = 0, controlFile = 0, versionCheck = 6, handleActions = 0, fileUpdates = 0;
    std::optional<std::string> whatsNew, eula;
    std::vector<TFileDescription> files;  // GetFileDetails puts these in the file list
    // Runs inside GetFileUpdates, where a real transfer reports progress and pumps messages.
    std::function<void(ScriptedEngine&)> duringDownload;
    std::vector<std::string> calls;

    void SetVersions(TDateTime cur, TDateTime next, const std::wstring& curInfo, const std::wstring& newInfo,
                     const std::wstring& description) {
        FCurVersionDate = cur;
        FNewVersionDate = next;
        FCurVersionInfo = curInfo;
        FNewVersionInfo = newInfo;
        FUpdateDescription = description;
    }
    void SetRestart(bool needed, bool silent) {
        FAppClose = FAppCompsIncluded = needed;
        FSilentRestart = silent;
    }
    // One block of a transfer: progress, then the cancel question, as the engine asks it.
    void Block(const std::wstring& name, std::int64_t pos, std::int64_t size) {
        DoFileProgress(name, pos, size);
        bool cancel = false;
        DoProgressCancel(cancel);
        if (cancel) FCancelled = true;
    }
    int Count(const std::string& step) const {
        int n = 0;
        for (const auto& c : calls) n += c == step;
        return n;
    }

    int StartConnection() override { return Record("StartConnection", startConnection); }
    int FTPConnect() override { return Record("FTPConnect", 0); }
    int GetControlFile() override { return Record("GetControlFile", controlFile); }
    int DoVersionCheck() override { return Record("DoVersionCheck", versionCheck); }
    int HandleActions() override { return Record("HandleActions", handleActions); }
    std::optional<std::string> GetWhatsNewStream() override {
        calls.push_back("GetWhatsNewStream");
        return whatsNew;
    }
    std::optional<std::string> GetEULAStream() override {
        calls.push_back("GetEULAStream");
        return eula;
    }
    int GetFileDetails() override {
        FFileList.Clear();
        for (const auto& f : files) FFileList.Add() = f;
        return Record("GetFileDetails", 0);
    }
    int ProcessFileDetails() override { return Record("ProcessFileDetails", 0); }
    int GetFileUpdates() override {
        calls.push_back("GetFileUpdates");
        if (duringDownload) duringDownload(*this);
        return fileUpdates;
    }
    int UpdateActions() override { return Record("UpdateActions", 0); }
    int StopConnection() override { return Record("StopConnection", 0); }
    void DoRestart() override { calls.push_back("DoRestart"); }

private:
    int Record(const char* step, int result) {
        calls.push_back(step);
        return result;
    }
};

inline TFileDescription File(const std::wstring& description, bool mandatory = false, bool preselect = true,
                             bool hidden = false, std::int32_t size = 100) {
    TFileDescription f;
    f.Description = description;
    f.Mandatory = mandatory;
    f.Preselect = preselect;
    f.Hidden = hidden;
    f.FileSize = size;
    return f;
}

// Keeps what the logic shows; a disabled item keeps its check, as in the real window.
class FakeWizardView : public IWizardView {
public:
    struct Item {
        std::wstring text;
        bool checked = false, enabled = true;
        std::intptr_t data = -1;
    };
    std::vector<TWizardPage> pages;  // every page shown, in order
    std::map<TWizardControl, std::wstring> captions;
    std::map<TWizardControl, bool> enabled, visible, radios;
    std::map<TWizardControl, int> widths;
    std::map<TWizardControl, std::pair<std::int64_t, std::int64_t>> bars;  // max, position
    std::map<TWizardControl, std::string> rich;
    std::vector<Item> items;
    std::vector<std::wstring> messages;
    std::vector<std::pair<std::wstring, std::wstring>> opened;  // path, text
    TWizardControl focus = TWizardControl::WelcomeLabel;
    int closes = 0, pauses = 0;
    bool busy = false;
    std::function<void()> onPause, onMessages;

    TWizardPage Page() const { return pages.empty() ? TWizardPage::TabSheet1 : pages.back(); }
    bool Shown(TWizardPage page) const {
        for (auto p : pages)
            if (p == page) return true;
        return false;
    }
    // A user's click on an item's check box: refused on a disabled item.
    void Toggle(int index) {
        if (items.at(index).enabled) items.at(index).checked = !items.at(index).checked;
    }

    void ShowPage(TWizardPage page) override { pages.push_back(page); }
    void SetCaption(TWizardControl c, const std::wstring& text) override { captions[c] = text; }
    std::wstring Caption(TWizardControl c) const override {
        const auto it = captions.find(c);
        return it == captions.end() ? std::wstring() : it->second;
    }
    void SetEnabled(TWizardControl c, bool on) override { enabled[c] = on; }
    void SetVisible(TWizardControl c, bool on) override { visible[c] = on; }
    void SetFocus(TWizardControl c) override { focus = c; }
    void SetWidth(TWizardControl c, int width) override { widths[c] = width; }
    void SizeButtonToCaption(TWizardControl) override {}
    bool RadioChecked(TWizardControl c) const override { return radios.count(c) && radios.at(c); }
    int AddItem(const std::wstring& text) override {
        items.push_back({text});
        return static_cast<int>(items.size()) - 1;
    }
    int ItemCount() const override { return static_cast<int>(items.size()); }
    void SetItem(int index, bool checked, bool on, std::intptr_t data) override {
        items.at(index) = {items.at(index).text, checked, on, data};
    }
    bool ItemChecked(int index) const override { return items.at(index).checked; }
    std::intptr_t ItemData(int index) const override { return items.at(index).data; }
    void SetProgress(TWizardControl bar, std::int64_t max, std::int64_t pos) override { bars[bar] = {max, pos}; }
    void LoadPlainText(TWizardControl memo, const std::wstring& text) override { captions[memo] = text; }
    void LoadRichText(TWizardControl box, const std::string& rtf) override { rich[box] = rtf; }
    void OpenInEditor(const std::wstring& path, const std::wstring& text) override { opened.push_back({path, text}); }
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
    void SetBusy(bool on) override { busy = on; }
    void ProcessMessages() override {
        if (onMessages) onMessages();
    }
    void Pause(int) override {
        ++pauses;
        if (onPause) onPause();
    }
    void Close() override { ++closes; }
};

}  // namespace orvane::fakes
