#include <cctype>

#include "update/ControlFile.h"
#include "update/WebUpdate.h"

namespace orvane {

std::vector<std::wstring> TWebUpdate::TextLines(const std::string& bytes) const {
    const TWindows1252 western;
    return DecodeTextLines(bytes, FServices.ansi ? *FServices.ansi : static_cast<const IAnsiCodePage&>(western));
}

std::optional<std::string> TWebUpdate::DownloadTextStream(const std::wstring& url) {
    if (!URLGetFile(FHintConnect, url, WinTempDir(), false)) return std::nullopt;
    IFileOperations* files = FServices.fileOps;
    if (!files) return std::nullopt;
    const std::wstring path = WinTempDir() + URLtoFile(url);
    std::string bytes;
    if (auto in = files->OpenRead(path)) {
        char buffer[4096];
        while (const auto got = in->Read(buffer, sizeof buffer)) {
            if (*got == 0) break;
            bytes.append(buffer, *got);
        }
    }
    files->Delete(path);
    return bytes;
}

std::optional<std::vector<std::wstring>> TWebUpdate::DownloadTextList(const std::wstring& url) {
    const auto bytes = DownloadTextStream(url);
    if (!bytes) return std::nullopt;
    return TextLines(*bytes);
}

bool TWebUpdate::StreamIsRTF(const std::string& stream) {
    if (stream.size() < 5) return false;
    std::string head = stream.substr(0, 5);
    for (char& c : head) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return head == "{\\RTF";
}

namespace {

std::wstring WhatsNewUrlOf(const TControlFile& file, const std::wstring& languageID) {
    return file.ReadString(L"whatsnew" + languageID, L"file");
}

}  // namespace

std::optional<std::vector<std::wstring>> TWebUpdate::GetWhatsNew() {
    const auto bytes = GetWhatsNewStream();
    if (!bytes) return std::nullopt;
    return TextLines(*bytes);
}

std::optional<std::string> TWebUpdate::GetWhatsNewStream() {
    std::wstring url = WhatsNewUrlOf(ReadControlFile(), LanguageID);
    if (url.empty()) return std::nullopt;
    if (OnBeforeFileDownload) {
        TFileDescription described;
        described.Description = url;
        OnBeforeFileDownload(*this, 0, described, url);
    }
    DoStatus(937, L"", 12, 0);
    return DownloadTextStream(url);
}

std::optional<std::vector<std::wstring>> TWebUpdate::GetEULA() {
    const auto bytes = GetEULAStream();
    if (!bytes) return std::nullopt;
    return TextLines(*bytes);
}

std::optional<std::string> TWebUpdate::GetEULAStream() {
    const std::wstring url = ReadControlFile().ReadString(L"eula" + LanguageID, L"file");
    if (url.empty()) return std::nullopt;
    DoStatus(939, L"", 13, 0);
    return DownloadTextStream(url);
}

namespace {

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
    return text;
}

}  // namespace

int TWebUpdate::ShowWhatsNewDialog(const std::string& content) {
    const bool rtf = StreamIsRTF(content);
    if (OnDownloadedWhatsNew && !rtf) {
        std::vector<std::wstring> lines = TextLines(content);
        int res = 1;
        OnDownloadedWhatsNew(*this, lines, res);
        return res == 1 ? 0 : -1;
    }
    const TControlFile file = ReadControlFile();
    TTextDialogContent shown;
    shown.caption = file.ReadString(L"whatsnew", L"caption");
    if (shown.caption.empty()) shown.caption = L"What's new";
    shown.rich = rtf;
    if (rtf)
        shown.rtf = content;
    else
        shown.plain = JoinLines(TextLines(content));
    const bool accepted = FServices.engineDialogs &&
                          FServices.engineDialogs->ShowWhatsNew(shown, file.ReadString(L"whatsnew", L"okbtn", L"Ok"),
                                                                file.ReadString(L"whatsnew", L"cancelbtn", L"Cancel"));
    if (accepted) return 0;
    DoStatus(938, L"", 14, 0);
    return -1;
}

int TWebUpdate::ShowEULADialog(const std::string& content) {
    const bool rtf = StreamIsRTF(content);
    if (OnDownloadedEULA) {
        std::vector<std::wstring> lines = TextLines(content);
        int res = 0;
        OnDownloadedEULA(*this, lines, res);
        // The built-in dialog only follows an accepting handler; either refusal refuses.
        if (res != 1) return -1;
        if (rtf) return 0;
    }
    const TControlFile file = ReadControlFile();
    TTextDialogContent shown;
    shown.caption = file.ReadString(L"eula", L"caption");
    shown.rich = rtf;
    if (rtf)
        shown.rtf = content;
    else
        shown.plain = JoinLines(TextLines(content));
    const bool accepted = FServices.engineDialogs && FServices.engineDialogs->ShowLicence(
                                                         shown, file.ReadString(L"eula", L"okbtn", L"Ok"),
                                                         file.ReadString(L"eula", L"accept", L"I accept"),
                                                         file.ReadString(L"eula", L"notaccept", L"I do not accept"));
    return accepted ? 0 : -1;
}

void TWebUpdate::ShowHTMLDialog(const std::wstring& url) {
    if (FServices.engineDialogs) FServices.engineDialogs->ShowHtml(url);
}

}  // namespace orvane
