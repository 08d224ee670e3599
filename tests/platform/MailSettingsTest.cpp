// The stored mail settings: the cipher of the server values, reading with its all-or-nothing
// defaults, the sender's values, and the owner-only settings file.
#include "platform/MailSettings.h"

#include "app/ProjectProperties.h"
#include "support/TempDir.h"
#include "support/Zemtor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zmk {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(MailSettings, CipherKnownValues)
{
    // Computed independently with OpenSSL: des-cfb8, key = the first 8 bytes of SHA-1 of the
    // pass phrase (96c42d6c2fd403fd), IV 0000000000000000, output in Base64.
    EXPECT_EQ(EncipherSetting("smtp.example.com"), "+xW51j5jrAOXbB4NvrqA1Q==");
    EXPECT_EQ(EncipherSetting("25"), "uss=");
    EXPECT_EQ(EncipherSetting("secret pass"), "+x0PLYW568X3Qf8=");
    EXPECT_EQ(DecipherSetting("+xW51j5jrAOXbB4NvrqA1Q=="), "smtp.example.com");
}

TEST(MailSettings, CipherRoundTrip)
{
    for (const std::string& plain : {std::string(), std::string("a"), std::string("secret pass"),
                                     std::string("J\xC3\xB6rg M\xC3\xBCller"), std::string(200, 'x') + "!"}) {
        const std::string stored = EncipherSetting(plain);
        EXPECT_EQ(DecipherSetting(stored), plain);
        if (plain.size() > 3) {
            EXPECT_THAT(stored, Not(HasSubstr(plain.substr(0, 3))));
        }
    }
    // Text that is not Base64, and cipher text of something that is no setting's text.
    EXPECT_EQ(DecipherSetting("not base64!"), std::nullopt);
    EXPECT_EQ(DecipherSetting(EncipherSetting(std::string("\x01\x02x", 3))), std::nullopt);
    EXPECT_EQ(DecipherSetting(EncipherSetting("\xC3")), std::nullopt) << "a cut UTF-8 character";
}

TEST(MailSettings, ServerSettingsAreStoredEnciphered)
{
    TMemorySettingsStore store;
    TSmtpSettings s;
    s.Server = "smtp.example.com";
    s.Port = 587;
    s.UserName = "ann";
    s.Password = "p@ss w0rd";
    s.PopServer = "pop.example.com";
    s.PopPort = 995;
    s.Authentication = TMailAuthentication::PopBeforeSmtp;
    s.AllowPlainPassword = true;
    WriteSmtpSettings(store, s);
    for (const std::string& name : store.ValueNames(kMailServerSection)) {
        const std::string text = *store.ReadValue(kMailServerSection, name);
        EXPECT_THAT(text, Not(HasSubstr("example"))) << name;
        EXPECT_THAT(text, Not(HasSubstr("p@ss"))) << name;
        EXPECT_NE(text, "587");
    }
    EXPECT_THAT(store.ValueNames(kMailServerSection),
                ::testing::ElementsAre("prm", "npc", "sec", "nsc", "trt", "ntc", "knd", "clr"));
    EXPECT_EQ(*store.ReadValue(kMailServerSection, "knd"), EncipherSetting("2"));
    EXPECT_EQ(*store.ReadValue(kMailServerSection, "clr"), EncipherSetting("1"));
    const TSmtpSettingsRead read = ReadSmtpSettings(store);
    EXPECT_TRUE(read.Ok);
    EXPECT_EQ(read.Settings, s);

    // The password's permission to go unencrypted is off unless stored on: settings written
    // before it existed read with it off.
    s.AllowPlainPassword = false;
    WriteSmtpSettings(store, s);
    EXPECT_EQ(*store.ReadValue(kMailServerSection, "clr"), EncipherSetting("0"));
    EXPECT_FALSE(ReadSmtpSettings(store).Settings.AllowPlainPassword);
    TMemorySettingsStore older;
    for (const std::string& name : store.ValueNames(kMailServerSection))
        if (name != "clr")
            older.WriteValue(kMailServerSection, name, *store.ReadValue(kMailServerSection, name));
    ASSERT_TRUE(ReadSmtpSettings(older).Ok);
    EXPECT_EQ(ReadSmtpSettings(older).Settings, s);
}

