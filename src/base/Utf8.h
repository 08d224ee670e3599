// Counting and cutting UTF-8 text by characters: a character is a byte that does not continue a
// sequence (10xxxxxx), so a malformed text counts each stray byte as a character of its own.
// Widths in the command line's tables, the entry field's caret, the recent-file captions and the
// short strings of the files all count this way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// True for a byte that starts a character (any byte that is not 10xxxxxx).
constexpr bool IsUtf8Start(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

/// Characters of a UTF-8 text.
std::size_t Utf8Length(std::string_view text);

/// Byte offset at which character index `index` starts (the text's size when the text has no
/// more characters).
std::size_t Utf8Offset(std::string_view text, std::size_t index);

/// Byte offsets at which each character starts, in order.
std::vector<std::size_t> Utf8Starts(std::string_view text);

/// The first `maxChars` characters of a text.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxChars);

/// The text cut to at most `maxBytes` bytes without splitting a character.
std::string Utf8CutBytes(std::string text, std::size_t maxBytes);

/// A name as the files keep it: at most 255 bytes, cut at a character boundary.
std::string ShortString(std::string text);

/// The text with blanks added on the right up to `width` characters.
std::string Utf8PadRight(std::string text, std::size_t width);

/// One code point in UTF-8 (one to four bytes).
std::string Utf8Encode(char32_t ch);

} // namespace zmk
