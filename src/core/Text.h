#pragma once

#include <string>
#include <string_view>

namespace orvane {

// UTF-8 <-> wide text (UTF-16 on Windows, UTF-32 elsewhere). Invalid input becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// Appends one code point as UTF-16 (a surrogate pair past U+FFFF where wchar_t is 16-bit).
void AppendUtf16(std::wstring& out, char32_t codePoint);
// UTF-16 bytes in either byte order; an unpaired surrogate and a dangling last byte show as U+FFFD.
std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian);

// Replaces each "%s" of the template, in order, with the next argument; other "%" stay as they are.
std::wstring FormatText(std::wstring_view pattern, std::initializer_list<std::wstring_view> args);

bool EndsWith(std::wstring_view text, std::wstring_view tail);
bool StartsWith(std::wstring_view text, std::wstring_view head);

// Case-insensitive comparison of ASCII letters only; other characters compare by code unit.
bool EqualsNoCaseAscii(std::wstring_view a, std::wstring_view b);
std::wstring UpperCaseAscii(std::wstring_view text);
std::wstring LowerCaseAscii(std::wstring_view text);

// Appends one backslash unless the text is empty or already ends in one.
std::wstring WithBackslash(std::wstring text);

} // namespace orvane
