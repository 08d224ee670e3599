// The report folder of the user's own: the installed pictures and style sheets are copied in,
// a copy is replaced only by a newer installed file, and pages are left alone.
#include "platform/ReportFolder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zmk {
namespace {

namespace fs = std::filesystem;

void put(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string bytesOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ReportFolder, CopiesWhatIsNewerAndLeavesPagesAndNewerCopiesAlone)
{
    testing::TempDir dir;
    const fs::path installed = dir / "installed";
    const fs::path mine = dir / "mine";
    put(installed / "style.css", "installed style");
    put(installed / "logo.png", "installed logo");
    put(installed / "main.htm", "installed page");
    put(mine / "logo.png", "my newer logo");
    put(mine / "main.htm", "my page");
    put(mine / "style.css", "my older style");
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(installed / "style.css", now);
    fs::last_write_time(mine / "style.css", now - std::chrono::hours(1));
    fs::last_write_time(installed / "logo.png", now - std::chrono::hours(1));
    fs::last_write_time(mine / "logo.png", now);
    put(installed / "new.gif", "installed picture");
    fs::permissions(installed / "new.gif", fs::perms::owner_read);

    EXPECT_TRUE(CopyReportAssets(installed, mine));
    EXPECT_EQ(bytesOf(mine / "style.css"), "installed style");
    EXPECT_EQ(bytesOf(mine / "logo.png"), "my newer logo");
    EXPECT_EQ(bytesOf(mine / "main.htm"), "my page");
    EXPECT_EQ(bytesOf(mine / "new.gif"), "installed picture");
    // Copied again, nothing changes; a folder that cannot be made is a failure.
    EXPECT_TRUE(CopyReportAssets(installed, mine));
    EXPECT_EQ(bytesOf(mine / "style.css"), "installed style");
    put(dir / "blocker", "a file where a folder should be");
    EXPECT_FALSE(CopyReportAssets(installed, dir / "blocker" / "Report"));
}

} // namespace
} // namespace zmk
