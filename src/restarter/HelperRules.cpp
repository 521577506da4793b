#include "restarter/HelperRules.h"

#include "core/Text.h"
#include "update/CabinetCheck.h"
#include "update/ControlFile.h"
#include "update/WebUpdate.h"

namespace orvane {

namespace {

std::wstring Digits(int value, size_t width) {
    std::wstring s = std::to_wstring(value);
    while (s.size() < width) s.insert(s.begin(), L'0');
    return s;
}

std::wstring Extension(const std::wstring& upper) {
    const size_t dot = upper.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : upper.substr(dot);
}

}  // namespace

TComponentRule ClassifyComponent(std::wstring_view name) {
    const std::wstring upper = UpperCaseAscii(name);
    const size_t first = upper.find(L"_NEW");
    if (first != std::wstring::npos && first + 4 == upper.size())
        return {TComponentKind::ckCopy, std::wstring(name.substr(0, name.size() - 4))};
    const std::wstring extension = Extension(upper);
    if (extension == L".INF") return {TComponentKind::ckFileList, {}};
    if (extension == L".PAT") return {TComponentKind::ckPatch, {}};
    if (extension == L".CAB") return {TComponentKind::ckCabinet, {}};
    if (extension == L".EXE") return {TComponentKind::ckProgram, {}};
    return {TComponentKind::ckLz, {}};
}

bool IsPlainFileName(std::wstring_view name) {
    return name.find_first_of(L"\\/") == std::wstring_view::npos && IsSafeMemberName(name);
}

std::wstring ExpandTarget(std::wstring text, const THelperFolders& folders) {
    if (text.empty()) return WithBackslash(folders.application);
    size_t open = std::wstring::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'{') {
            if (open == std::wstring::npos) open = i;
        } else if (text[i] == L'}' && open != std::wstring::npos) {
            const std::wstring name = UpperCaseAscii(std::wstring_view(text).substr(open + 1, i - open - 1));
            const std::wstring* folder = name == L"WIN"   ? &folders.windows
                                         : name == L"SYS" ? &folders.system
                                         : name == L"APP" ? &folders.application
                                         : name == L"TMP" ? &folders.temporary
                                         : name == L"PF"  ? &folders.programFiles
                                                          : nullptr;
            if (folder) {
                text.replace(open, i - open + 1, NormalizeFolder(*folder));
                i = open;  // the inserted folder is scanned too
                open = std::wstring::npos;
                if (i < text.size() && text[i] == L'{') open = i;
                continue;
            }
            open = std::wstring::npos;
        }
    }
    return WithBackslash(text);
}

std::vector<TFileListEntry> ReadFileList(std::string_view bytes, const IAnsiCodePage& ansi) {
    const TControlFile list = TControlFile::FromBytes(bytes, ansi);
    const std::int32_t count = list.ReadInteger(L"FILES", L"count", 0);
    std::vector<TFileListEntry> entries;
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::wstring n = std::to_wstring(i);
        const auto file = list.Find(L"FILES", L"file" + n);
        if (!file) break;
        std::wstring target = list.ReadString(L"FILES", L"target" + n);
        entries.push_back({file->substr(0, 128), target.substr(0, 128)});
    }
    return entries;
}

std::wstring HelperLogPath(std::optional<std::wstring> configured, const std::wstring& documentsFolder) {
    std::wstring name = configured && !configured->empty() ? *configured : L"WUPDATE.LOG";
    if (name.find_first_of(L"\\/:") == std::wstring::npos) name = WithBackslash(documentsFolder) + name;
    return name;
}

std::optional<std::wstring> ConfiguredLogFileName(std::string_view settingsBytes, const IAnsiCodePage& ansi) {
    return TControlFile::FromBytes(settingsBytes, ansi).Find(L"CONFIG", L"logfilename");
}

std::wstring FormatHelperLogLine(const LocalTime& t, const std::wstring& message) {
    return Digits(t.day, 2) + L'/' + Digits(t.month, 2) + L'/' + Digits(t.year, 4) + L' ' + Digits(t.hour, 2) + L':' +
           Digits(t.minute, 2) + L':' + Digits(t.second, 2) + L" : [000] " + message;
}

std::wstring FormatWaitTime(const LocalTime& t) {
    return Digits(t.day, 2) + L'/' + Digits(t.month, 2) + L'/' + Digits(t.year, 4) + L' ' + Digits(t.hour, 2) + L':' +
           Digits(t.minute, 2) + L':' + Digits(t.second, 2) + L':' + Digits(t.millisecond, 3);
}

}  // namespace orvane
