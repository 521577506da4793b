#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Inspect.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "platform/CodePage.h"
#include "update/Checksum.h"
#include "update/ControlFile.h"
#include "update/ControlFileJson.h"

#ifdef _WIN32
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"
#endif

namespace orvane::inspect {

namespace {

std::filesystem::path PathOf(const std::string& utf8) { return NativePath(FromUtf8(utf8)); }

bool IsReadableFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(PathOf(path), ec) && std::ifstream(PathOf(path), std::ios::binary).good();
}

}  // namespace

int Checksum(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: orvane-inspect checksum FILE\n", stderr);
        return 2;
    }
    if (!IsReadableFile(args[0])) {
        std::fprintf(stderr, "orvane-inspect: cannot read %s\n", args[0].c_str());
        return 1;
    }
    const std::wstring path = FromUtf8(args[0]);
    std::printf("crc32=%d bytesum=%d size=%u\n", FileCRC32(path), FileByteSum(path),
                static_cast<std::uint32_t>(FileSizeOf(path)));
    return 0;
}

int Control(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: orvane-inspect control FILE\n", stderr);
        return 2;
    }
    std::ifstream in(PathOf(args[0]), std::ios::binary);
    if (!IsReadableFile(args[0]) || !in) {
        std::fprintf(stderr, "orvane-inspect: cannot read %s\n", args[0].c_str());
        return 1;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const TControlFileValues values = ReadControlFileValues(TControlFile::FromBytes(bytes, SystemAnsiCodePage()), L"");
#ifdef _WIN32
    // As the engine would build them on this workstation: folder prefixes expanded.
    TWin32UpdateServices services;
    TWebUpdate engine(services.Services());
    std::vector<TFileDescription> entries;
    for (const auto& file : values.files)
        entries.push_back(MakeFileDescription(file, [&](const std::wstring& v) { return engine.ExpandPrefixes(v); }));
#else
    const std::vector<TFileDescription> entries = FileEntriesAsWritten(values);
#endif
    std::fputs(ControlFileJson(values, entries).c_str(), stdout);
    return 0;
}

}  // namespace orvane::inspect
