#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"

namespace orvane {

// Which encoding a file's bytes were taken in.
enum class TTextEncoding { Ansi, Utf8, Utf8WithoutBom, Utf16LE, Utf16BE };

struct TDecodedText {
    TTextEncoding encoding = TTextEncoding::Ansi;
    // Every CR, LF or CR LF of the file becomes one CR LF (what Windows text controls expect); the
    // byte-order mark is dropped; a NUL, which a Windows control would stop at, shows as U+FFFD.
    std::wstring text;
};

// Decodes a whole file: a UTF-8, UTF-16 LE or UTF-16 BE byte-order mark selects the encoding.
// Without one, bytes that are well-formed UTF-8 with at least one non-ASCII character are taken as
// UTF-8 (SAP writes its XML files so, and the same bytes read as ANSI would be garbled); anything
// else is taken in the ANSI code page. Malformed sequences after a mark show as U+FFFD.
TDecodedText DecodeTextFile(std::string_view bytes, const IAnsiCodePage& ansi);

// Offsets at which the lines of TEXT start (after CR LF, lone CR or lone LF). A final line
// break does not open an empty last line; the empty text has no lines.
std::vector<size_t> LineStarts(std::wstring_view text);

// The line at START, without its line break.
std::wstring_view LineAt(std::wstring_view text, size_t start);

}  // namespace orvane
