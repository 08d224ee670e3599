#include "platform/Mail.h"

#include "base/FileIO.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"

#include <nettle/base64.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <unistd.h>

namespace zmk {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kMaxLine = 998; // the longest line SMTP carries, without its CR LF

// The lines of a text split at LF, CR LF or a lone CR; a final line break ends the last line
// rather than starting an empty one.
std::vector<std::string> textLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + kCrLf;
    return text;
}

// Line breaks and tabs as blanks: what a one-line header may hold.
std::string oneLine(std::string_view text)
{
    std::string s(text);
    for (char& c : s)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return s;
}

bool printableAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

struct Mailbox
{
    std::string name;
    std::string address;
};

// The entries of an address list: "a@b", "Name <a@b>", "\"Last, First\" <a@b>". Commas and
// semicolons inside quotes or angle brackets do not split.
std::vector<Mailbox> parseMailboxes(std::string_view list)
{
    std::vector<std::string> entries;
    std::string entry;
    bool quoted = false, angle = false;
    for (char c : list) {
        if (c == '"' && !angle)
            quoted = !quoted;
        else if (c == '<' && !quoted)
            angle = true;
        else if (c == '>' && !quoted)
            angle = false;
        if ((c == ',' || c == ';') && !quoted && !angle) {
            entries.push_back(entry);
            entry.clear();
        } else {
            entry += c;
        }
    }
    entries.push_back(entry);

    std::vector<Mailbox> boxes;
    for (const std::string& raw : entries) {
        const std::string e = Trim(oneLine(raw));
        if (e.empty())
            continue;
        Mailbox box;
        const std::size_t open = e.rfind('<');
        const std::size_t close = e.rfind('>');
        if (open != std::string::npos && close != std::string::npos && close > open) {
            box.address = Trim(e.substr(open + 1, close - open - 1));
            box.name = Trim(e.substr(0, open));
            if (box.name.size() >= 2 && box.name.front() == '"' && box.name.back() == '"')
                box.name = box.name.substr(1, box.name.size() - 2);
        } else {
            box.address = e;
        }
        if (!box.address.empty())
            boxes.push_back(box);
    }
    return boxes;
}

// Splits UTF-8 text into pieces of at most `limit` bytes without cutting a character.
std::vector<std::string> utf8Pieces(std::string_view text, std::size_t limit)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.size(), start + limit);
        if (end < text.size()) {
            std::size_t cut = end;
            // Step back over continuation bytes (10xxxxxx) to the start of a character.
            while (cut > start && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
                --cut;
            if (cut > start)
                end = cut;
        }
        pieces.emplace_back(text.substr(start, end - start));
        start = end;
    }
    return pieces;
}

// "=?UTF-8?B?...?=" words of at most 75 characters: 45 bytes give 60 Base64 characters.
std::string encodedWords(std::string_view text)
{
    std::string out;
    for (const std::string& piece : utf8Pieces(text, 45)) {
        if (!out.empty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + Base64Encode(piece) + "?=";
    }
    return out;
}

// A text as a quoted string: quotes and backslashes escaped.
std::string quotedString(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

bool atextOrBlank(char c)
{
    static const std::string_view specials = "!#$%&'*+-/=?^_`{|}~ ";
    return std::isalnum(static_cast<unsigned char>(c)) || specials.find(c) != std::string_view::npos;
}

// RFC 2231 form of a parameter value: UTF-8 with every byte outside the safe set as %XX.
std::string extendedValue(std::string_view text)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out = "UTF-8''";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '.' || c == '-' || c == '_')
            out += ch;
        else
            out += {'%', hex[c >> 4], hex[c & 15]};
    }
    return out;
}

// A text part: 7bit when it is short-lined ASCII that cannot be taken for a boundary,
// otherwise Base64.
std::string textPart(const std::string& type, const std::string& text, const std::string& boundary)
{
    bool plain = text.find("--" + boundary) == std::string::npos;
    for (const std::string& line : textLines(text))
        plain = plain && line.size() <= kMaxLine && printableAscii(line);
    std::string part = "Content-Type: " + type + "; charset=utf-8\r\n";
    if (plain)
        return part + "Content-Transfer-Encoding: 7bit\r\n\r\n" + joinLines(textLines(text));
    return part + "Content-Transfer-Encoding: base64\r\n\r\n" + Base64Encode(text, 76);
}

