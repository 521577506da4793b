#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvane {

// A sorted list of server names without duplicates. Names are compared through the given
// collation (the user's locale, ignoring case, in the product); when two names compare equal
// the one added first stays.
class TServerList {
public:
    // Returns <0, 0 or >0 like wcscmp.
    using Collation = std::function<int(const std::wstring&, const std::wstring&)>;

    explicit TServerList(Collation collation);

    // Adds NAME at its sorted place; returns false when an equal name is already there.
    bool Add(const std::wstring& name);
    void Clear() { names_.clear(); }
    const std::vector<std::wstring>& Names() const { return names_; }
    size_t Count() const { return names_.size(); }

private:
    Collation collation_;
    std::vector<std::wstring> names_;
};

} // namespace orvane
