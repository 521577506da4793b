#pragma once

// Stand-ins for what an update run asks of the system: programs, dialogs, the current folder and
// worker threads.

#include <functional>
#include <string>
#include <memory>
#include <vector>

#include "platform/CurrentFolder.h"
#include "platform/EngineDialogs.h"
#include "platform/Processes.h"
#include "platform/Worker.h"

namespace orvane::fakes {

class FakeProcessLauncher : public IProcessLauncher {
public:
    std::vector<std::wstring> opened;   // "file|parameters"
    std::vector<std::string> executed;  // 8-bit command lines
    std::vector<std::wstring> waitedFor;
    bool shellRefuses = false;
    TRun run{true, 0u};

    bool ShellOpen(const std::wstring& file, const std::wstring& parameters, bool) override {
        opened.push_back(file + L"|" + parameters);
        return !shellRefuses;
    }
    bool Exec(const std::string& commandLine) override {
        executed.push_back(commandLine);
        return true;
    }
    TRun RunAndWait(const std::wstring& commandLine, bool) override {
        waitedFor.push_back(commandLine);
        return run;
    }
};

// Answers every question from its fields and records what was shown.
class FakeEngineDialogs : public IEngineDialogs {
public:
    std::vector<std::wstring> informed, asked, confirmed, html;
    std::vector<bool> confirmAnswers;  // one per confirmation; Yes once they run out
    bool answerInformation = true;
    bool acceptWhatsNew = true, acceptLicence = true;
    int whatsNewShown = 0, licenceShown = 0;
    TTextDialogContent lastContent;
    std::vector<std::wstring> lastButtons;
    bool htmlFails = false;
    // The animation windows shown, as "caption|message", and how many are still open.
    std::vector<std::wstring> animations;
    int animationsOpen = 0;

    void Inform(const std::wstring& text) override { informed.push_back(text); }
    bool AskInformation(const std::wstring& text) override {
        asked.push_back(text);
        return answerInformation;
    }
    bool Confirm(const std::wstring& text) override {
        confirmed.push_back(text);
        return confirmed.size() > confirmAnswers.size() || confirmAnswers[confirmed.size() - 1];
    }
    bool ShowWhatsNew(const TTextDialogContent& content, const std::wstring& ok, const std::wstring& cancel) override {
        ++whatsNewShown;
        lastContent = content;
        lastButtons = {ok, cancel};
        return acceptWhatsNew;
    }
    bool ShowLicence(const TTextDialogContent& content, const std::wstring& ok, const std::wstring& accept,
                     const std::wstring& notAccept) override {
        ++licenceShown;
        lastContent = content;
        lastButtons = {ok, accept, notAccept};
        return acceptLicence;
    }
    void ShowHtml(const std::wstring& url) override { html.push_back(url); }
    std::unique_ptr<IShownWindow> ShowCopyAnimation(const std::wstring& caption, const std::wstring& message) override {
        struct Shown : IShownWindow {
            int& open;
            explicit Shown(int& o) : open(o) { ++open; }
            ~Shown() override { --open; }
        };
        animations.push_back(caption + L"|" + message);
        return std::make_unique<Shown>(animationsOpen);
    }
};

class FakeCurrentFolder : public ICurrentFolder {
public:
    std::wstring folder = L"C:\\work";
    std::wstring Get() const override { return folder; }
    bool Set(const std::wstring& f) override {
        folder = f;
        return true;
    }
};

// Runs the work at once on the caller's thread and keeps the end notification until Deliver().
class FakeWorkerThreads : public IWorkerThreads {
public:
    std::vector<std::function<void()>> pending;
    int joins = 0;
    void Start(std::function<void()> work, std::function<void()> done) override {
        work();
        pending.push_back(std::move(done));
    }
    void JoinAll() override {
        ++joins;
        pending.clear();
    }
    void Deliver() {
        auto all = std::move(pending);
        pending.clear();
        for (auto& d : all) d();
    }
};

}  // namespace orvane::fakes
