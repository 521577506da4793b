#include <array>
#include <cstdint>
#include <vector>

#include "core/Error.h"
#include "core/Text.h"
#include "update/LzFile.h"
#include "update/PathHelpers.h"
#include "update/UrlHelpers.h"
#include "update/WebUpdate.h"

namespace orvane {

namespace {

constexpr std::uint32_t kReadBlock = 4096;
constexpr std::uint32_t kCopyBlock = 32768;
constexpr std::uint32_t kWriteBlock = 65536;
constexpr std::uint32_t kRequestFlags = 0x84000100;  // reload, no cache write, pragma no-cache
constexpr std::uint32_t kFlagKeepConnection = 0x00400000;
constexpr std::uint32_t kFlagExistingConnect = 0x20000000;
constexpr std::uint32_t kFlagIgnoreCertNameAndDate = 0x3000;
constexpr std::uint32_t kFlagSecure = 0x00800000;
constexpr std::uint32_t kIgnoreCertificateErrors = 0x3100;
constexpr std::uint32_t kOptionSecurityFlags = 31;
constexpr std::uint32_t kServiceHttp = 3;
constexpr std::uint32_t kQueryStatusCode = 0x20000013;
constexpr std::uint32_t kQueryContentLength = 0x20000005;
constexpr std::uint32_t kFtpFindFlags = 0x84000000;
constexpr std::uint32_t kFtpOpenFlags = 0x84000002;
constexpr std::uint32_t kHttpUnauthorized = 401;
constexpr std::uint32_t kFirstFailingStatus = 300;

// Counts the transfers in progress; a StopConnection asked for meanwhile runs when the last ends.
class TTransferScope {
public:
    TTransferScope(int& count, bool& stopPending, TWebUpdate& engine)
        : count_(count), stopPending_(stopPending), engine_(engine) {
        ++count_;
    }
    TTransferScope(const TTransferScope&) = delete;
    TTransferScope& operator=(const TTransferScope&) = delete;
    ~TTransferScope() {
        if (--count_ == 0 && stopPending_) {
            try {
                engine_.StopConnection();
            } catch (...) {
                // A status handler that throws must not turn an unwinding fetch into a terminate.
            }
        }
    }

private:
    int& count_;
    bool& stopPending_;
    TWebUpdate& engine_;
};

bool EndsInDelimiter(const std::wstring& path) {
    return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

std::wstring UpperExtension(const std::wstring& path) {
    const std::wstring name = FileNamePart(path);
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : UpperCaseAscii(name.substr(dot));
}

}  // namespace

std::wstring TWebUpdate::URLtoFile(const std::wstring& url) {
    std::wstring name = FileNameOfUrl(url);
    if (OnFileNameFromURL) OnFileNameFromURL(*this, url, name);
    return name;
}

std::wstring TWebUpdate::URLToDomain(const std::wstring& url) {
    return DomainOfUrl(url);
}

std::wstring TWebUpdate::MakeProxyUrl(const std::wstring& url, const std::wstring& proxyUser,
                                      const std::wstring& proxyPwd) {
    return ProxyUrl(url, proxyUser, proxyPwd);
}

void TWebUpdate::ClearFileAttributes(const std::wstring& path) {
    if (FServices.fileOps) FServices.fileOps->ClearReadOnlyHidden(path);
}

bool TWebUpdate::LoginPrompt(const std::wstring& caption, std::wstring& user, std::wstring& password) {
    return FServices.login && FServices.login->Prompt(caption, user, password);
}

std::wstring TWebUpdate::ExpandLZFile(const std::wstring& path) {
    if (!FServices.lz || !FServices.fileOps) return path;
    return ExpandLzFile(*FServices.lz, *FServices.fileOps, path);
}

std::wstring TWebUpdate::TempFolder() const {
    const std::wstring folder = UseWinTempDir ? WinTempDir() : TempDirectory;
    return folder.empty() ? L"." : folder;
}

std::wstring TWebUpdate::ControlFileUrl() {
    const std::wstring last = URLGet();
    return last.empty() ? URL : last;
}

// Credentials go back only where they belong: the origin they were typed for, or the control file's.
bool TWebUpdate::SendsCredentialsTo(const std::wstring& url) {
    if (UserID.empty() && Password.empty()) return false;
    const auto origin = OriginOfUrl(url);
    if (!origin) return false;
    if (FCredentialOrigin) return *origin == *FCredentialOrigin;
    const auto control = OriginOfUrl(ControlFileUrl());
    return control && *origin == *control;
}

void TWebUpdate::Uncompress(const std::wstring& path, const std::wstring& target, bool ruleA) {
    const bool cabinet =
        ruleA ? UpperCaseAscii(path).find(L".CAB") != std::wstring::npos : UpperExtension(path) == L".CAB";
    if (!cabinet) {
        ExpandLZFile(path);
        return;
    }
    if (ruleA) DoStatus(965, path, 3, 0);
    if (FServices.cabinets) FServices.cabinets->Extract(path, target);
    if (!KeepIntermediateFiles && FServices.fileOps) FServices.fileOps->Delete(path);
}

bool TWebUpdate::URLGetFile(void* hfile, const std::wstring& url, const std::wstring& tgt, bool uncompress) {
    const std::wstring shownUrl = WithoutCredentials(url);
    const std::wstring name = URLtoFile(url);
    DoStatus(915, HideURLInLogFile ? name : shownUrl, 3, 0);
    IFileOperations* files = FServices.fileOps;

    if (OnBeforeUrlToFile) {
        bool handled = false, success = false;
        OnBeforeUrlToFile(hfile, url, tgt, uncompress, handled, success);
        if (handled && IsSafeFileName(name) && files && files->FileExists(tgt + name)) {
            if (success && !MatchesExpectedDigest(tgt + name, url)) {
                files->Delete(tgt + name);
                return false;
            }
            CustomProcess(tgt + name);
            if (uncompress) Uncompress(tgt + name, tgt, true);
            return success;
        }
    }

    if (UpdateType == TWebUpdateType::fileUpdate) {
        const bool fullPath = !tgt.empty() && !EndsInDelimiter(tgt);
        if (!fullPath && !IsSafeFileName(name)) {
            DoStatus(946, name, 13, 0);
            return false;
        }
        const std::wstring local = fullPath ? tgt : tgt + name;
        if (!CopyLocalFile(url, local)) return false;
        CustomProcess(local);
        if (uncompress) Uncompress(local, tgt, true);
        return true;
    }

    const std::wstring requestUrl = MakeProxyUrl(url, ProxyUserID, ProxyPassword);
    const std::wstring localName = URLtoFile(requestUrl);
    if (!IsSafeFileName(name) || !IsSafeFileName(localName)) {
        DoStatus(946, IsSafeFileName(name) ? localName : name, 13, 0);
        DoStatus(917, shownUrl, 2, 1);
        return false;
    }

    TTransferScope scope(FTransfers, FStopPending, *this);
    std::uint64_t expected = 0;
    TRequest request = UpdateType == TWebUpdateType::httpUpdate ? OpenHttpRequest(hfile, requestUrl)
                                                                : OpenFtpRequest(hfile, name, expected);
    if (request.stop) return false;
    if (!request.request) {
        ReportError(request.error);
        DoStatus(917, shownUrl, 2, 1);
        return false;
    }
    return TransferToTarget(request, requestUrl, tgt, tgt + localName, expected, uncompress);
}

TWebUpdate::TRequest TWebUpdate::OpenHttpRequest(void* hfile, const std::wstring& url) {
    TRequest r;
    IInternet* net = FServices.internet;
    const auto lastError = [this] { return FServices.errors ? FServices.errors->LastError() : 0u; };
    if (!net) return r;

    std::uint32_t flags = kRequestFlags;
    if (HTTPKeepAliveAuthentication) flags |= kFlagKeepConnection;
    if (ExistingConnection) flags |= kFlagExistingConnect;
    if (CertCheck == TWebUpdateCertCheck::ccDisable) flags |= kFlagIgnoreCertNameAndDate;
    const std::wstring caption = L"Connect to " + DomainOfUrl(WithoutCredentials(url));

    const auto ask = [&]() {
        std::wstring user = UserID, password = Password;
        if (!LoginPrompt(caption, user, password)) {
            DoStatus(956, L"Authentication cancelled", 0, 0);
            r.stop = true;
            return false;
        }
        UserID = user;
        Password = password;
        FCredentialOrigin = OriginOfUrl(url);
        return true;
    };
    if (Authenticate == TWebUpdateAuthentication::waAlways && (UserID.empty() || Password.empty()) && !ask()) return r;

    const auto target = HttpTargetOfUrl(url);
    for (;;) {
        std::wstring headers;
        if (SendsCredentialsTo(url))
            headers = L"Authorization: Basic " + Base64Encode(UserID + L":" + Password) + L"\r\n\r\n";

        r.connection.reset();
        r.request.reset();
        if (target && target->secure) {
            // The certificate is checked on this very request; tolerance, when asked for, is set on it too.
            r.connection = TInternetHandle(
                net, net->Connect(hfile, target->host, target->port, nullptr, nullptr, kServiceHttp, 0));
            if (!r.connection) {
                r.error = lastError();
                return r;
            }
            TInternetHandle request(net,
                                    net->OpenRequest(r.connection.get(), L"GET", target->object, flags | kFlagSecure));
            if (!request) {
                r.error = lastError();
                return r;
            }
            if (CertCheck == TWebUpdateCertCheck::ccDisable) {
                const std::uint32_t current = net->QueryOption(request.get(), kOptionSecurityFlags).value_or(0);
                if (!net->SetOption(request.get(), kOptionSecurityFlags, current | kIgnoreCertificateErrors)) Error();
            }
            if (!net->SendRequest(request.get(), headers)) {
                r.error = lastError();
                return r;
            }
            r.request = std::move(request);
        } else {
            r.request = TInternetHandle(net, net->OpenUrl(hfile, url, headers, flags));
            if (!r.request) {
                r.error = lastError();
                return r;
            }
        }

        const std::uint32_t status = net->QueryNumber(r.request.get(), kQueryStatusCode).value_or(0);
        if (status == kHttpUnauthorized && Authenticate == TWebUpdateAuthentication::waAuto) {
            r.request.reset();
            if (!ask()) return r;
            continue;
        }
        if (status >= kFirstFailingStatus) {
            DoStatus(916, std::to_wstring(status), 6, static_cast<int>(status));
            r.request.reset();
            r.stop = true;
        }
        return r;
    }
}

TWebUpdate::TRequest TWebUpdate::OpenFtpRequest(void* hfile, const std::wstring& name, std::uint64_t& expected) {
    TRequest r;
    IInternet* net = FServices.internet;
    const auto lastError = [this] { return FServices.errors ? FServices.errors->LastError() : 0u; };
    if (!net) return r;
    if (!FTPDirectory.empty() && !FFTPDirSet) {
        const std::wstring directory = ExpandPrefixes(FTPDirectory);
        DoStatus(974, directory, 3, 0);
        if (!net->FtpChangeDirectory(hfile, directory)) {
            DoStatus(975, directory, 3, 8);
            r.stop = true;
            return r;
        }
        FFTPDirSet = true;
    }
    const auto listed = net->FtpFindFile(hfile, name, kFtpFindFlags);
    if (!listed) DoStatus(925, L"", 11, static_cast<int>(lastError()));
    expected = listed.value_or(0);
    r.request = TInternetHandle(net, net->FtpOpen(hfile, name, kFtpOpenFlags));
    if (!r.request) {
        r.error = lastError();
        DoStatus(946, name, 13, static_cast<int>(r.error));
    }
    return r;
}

bool TWebUpdate::TransferToTarget(TRequest& request, const std::wstring& url, const std::wstring& target,
                                  const std::wstring& local, std::uint64_t expected, bool uncompress) {
    IInternet* net = FServices.internet;
    IFileOperations* files = FServices.fileOps;
    if (!files) throw AppError(L"No file service for downloads");

    const auto temp = files->TempFileName(TempFolder(), L"WUPD");
    if (!temp) throw AppError(L"Cannot create a temporary file in " + TempFolder());
    auto out = files->Create(*temp);
    if (!out) {
        files->Delete(*temp);
        throw AppError(L"Cannot open file " + *temp);
    }
    if (UpdateType == TWebUpdateType::httpUpdate)
        expected = net->QueryNumber(request.request.get(), kQueryContentLength).value_or(0);

    bool cancelled = FCancelled;
    bool failed = false;
    std::uint64_t total = 0;
    std::uint32_t read = kReadBlock;
    std::array<unsigned char, kReadBlock> buffer;
    // Blocks are read 4096 bytes at a time but written in larger pieces: a system call per block
    // would cost more than the read itself.
    std::vector<unsigned char> staged;
    staged.reserve(kWriteBlock);
    const auto flush = [&] {
        if (staged.empty()) return;
        const auto written = out->Write(staged.data(), static_cast<std::uint32_t>(staged.size()));
        if (!written || *written != staged.size()) {
            out.reset();
            request = TRequest();
            files->Delete(*temp);
            throw AppError(L"Cannot write file " + *temp);
        }
        staged.clear();
    };
    while (read > 0 && !cancelled) {
        if (FServices.pump) FServices.pump->ProcessMessages();
        if (!net->Read(request.request.get(), buffer.data(), kReadBlock, read)) {
            failed = true;
            break;
        }
        if (read > kReadBlock) read = kReadBlock;
        staged.insert(staged.end(), buffer.data(), buffer.data() + read);
        if (staged.size() + kReadBlock > kWriteBlock) flush();
        total += read;
        if (FServices.pump) FServices.pump->DebugOutput(std::to_wstring(total));
        DoFileProgress(local, static_cast<std::int64_t>(total), static_cast<std::int64_t>(expected));
        cancelled = FCancelled;
        DoProgressCancel(cancelled);
    }
    if (!cancelled && !failed) flush();
    request = TRequest();
    out.reset();
    FCancelled = cancelled;

    if (!cancelled && !failed) {
        // An empty or short body is never a file: the one in place stays.
        if (total == 0) {
            failed = true;
        } else if (expected > 0 && total != expected) {
            failed = true;
            DoStatus(908, WithoutCredentials(url), 20, 10);
        }
    }
    // The bytes as they came, before any expansion: what the control file's digest names.
    if (!cancelled && !failed && !MatchesExpectedDigest(*temp, url)) failed = true;
    if (cancelled || failed) {
        if (!files->Delete(*temp)) AddToLog(L"Unable to delete file " + *temp);
        return false;
    }
    if (!ReplaceTarget(*temp, local)) return false;
    CustomProcess(local);
    if (uncompress) Uncompress(local, target, false);
    return true;
}

bool TWebUpdate::ReplaceTarget(const std::wstring& temp, const std::wstring& target) {
    IFileOperations* files = FServices.fileOps;
    if (files->FileExists(target)) ClearFileAttributes(target);
    if (files->MoveReplace(temp, target)) return true;
    DoStatus(973, temp + L" to " + target, 19, 7);
    AddToLog(L"Unable to rename file " + temp + L" to " + target);
    files->Delete(temp);
    return false;
}

bool TWebUpdate::CopyLocalFile(const std::wstring& source, const std::wstring& target) {
    if (source == target) {
        DoStatus(912, source, 10, 3);
        return false;
    }
    IFileOperations* files = FServices.fileOps;
    auto in = files ? files->OpenRead(source) : nullptr;
    if (!in) {
        DoStatus(913, source, 2, 1);
        return false;
    }
    const auto size = in->Size();
    if (!size) {
        DoStatus(914, source, 10, 2);
        return false;
    }
    const auto temp = files->TempFileName(TempFolder(), L"WUPD");
    if (!temp) return false;
    auto out = files->Create(*temp);
    if (!out) {
        files->Delete(*temp);
        return false;
    }
    bool cancelled = false, failed = false;
    std::uint64_t copied = 0;
    std::vector<unsigned char> buffer(kCopyBlock);
    for (;;) {
        const auto got = in->Read(buffer.data(), kCopyBlock);
        if (!got) {
            failed = true;
            break;
        }
        if (*got > 0) {
            const auto written = out->Write(buffer.data(), *got);
            // A short write is a failed copy: a truncated file must never be installed.
            if (!written || *written != *got) {
                failed = true;
                break;
            }
        }
        copied += *got;
        DoFileProgress(source, static_cast<std::int64_t>(copied), static_cast<std::int64_t>(*size));
        DoProgressCancel(cancelled);
        if (FServices.pump) FServices.pump->ProcessMessages();
        if (*got == 0 || cancelled) break;
    }
    in.reset();
    out.reset();
    FCancelled = cancelled;
    if (!cancelled && !failed && !MatchesExpectedDigest(*temp, source)) failed = true;
    if (cancelled || failed) {
        files->Delete(*temp);
        return false;
    }
    return ReplaceTarget(*temp, target);
}

}  // namespace orvane
