// The place picker: lists, selections and what they remember, the "+All" database, regions of
// code 0, the details and status texts, and a database or an index that is not installed.
#include "dialogs/SelectLocation.h"

#include "support/LocationTestData.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zmk {
namespace {

using loctest::LocationFolder;
using Strings = std::vector<std::string>;

class SelectLocationTest : public ::testing::Test
{
protected:
    int IndexOf(const Strings& list, const std::string& text)
    {
        const auto it = std::find(list.begin(), list.end(), text);
        EXPECT_NE(it, list.end()) << text;
        return static_cast<int>(it - list.begin());
    }
    void Choose(const std::string& database, const std::string& region)
    {
        picker.SelectDatabase(IndexOf(picker.Databases(), database));
        picker.SelectRegion(IndexOf(picker.Regions(), region));
    }
    std::string SelectedPlace() const
    {
        return picker.PlaceIndex() < 0 ? "" : picker.Places()[static_cast<std::size_t>(picker.PlaceIndex())];
    }

    LocationFolder data;
    TMemorySettingsStore settings;
    RecordingNotifier notes;
    TSelectLocation picker{settings, data.Folder(), &notes};
};

TEST_F(SelectLocationTest, FirstShowSelectsTheFirstOfEachSortedList)
{
    picker.Show();
    EXPECT_EQ(picker.Databases(), (Strings{"+All", "Africa", "Asia", "Europe"}));
    EXPECT_EQ(picker.DatabaseIndex(), 0);
    // "+All": the regions are the databases, and a region lists the places of that database.
    EXPECT_EQ(picker.Regions(), (Strings{"Africa", "Asia", "Europe"}));
    EXPECT_EQ(picker.Places(),
              (Strings{"Cape Town", "Johannesburg OR Tambo Intl", "Nairobi", "Pretoria", "Somewhere"}));
    EXPECT_EQ(picker.PlaceIndex(), 0);
    EXPECT_EQ(picker.PlaceRecordNumber(0), 3);
    EXPECT_EQ(picker.StatusPanels()[0], "Record 4 of 7"); // of the whole "+All" file
    EXPECT_EQ(picker.LocationName(), "Cape Town, South Africa");
    EXPECT_TRUE(picker.CanAccept());
    EXPECT_TRUE(notes.messages.empty());
}

TEST_F(SelectLocationTest, RegionsFilterPlacesAndNameTheLocation)
{
    picker.Show();
    const struct
    {
        const char* database;
        const char* region;
        Strings places;
        const char* place;    // clicked
        const char* location; // its location name
        const char* record;   // status panel 1
    } cases[] = {
        // "+All" filters by database code; the name carries the database, or the record's region.
        {"+All", "Europe", {"Oslo Gardermoen", "Zürich"}, "Zürich", "Zürich, Switzerland", "Record 6 of 7"},
        {"+All", "Africa", {}, "Somewhere", "Somewhere, Africa", "Record 5 of 7"},
        // A database filters by region code; code 0 lists every place of the database.
        {"Africa", "Kenya", {"Nairobi"}, "Nairobi", "Nairobi, Kenya", "Record 2 of 5"},
        {"Africa",
         "South Africa",
         {"Cape Town", "Johannesburg OR Tambo Intl", "Pretoria"},
         "Pretoria",
         "Pretoria, South Africa",
         "Record 3 of 5"},
        {"Africa",
         "(All countries)",
         {"Cape Town", "Johannesburg OR Tambo Intl", "Nairobi", "Pretoria", "Somewhere"},
         "Nairobi",
         "Nairobi, Kenya",
         "Record 2 of 5"},
        {"Africa", "(All countries)", {}, "Somewhere", "Somewhere, Africa", "Record 5 of 5"},
        {"Europe",
         "Norway",
         {"Oslo Gardermoen"},
         "Oslo Gardermoen",
         "Oslo Gardermoen, Norway",
         "Record 2 of 2"},
    };
    for (const auto& c : cases) {
        Choose(c.database, c.region);
        if (!c.places.empty()) {
            EXPECT_EQ(picker.Places(), c.places) << c.database << "/" << c.region;
        }
        picker.SelectPlace(IndexOf(picker.Places(), c.place));
        EXPECT_EQ(picker.LocationName(), c.location);
        EXPECT_EQ(picker.StatusPanels()[0], c.record) << c.location;
        EXPECT_EQ(picker.StatusPanels()[1], c.location);
        ASSERT_TRUE(picker.PickedRecord());
        EXPECT_EQ(picker.PickedRecord()->Name, c.place);
    }
    EXPECT_TRUE(notes.messages.empty());
}

TEST_F(SelectLocationTest, DetailsOfTheSelectedPlace)
{
    picker.Show();
    Choose("Africa", "South Africa");
    picker.SelectPlace(IndexOf(picker.Places(), "Pretoria"));
    const auto& rows = picker.Details();
    EXPECT_EQ(rows[0], (std::pair<std::string, std::string>{"Latitude", "25.75S"}));
    EXPECT_EQ(rows[1].second, "28.19E");
    EXPECT_EQ(rows[4].second, "29.5/17.2 °C");
    // Our data has no design values: "n/a", never a made-up number.
    picker.SelectPlace(IndexOf(picker.Places(), "Johannesburg OR Tambo Intl"));
    EXPECT_EQ(rows[3].second, "1694 m");
    EXPECT_EQ(rows[4].second, "n/a");
    EXPECT_EQ(rows[9], (std::pair<std::string, std::string>{"DB Range", "n/a"}));
    // Out-of-range clicks change nothing.
    picker.SelectPlace(99);
    picker.SelectPlace(-1);
    EXPECT_EQ(picker.PickedRecord()->Name, "Johannesburg OR Tambo Intl");
}

TEST_F(SelectLocationTest, RemembersItsSelectionsAcrossShowsAndRuns)
{
    picker.Show();
    Choose("Europe", "Switzerland");
    picker.SelectPlace(0);
    EXPECT_TRUE(picker.Accept());
    EXPECT_EQ(picker.Result(), TPickerResult::Ok);
    TWindowPlace place{40, 50, 300, 200, true, 0};
    picker.Close(&place);
    EXPECT_EQ(settings.ReadString("SelectLocationForm", "Database", ""), "Europe");
    EXPECT_EQ(settings.ReadString("SelectLocationForm", "Region", ""), "Switzerland");
    EXPECT_EQ(settings.ReadString("SelectLocationForm", "Place", ""), "Zürich");
    EXPECT_EQ(settings.ReadInteger("SelectLocationForm", "Left", 0), 40);
    // The result outlives the closing; the lists do not.
    EXPECT_EQ(picker.LocationName(), "Zürich, Switzerland");
    EXPECT_TRUE(picker.Places().empty());

    // A later run restores position only, and the three selections.
    TSelectLocation next(settings, data.Folder(), &notes);
    TWindowPlace restored{0, 0, 640, 480, false, 0};
    next.RestoreWindowPlace(restored, {1920, 1080});
    EXPECT_EQ(restored.Left, 40);
    EXPECT_EQ(restored.Width, 640);
    next.Show();
    EXPECT_EQ(next.Databases()[static_cast<std::size_t>(next.DatabaseIndex())], "Europe");
    EXPECT_EQ(next.Regions()[static_cast<std::size_t>(next.RegionIndex())], "Switzerland");
    EXPECT_EQ(next.LocationName(), "Zürich, Switzerland");

    // Preset asks for a place and region by location name; what is not there falls to the first.
    next.Close();
    next.Preset("Oslo Gardermoen, Norway");
    next.Show();
    EXPECT_EQ(next.LocationName(), "Oslo Gardermoen, Norway");
    next.Close();
    next.Preset("Atlantis, Nowhere");
    next.Show();
    EXPECT_EQ(next.Regions()[static_cast<std::size_t>(next.RegionIndex())], "Norway"); // first, sorted
    EXPECT_EQ(next.LocationName(), "Oslo Gardermoen, Norway");
    next.Cancel();
    EXPECT_EQ(next.Result(), TPickerResult::Cancel);
}

TEST_F(SelectLocationTest, DatabaseNotInstalled)
{
    picker.Show();
    Choose("Africa", "Kenya");
    picker.SelectDatabase(IndexOf(picker.Databases(), "Asia"));
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0], "The Asia Database has not been installed...\r\n"
                                 "Please install the location database in the common data folder...");
    // The lists stay as they were, but no place can be shown or taken.
    EXPECT_EQ(picker.Places(), (Strings{"Nairobi"}));
    EXPECT_FALSE(picker.CanAccept());
    EXPECT_FALSE(picker.Accept());
    EXPECT_EQ(picker.Result(), TPickerResult::None);
    picker.SelectPlace(0);
    EXPECT_FALSE(picker.PickedRecord());
    EXPECT_EQ(picker.Details()[0].second, "");
    EXPECT_EQ(picker.StatusPanels()[0], "");
    picker.SelectRegion(0);
    EXPECT_FALSE(picker.CanAccept());

    // Back to an installed database, all is well again.
    Choose("Africa", "Kenya");
    EXPECT_TRUE(picker.CanAccept());
    EXPECT_EQ(notes.messages.size(), 1u);
}

