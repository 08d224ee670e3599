// The message as the recipient reads it and as it goes to the SMTP server: the text with the
// sender's block, the MIME structure, header encoding and Base64.
#include "platform/Mail.h"

#include "dialogs/Email.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace zmk {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

void writeFile(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

// The lines of a CR LF text.
std::vector<std::string> crlfLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, p - start));
        start = p + 2;
    }
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

TEST(Mail, MessageTextEndsWithTheSenderBlock)
{
    TMailMessage m;
    m.Body = "First line\nSecond line\r\n";
    m.FromName = "Ann Engineer";
    m.FromCompany = "Coils Ltd";
    m.FromAddress = "ann@coils.example";
    EXPECT_THAT(crlfLines(MessageText(m)),
                ::testing::ElementsAre("First line", "Second line", "", "", "Ann Engineer", "", "Coils Ltd",
                                       "", "ann@coils.example"));
}

TEST(Mail, Base64KnownVectors)
{
    // RFC 4648, section 10.
    const std::pair<const char*, const char*> vectors[] = {{"", ""},
                                                           {"f", "Zg=="},
                                                           {"fo", "Zm8="},
                                                           {"foo", "Zm9v"},
                                                           {"foob", "Zm9vYg=="},
                                                           {"fooba", "Zm9vYmE="},
                                                           {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(Base64Encode(plain), encoded);
        std::string back;
        EXPECT_TRUE(Base64Decode(encoded, back));
        EXPECT_EQ(back, plain);
    }
    // Wrapped lines of 76 characters, each ended by CR LF.
    const std::string wrapped = Base64Encode(std::string(100, 'x'), 76);
    const auto lines = crlfLines(wrapped);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 76u);
    std::string back;
    EXPECT_TRUE(Base64Decode(wrapped, back));
    EXPECT_EQ(back, std::string(100, 'x'));
    EXPECT_FALSE(Base64Decode("Zm9v!", back));
    EXPECT_FALSE(Base64Decode("Zm9vY", back));
}

TEST(Mail, AddressLists)
{
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"a@b.example", {"a@b.example"}},
        {" a@b.example , c@d.example;e@f.example ", {"a@b.example", "c@d.example", "e@f.example"}},
        {"Ann <ann@x.example>, \"Smith, Bob\" <bob@x.example>", {"ann@x.example", "bob@x.example"}},
        {",, ;", {}},
        {"", {}},
    };
    for (const auto& [list, expected] : cases)
        EXPECT_EQ(MailAddresses(list), expected) << list;

    for (const char* good : {"a@b", "first.last+tag@sub.example.com"})
        EXPECT_TRUE(IsMailAddress(good)) << good;
    for (const char* bad : {"", "plain", "@b", "a@", "a b@c", "a@b\r\nRCPT TO:<x@y>", "<a@b>", "a@b,c@d"})
        EXPECT_FALSE(IsMailAddress(bad)) << bad;
}

TEST(Mail, HeadersAreEncodedAndStayOneLine)
{
    EXPECT_EQ(EncodeHeaderText("Report"), "Report");
    // A line break cannot start a second header.
    EXPECT_EQ(EncodeHeaderText("Hi\r\nBcc: spy@x.example"), "Hi  Bcc: spy@x.example");

    const std::string umlaut = "Bericht f\xC3\xBCr M\xC3\xBCller";
    EXPECT_EQ(EncodeHeaderText(umlaut), "=?UTF-8?B?" + Base64Encode(umlaut) + "?=");

    // A long text splits into words of at most 75 characters, never inside a character.
    std::string long_text;
    for (int i = 0; i < 40; ++i)
        long_text += "\xE2\x82\xAC"; // the euro sign, three bytes
    const std::string encoded = EncodeHeaderText(long_text);
    std::string joined;
    std::size_t start = 0;
    while (start < encoded.size()) {
        std::size_t end = encoded.find("\r\n ", start);
        const std::string word =
            encoded.substr(start, end == std::string::npos ? std::string::npos : end - start);
        EXPECT_LE(word.size(), 75u);
        ASSERT_EQ(word.substr(0, 10), "=?UTF-8?B?");
        std::string bytes;
        ASSERT_TRUE(Base64Decode(word.substr(10, word.size() - 12), bytes));
        EXPECT_EQ(bytes.size() % 3, 0u) << "a word holds whole characters";
        joined += bytes;
        start = end == std::string::npos ? encoded.size() : end + 3;
    }
    EXPECT_EQ(joined, long_text);

    EXPECT_EQ(HeaderMailbox("", "a@b.example"), "a@b.example");
    EXPECT_EQ(HeaderMailbox("Ann Engineer", "a@b.example"), "Ann Engineer <a@b.example>");
    EXPECT_EQ(HeaderMailbox("Smith, Bob", "a@b.example"), "\"Smith, Bob\" <a@b.example>");
    EXPECT_EQ(HeaderMailbox("J\xC3\xB6rg", "a@b.example"),
              "=?UTF-8?B?" + Base64Encode("J\xC3\xB6rg") + "?= <a@b.example>");
}

