#include "update/Release.h"

#include <algorithm>

#include "core/Error.h"
#include "core/Text.h"
#include "update/UrlHelpers.h"

namespace orvane {

namespace {

constexpr std::wstring_view kCopySuffix = L"_NEW";

// Served under its own name: the engine names the download after the URL's last part, so a name
// that would need escaping in a URL would arrive under another name.
bool IsServableName(std::wstring_view name) {
    if (!IsSafeFileName(name)) return false;
    for (const wchar_t c : name)
        if (c <= L' ' || c >= 0x7F || c == L'%' || c == L'#' || c == L'?' || c == L'"') return false;
    return true;
}

std::wstring OneLine(std::wstring_view text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            out += L"\\n";  // the engine turns the marker back into a line break
        } else {
            out += text[i];
        }
    }
    const size_t first = out.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    return out.substr(first, out.find_last_not_of(L" \t") - first + 1);
}

std::wstring Joined(const std::wstring& base, const std::wstring& name) {
    return base.back() == L'/' || base.back() == L'\\' ? base + name : base + L"/" + name;
}

[[noreturn]] void Refuse(const std::wstring& text) {
    throw AppError(text);
}

}  // namespace

bool IsApplicationComponent(std::wstring_view name) {
    const std::wstring upper = UpperCaseAscii(name);
    return EndsWith(upper, L".EXE") || EndsWith(upper, L".DLL");
}

std::wstring DeliveredCopyName(std::wstring_view name) {
    return std::wstring(name) + std::wstring(kCopySuffix);
}

bool IsDeliveredCopyName(std::wstring_view name) {
    return EndsWith(UpperCaseAscii(name), kCopySuffix);
}

bool IsFourPartVersion(std::wstring_view text) {
    int parts = 0;
    size_t at = 0;
    while (true) {
        size_t digits = 0;
        unsigned value = 0;
        while (at < text.size() && text[at] >= L'0' && text[at] <= L'9' && digits < 6) {
            value = value * 10 + unsigned(text[at++] - L'0');
            ++digits;
        }
        if (digits == 0 || value > 0xFFFF) return false;
        ++parts;
        if (at == text.size()) return parts == 4;
        if (text[at++] != L'.' || parts == 4) return false;
    }
}

std::wstring ReleaseControlText(const TRelease& release) {
    if (!IsFourPartVersion(release.version))
        Refuse(L"the version must be four numbers from 0 to 65535 joined by dots, not \"" + release.version + L"\"");
    if (release.baseUrl.empty() || release.baseUrl.find_first_of(L" \t\r\n\"") != std::wstring::npos)
        Refuse(L"the base URL must be given, without blanks or quotes");

    std::vector<const TReleaseFile*> files;
    for (const TReleaseFile& f : release.files) {
        if (!IsServableName(f.name))
            Refuse(L"\"" + f.name + L"\" cannot be served under its own name (blanks, %, # or non-ASCII characters)");
        if (IsDeliveredCopyName(f.name)) Refuse(L"\"" + f.name + L"\" is a delivered copy, not a file of the release");
        for (const TReleaseFile* other : files)
            if (EqualsNoCaseAscii(other->name, f.name))
                Refuse(L"\"" + f.name + L"\" is there twice, in other letter cases");
        files.push_back(&f);
    }
    const auto program = std::find_if(
        files.begin(), files.end(), [&](const TReleaseFile* f) { return EqualsNoCaseAscii(f->name, release.program); });
    if (program == files.end()) Refuse(L"the program " + release.program + L" is not in the release folder");
    if (!IsApplicationComponent(release.program)) Refuse(L"the program must be an .exe file, not " + release.program);
    // The program first, then the others by name.
    std::rotate(files.begin(), program, program + 1);
    std::sort(files.begin() + 1, files.end(), [](const TReleaseFile* a, const TReleaseFile* b) {
        return UpperCaseAscii(a->name) < UpperCaseAscii(b->name);
    });

    std::wstring comps;
    for (const TReleaseFile* f : files)
        if (IsApplicationComponent(f->name)) comps += (comps.empty() ? L"" : L" ") + DeliveredCopyName(f->name);
    // The engine leaves every download whose name occurs anywhere in appcomps for the helper.
    for (const TReleaseFile* f : files)
        if (!IsApplicationComponent(f->name) &&
            UpperCaseAscii(comps).find(UpperCaseAscii(f->name)) != std::wstring::npos)
            Refuse(L"\"" + f->name + L"\" would be taken for a program file (its name is part of " + comps + L")");

    const std::wstring programName = (*files.begin())->name;
    std::wstring text;
    const auto line = [&text](std::wstring_view key, const std::wstring& value) {
        text += std::wstring(key) + L"=" + value + L"\r\n";
    };
    text += L"[update]\r\n";
    // A version check against the installed program decides whether the release is offered.
    line(L"newversion", release.version);
    line(L"localversion", L"{APP}\\" + programName);
    line(L"descr", OneLine(release.descr));
    text += L"\r\n[application]\r\n";
    line(L"appupdate", L"1");
    line(L"appname", programName);
    line(L"appcomps", comps);
    // No silent restart: the wizard's last page lets the user choose the moment ("Redémarrer").
    text += L"\r\n[files]\r\n";
    line(L"count", std::to_wstring(files.size()));
    for (size_t i = 0; i < files.size(); ++i) {
        const TReleaseFile& f = *files[i];
        const bool component = IsApplicationComponent(f.name);
        text += L"\r\n[file" + std::to_wstring(i + 1) + L"]\r\n";
        line(L"url", Joined(release.baseUrl, component ? DeliveredCopyName(f.name) : f.name));
        line(L"descr", f.name);
        // Only a program that differs from the installed one is fetched. Other files have no local
        // file to compare with and are always fetched, so that files new in this release arrive too.
        if (i == 0) line(L"localversion", L"{APP}\\" + f.name);
        if (component)
            line(L"mandatory", L"1");  // the helper installs it; without it the rest is pointless
        else
            line(L"targetdir", L"{APP}");
        if (!f.version.empty()) line(L"newversion", f.version);
        line(L"newchecksum", std::to_wstring(f.checksum));
        line(L"filesize", std::to_wstring(f.size));
        for (const auto& [key, value] : f.extraKeys) line(key, value);
    }
    return text;
}

std::string ReleaseControlBytes(const std::wstring& text) {
    if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; }))
        return std::string(text.begin(), text.end());
    // The news window reads the description through the system's profile functions, which know the
    // UTF-16 byte-order mark but take a UTF-8 one for part of the first line.
    std::string bytes = "\xFF\xFE";
    for (const wchar_t c : text) {
        bytes += char(unsigned(c) & 0xFF);
        bytes += char((unsigned(c) >> 8) & 0xFF);
    }
    return bytes;
}

}  // namespace orvane
