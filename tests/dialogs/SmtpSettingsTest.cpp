// The "SMTP Settings:" window's model: which fields each authentication enables, the port
// fields, and the values read at creation and written, enciphered, at close.
#include "dialogs/SmtpSettings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zmk {
namespace {

TEST(SmtpSettings, EnablingFollowsTheAuthentication)
{
    TMemorySettingsStore common;
    TSmtpSettingsForm form(common);
    EXPECT_EQ(TSmtpSettingsForm::AuthenticationCaptions(),
              (std::vector<std::string>{"No authentication", "SMTP authentication",
                                        "POP-before-SMTP authentication"}));
    struct Case
    {
        int index;
        bool user, pop;
    };
    for (const Case c : {Case{0, false, false}, Case{1, true, false}, Case{2, true, true}}) {
        form.SetAuthenticationIndex(c.index);
        EXPECT_EQ(form.AuthenticationIndex(), c.index);
        EXPECT_EQ(form.UserNameEnabled(), c.user) << c.index;
        EXPECT_EQ(form.PasswordEnabled(), c.user) << c.index;
        EXPECT_EQ(form.PopServerEnabled(), c.pop) << c.index;
        EXPECT_EQ(form.PopPortEnabled(), c.pop) << c.index;
        EXPECT_EQ(form.AllowPlainPasswordEnabled(), c.user) << c.index;
    }
    form.SetAuthenticationIndex(3);
    form.SetAuthenticationIndex(-1);
    EXPECT_EQ(form.AuthenticationIndex(), 2);
    EXPECT_THAT(kSmtpSettingsNote, ::testing::HasSubstr("casual look"));
    EXPECT_STREQ(kAllowPlainPasswordCaption, "Allow password without encryption");
    EXPECT_THAT(kAllowPlainPasswordNote, ::testing::HasSubstr("only over an encrypted connection"));
    EXPECT_THAT(kAllowPlainPasswordNote, ::testing::HasSubstr("a server that offers none is refused"));
}

TEST(SmtpSettings, PortFields)
{
    TMemorySettingsStore common;
    TSmtpSettingsForm form(common);
    EXPECT_EQ(form.PortText(), "25");
    EXPECT_EQ(form.PopPortText(), "110");
    for (const char* bad : {"", "0", "65536", "25a", "-1", "2.5", "abc"}) {
        EXPECT_FALSE(form.SetPortText(bad)) << bad;
        EXPECT_FALSE(form.SetPopPortText(bad)) << bad;
    }
    EXPECT_EQ(form.Values.Port, 25);
    EXPECT_TRUE(form.SetPortText(" 587 "));
    EXPECT_TRUE(form.SetPopPortText("65535"));
    EXPECT_EQ(form.Values.Port, 587);
    EXPECT_EQ(form.Values.PopPort, 65535);
}

TEST(SmtpSettings, ReadWhenMadeWrittenWhenClosed)
{
    TMemorySettingsStore common;
    {
        TSmtpSettingsForm form(common);
        EXPECT_TRUE(form.ReadOk());
        form.Values.Server = "smtp.example.com";
        form.Values.UserName = "ann";
        form.Values.Password = "secret";
        form.SetAuthenticationIndex(1);
        EXPECT_FALSE(form.Values.AllowPlainPassword) << "off unless the user ticks it";
        form.Values.AllowPlainPassword = true;
        EXPECT_TRUE(common.ValueNames("filtr").empty()) << "nothing is written before the window closes";
        EXPECT_TRUE(form.Close());
    }
    EXPECT_EQ(*common.ReadValue("filtr", "nsc"), EncipherSetting("secret"));
    TSmtpSettingsForm again(common);
    EXPECT_EQ(again.Values.Server, "smtp.example.com");
    EXPECT_EQ(again.AuthenticationIndex(), 1);
    EXPECT_TRUE(again.Values.AllowPlainPassword);

    // One value that does not read: the window shows every default.
    common.WriteString("filtr", "npc", "garbage");
    TSmtpSettingsForm spoilt(common);
    EXPECT_FALSE(spoilt.ReadOk());
    EXPECT_EQ(spoilt.Values, TSmtpSettings{});
}

} // namespace
} // namespace zmk