TEST(Mail, ReportMessageAsMime)
{
    testing::TempDir dir;
    const std::string report = (dir / "MainReport.htm").string();
    const std::string logo = (dir / "ReportLogo.gif").string();
    const std::string ga = (dir / "ga.png").string();
    const std::string profile = (dir / "profile.png").string();
    writeFile(report, "<html><body>report</body></html>\r\n");
    writeFile(logo, std::string("GIF89a\x01\x00\x01\x00", 10));
    writeFile(ga, std::string("\x89PNG\r\n\x1a\n\0\0ga", 12));
    // profile.png is missing: it is left out.

    TMailMessage m = ReportMailMessage(report, logo + "," + ga + ", " + profile);
    EXPECT_EQ(m.Subject, "Report");
    EXPECT_EQ(m.Attachments, (std::vector<std::string>{report, logo, ga, profile}));
    m.To = "Bob <bob@x.example>, carol@y.example";
    m.Bcc = "boss@x.example";
    m.FromName = "Ann Engineer";
    m.FromCompany = "Coils Ltd";
    m.FromAddress = "ann@coils.example";

    const TMimeStamp stamp{"=_zmk_test", "Tue, 09 Dec 2025 17:00:00 +0000", "1.2@host"};
    std::vector<std::string> skipped;
    const std::string mime = BuildMimeMessage(m, stamp, &skipped);
    EXPECT_EQ(skipped, (std::vector<std::string>{profile}));
    const std::vector<std::string> lines = crlfLines(mime);

    // The headers, then an empty line.
    const auto blank = std::find(lines.begin(), lines.end(), "");
    const std::vector<std::string> headers(lines.begin(), blank);
    EXPECT_THAT(headers, ::testing::ElementsAre(
                             "Date: Tue, 09 Dec 2025 17:00:00 +0000",
                             "From: Ann Engineer <ann@coils.example>", "To: Bob <bob@x.example>,",
                             " carol@y.example", "Subject: Report", "Message-ID: <1.2@host>",
                             "MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=\"=_zmk_test\""));
    EXPECT_THAT(mime, Not(HasSubstr("boss@x.example"))) << "blind copies travel in the envelope only";

    // The text and HTML alternatives, both holding the message text.
    const std::string text =
        "Please find selection attached...\r\n\r\nTo view, copy all of the attached files "
        "to a temp folder and open MainReport.htm with your standard web browser\r\n\r\n\r\n"
        "Ann Engineer\r\n\r\nCoils Ltd\r\n\r\nann@coils.example\r\n";
    EXPECT_THAT(mime, HasSubstr("Content-Type: multipart/alternative; boundary=\"=_zmk_test-alt\"\r\n"));
    EXPECT_THAT(mime, HasSubstr("--=_zmk_test-alt\r\nContent-Type: text/plain; charset=utf-8\r\n"
                                "Content-Transfer-Encoding: 7bit\r\n\r\n" +
                                text));
    EXPECT_THAT(mime, HasSubstr("--=_zmk_test-alt\r\nContent-Type: text/html; charset=utf-8\r\n"));
    EXPECT_THAT(mime, HasSubstr("Please find selection attached...<br>\r\n<br>\r\nTo view, copy all"));
    EXPECT_THAT(mime, HasSubstr("ann@coils.example<br>\r\n</body></html>\r\n"));

    // The attachments in order, inline, each with its file name as content-id, in Base64.
    std::vector<std::string> ids, dispositions;
    for (const std::string& line : lines) {
        if (line.rfind("Content-ID: ", 0) == 0)
            ids.push_back(line.substr(12));
        if (line.rfind("Content-Disposition: ", 0) == 0)
            dispositions.push_back(line.substr(21));
    }
    EXPECT_THAT(ids, ::testing::ElementsAre("<MainReport.htm>", "<ReportLogo.gif>", "<ga.png>"));
    EXPECT_THAT(dispositions,
                ::testing::ElementsAre("inline; filename=\"MainReport.htm\"",
                                       "inline; filename=\"ReportLogo.gif\"", "inline; filename=\"ga.png\""));
    EXPECT_THAT(mime, HasSubstr("Content-Type: image/gif; name=\"ReportLogo.gif\"\r\n"
                                "Content-Transfer-Encoding: base64\r\n"
                                "Content-Disposition: inline; filename=\"ReportLogo.gif\"\r\n"
                                "Content-ID: <ReportLogo.gif>\r\n\r\n" +
                                Base64Encode(std::string("GIF89a\x01\x00\x01\x00", 10), 76)));
    EXPECT_THAT(mime, HasSubstr("Content-Type: text/html; name=\"MainReport.htm\""));
    EXPECT_EQ(lines.back(), "--=_zmk_test--");
    for (const std::string& line : lines)
        EXPECT_LE(line.size(), 998u);
}

