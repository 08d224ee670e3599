// Conversion between the program's UTF-8 text and the single-byte Latin-1 text of the files
// whose bytes are fixed (INI files, report pages, the chart export).
#pragma once

#include <string>
#include <string_view>

namespace zmk {

/// UTF-8 text as Latin-1 bytes; a character outside Latin-1, or a malformed UTF-8 sequence,
/// becomes "?".
std::string Utf8ToLatin1(std::string_view utf8);
/// Latin-1 bytes as UTF-8 text.
std::string Latin1ToUtf8(std::string_view latin1);

} // namespace zmk
