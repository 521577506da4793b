#pragma once

#include "platform/RegistryStore.h"

namespace orvane::win32 {

// Reading opens hive\key\section for reading only and creates nothing; writing creates what is missing.
class TWin32RegistryStore : public IRegistryStore {
public:
    std::optional<std::wstring> ReadText(RegHive hive, const std::wstring& key, const std::wstring& section,
                                         const std::wstring& name) const override;
    bool WriteText(RegHive hive, const std::wstring& key, const std::wstring& section, const std::wstring& name,
                   const std::wstring& value) override;
};

}  // namespace orvane::win32
