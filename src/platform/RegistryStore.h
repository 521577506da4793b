#pragma once

#include <optional>
#include <string>

#include "platform/Registry.h"

namespace orvane {

// Text values kept under hive\key\section; the key is created when missing, the section subkey when written.
class IRegistryStore {
public:
    virtual ~IRegistryStore() = default;
    // nullopt when the key cannot be opened or created, or the value is missing or not text.
    virtual std::optional<std::wstring> ReadText(RegHive hive, const std::wstring& key, const std::wstring& section,
                                                 const std::wstring& name) const = 0;
    // False when the key or subkey cannot be created or the value cannot be written.
    virtual bool WriteText(RegHive hive, const std::wstring& key, const std::wstring& section, const std::wstring& name,
                           const std::wstring& value) = 0;
};

}  // namespace orvane
