#include "core/Paths.h"

#include "core/Text.h"

namespace orvane {

std::filesystem::path NativePath(const std::wstring& path) {
#ifdef _WIN32
    return std::filesystem::path(path);
#else
    return std::filesystem::path(ToUtf8(path));
#endif
}

} // namespace orvane
