#include <cstdint>

#include "update/WebUpdate.h"

namespace orvane {

namespace {

constexpr std::uint32_t kOptionConnectTimeout = 2;
constexpr std::uint32_t kOptionReceiveTimeout = 6;
constexpr std::uint32_t kOptionSecurityFlags = 31;
constexpr std::uint32_t kIgnoreCertificateErrors = 0x3100;
constexpr std::uint32_t kAutodialForceOnline = 1;
constexpr std::uint32_t kAutodialForceUnattended = 2;
constexpr std::uint32_t kServiceFtp = 1;
constexpr std::uint32_t kFlagPassive = 0x08000000;

}  // namespace

int TWebUpdate::StartConnection() {
    // A second start without a stop would otherwise leave the first session open.
    FFtpConnection.reset();
    FHint.reset();
    FHintConnect = nullptr;
    if (UpdateType == TWebUpdateType::fileUpdate) return 0;
    DoStatus(918, L"", 3, 0);
    if (UpdateConnect == TWebUpdateConnect::wucNone) return 0;
    if (!Connected() && UpdateConnect == TWebUpdateConnect::wucNoConnect) return 1;
    if (!Connected() && (UpdateConnect == TWebUpdateConnect::wucConnectPrompt ||
                         UpdateConnect == TWebUpdateConnect::wucConnectPromptHangup)) {
        DoStatus(919, L"", 3, 0);
        const int dialled = FServices.connection ? FServices.connection->Autodial(kAutodialForceOnline) : -1;
        if (dialled == 0) {
            DoStatus(953, L"", 3, 0);
            return 3;
        }
        FDialed = true;
    }
    if (!Connected() && (UpdateConnect == TWebUpdateConnect::wucConnectSilent ||
                         UpdateConnect == TWebUpdateConnect::wucConnectSilentHangup)) {
        DoStatus(920, L"", 3, 0);
        const int dialled = FServices.connection ? FServices.connection->Autodial(kAutodialForceUnattended) : -1;
        if (dialled == 0) {
            DoStatus(953, L"", 3, 0);
            return 3;
        }
        FDialed = true;
    }
    DoStatus(921, L"", 3, 0);
    IInternet* net = FServices.internet;
    if (net) FHint = TInternetHandle(net, net->Open(Agent, Proxy));
    if (!FHint) {
        Error();
        DoStatus(922, L"", 1, 0);
        return 2;
    }
    if (TimeOut > 0) net->SetOption(FHint.get(), kOptionConnectTimeout, static_cast<std::uint32_t>(TimeOut));
    if (ReceiveTimeOut > 0)
        net->SetOption(FHint.get(), kOptionReceiveTimeout, static_cast<std::uint32_t>(ReceiveTimeOut));
    if (CertCheck == TWebUpdateCertCheck::ccDisable)
        net->SetOption(FHint.get(), kOptionSecurityFlags, kIgnoreCertificateErrors);
    if (UpdateType == TWebUpdateType::httpUpdate) FHintConnect = FHint.get();
    FInProgress = true;
    return 0;
}

int TWebUpdate::FTPConnect() {
    FFTPDirSet = false;
    DoStatus(923, Host, 3, 0);
    FFtpConnection.reset();
    FHintConnect = nullptr;
    IInternet* net = FServices.internet;
    if (!net || !FHint) return -1;
    const bool withLogin = !UserID.empty() && !Password.empty();
    FFtpConnection = TInternetHandle(
        net, net->Connect(FHint.get(), Host, static_cast<std::uint16_t>(Port), withLogin ? &UserID : nullptr,
                          withLogin ? &Password : nullptr, kServiceFtp, FTPPassive ? kFlagPassive : 0));
    FHintConnect = FFtpConnection.get();
    return FFtpConnection ? 0 : -1;
}

int TWebUpdate::StopConnection() {
    // A window message handled during a transfer may land here: the transfer stops after its block
    // and closes the connection itself, so its handles are never closed under it.
    if (FTransfers > 0) {
        FCancelled = true;
        FStopPending = true;
        return 0;
    }
    FStopPending = false;
    if (UpdateType != TWebUpdateType::fileUpdate) {
        if (UpdateType == TWebUpdateType::ftpUpdate && FFtpConnection) {
            FFtpConnection.reset();
            DoStatus(954, L"", 3, 0);
        }
        FHintConnect = nullptr;
        if (FHint) {
            FHint.reset();
            DoStatus(949, L"", 3, 0);
        }
        if (FDialed && (UpdateConnect == TWebUpdateConnect::wucConnectPromptHangup ||
                        UpdateConnect == TWebUpdateConnect::wucConnectSilentHangup)) {
            if (FServices.connection) FServices.connection->AutodialHangup();
            DoStatus(955, L"", 3, 0);
        }
        DoStatus(949, L"", 3, 0);
    }
    FFtpConnection.reset();
    FHint.reset();
    FHintConnect = nullptr;
    if (!FControlFileName.empty() && FServices.fileOps) FServices.fileOps->Delete(FControlFileName);
    FVerifiedControl.reset();
    FInProgress = false;
    return 0;
}

bool TWebUpdate::Connected() {
    if (URL.find(L"127.0.0.1") != std::wstring::npos) return true;
    std::uint32_t flags = 0;
    return !FServices.connection || FServices.connection->GetConnectedState(flags) != 0;
}

int TWebUpdate::ConnectionType() {
    std::uint32_t flags = 0;
    if (!FServices.connection) return -1;
    const int state = FServices.connection->GetConnectedState(flags);
    // An unreachable function answers -1 like a missing connection: there are no flags to give.
    if (state == 0 || state == -1) return -1;
    return static_cast<int>(flags);
}

void TWebUpdate::HangUp() {
    if (Connected() && FServices.connection) FServices.connection->AutodialHangup();
}

}  // namespace orvane
