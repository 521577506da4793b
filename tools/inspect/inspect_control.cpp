#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Inspect.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "platform/CodePage.h"
#include "update/ControlFile.h"
#include "update/ControlFileJson.h"

#ifdef _WIN32
#include "update/WebUpdate.h"
#include "update/win32/UpdateServices_win32.h"
#endif

namespace orvane::inspect {

namespace {

int Control(const TCommandLine& line) {
    const std::vector<std::string>& args = line.operands;
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

}  // namespace

const TCommand& ControlCommand() {
    static const TCommand command{
        {"control", "FILE", "what the update engine reads from a control file, as JSON", {}, 1, 1}, Control};
    return command;
}

}  // namespace orvane::inspect
