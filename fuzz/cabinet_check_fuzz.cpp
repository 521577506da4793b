// Feeds arbitrary bytes to the cabinet check that runs before the system's extractor. Besides
// crashes and hangs it checks what an accepted cabinet promises the extractor: members of existing
// folders (or of a declared neighbour cabinet), names of at most 255 bytes, and destinations of
// safe names that stay inside the target.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/CodePage.h"
#include "update/CabinetCheck.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// No part of the path beyond the target may climb out of it or name a root or drive.
bool StaysInside(const std::wstring& target, const std::wstring& path) {
    if (path.compare(0, target.size(), target) != 0) return false;
    std::wstring_view rest(path);
    rest.remove_prefix(target.size());
    size_t start = 0;
    for (;;) {
        const size_t end = rest.find(L'\\', start);
        const std::wstring_view part = rest.substr(start, end == std::wstring_view::npos ? rest.npos : end - start);
        if (part.empty() || part == L"." || part == L".." || part.find(L':') != std::wstring_view::npos) return false;
        if (end == std::wstring_view::npos) return true;
        start = end + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orvane;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TCabinetCheck check = CheckCabinetBytes(bytes);
    Require(check.ok == check.reason.empty());
    if (!check.ok) return 0;
    const TWindows1252 ansi;
    const std::wstring target = L"C:\\target\\";
    for (const TCabinetMember& m : check.members) {
        Require(m.name.size() <= 255);
        Require(m.folderIndex < check.folderCount || m.folderIndex >= 0xFFFD);
        const std::wstring name = MemberNameText(m, ansi);
        const auto destination = CabinetDestination(target, name);
        Require(destination.has_value() == IsSafeMemberName(name));
        if (destination) {
            Require(StaysInside(target, destination->file));
            Require(destination->folder.empty() || destination->folder == target ||
                    StaysInside(target, destination->folder) || destination->folder + L"\\" == target);
        }
    }
    Require((FirstUnsafeMember(check, ansi) == nullptr) == [&] {
        for (const TCabinetMember& m : check.members)
            if (!IsSafeMemberName(MemberNameText(m, ansi))) return false;
        return true;
    }());
    return 0;
}
