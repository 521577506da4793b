#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "update/ControlFile.h"

namespace orvane {

// One file an update offers.
struct TFileDescription {
    bool Compressed = false;
    std::int32_t NewCheckSum = -1;
    std::int32_t NewSize = 0;
    std::wstring URL;
    std::wstring TargetDir;
    std::wstring LocalVersion;
    std::wstring NewVersion;
    std::wstring Description;
    std::wstring NewCustomVer;
    std::int32_t FileSize = 0;
    std::wstring NewDate;
    std::wstring NewTime;
    bool Mandatory = false;
    bool Preselect = true;
    bool Hidden = false;
    bool Selected = false;
    std::wstring Sha256;  // as written; checked against the downloaded bytes
};

// The files an update offers, in control-file order.
class TFileList {
public:
    TFileDescription& Add();
    TFileDescription& Insert(size_t index);
    void Delete(size_t index);
    void Clear() { items_.clear(); }
    size_t Count() const { return items_.size(); }
    TFileDescription& operator[](size_t index) { return *items_.at(index); }
    const TFileDescription& operator[](size_t index) const { return *items_.at(index); }

    std::int64_t TotalSize() const;
    // Bytes of the entries before ActiveItem.
    std::int64_t CompletedSize() const;

    int ActiveItem = 0;

private:
    std::vector<std::unique_ptr<TFileDescription>> items_;
};

// An entry as the file list builds it from one file section; expand turns folder prefixes into folders.
TFileDescription MakeFileDescription(const TControlFileValues::File& section,
                                     const std::function<std::wstring(const std::wstring&)>& expand);

}  // namespace orvane
