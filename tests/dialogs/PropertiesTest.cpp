// The properties dialog: what it shows when opened, Accept with and without "Keep as default",
// Cancel, and the "General" page of the current file, hidden when the file is gone.
#include "dialogs/Properties.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace zmk {
namespace {

class PropertiesDialogTest : public ::testing::Test
{
protected:
    testing::TempDir dir;
    TMemorySettingsStore store;
    TProjectProperties properties{store, TRegisteredUser{"Ada Engineer", "Coil Works"}};
    TProperties dialog{properties, store};
};

TEST_F(PropertiesDialogTest, ShowFillsTheFieldsOnTheProjectPage)
{
    properties.Values().ProjectName = "Plant room";
    properties.SetCommentsText("line one\r\nline two");
    dialog.ActivePage = 2;
    dialog.KeepAsDefault = true;
    dialog.Show("");
    EXPECT_EQ(dialog.ActivePage, 0);
    EXPECT_FALSE(dialog.KeepAsDefault);
    EXPECT_EQ(dialog.ProjectName, "Plant room");
    EXPECT_EQ(dialog.Comments, "line one\r\nline two");
    EXPECT_EQ(dialog.Author, "Ada Engineer");
    EXPECT_EQ(dialog.Company, "Coil Works");
    EXPECT_FALSE(dialog.GeneralVisible());
}

TEST_F(PropertiesDialogTest, CancelKeepsWhatWasThereAndAcceptKeepsDefaultsOnlyWhenAsked)
{
    dialog.Show("");
    dialog.ProjectName = "Changed";
    dialog.Cancel();
    EXPECT_EQ(dialog.Result(), TDialogResult::Cancel);
    EXPECT_EQ(properties.Values().ProjectName, "");
    dialog.Show("");
    EXPECT_EQ(dialog.ProjectName, "");

    dialog.ProjectName = "North wing";
    dialog.ProjectNumber = "17";
    dialog.Comments = "a\nb";
    dialog.Date = {2024, 1, 3};
    dialog.Accept();
    EXPECT_EQ(properties.Values().ProjectName, "North wing");
    EXPECT_EQ(properties.Values().Comments, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(properties.Values().Date, (TDate{2024, 1, 3}));
    EXPECT_EQ(store.ReadString(TProjectProperties::kSection, "Name", "none"), "none");
    properties.ResetProperties(); // New: the stored defaults again
    EXPECT_EQ(properties.Values().ProjectName, "");

    dialog.Show("");
    dialog.ProjectName = "South wing";
    dialog.Author = "Bo";
    dialog.KeepAsDefault = true;
    dialog.Date = {2023, 2, 30}; // no such date: the project keeps its own
    const TDate date = properties.Values().Date;
    dialog.Accept();
    EXPECT_EQ(properties.Values().Date, date);
    EXPECT_EQ(store.ReadString(TProjectProperties::kSection, "Name", ""), "South wing");
    EXPECT_EQ(store.ReadString(TProjectProperties::kSection, "Author", ""), "Bo");
    properties.ResetProperties();
    EXPECT_EQ(properties.Values().ProjectName, "South wing");
}

TEST_F(PropertiesDialogTest, GeneralPageShowsTheFileAndHidesWhenItIsGone)
{
    const std::string file = (dir / "job.zmx").string();
    std::ofstream(file) << std::string(2560, 'x');
    dialog.Show(file);
    ASSERT_TRUE(dialog.GeneralVisible());
    const TGeneralPage& page = *dialog.General();
    EXPECT_EQ(page.Path, file);
    EXPECT_EQ(page.FileName, "job.zmx");
    EXPECT_EQ(page.Location, dir.path().string() + "/");
    EXPECT_EQ(page.Size, "2.50 KB (2560 bytes)");
    EXPECT_EQ(page.Modified.size(), 19u);
    EXPECT_EQ(page.Attributes, (std::array<bool, 4>{false, false, false, false}));

    std::filesystem::remove(file);
    dialog.Show(file);
    EXPECT_FALSE(dialog.GeneralVisible());
    dialog.Show((dir / "missing" / "job.zmx").string());
    EXPECT_FALSE(dialog.GeneralVisible());
}

TEST_F(PropertiesDialogTest, LongDateAndWindowPlace)
{
    EXPECT_EQ(LongDateText({2024, 1, 3}), "Wednesday, 3 January 2024");
    EXPECT_EQ(LongDateText({2000, 2, 29}), "Tuesday, 29 February 2000");
    EXPECT_EQ(LongDateText({2023, 2, 29}), "");
    const TWindowPlace place{40, 50, 400, 300};
    dialog.Close(&place);
    TWindowPlace again{0, 0, 200, 100};
    dialog.RestoreWindowPlace(again, {1280, 1024});
    EXPECT_EQ(again.Left, 40);
    EXPECT_EQ(again.Width, 200); // position only
}

} // namespace
} // namespace zmk
