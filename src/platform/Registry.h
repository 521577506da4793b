#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane {

enum class RegHive { LocalMachine, CurrentUser, ClassesRoot };

// What reading one registry value as text can give.
struct RegText {
    enum class State {
        NoKey,     // the key does not exist or cannot be opened for reading
        NoValue,   // the key opened but has no such value
        Text,      // REG_SZ or REG_EXPAND_SZ, up to the first NUL, never expanded
        OtherType  // the value exists with a type that is not text
    };
    State state = State::NoKey;
    std::wstring text;
};

// Reads the registry. Keys are always opened for reading only.
class IRegistry {
public:
    virtual ~IRegistry() = default;
    virtual RegText ReadText(RegHive hive, const std::wstring& key, const std::wstring& name) const = 0;
    virtual bool KeyExists(RegHive hive, const std::wstring& key) const = 0;
    // A REG_MULTI_SZ value's strings, empty ones dropped; nullopt when the key or value is missing or
    // the value has another type.
    virtual std::optional<std::vector<std::wstring>> ReadMultiText(RegHive hive, const std::wstring& key,
                                                                   const std::wstring& name) const = 0;
};

} // namespace orvane
