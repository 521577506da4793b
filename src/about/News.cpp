#include "about/News.h"

namespace orvane::about {

std::wstring ExpandNewsMarkers(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && (text[i + 1] == L'n' || text[i + 1] == L'N')) {
            out += L'\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::wstring EditLineBreaks(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
        out += text[i];
    }
    return out;
}

std::optional<std::wstring> FetchNews(IUrlDownload& download, const std::wstring& url) {
    const std::wstring temp = download.MakeTempFileName(L"qzt", false);
    if (temp.empty()) return std::nullopt;
    std::wstring value;
    if (download.DownloadURLToFile(url, temp)) value = download.ReadIniValue(temp, L"update", L"descr");
    // Left behind, every download would use up one of the 65,535 names the prefix allows.
    download.RemoveFile(temp);
    if (value.size() > kNewsMaxLength) value.resize(kNewsMaxLength);
    if (value.empty()) return std::nullopt;
    return ExpandNewsMarkers(value);
}

}  // namespace orvane::about
