#include "platform/MailSettings.h"

#include "base/NumText.h"
#include "platform/Mail.h"
#include "platform/RegisteredUser.h"

#include <nettle/cfb.h>
#include <nettle/des.h>
#include <nettle/sha1.h>

#include <array>
#include <charconv>
#include <cstdlib>

namespace zmk {

namespace {

// The cipher starts from a zero IV: the same text always gives the same cipher text, which
// is all a store that only hides its values from a casual look needs.
struct SettingCipher
{
    des_ctx ctx{};

    SettingCipher()
    {
        std::array<uint8_t, SHA1_DIGEST_SIZE> digest{};
        sha1_ctx sha{};
        sha1_init(&sha);
        sha1_update(&sha, kMailSettingsPassPhrase.size(),
                    reinterpret_cast<const uint8_t*>(kMailSettingsPassPhrase.data()));
        sha1_digest(&sha, digest.size(), digest.data());
        // The key is the digest's first eight bytes; DES ignores their parity bits.
        des_set_key(&ctx, digest.data());
    }

    std::string run(std::string_view in, bool encrypt) const
    {
        std::array<uint8_t, DES_BLOCK_SIZE> iv{};
        std::string out(in.size(), '\0');
        auto* dst = reinterpret_cast<uint8_t*>(out.data());
        const auto* src = reinterpret_cast<const uint8_t*>(in.data());
        if (encrypt)
            cfb8_encrypt(&ctx, reinterpret_cast<nettle_cipher_func*>(des_encrypt), DES_BLOCK_SIZE, iv.data(),
                         in.size(), dst, src);
        else
            cfb8_decrypt(&ctx, reinterpret_cast<nettle_cipher_func*>(des_encrypt), DES_BLOCK_SIZE, iv.data(),
                         in.size(), dst, src);
        return out;
    }
};

const SettingCipher& cipher()
{
    static const SettingCipher c;
    return c;
}

// Valid UTF-8 without control characters: what a deciphered setting must be.
bool printableUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = 0;
        if (c < 0x20 || c == 0x7F)
            return false;
        if (c < 0x80)
            extra = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            extra = 1;
        else if ((c & 0xF0) == 0xE0)
            extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= text.size())
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += 1 + extra;
    }
    return true;
}

std::optional<int> wholeNumber(std::string_view text, int low, int high)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

// The keys of section "filtr".
constexpr std::string_view kServer = "prm";
constexpr std::string_view kPort = "npc";
constexpr std::string_view kUserName = "sec";
constexpr std::string_view kPassword = "nsc";
constexpr std::string_view kPopServer = "trt";
constexpr std::string_view kPopPort = "ntc";
constexpr std::string_view kAuthentication = "knd";
constexpr std::string_view kAllowPlainPassword = "clr";

} // namespace

std::string EncipherSetting(std::string_view plain)
{
    return Base64Encode(cipher().run(plain, true));
}

std::optional<std::string> DecipherSetting(std::string_view stored)
{
    std::string bytes;
    if (!Base64Decode(stored, bytes))
        return std::nullopt;
    std::string plain = cipher().run(bytes, false);
    if (!printableUtf8(plain))
        return std::nullopt;
    return plain;
}

std::string DefaultMailAddress()
{
    const char* email = std::getenv("EMAIL");
    return email && IsMailAddress(email) ? std::string(email) : std::string();
}

TMailSender ReadMailSender(const ISettingsStore& common, const TRegisteredUser& user,
                           std::string_view defaultAddress)
{
    TMailSender sender;
    sender.Name = common.ReadString(kMailUserSection, "Name", user.Owner);
    sender.Company = common.ReadString(kMailUserSection, "Company", user.Organization);
    sender.Address = common.ReadString(kMailUserSection, "EMail", defaultAddress);
    sender.Protocol = common.ReadInteger(kMailUserSection, "Protocol", 0) == 1 ? TMailProtocol::Smtp
                                                                               : TMailProtocol::MailClient;
    return sender;
}

void WriteMailSender(ISettingsStore& common, const TMailSender& sender)
{
    common.WriteString(kMailUserSection, "Name", sender.Name);
    common.WriteString(kMailUserSection, "Company", sender.Company);
    common.WriteString(kMailUserSection, "EMail", sender.Address);
    common.WriteInteger(kMailUserSection, "Protocol", static_cast<int>(sender.Protocol));
}

TSmtpSettingsRead ReadSmtpSettings(const ISettingsStore& common)
{
    TSmtpSettingsRead read;
    TSmtpSettings& s = read.Settings;
    const auto text = [&](std::string_view key, std::string& value) {
        if (const auto stored = common.ReadValue(kMailServerSection, key)) {
            if (const auto plain = DecipherSetting(*stored))
                value = *plain;
            else
                read.Ok = false;
        }
    };
    const auto number = [&](std::string_view key, int low, int high, int& value) {
        std::string t;
        if (!common.ReadValue(kMailServerSection, key))
            return;
        text(key, t);
        if (const auto n = wholeNumber(t, low, high))
            value = *n;
        else
            read.Ok = false;
    };
    text(kServer, s.Server);
    number(kPort, 1, 65535, s.Port);
    text(kUserName, s.UserName);
    text(kPassword, s.Password);
    text(kPopServer, s.PopServer);
    number(kPopPort, 1, 65535, s.PopPort);
    int authentication = 0;
    number(kAuthentication, 0, 2, authentication);
    s.Authentication = static_cast<TMailAuthentication>(authentication);
    int allowPlain = 0;
    number(kAllowPlainPassword, 0, 1, allowPlain);
    s.AllowPlainPassword = allowPlain == 1;
    if (!read.Ok)
        s = TSmtpSettings{};
    return read;
}

void WriteSmtpSettings(ISettingsStore& common, const TSmtpSettings& s)
{
    const auto put = [&](std::string_view key, std::string_view value) {
        common.WriteString(kMailServerSection, key, EncipherSetting(value));
    };
    put(kServer, Trim(s.Server));
    put(kPort, std::to_string(s.Port));
    put(kUserName, s.UserName);
    put(kPassword, s.Password);
    put(kPopServer, Trim(s.PopServer));
    put(kPopPort, std::to_string(s.PopPort));
    put(kAuthentication, std::to_string(static_cast<int>(s.Authentication)));
    put(kAllowPlainPassword, s.AllowPlainPassword ? "1" : "0");
}

bool SaveMailSettingsFile(ISettingsStore& common)
{
    auto* file = dynamic_cast<TIniSettingsStore*>(&common);
    if (!file)
        return common.Flush();
    // The file becomes its owner's alone before anything secret reaches it (a new file is made
    // so). A settings file that could not be read (a named pipe, a folder, too large) is left
    // as it is, its mode too: the settings are then not stored.
    file->SetOwnerOnly();
    return file->Flush() && file->ReadProblem().empty();
}

} // namespace zmk
