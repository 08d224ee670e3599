// Small text helpers shared by the dialogs and the shell: fields of a separated record
// (location data), a day/month/year date (project properties), a separated list (e-mail
// addresses) and line breaks kept on one line of a settings value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// Field n (1-based) of a text whose fields are separated by separator. The text is trimmed
/// first and the left of the remainder after each field; a text that runs out before field
/// n gives "", except that one ending in a separator gives its last field.
std::string ExtractField(int n, char separator, std::string_view text);

/// A calendar date (proleptic Gregorian).
struct CalendarDate
{
    int year = 1;  ///< 1 to 9999
    int month = 1; ///< 1 to 12
    int day = 1;   ///< 1 to the month's length

    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

/// True when year, month and day make a date between 1 January 1 and 31 December 9999.
bool IsValidDate(int year, int month, int day);

/// The local calendar date of today.
CalendarDate Today();

/// Reads day, month and year, in that order, separated by separator ("25/12/2023" with
/// '/'); any failure (missing part, not a number, no such date) gives today's date.
CalendarDate ParseDate(std::string_view text, char separator);

/// The pieces of a text separated by separator: the text is trimmed, each piece before a
/// separator is taken as it stands and the remainder trimmed again; a non-empty remainder
/// is the last piece.
std::vector<std::string> SplitText(std::string_view text, char separator);

/// Every CR LF pair replaced by the six characters "%13%10" (to keep a multi-line value on
/// one line of a settings file).
std::string EscapeLineBreaks(std::string_view text);

/// Every "%13%10" replaced by CR LF.
std::string UnescapeLineBreaks(std::string_view text);

/// The text with every control character (the C0 controls, line breaks and tabs included,
/// DEL, and the C1 controls U+0080..U+009F) replaced by a blank, so that a value written into
/// a line-based file (an INI file, the chart export, an argument text) stays one line.
std::string OneLineText(std::string_view text);

/// The text as it may be printed on a terminal: every control character (the C0 controls, tabs
/// and line breaks included, DEL, and the C1 controls U+0080..U+009F) removed, and every byte
/// that is not part of a valid UTF-8 character shown as U+FFFD, so that a name read from a data
/// file can neither move the cursor nor start an escape sequence.
std::string PrintableText(std::string_view text);

/// True when the two texts are equal ignoring the case of ASCII letters (maker names, XML
/// element names, material codes).
bool SameText(std::string_view a, std::string_view b);

/// The text with its ASCII letters in lower case (other bytes, UTF-8 included, unchanged).
std::string LowerCase(std::string_view text);
/// The text with its ASCII letters in upper case (other bytes unchanged).
std::string UpperCase(std::string_view text);
/// True when text ends with suffix, ignoring the case of ASCII letters (".PNG" ends ".png").
bool EndsWithText(std::string_view text, std::string_view suffix);

/// The text with <, >, & and " replaced by their HTML entities, for user texts in pages.
std::string HtmlEscape(std::string_view text);

} // namespace zmk
