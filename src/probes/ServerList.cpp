#include "probes/ServerList.h"

#include <algorithm>

namespace orvane {

TServerList::TServerList(Collation collation) : collation_(std::move(collation)) {}

bool TServerList::Add(const std::wstring& name) {
    const auto at = std::lower_bound(names_.begin(), names_.end(), name,
                                     [this](const std::wstring& a, const std::wstring& b) { return collation_(a, b) < 0; });
    if (at != names_.end() && collation_(*at, name) == 0) return false;
    names_.insert(at, name);
    return true;
}

} // namespace orvane