TEST(Mail, TextThatIsNotPlainAsciiTravelsInBase64)
{
    TMailMessage m;
    m.Body = "Temperatur 380 \xC2\xB0"
             "C";
    m.FromAddress = "a@b.example";
    m.Subject = "Bericht f\xC3\xBCr M\xC3\xBCller";
    const std::string mime = BuildMimeMessage(m, {"=_zmk_b", "d", "id@h"});
    EXPECT_THAT(mime, HasSubstr("Subject: =?UTF-8?B?"));
    EXPECT_THAT(
        mime,
        HasSubstr("Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                  Base64Encode(MessageText(m), 76)));
    EXPECT_THAT(mime, HasSubstr("To: undisclosed-recipients:;\r\n"));

    // A body that quotes the boundary cannot end the part early.
    m.Body = "--=_zmk_b--";
    const std::string quoting = BuildMimeMessage(m, {"=_zmk_b", "d", "id@h"});
    std::size_t ends = 0;
    for (std::size_t p = quoting.find("--=_zmk_b--"); p != std::string::npos;
         p = quoting.find("--=_zmk_b--", p + 1))
        ++ends;
    EXPECT_EQ(ends, 1u);

    const TMimeStamp a = NewMimeStamp(), b = NewMimeStamp();
    EXPECT_NE(a.Boundary, b.Boundary);
    EXPECT_NE(a.MessageId, b.MessageId);
    EXPECT_EQ(MailDate(0), "Thu, 01 Jan 1970 00:00:00 +0000");
    EXPECT_EQ(MailDate(1765299600), "Tue, 09 Dec 2025 17:00:00 +0000");
}

TEST(Mail, AttachmentNamesOutsideAscii)
{
    testing::TempDir dir;
    const std::string name = "\xC3\x9C"
                             "bersicht 2.txt"; // "Übersicht 2.txt"
    writeFile(dir / name, "x");
    TMailMessage m;
    m.FromAddress = "a@b.example";
    m.Attachments = {(dir / name).string()};
    const std::string mime = BuildMimeMessage(m, {"=_zmk_n", "d", "id@h"});
    EXPECT_THAT(mime,
                HasSubstr("Content-Type: text/plain; name=\"=?UTF-8?B?" + Base64Encode(name) + "?=\"\r\n"));
    EXPECT_THAT(mime, HasSubstr("Content-Disposition: inline; filename*=UTF-8''%C3%9Cbersicht%202.txt\r\n"));
    EXPECT_THAT(mime, HasSubstr("Content-ID: <%C3%9Cbersicht%202.txt>\r\n"));
    for (char c : mime)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "the message is ASCII throughout";
    EXPECT_EQ(ContentIdOf("ga.png"), "ga.png");
    EXPECT_EQ(ContentIdOf("a<b>.png"), "a%3Cb%3E.png");
}

TEST(Mail, AttachmentTypes)
{
    const std::pair<const char*, const char*> cases[] = {{"MainReport.htm", "text/html"},
                                                         {"profile.PNG", "image/png"},
                                                         {"logo.gif", "image/gif"},
                                                         {"photo.jpeg", "image/jpeg"},
                                                         {"r.pdf", "application/pdf"},
                                                         {"job.zmx", "application/x-zmk-project"},
                                                         {"data.bin", "application/octet-stream"},
                                                         {"noextension", "application/octet-stream"}};
    for (const auto& [name, type] : cases)
        EXPECT_EQ(AttachmentContentType(name), type) << name;
}

} // namespace
} // namespace zmk
