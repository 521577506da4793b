#pragma once

#include <string>

#include "probes/ComponentCatalogue.h"

namespace orvane {

// The SAP release that ships a component's main file of the given version text (exact,
// case-sensitive match); the empty text when the kind's table does not know the version.
std::wstring GetReleaseName(TSapComponentKind kind, const std::wstring& versionText);

}  // namespace orvane
