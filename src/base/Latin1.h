// Conversion between the program's UTF-8 text and the single-byte Latin-1 text of the files
// whose bytes are fixed (INI files, report pages, the chart export). Pages keep characters
// outside Latin-1 as character references; the other files write them as "?".
#pragma once

#include <string>
#include <string_view>

namespace zmk {

/// UTF-8 text as Latin-1 bytes; a character outside Latin-1, or a malformed UTF-8 sequence,
/// becomes "?".
std::string Utf8ToLatin1(std::string_view utf8);
/// UTF-8 text as Latin-1 bytes for an HTML page: a character outside Latin-1 becomes its
/// numeric character reference ("&#x65E5;"), so that it survives on a page that declares
/// itself Latin-1; a malformed UTF-8 sequence still becomes "?".
std::string Utf8ToLatin1Html(std::string_view utf8);
/// Latin-1 bytes as UTF-8 text.
std::string Latin1ToUtf8(std::string_view latin1);

} // namespace zmk
