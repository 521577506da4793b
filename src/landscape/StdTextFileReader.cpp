#include "landscape/StdTextFileReader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Error.h"
#include "core/Paths.h"
#include "core/Text.h"

namespace orvane {

std::string TStdTextFileReader::ReadAll(const std::wstring& path) const {
    std::ifstream in(NativePath(path), std::ios::binary);
    if (!in)
        throw AppError(FormatText(L"Impossible d'ouvrir le fichier %s : %s", {path, FromUtf8(std::strerror(errno))}));
    std::string bytes;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > 0) {
        bytes.resize(static_cast<size_t>(size));
        in.read(bytes.data(), size);
        bytes.resize(static_cast<size_t>(in.gcount()));
    }
    if (in.bad()) throw AppError(FormatText(L"Impossible de lire le fichier %s", {path}));
    return bytes;
}

} // namespace orvane