TEST_F(SelectLocationTest, ADataFileTooLargeIsNamedWithTheLimitNotCalledUninstalled)
{
    std::filesystem::resize_file(data.Path() / "Europe.wdb", kMaxLocationFileSize + 1);
    picker.Show();
    Choose("Africa", "Kenya");
    picker.SelectDatabase(IndexOf(picker.Databases(), "Europe"));
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0], "The Europe Database cannot be read...\r\nCannot read file \"" +
                                     (data.Path() / "Europe.wdb").string() +
                                     "\": it is larger than 32 MiB (" +
                                     std::to_string(kMaxLocationFileSize + 1) + " bytes)");
    EXPECT_FALSE(picker.CanAccept());
}

TEST_F(SelectLocationTest, DamagedOrMissingIndex)
{
    // No index: empty lists, nothing to accept, no message.
    data.Remove("Regions.idx");
    picker.Show();
    EXPECT_TRUE(picker.Databases().empty());
    EXPECT_TRUE(picker.Regions().empty());
    EXPECT_TRUE(picker.Places().empty());
    EXPECT_FALSE(picker.Accept());
    picker.SelectDatabase(0);
    picker.Close();
    EXPECT_TRUE(notes.messages.empty());

    // Names that would reach outside the folder are databases that are not installed; a
    // region whose code is not a number lists every place; codes that match no key leave the
    // database's name in the location name.
    data.Write("Regions.idx", "[../Africa]\r\nKenya=2\r\n[Africa]\r\nKenya=two\r\n"
                              "[+All]\r\nAfrica=7\r\n");
    picker.Show();
    picker.SelectDatabase(IndexOf(picker.Databases(), "../Africa"));
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0].rfind("The ../Africa Database has not been installed...", 0), 0u);
    Choose("Africa", "Kenya");
    EXPECT_EQ(picker.Places().size(), 5u);
    picker.SelectPlace(IndexOf(picker.Places(), "Nairobi"));
    EXPECT_EQ(picker.LocationName(), "Nairobi, Africa");
    picker.SelectDatabase(IndexOf(picker.Databases(), "+All"));
    EXPECT_TRUE(picker.Places().empty()); // "Africa=7" is the code of no record
    EXPECT_FALSE(picker.CanAccept());
}

} // namespace
} // namespace zmk
