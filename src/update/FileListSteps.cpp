#include "update/ControlFile.h"
#include "update/HostProbes.h"
#include "update/WebUpdate.h"

namespace orvane {

int TWebUpdate::GetFileDetails() {
    FFileList.Clear();
    const TControlFile file = ReadControlFile();
    const std::int32_t count = file.ReadInteger(L"files", L"count", 0);
    if (count > 0) {
        DoStatus(943, L"", 3, 0);
        const std::int32_t entries = count > kMaxControlFileEntries ? kMaxControlFileEntries : count;
        for (std::int32_t i = 1; i <= entries; ++i)
            FFileList.Add() = MakeFileDescription(ReadFileSection(file, i),
                                                  [this](const std::wstring& v) { return ExpandPrefixes(v); });
    }
    return count;
}

int TWebUpdate::ProcessFileDetails() {
    for (size_t i = 0; i < FFileList.Count();) {
        const TFileDescription& e = FFileList[i];
        std::wstring nv = e.NewVersion, lv = e.LocalVersion;
        DoStatus(971,
                 (HideURLInLogFile ? URLtoFile(e.URL) : e.URL) + L"[" + lv + L",nv=" + nv + L",nd=" + e.NewDate +
                     L",ns=" + std::to_wstring(e.NewSize) + L",nc=" + std::to_wstring(e.NewCheckSum) + L"]",
                 0, 0);
        bool keep;
        if (!lv.empty() && !e.NewDate.empty()) {
            const TDateTime offered = ParseUpdateDateTime(e.NewDate, e.NewTime);
            const auto local = FServices.fileTimes ? FServices.fileTimes->LastWriteLocal(lv) : std::nullopt;
            keep = !(local && *local >= offered);
        } else if (!IsUpdateNeeded(nv, lv, e.NewSize, e.NewCheckSum)) {
            DoStatus(930, L"", 0, 0);
            keep = false;
        } else {
            bool isNew = true;
            if (OnFileVersionCheck && !e.NewCustomVer.empty()) OnFileVersionCheck(*this, e.NewCustomVer, lv, isNew);
            keep = isNew;
        }
        if (keep)
            ++i;
        else
            FFileList.Delete(i);
    }
    if (OnGetFileList) {
        std::vector<std::wstring> lines;
        for (size_t i = 0; i < FFileList.Count(); ++i) lines.push_back(FFileList[i].Description);
        OnGetFileList(*this, lines);
        for (size_t p = 0; p < FFileList.Count();) {
            if (p < lines.size() && lines[p].empty() && !FFileList[p].Mandatory) {
                FFileList.Delete(p);
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(p));
            } else {
                ++p;
            }
        }
    }
    return FFileList.Count() == 0 ? -1 : 0;
}

}  // namespace orvane