std::string messageHtml(const std::string& text)
{
    std::string html = "<html><head><meta charset=\"utf-8\"></head><body>\r\n";
    for (const std::string& line : textLines(text))
        html += HtmlEscape(line) + "<br>\r\n";
    return html + "</body></html>\r\n";
}

// Attachments larger than this are left out of a message: mail servers refuse far less.
constexpr std::uintmax_t kMaxAttachmentBytes = 64u << 20;

bool readFile(const std::string& file, std::string& bytes)
{
    TFileRead read = ReadWholeFile(file, kMaxAttachmentBytes);
    if (!read)
        return false;
    bytes = std::move(read.Bytes);
    return true;
}

std::string randomHex(int digits)
{
    static const char* hex = "0123456789abcdef";
    std::random_device device;
    std::string out;
    for (int i = 0; i < digits; ++i)
        out += hex[device() & 15];
    return out;
}

} // namespace

std::string MessageText(const TMailMessage& message)
{
    std::vector<std::string> lines = textLines(message.Body);
    for (const char* line : {"", ""})
        lines.emplace_back(line);
    lines.push_back(message.FromName);
    lines.emplace_back();
    lines.push_back(message.FromCompany);
    lines.emplace_back();
    lines.push_back(message.FromAddress);
    return joinLines(lines);
}

std::vector<std::string> MailAddresses(std::string_view list)
{
    std::vector<std::string> addresses;
    for (const Mailbox& box : parseMailboxes(list))
        addresses.push_back(box.address);
    return addresses;
}

bool IsMailAddress(std::string_view address)
{
    const std::size_t at = address.rfind('@');
    if (at == std::string_view::npos || at == 0 || at + 1 == address.size())
        return false;
    return std::none_of(address.begin(), address.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c <= 0x20 || c == 0x7F || std::string_view("\"<>,;()[]\\").find(ch) != std::string_view::npos;
    });
}

std::string Base64Encode(std::string_view bytes, std::size_t lineLength)
{
    std::string encoded(BASE64_ENCODE_RAW_LENGTH(bytes.size()), '\0');
    base64_encode_raw(encoded.data(), bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    if (lineLength == 0)
        return encoded;
    std::string wrapped;
    for (std::size_t i = 0; i < encoded.size(); i += lineLength)
        wrapped += encoded.substr(i, lineLength) + kCrLf;
    return wrapped;
}

bool Base64Decode(std::string_view text, std::string& bytes)
{
    base64_decode_ctx ctx;
    base64_decode_init(&ctx);
    bytes.assign(BASE64_DECODE_LENGTH(text.size()), '\0');
    std::size_t length = bytes.size();
    if (!base64_decode_update(&ctx, &length, reinterpret_cast<uint8_t*>(bytes.data()), text.size(),
                              text.data()) ||
        !base64_decode_final(&ctx)) {
        bytes.clear();
        return false;
    }
    bytes.resize(length);
    return true;
}

std::string EncodeHeaderText(std::string_view text)
{
    const std::string line = oneLine(text);
    if (printableAscii(line) && line.find("=?") == std::string::npos && line.size() <= 900)
        return line;
    return encodedWords(line);
}

std::string HeaderMailbox(std::string_view name, std::string_view address)
{
    const std::string box = "<" + oneLine(address) + ">";
    const std::string n = Trim(oneLine(name));
    if (n.empty())
        return oneLine(address);
    if (!printableAscii(n) || n.find("=?") != std::string::npos)
        return encodedWords(n) + " " + box;
    if (std::all_of(n.begin(), n.end(), atextOrBlank))
        return n + " " + box;
    return quotedString(n) + " " + box;
}

std::string ContentIdOf(std::string_view fileName)
{
    static const char* hex = "0123456789ABCDEF";
    static const std::string_view kept = ".-_@!#$&'*+/=?^`{|}~";
    std::string id;
    for (char ch : fileName) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || kept.find(ch) != std::string_view::npos)
            id += ch;
        else
            id += {'%', hex[c >> 4], hex[c & 15]};
    }
    return id;
}