TEST(MailSettings, AnyUnreadableValueGivesAllDefaults)
{
    TSmtpSettings s;
    s.Server = "smtp.example.com";
    s.Port = 2525;
    s.UserName = "ann";
    // Missing values are their defaults, and reading still succeeds.
    {
        TMemorySettingsStore empty;
        EXPECT_TRUE(ReadSmtpSettings(empty).Ok);
        EXPECT_EQ(ReadSmtpSettings(empty).Settings, TSmtpSettings{});
        TMemorySettingsStore partial;
        partial.WriteString(kMailServerSection, "prm", EncipherSetting("mail.example"));
        EXPECT_EQ(ReadSmtpSettings(partial).Settings.Server, "mail.example");
        EXPECT_EQ(ReadSmtpSettings(partial).Settings.Port, 25);
    }
    const std::pair<const char*, std::string> spoilt[] = {
        {"prm", "%%%"},                    // not Base64
        {"sec", "plain text"},             // written by hand, not enciphered
        {"npc", EncipherSetting("99999")}, // a port out of range
        {"npc", EncipherSetting("25x")},
        {"ntc", EncipherSetting("0")},
        {"knd", EncipherSetting("3")}, // no such authentication
        {"knd", EncipherSetting("")},
        {"clr", EncipherSetting("2")}, // neither off nor on
        {"clr", "1"},                  // written by hand, not enciphered
    };
    for (const auto& [key, text] : spoilt) {
        TMemorySettingsStore store;
        WriteSmtpSettings(store, s);
        store.WriteString(kMailServerSection, key, text);
        const TSmtpSettingsRead read = ReadSmtpSettings(store);
        EXPECT_FALSE(read.Ok) << key << " = " << text;
        EXPECT_EQ(read.Settings, TSmtpSettings{}) << key << " = " << text;
    }
}

TEST(MailSettings, TheSender)
{
    const TRegisteredUser user{"Ann Engineer", "Coils Ltd"};
    TMemorySettingsStore store;
    TMailSender sender = ReadMailSender(store, user, "ann@coils.example");
    EXPECT_EQ(sender,
              (TMailSender{"Ann Engineer", "Coils Ltd", "ann@coils.example", TMailProtocol::MailClient}));

    sender = {"Bob", "Heat Co", "bob@heat.example", TMailProtocol::Smtp};
    WriteMailSender(store, sender);
    EXPECT_EQ(*store.ReadValue("User", "Protocol"), "1");
    EXPECT_EQ(*store.ReadValue("User", "EMail"), "bob@heat.example");
    EXPECT_EQ(ReadMailSender(store, user, ""), sender);
    for (const char* protocol : {"7", "-1", "smtp"}) {
        store.WriteString("User", "Protocol", protocol);
        EXPECT_EQ(ReadMailSender(store, user, "").Protocol, TMailProtocol::MailClient) << protocol;
    }
}

TEST(MailSettings, TheFileIsReadableByItsOwnerOnly)
{
    testing::TempDir dir;
    const auto file = dir / "Quorvane" / "Common.ini";
    std::filesystem::create_directories(file.parent_path());
    {
        std::ofstream(file) << "[Barometer]\r\nUnits=0\r\n";
        ::chmod(file.c_str(), 0644);
    }
    TSmtpSettings s;
    s.Server = "smtp.example.com";
    s.Password = "hunter2";
    {
        TIniSettingsStore store(file);
        WriteSmtpSettings(store, s);
        ASSERT_TRUE(SaveMailSettingsFile(store));
        struct stat st
        {
        };
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    const std::string bytes = test::ReadFileBytes(file);
    EXPECT_THAT(bytes, HasSubstr("[Barometer]"));
    EXPECT_THAT(bytes, HasSubstr("[filtr]"));
    EXPECT_THAT(bytes, Not(HasSubstr("hunter2")));
    TIniSettingsStore again(file);
    EXPECT_EQ(ReadSmtpSettings(again).Settings, s);

    // A settings file that does not exist yet is made owner-only from the start.
    const auto fresh = dir / "new" / "Common.ini";
    TIniSettingsStore store(fresh);
    WriteSmtpSettings(store, s);
    ASSERT_TRUE(SaveMailSettingsFile(store));
    struct stat st
    {
    };
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(MailSettings, ASettingsFileThatIsNoFileIsNeitherWaitedOnNorChanged)
{
    namespace fs = std::filesystem;
    testing::TempDir dir;
    const fs::path pipe = dir / "pipe" / "Common.ini";
    const fs::path big = dir / "big" / "Common.ini";
    fs::create_directories(pipe.parent_path());
    fs::create_directories(big.parent_path());
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    std::ofstream(big) << "[Barometer]\r\n";
    fs::resize_file(big, 9 * 1024 * 1024);
    ::chmod(big.c_str(), 0644);
    TSmtpSettings s;
    s.Server = "smtp.example.com";
    s.Password = "hunter2";
    for (const fs::path& file : {pipe, big}) {
        // In a child with a watchdog: opening the pipe to write would wait for a reader forever.
        const pid_t child = ::fork();
        if (child == 0) {
            TIniSettingsStore store(file);
            WriteSmtpSettings(store, s);
            WriteMailSender(store, TMailSender{"Ann", "", "ann@example.com", TMailProtocol::Smtp});
            ::_exit(SaveMailSettingsFile(store) ? 1 : 0);
        }
        int status = -1;
        for (int waited = 0; waited < 500 && ::waitpid(child, &status, WNOHANG) == 0; ++waited)
            ::usleep(10000);
        if (::waitpid(child, &status, WNOHANG) == 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            ADD_FAILURE() << "saving the mail settings waited on " << file;
            continue;
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "saved into " << file;
        EXPECT_EQ(fs::status(file).permissions() & fs::perms::mask,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                      fs::perms::others_read)
            << file;
    }
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(fs::file_size(big), 9u * 1024 * 1024);
}

} // namespace
} // namespace zmk
