#include "update/win32/UpdateServices_win32.h"

#include "update/HostProbes.h"
#include "update/win32/Cabinet_win32.h"
#include "update/win32/ProgressForm_win32.h"

namespace orvane {

win32::KnownFolderRoute UpdateKnownFolderRoute(const ISystemVersion& system) {
    return [&system](KnownFolder folder) {
        using Kind = win32::KnownFolderRequest::Kind;
        const auto ids = IdsOfKnownFolder(folder);
        if (!ids) return win32::KnownFolderRequest{};
        switch (ChooseKnownFolderQuery(system.Reported())) {
            case KnownFolderQuery::Csidl:
                return win32::KnownFolderRequest{Kind::Csidl, ids->csidl, ids->folderId};
            case KnownFolderQuery::FolderId:
                return win32::KnownFolderRequest{Kind::FolderId, ids->csidl, ids->folderId};
            case KnownFolderQuery::None:
                break;
        }
        return win32::KnownFolderRequest{};
    };
}

int TWin32CabinetExtractor::Extract(const std::wstring& cabinet, const std::wstring& target) {
    return ExtractCabinet(cabinet, target, ansi_);
}

TWin32UpdateServices::TWin32UpdateServices(HWND owner)
    : folders_(UpdateKnownFolderRoute(system_)), dialogs_(owner), login_(owner), engineDialogs_(owner), owner_(owner) {}

TWebUpdateServices TWin32UpdateServices::Services() {
    TWebUpdateServices s;
    s.folders = &folders_;
    s.environment = &environment_;
    s.registry = &registry_;
    s.store = &store_;
    s.files = &files_;
    s.fileTimes = &fileTimes_;
    s.ansi = &ansi_;
    s.clock = &clock_;
    s.locale = &locale_;
    s.errors = &errors_;
    s.dialogs = &dialogs_;
    s.system = &system_;
    s.internet = &internet_;
    s.connection = &connection_;
    s.fileOps = &fileOps_;
    s.lz = &lz_;
    s.cabinets = &cabinets_;
    s.login = &login_;
    s.pump = &pump_;
    s.versions = &versions_;
    s.processes = &processes_;
    s.engineDialogs = &engineDialogs_;
    s.currentFolder = &currentFolder_;
    s.workers = &workers_;
    const HWND owner = owner_;
    s.progressForms = [owner]() -> std::unique_ptr<TProgressForm> { return std::make_unique<TWin32ProgressForm>(owner); };
    s.resources = &resources_;
    s.crypto = &crypto_;
    s.process = &process_;
    s.profiles = &profiles_;
    return s;
}

}  // namespace orvane
