// Which addresses the page views show, send to the desktop or refuse, and which resources a page
// may load: the rules the window's web views and the PDF printer apply.
#include "reports/PageAccess.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

namespace zmk {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

using C = TNavigationCause;
using D = TNavigationDecision;

class PageAccessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(dir / "Report" / "sub");
        fs::create_directories(dir / "Help" / "Images");
        fs::create_directories(dir / "ReportOther");
        for (const char* name : {"Report/ScreenReport.htm", "Report/sub/x.htm", "Help/index.htm",
                                 "ReportOther/x.htm", "outside.htm"})
            std::ofstream(dir / name) << "<html></html>";
        fs::create_symlink(dir / "outside.htm", dir / "Report" / "link.htm");
        // The folders become the view's own as the program opens pages in them.
        own.AddPageFile(dir / "Report" / "ScreenReport.htm");
        own.AddFolder((dir / "Help").string() + "/");
    }

    TPageAddress file(const std::string& relative) const { return {"file", dir / relative}; }

    TempDir dir;
    TPageFolders own;
};

TEST_F(PageAccessTest, OwnPagesShowAndEverythingElseIsKeptOut)
{
    const struct
    {
        TPageAddress address;
        C cause;
        D decision;
        const char* why;
    } cases[] = {
        // Whatever the program loads itself, it shows.
        {file("outside.htm"), C::Program, D::Show, "the program's own load"},
        {{"data", ""}, C::Program, D::Show, "the page source shown as text"},
        // Our own pages, whoever asks, in any subfolder, in any case of the scheme.
        {file("Report/ScreenReport.htm"), C::LinkClicked, D::Show, "a link between our pages"},
        {file("Report/sub/x.htm"), C::Page, D::Show, "a frame of our own page"},
        {file("Help/index.htm"), C::LinkClicked, D::Show, "the help folder"},
        {{"FILE", dir / "Help" / "index.htm"}, C::LinkClicked, D::Show, "the scheme in capitals"},
        // Web sites and mail: to the desktop when clicked, refused when the page asks.
        {{"https", ""}, C::LinkClicked, D::OpenOutside, "a clicked web link"},
        {{"HTTP", ""}, C::LinkClicked, D::OpenOutside, "a clicked web link, capitals"},
        {{"mailto", ""}, C::LinkClicked, D::OpenOutside, "a clicked mail link"},
        {{"https", ""}, C::Page, D::Refuse, "a refresh or frame to a web site"},
        {{"mailto", ""}, C::Page, D::Refuse, "a page opening mail by itself"},
        // Local files elsewhere, whatever the route.
        {file("outside.htm"), C::LinkClicked, D::Refuse, "a clicked link to a file elsewhere"},
        {file("outside.htm"), C::Page, D::Refuse, "a frame of a file elsewhere"},
        {{"file", "/etc/hostname"}, C::Page, D::Refuse, "a frame of a system file"},
        {file("Report/../outside.htm"), C::LinkClicked, D::Refuse, "out of the folder by .."},
        {file("Report/link.htm"), C::LinkClicked, D::Refuse, "out of the folder by a link"},
        {file("ReportOther/x.htm"), C::LinkClicked, D::Refuse, "a folder that only starts alike"},
        {file("Report"), C::LinkClicked, D::Refuse, "the folder's own listing"},
        {file("Report/"), C::Page, D::Refuse, "the folder's own listing, with a slash"},
        {{"file", "//server/share/x.htm"}, C::LinkClicked, D::Refuse, "a file on another host"},
        {{"file", "Report/ScreenReport.htm"}, C::LinkClicked, D::Refuse, "a relative path"},
        // Other schemes never leave the view, clicked or not.
        {{"javascript", ""}, C::LinkClicked, D::Refuse, "script"},
        {{"data", ""}, C::LinkClicked, D::Refuse, "an inline page"},
        {{"ftp", ""}, C::LinkClicked, D::Refuse, "another protocol"},
        {{"smb", ""}, C::LinkClicked, D::Refuse, "another protocol"},
        {{"about", ""}, C::Page, D::Refuse, "an empty frame"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideNavigation(c.address, c.cause, own), c.decision)
            << c.why << ": " << c.address.Scheme << " " << c.address.LocalFile;
}

TEST_F(PageAccessTest, FoldersAreAddedOnceAndOnlyAbsolute)
{
    own.AddPageFile(dir / "Report" / "MainReport.htm");
    own.AddFolder(dir / "Report");
    own.AddPageFile("relative.htm");
    own.AddFolder("relative");
    ASSERT_EQ(own.Folders().size(), 2u);
    EXPECT_EQ(own.Folders()[0], fs::canonical(dir / "Report"));
    EXPECT_TRUE(own.Holds(dir / "Report" / "not-yet-written.htm"));
    EXPECT_FALSE(TPageFolders().Holds(dir / "Report" / "ScreenReport.htm")) << "no folder, no page";
}

TEST_F(PageAccessTest, ResourcesComeFromRegularLocalFilesAndInlineDataOnly)
{
    ASSERT_EQ(::mkfifo((dir / "Report" / "pipe.png").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "Report" / "zero.css");
    const struct
    {
        TPageAddress address;
        bool allowed;
    } cases[] = {
        {file("Report/ScreenReport.htm"), true},
        {{"FILE", dir / "outside.htm"}, true}, // a picture of the help folder, say
        {file("Report/link.htm"), true},       // a link to a regular file
        {{"data", ""}, true},
        {{"qrc", ""}, true},
        {file("Report/missing.png"), false},
        {file("Report"), false},
        {file("Report/pipe.png"), false},
        {file("Report/zero.css"), false},
        {{"file", "/dev/zero"}, false},
        {{"file", "Report/ScreenReport.htm"}, false}, // not absolute
        {{"http", ""}, false},
        {{"https", ""}, false},
        {{"HTTPS", ""}, false},
        {{"ws", ""}, false},
        {{"ftp", ""}, false},
        {{"", ""}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MayLoadPageResource(c.address), c.allowed)
            << c.address.Scheme << " " << c.address.LocalFile;
}

} // namespace
} // namespace zmk
