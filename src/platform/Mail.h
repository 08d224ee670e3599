// An e-mail message with attachments, as the e-mail window holds it and as it travels: the text
// the recipient reads (the body followed by the sender's block), and the MIME form sent to an
// SMTP server (multipart/mixed: the text as plain text and as HTML, then each attachment inline
// with a content-id equal to its file name). Headers carry non-ASCII text as RFC 2047 encoded
// words; attachments travel in Base64.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// One message.
struct TMailMessage
{
    std::string To;  ///< recipients, separated by commas (or semicolons)
    std::string Bcc; ///< blind copies, separated the same way
    std::string Subject;
    std::string Body;                     ///< lines separated by LF or CR LF
    std::vector<std::string> Attachments; ///< files, full paths
    std::string FromName;
    std::string FromCompany;
    std::string FromAddress;
};

/// The text the recipient reads: the body, two empty lines, the sender's name, an empty line,
/// the company, an empty line and the address, lines ended by CR LF.
std::string MessageText(const TMailMessage& message);

/// The addresses of a list: split at commas and semicolons, blanks trimmed, empty entries
/// dropped; "Name <a@b>" gives "a@b".
std::vector<std::string> MailAddresses(std::string_view list);
/// Whether an address can go into the SMTP envelope: something@something, without blanks,
/// control characters, quotes, angle brackets, commas or semicolons.
bool IsMailAddress(std::string_view address);

/// Bytes in Base64 (standard alphabet, padded); with a line length, lines of that many
/// characters ended by CR LF (the last one too).
std::string Base64Encode(std::string_view bytes, std::size_t lineLength = 0);
/// Base64 text back to bytes (blanks and line ends ignored); false when it is not Base64.
bool Base64Decode(std::string_view text, std::string& bytes);

/// A header's text: as it stands when it is printable ASCII, else as RFC 2047 "B" encoded
/// words in UTF-8 of at most 75 characters each, separated by a folding line break. Line
/// breaks in the text become blanks, so a header can never carry a second header.
std::string EncodeHeaderText(std::string_view text);
/// A mailbox for a header: "address", or the name (quoted or encoded) then "<address>".
std::string HeaderMailbox(std::string_view name, std::string_view address);

/// The content-id of an attachment: its file name, with any byte a message id cannot hold
/// (blanks, angle brackets, non-ASCII) written as %XX ("ga.png" stays "ga.png").
std::string ContentIdOf(std::string_view fileName);

/// The MIME type of an attachment by its file name's extension; application/octet-stream
/// for the ones not known.
std::string AttachmentContentType(std::string_view fileName);

/// What makes one built message differ from the next.
struct TMimeStamp
{
    std::string Boundary;  ///< the outer boundary; the inner one adds "-alt"
    std::string Date;      ///< the Date header, RFC 5322 form
    std::string MessageId; ///< without angle brackets
};

/// A fresh stamp: a boundary and message id that no message text can contain, and the time
/// now.
TMimeStamp NewMimeStamp();
/// The Date header's text of a time (seconds since 1970, UTC).
std::string MailDate(std::int64_t unixSeconds);

/// The message as sent: headers (Date, From, To, Subject, Message-ID, MIME-Version,
/// Content-Type) and the multipart body, lines ended by CR LF. Blind copies get no header.
/// Attachments that are not readable files are skipped. The names of the skipped ones are
/// added to `skipped` when given.
std::string BuildMimeMessage(const TMailMessage& message, const TMimeStamp& stamp,
                             std::vector<std::string>* skipped = nullptr);

} // namespace zmk
