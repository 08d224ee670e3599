#include "base/Account.h"

#include "base/FileIO.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace zmk {
namespace {

TEST(AccountTest, FoundInPasswordFileText)
{
    const std::string text = "root:x:0:0:root:/root:/bin/bash\n"
                             "\n"
                             "broken line without fields\n"
                             "ann:x:1000:1000:Ann Smith,Room 4,,:/home/ann:/bin/bash\n"
                             "bob:x:1001:1001::/home/bob:/bin/sh\n"
                             "nohome:x:1002:1002:No Home::/bin/sh";
    struct Case
    {
        unsigned uid;
        bool found;
        const char* home;
        const char* gecos;
    };
    const Case cases[] = {
        {0, true, "/root", "root"},
        {1000, true, "/home/ann", "Ann Smith,Room 4,,"}, // after a blank and an unreadable line
        {1001, true, "/home/bob", ""},
        {1002, true, "", "No Home"}, // the last line, without its newline
        {4242, false, "", ""},
    };
    for (const Case& c : cases) {
        const std::optional<TAccount> account = AccountFromPasswdText(text, c.uid);
        ASSERT_EQ(account.has_value(), c.found) << c.uid;
        if (!account)
            continue;
        EXPECT_EQ(account->Home, c.home) << c.uid;
        EXPECT_EQ(account->Gecos, c.gecos) << c.uid;
    }
    EXPECT_FALSE(AccountFromPasswdText("", 0));
}

TEST(AccountTest, LocalFileAgreesWithTheNameServices)
{
    // The program linked whole reads the local file alone; for an account listed there, it must
    // find what the name services find.
    const TFileRead read = ReadWholeFile("/etc/passwd", kMaxIniFileSize);
    if (!read)
        GTEST_SKIP() << "no readable /etc/passwd";
    const std::optional<TAccount> local = AccountFromPasswdText(read.Bytes, getuid());
    if (!local)
        GTEST_SKIP() << "this account is not in /etc/passwd";
    const std::optional<TAccount> services = CurrentAccount();
    ASSERT_TRUE(services);
    EXPECT_EQ(local->Home, services->Home);
    EXPECT_EQ(local->Gecos, services->Gecos);
}

} // namespace
} // namespace zmk
