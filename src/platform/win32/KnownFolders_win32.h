#pragma once

#include <functional>
#include <utility>

#include "platform/KnownFolders.h"

namespace orvane::win32 {

// How one of the user's folders is to be asked for. The caller's rule decides (by the reported system
// version): not at all, by CSIDL number (SHGetFolderLocation) or by FOLDERID (SHGetKnownFolderPath).
struct KnownFolderRequest {
    enum class Kind { None, Csidl, FolderId };
    Kind kind = Kind::None;
    int csidl = 0;
    const wchar_t* folderId = nullptr;  // "{...}" text
};
using KnownFolderRoute = std::function<KnownFolderRequest(KnownFolder)>;

// Windows, system, temporary and application folders come straight from the system; the others
// as the route says.
class TWin32KnownFolders : public IKnownFolders {
public:
    explicit TWin32KnownFolders(KnownFolderRoute route) : route_(std::move(route)) {}
    std::wstring Path(KnownFolder folder) const override;

private:
    KnownFolderRoute route_;
};

}  // namespace orvane::win32
