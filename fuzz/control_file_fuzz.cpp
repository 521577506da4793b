// Feeds arbitrary bytes to the control-file reader as every engine step reads it. Besides crashes
// and hangs it checks that every section and key the reader lists can be found again by name, in
// any letter case, and that the JSON of the effective values is built.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/Text.h"
#include "platform/CodePage.h"
#include "update/ControlFile.h"
#include "update/ControlFileJson.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orvane;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TWindows1252 ansi;
    const TControlFile file = TControlFile::FromBytes(bytes, ansi);
    for (const TControlFile::Section& section : file.Sections()) {
        Require(file.HasSection(section.name));
        Require(file.HasSection(LowerCaseAscii(section.name)));
        for (const TControlFile::Key& key : section.keys) {
            const auto found = file.Find(UpperCaseAscii(section.name), LowerCaseAscii(key.name));
            Require(found.has_value());
            (void)ParseControlInteger(*found);
        }
    }
    for (const wchar_t* language : {L"", L"FR"}) {
        const TControlFileValues values = ReadControlFileValues(file, language);
        (void)ControlFileJson(values, FileEntriesAsWritten(values));
    }
    return 0;
}
