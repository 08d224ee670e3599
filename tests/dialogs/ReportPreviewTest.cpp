// The report preview's model: the report it shows and the commands that hand the file on.
#include "dialogs/ReportPreview.h"

#include "support/TempDir.h"
#include "support/Zemtor.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zmk {
namespace {

struct FakeLauncher : ILauncher
{
    bool Start(const std::string&, const std::vector<std::string>&) override { return false; }
    bool OpenDocument(const std::string& path) override
    {
        opened.push_back(path);
        return answer;
    }
    std::vector<std::string> opened;
    bool answer = true;
};

TEST(ReportPreview, CommandsHandTheFileOn)
{
    testing::TempDir dir;
    const std::string page = (dir / "MainReport.htm").string();
    std::ofstream(page, std::ios::binary) << "<html><body>Duty</body></html>\r\n";
    FakeLauncher launcher;
    TReportPreview preview(launcher);

    // Nothing loaded: nothing to open.
    EXPECT_FALSE(preview.ViewPageSource());
    EXPECT_FALSE(preview.OpenWithBrowser());
    EXPECT_TRUE(launcher.opened.empty());

    preview.Load(page, (dir / "ReportLogo.gif").string() + "," + (dir / "ga.png").string());
    EXPECT_EQ(preview.Images(),
              (std::vector<std::string>{(dir / "ReportLogo.gif").string(), (dir / "ga.png").string()}));

    // The source goes to the text viewer as a text copy of the page; the browser gets the page.
    EXPECT_TRUE(preview.ViewPageSource());
    EXPECT_TRUE(preview.OpenWithBrowser());
    EXPECT_EQ(launcher.opened, (std::vector<std::string>{page + ".source.txt", page}));
    EXPECT_EQ(test::ReadFileBytes(page + ".source.txt"), test::ReadFileBytes(page));

    const TMailMessage m = preview.EmailMessage();
    EXPECT_EQ(m.Subject, "Report");
    EXPECT_EQ(m.Attachments.size(), 3u);
    EXPECT_EQ(m.Attachments[0], page);

    // A page that has gone is not opened.
    std::filesystem::remove(page);
    EXPECT_FALSE(preview.ViewPageSource());
}

} // namespace
} // namespace zmk
