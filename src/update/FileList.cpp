#include "update/FileList.h"

#include "update/HostProbes.h"

namespace orvane {

TFileDescription& TFileList::Add() {
    items_.push_back(std::make_unique<TFileDescription>());
    return *items_.back();
}

TFileDescription& TFileList::Insert(size_t index) {
    if (index > items_.size()) index = items_.size();
    return **items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::make_unique<TFileDescription>());
}

void TFileList::Delete(size_t index) {
    if (index < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::int64_t TFileList::TotalSize() const {
    std::int64_t total = 0;
    for (const auto& item : items_) total += item->FileSize;
    return total;
}

std::int64_t TFileList::CompletedSize() const {
    std::int64_t total = 0;
    for (int i = 0; i < ActiveItem && i < static_cast<int>(items_.size()); ++i) total += items_[i]->FileSize;
    return total;
}

TFileDescription MakeFileDescription(const TControlFileValues::File& s,
                                     const std::function<std::wstring(const std::wstring&)>& expand) {
    TFileDescription d;
    d.Compressed = s.compressed;
    d.NewCheckSum = s.newchecksum;
    d.NewSize = s.newsize;
    d.URL = expand(s.url);
    d.TargetDir = WithTrailingBackslash(expand(s.targetdir));
    d.LocalVersion = expand(s.localversion);
    d.NewVersion = s.newversion;
    d.Description = s.descr;
    d.NewCustomVer = s.customversion;
    d.FileSize = s.filesize;
    d.NewDate = s.date;
    d.NewTime = s.time;
    d.Mandatory = s.mandatory;
    d.Preselect = s.preselect;
    d.Hidden = s.hidden;
    d.Sha256 = s.sha256;
    return d;
}

}  // namespace orvane
