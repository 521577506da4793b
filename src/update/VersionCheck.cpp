#include <cstdint>
#include <vector>

#include "update/Checksum.h"
#include "update/ControlFile.h"
#include "update/HostProbes.h"
#include "update/UpdateSignature.h"
#include "update/WebUpdate.h"

namespace orvane {

namespace {

constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;

}  // namespace

std::string TWebUpdate::ReadLocalFile(const std::wstring& path) {
    std::string bytes;
    if (IFileOperations* files = FServices.fileOps) {
        if (auto in = files->OpenRead(path)) {
            char buffer[4096];
            while (const auto got = in->Read(buffer, sizeof buffer)) {
                if (*got == 0) break;
                bytes.append(buffer, *got);
            }
        }
    }
    return bytes;
}

TControlFile TWebUpdate::ReadControlFile() {
    if (SignaturesEnforced()) return ParseControlBytes(FVerifiedControl.value_or(std::string()));
    return ParseControlBytes(ReadLocalFile(FControlFileName));
}

TControlFile TWebUpdate::ParseControlBytes(const std::string& bytes) const {
    const TWindows1252 western;
    return TControlFile::FromBytes(bytes,
                                   FServices.ansi ? *FServices.ansi : static_cast<const IAnsiCodePage&>(western));
}

std::wstring TWebUpdate::GetControlFileURL() {
    std::wstring url = URLGet();
    if (url.empty()) url = URL;
    return ExpandPrefixes(url);
}

std::wstring TWebUpdate::RunningVersion() {
    if (!OwnVersion.empty()) return OwnVersion;
    if (!FServices.resources) return {};
    const std::wstring path = FServices.resources->ModulePath();
    if (path.empty()) return {};
    const tfvi v = GetFileVersion(path);
    return v.versionms == -1 || v.versionls == -1 ? std::wstring() : VersionToText(v);
}

bool TWebUpdate::TrustControlFile(const std::wstring& url) {
    const std::string bytes = ReadLocalFile(FControlFileName);
    std::optional<std::string> der;
    const std::wstring signatureUrl = url + L".sig";
    if (URLGetFile(FHintConnect, signatureUrl, WinTempDir(), false)) {
        const std::wstring local = WinTempDir() + URLtoFile(signatureUrl);
        der = ReadLocalFile(local);
        if (FServices.fileOps) FServices.fileOps->Delete(local);
    }
    const TSignatureVerdict verdict = VerifyDetachedSignature(FServices.crypto, TrustedKeys, bytes, der);
    const std::wstring offered = ParseControlBytes(bytes).ReadString(L"update", L"newversion");
    const std::wstring own = RunningVersion();
    switch (DecideControlFileTrust(true, verdict, offered, own)) {
        case TControlFileTrust::Accept:
            DoStatus(979, L"", 3, 0);
            FVerifiedControl = bytes;
            return true;
        case TControlFileTrust::RefuseSignature:
            DoStatus(980, SignatureVerdictText(verdict), 2, 12);
            break;
        case TControlFileTrust::RefuseNoVersion:
            DoStatus(981, L"", 2, 13);
            break;
        case TControlFileTrust::RefuseOlder:
            DoStatus(982, offered + L" < " + own, 2, 13);
            break;
        case TControlFileTrust::RefuseOwnUnknown:
            DoStatus(983, L"", 2, 13);
            break;
    }
    return false;
}

int TWebUpdate::GetControlFile() {
    FCancelled = false;
    FVerifiedControl.reset();
    const std::wstring url = GetControlFileURL();
    if (url.empty() || !URLGetFile(FHintConnect, url, WinTempDir(), false)) {
        DoStatus(925, L"", 2, 0);
        return 4;
    }
    DoStatus(926, L"", 3, 0);
    FControlFileName = WinTempDir() + URLtoFile(url);
    if (SignaturesEnforced() && !TrustControlFile(url)) {
        // Nothing after this step may read what did not verify.
        if (FServices.fileOps) FServices.fileOps->Delete(FControlFileName);
        return 4;
    }
    const TControlFile file = ReadControlFile();
    int result = 0;
    if (SignatureCheck && file.ReadString(L"update", L"signature") != Signature) {
        DoStatus(927, L"", 11, 4);
        result = 5;
    }
    FAppClose = file.ReadInteger(L"application", L"appupdate", 0) == 1;
    FAppName = ExpandPrefixes(file.ReadString(L"application", L"appname"));
    FAppParam = file.ReadString(L"application", L"appparam");
    if (FAppName.empty()) FAppClose = false;
    if (OnSetAppParams) {
        OnSetAppParams(*this, FAppParam);
        if (FAppParam.empty()) FAppParam = L" ";
    }
    FAppComps = ExpandPrefixes(file.ReadString(L"application", L"appcomps"));
    FSilentRestart = file.ReadInteger(L"application", L"silentrestart", 0) == 1;
    return result;
}

TDateTime TWebUpdate::ParseUpdateDateTime(const std::wstring& date, const std::wstring& time) const {
    return orvane::ParseUpdateDateTime(date, time, DateFormat, DateSeparator, TimeSeparator);
}

int TWebUpdate::DoVersionCheck() {
    int r = 7;
    const TControlFile file = ReadControlFile();
    FUpdateDescription = ExpandNewlineMarkers(file.ReadString(L"update", L"descr"));
    const std::wstring date = file.ReadString(L"update", L"date");
    if (!date.empty()) {
        DoStatus(928, L"", 3, 0);
        FNewVersionDate = ParseUpdateDateTime(date, file.ReadString(L"update", L"time"));
        FLocalFileDateCheck = ExpandPrefixes(file.ReadString(L"update", L"localversion"));
        FCurVersionDate = UpdateDateGet();
        if (FCurVersionDate >= FNewVersionDate) {
            DoStatus(930, L"", 4, 0);
        } else {
            const wchar_t sep = FServices.locale ? FServices.locale->DateSeparator() : L'/';
            const std::wstring picture = FServices.locale ? FServices.locale->ShortDateFormat() : L"dd/MM/yyyy";
            DoStatus(929, FormatDatePicture(DateOf(FNewVersionDate), picture, sep), 5, 0);
            r = 6;
        }
    }
    if (!file.ReadString(L"update", L"unconditional").empty() && r == 7) r = 8;
    if (r == 7) {
        std::wstring nv = file.ReadString(L"update", L"newversion");
        const std::int32_t ns = file.ReadInteger(L"update", L"newsize", 0);
        std::wstring lv = ExpandPrefixes(file.ReadString(L"update", L"localversion"));
        const std::int32_t nc = file.ReadInteger(L"update", L"newchecksum", -1);
        if ((!nv.empty() || ns > 0 || nc != -1) && !lv.empty()) {
            if (nc != -1) {
                r = 10;
                DoStatus(931, L"", 3, 0);
            } else if (ns > 0) {
                r = 9;
                DoStatus(932, L"", 3, 0);
            } else {
                r = 11;
                DoStatus(933, L"", 3, 0);
            }
            if (IsUpdateNeeded(nv, lv, ns, nc)) {
                DoStatus(929, nv, 5, 0);
            } else {
                DoStatus(930, L"", 4, 0);
                r = 7;
            }
        }
        FNewVersionInfo = nv;
        FCurVersionInfo = lv;
    }
    if (OnCustomValidate) {
        bool allow = r != 7;
        OnCustomValidate(*this, file.ReadString(L"custom", L"validatemsg"),
                         file.ReadString(L"custom", L"validateparam"), allow);
        r = allow ? 12 : 7;
    }
    return r;
}

bool TWebUpdate::IsUpdateNeeded(std::wstring& newVersion, std::wstring& localFile, std::int32_t newSize,
                                std::int32_t newCheckSum) {
    if (newVersion.empty() && newSize == 0 && newCheckSum == -1) return true;
    if (localFile.empty()) return true;
    const bool always = VersionCheck == TWebUpdateVersionCheck::vcAlways;
    IFileOperations* files = FServices.fileOps;
    if (!files || !files->FileExists(localFile)) return always;

    if (newCheckSum != -1) {
        std::int32_t c = UseCRC32 ? FileCRC32(*files, localFile) : FileByteSum(*files, localFile);
        if (c == 0) c = newCheckSum;
        DoStatus(944,
                 L"Checksum compare of " + localFile + L":" + std::to_wstring(c) + L":" + std::to_wstring(newCheckSum),
                 3, 0);
        if (c == newCheckSum) return false;
        return c != 0 || always;
    }
    if (newSize > 0) {
        const std::int32_t s = FileSizeOf(*files, localFile);
        if (s == newSize) return false;
        return s > 0 || always;
    }
    const tfvi l = GetFileVersion(localFile);
    const tfvi n = VersionFromText(newVersion);
    DoStatus(
        944,
        L"Version compare of " + localFile + L":" + VersionToText(l) + L" with " + newVersion + L":" + VersionToText(n),
        3, 0);
    if (n.versionms == -1 || n.versionls == -1) return false;
    if ((l.versionms == -1 || l.versionls == -1) && !always) return false;
    localFile = VersionToText(l);
    newVersion = VersionToText(n);
    return n.versionms > l.versionms || (n.versionms == l.versionms && n.versionls > l.versionls);
}

tfvi TWebUpdate::GetFileVersion(const std::wstring& fileName) {
    tfvi v;
    if (!FServices.versions) return v;
    const auto block = FServices.versions->Read(fileName);
    if (!block || !block->fixedInfo || block->fixedInfo->dwSignature != kFixedInfoSignature) return v;
    v.versionms = static_cast<std::int32_t>(block->fixedInfo->dwFileVersionMS);
    v.versionls = static_cast<std::int32_t>(block->fixedInfo->dwFileVersionLS);
    return v;
}

}  // namespace orvane