std::string AttachmentContentType(std::string_view fileName)
{
    static const std::array<std::pair<std::string_view, std::string_view>, 13> types{{
        {".htm", "text/html"},
        {".html", "text/html"},
        {".css", "text/css"},
        {".txt", "text/plain"},
        {".png", "image/png"},
        {".gif", "image/gif"},
        {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},
        {".bmp", "image/bmp"},
        {".svg", "image/svg+xml"},
        {".pdf", "application/pdf"},
        {".zmx", "application/x-zmk-project"},
        {".psy", "text/plain"},
    }};
    for (const auto& [extension, type] : types)
        if (EndsWithText(fileName, extension))
            return std::string(type);
    return "application/octet-stream";
}

TMimeStamp NewMimeStamp()
{
    TMimeStamp stamp;
    stamp.Boundary = "=_zmk_" + randomHex(24);
    const auto now = std::chrono::system_clock::now();
    stamp.Date = MailDate(std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count());
    char host[256] = {};
    std::string domain = "localhost";
    if (::gethostname(host, sizeof host - 1) == 0 && host[0] && IsMailAddress(std::string("x@") + host))
        domain = host;
    stamp.MessageId = randomHex(16) + "." + randomHex(8) + "@" + domain;
    return stamp;
}

std::string MailDate(std::int64_t unixSeconds)
{
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    return Format("%s, %2.2d %s %4.4d %2.2d:%2.2d:%2.2d +0000", days[tm.tm_wday], tm.tm_mday,
                  months[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::string BuildMimeMessage(const TMailMessage& message, const TMimeStamp& stamp,
                             std::vector<std::string>* skipped)
{
    const std::string& b = stamp.Boundary;
    const std::string alt = b + "-alt";

    std::string to;
    for (const Mailbox& box : parseMailboxes(message.To))
        to += (to.empty() ? "" : ",\r\n ") + HeaderMailbox(box.name, box.address);
    if (to.empty())
        to = "undisclosed-recipients:;";

    std::string m;
    m += "Date: " + stamp.Date + kCrLf;
    m += "From: " + HeaderMailbox(message.FromName, message.FromAddress) + kCrLf;
    m += "To: " + to + kCrLf;
    m += "Subject: " + EncodeHeaderText(message.Subject) + kCrLf;
    m += "Message-ID: <" + stamp.MessageId + ">" + kCrLf;
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: multipart/mixed; boundary=\"" + b + "\"\r\n";
    m += "\r\nThis is a multi-part message in MIME format.\r\n";

    // The text twice, as alternatives: a reader shows the one it prefers.
    const std::string text = MessageText(message);
    m += "\r\n--" + b + "\r\n";
    m += "Content-Type: multipart/alternative; boundary=\"" + alt + "\"\r\n";
    m += "\r\n--" + alt + "\r\n" + textPart("text/plain", text, b);
    m += "\r\n--" + alt + "\r\n" + textPart("text/html", messageHtml(text), b);
    m += "\r\n--" + alt + "--\r\n";

    for (const std::string& file : message.Attachments) {
        std::string bytes;
        if (!readFile(file, bytes)) {
            if (skipped)
                skipped->push_back(file);
            continue;
        }
        const std::string name = oneLine(std::filesystem::path(file).filename().string());
        const bool asciiName = printableAscii(name) && name.find('"') == std::string::npos;
        const std::string nameParameter = asciiName ? quotedString(name) : "\"" + encodedWords(name) + "\"";
        const std::string fileParameter =
            asciiName ? "filename=" + quotedString(name) : "filename*=" + extendedValue(name);
        const std::string id = ContentIdOf(name);
        m += "\r\n--" + b + "\r\n";
        m += "Content-Type: " + AttachmentContentType(name) + "; name=" + nameParameter + kCrLf;
        m += "Content-Transfer-Encoding: base64\r\n";
        m += "Content-Disposition: inline; " + fileParameter + kCrLf;
        m += "Content-ID: <" + id + ">\r\n\r\n";
        m += Base64Encode(bytes, 76);
    }
    m += "\r\n--" + b + "--\r\n";
    return m;
}

} // namespace zmk
