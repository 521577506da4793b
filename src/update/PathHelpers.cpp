#include "update/PathHelpers.h"

#include "core/Text.h"

namespace orvane {

std::wstring StripTrailingDelimiter(std::wstring path) {
    if (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

std::wstring DirectoryPart(std::wstring_view path) {
    const size_t at = path.rfind(L'\\');
    return at == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, at));
}

std::wstring FileNamePart(std::wstring_view path) {
    const size_t at = path.rfind(L'\\');
    return std::wstring(at == std::wstring_view::npos ? path : path.substr(at + 1));
}

bool IsExistingDirectory(const IFileWriter& files, const std::wstring& path) {
    return files.FolderExists(path);
}

bool CreateDirectoryChain(IFileWriter& files, const std::wstring& directory) {
    const std::wstring d = StripTrailingDelimiter(directory);
    const size_t last = d.find_last_of(L"\\:");
    const std::wstring parent = last == std::wstring::npos ? std::wstring() : d.substr(0, last + 1);
    if (d.size() < 3 || files.FolderExists(d) || parent == d) return true;
    return CreateDirectoryChain(files, parent) && files.CreateFolder(d);
}

}  // namespace orvane
