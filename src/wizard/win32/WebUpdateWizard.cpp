#include "wizard/win32/WebUpdateWizard.h"

#include "core/Error.h"

namespace orvane {

TWebUpdateWizard::TWebUpdateWizard() = default;
TWebUpdateWizard::~TWebUpdateWizard() = default;

void TWebUpdateWizard::Notification(const void* component) {
    if (!component) return;
    if (component == FWebUpdate) {
        if (FWuWiz) FWuWiz->Logic().AttachEngine(nullptr);
        FWebUpdate = nullptr;
    }
    if (component == FLanguage) FLanguage = nullptr;
}

void TWebUpdateWizard::SetBillBoard(HBITMAP picture) {
    FBillBoard.reset(picture ? CopyImage(picture, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION) : nullptr);
}

void InitLanguage(TWUWIZWindow& window, const TWebUpdateWizardLanguage* set) {
    if (set) {
        window.Logic().InitLanguage(*set);
    } else {
        const TWebUpdateWizardLanguage english;
        window.Logic().InitLanguage(english);
    }
}

void TWebUpdateWizard::Execute(bool initPath, HWND owner) {
    if (!FWebUpdate) throw AppError(L"No WebUpdate component assigned");
    if (initPath) {
        std::wstring path(MAX_PATH, L'\0');
        DWORD n;
        while ((n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size())
            path.resize(path.size() * 2);
        path.resize(n);
        const size_t cut = path.find_last_of(L'\\');
        if (cut != std::wstring::npos) SetCurrentDirectoryW(path.substr(0, cut + 1).c_str());
    }
    FWuWiz = std::make_unique<TWUWIZWindow>();
    TWUWIZWindow& window = *FWuWiz;
    window.SetBorderStyle(BorderStyle);
    if (FBillBoard) window.SetBillboardPicture(BillBoard());
    window.SetBillboardBounds(BillBoardLeft, BillBoardTop, BillBoardWidth, BillBoardHeight, BillBoardStretch,
                              BillBoardCenter);
    window.SetWizardFont(Font);
    InitLanguage(window, FLanguage);
    if (BorderStyle == TFormBorderStyle::bsNone)
        window.SetClientToFrame();
    else
        window.SetFrameOutlineVisible(false);
    window.Logic().FAutoRun = AutoRun;
    window.Logic().FAutoStart = AutoStart;

    TWebUpdate* const engine = FWebUpdate;
    // The application's handlers come back however the window ends, unless the engine went first.
    struct GiveBack {
        TWebUpdateWizard& wizard;
        TWebUpdate* engine;
        decltype(TWebUpdate::OnProgressCancel) cancel;
        decltype(TWebUpdate::OnFileProgress) progress;
        ~GiveBack() {
            if (wizard.FWebUpdate == engine) {
                engine->OnProgressCancel = std::move(cancel);
                engine->OnFileProgress = std::move(progress);
            }
            wizard.FWuWiz.reset();
        }
    } giveBack{*this, engine, engine->OnProgressCancel, engine->OnFileProgress};
    window.Logic().AttachEngine(engine);
    window.SetWindowCaption(Caption);
    window.SetPosition(Position, owner);
    if (OnWindowReady) OnWindowReady(window);
    window.ShowModal(owner);
}

void TWebUpdateWizard::CloseWizard() {
    if (FWuWiz) FWuWiz->RequestClose();
}

}  // namespace orvane
