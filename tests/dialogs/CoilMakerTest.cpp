// The coil maker dialog against a small catalogue written here: the rows of a maker's models,
// the best-match scoring that selects the coil's own pattern, the "Current:" line, what Accept
// hands back, and the window place kept in the settings file beside the program.
#include "dialogs/CoilMaker.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zmk {
namespace {

// Maker "Acme": A and B share the 1/2 inch pattern (B with 1.2 fin area factor and copper fins),
// C is a 5/8 in-line pattern, D a 3/8 pattern whose name holds a comma.
const char* const kCatalogue = R"(<?xml version="1.0" encoding="UTF-8"?>
<catalog kind="coil" version="1.0.0.0" developer="quorvane">
  <item>
    <maker>Acme</maker>
    <range>fin and tube coil</range>
    <fin t="0.1524" mt="Al" f="1" />
    <tube mt="Cu" f="1" />
    <pat kind="Staggered" />
    <circ basis="height" />
    <model name="A" d="4">
      <tube id="12.5222" od="13.335" />
      <pat sx="33" sy="38.1" />
    </model>
    <model name="B" d="4">
      <fin mt="Cu" f="1.2" />
      <tube id="12.5222" od="13.335" />
      <pat sx="33" sy="38.1" />
    </model>
    <model name="C" d="5">
      <fin t="0.2032" />
      <tube id="15.0622" od="15.875" />
      <pat sx="38.1" sy="38.1" kind="In-line" />
    </model>
    <model name="3/8, wide" d="3">
      <tube id="8.9154" od="9.525" />
      <pat sx="22" sy="25.4" />
    </model>
  </item>
  <item>
    <maker>Other</maker>
    <model name="O1" d="4">
      <tube id="12.5222" od="13.335" />
      <pat sx="33" sy="38.1" />
    </model>
  </item>
</catalog>
)";

class CoilMakerTest : public ::testing::Test
{
protected:
    CoilMakerTest()
    {
        std::ofstream(dir / "CoilMakers.xml") << kCatalogue;
        catalogue.Reset((dir / "CoilMakers.xml").string());
    }

    // The record of a coil built on Acme's model A.
    TModelRec CoilOnA() const
    {
        TModelRec rec;
        rec.Mnf = "Acme";
        rec.Model = "A";
        return rec;
    }

    testing::TempDir dir;
    TCoilMakers catalogue;
    TMemorySettingsStore beside;
};

TEST_F(CoilMakerTest, RowsAreTheModelLinesOfTheCoilsMaker)
{
    TCoilMaker dialog(beside, catalogue);
    dialog.SetRecord(CoilOnA());
    dialog.Activate();
    EXPECT_EQ(dialog.Makers(), (std::vector<std::string>{"Acme", "Other"}));
    EXPECT_EQ(dialog.MakerIndex(), 0);
    ASSERT_EQ(dialog.Rows().size(), 4u);
    const TCoilMakerRow& a = dialog.Rows()[0];
    EXPECT_EQ(a.Caption, "A");
    EXPECT_EQ(a.Cells, (std::array<std::string, 11>{"12.5222", "13.3350", "33.0000", "38.1000", "0.1524",
                                                    "Staggered", "Cu", "Al", "1.0000", "1.0000", "0"}));
    // A comma in a model name stays in the caption.
    EXPECT_EQ(dialog.Rows()[3].Caption, "3/8, wide");
    EXPECT_EQ(dialog.Rows()[3].Cells[0], "8.9154");
    EXPECT_EQ(kCoilMakerColumns.size(), 1 + a.Cells.size());

    // Another maker: its models, the first selected.
    dialog.SelectMaker(1);
    ASSERT_EQ(dialog.Rows().size(), 1u);
    EXPECT_EQ(dialog.RowIndex(), 0);
    EXPECT_EQ(dialog.Rows()[0].Caption, "O1");
}

TEST_F(CoilMakerTest, BestMatchScoring)
{
    const TCoilMakerRow rowA = CoilMakerRow(catalogue.SelectModel("Acme", 4));
    const struct
    {
        const char* what;
        void (*change)(TModelRec&);
        int score;
    } cases[] = {
        {"everything", [](TModelRec&) {}, 9},
        {"another model name, any case", [](TModelRec& r) { r.Model = "a"; }, 9},
        {"another name", [](TModelRec& r) { r.Model = "X"; }, 6},
        {"fin factor", [](TModelRec& r) { r.fc = 1.2; }, 7},
        {"fin factor within 1e-6", [](TModelRec& r) { r.fc = 1.0000005; }, 9},
        {"tube factor", [](TModelRec& r) { r.ft = 1.1; }, 7},
        {"tube material", [](TModelRec& r) { r.Mt = 7; }, 8},
        {"fin material", [](TModelRec& r) { r.Mf = 0; }, 8},
        {"nothing but the pattern",
         [](TModelRec& r) {
             r.Model = "X";
             r.fc = r.ft = 2;
             r.Mt = r.Mf = 2;
         },
         0},
        {"outside diameter within 0.001 mm", [](TModelRec& r) { r.OD += 0.0000009; }, 9},
        {"outside diameter", [](TModelRec& r) { r.OD += 0.000002; }, -1},
        {"row pitch", [](TModelRec& r) { r.Sx = 0.034; }, -1},
        {"fin thickness", [](TModelRec& r) { r.tf = 0.00015; }, -1},
        {"pattern", [](TModelRec& r) { r.tp = 1; }, -1},
        {"circuit basis", [](TModelRec& r) { r.cb = 1; }, -1},
    };
    for (const auto& c : cases) {
        TModelRec rec = CoilOnA();
        c.change(rec);
        EXPECT_EQ(MatchScore(rowA, rec), c.score) << c.what;
    }
}

TEST_F(CoilMakerTest, ActivationSelectsTheBestRow)
{
    TCoilMaker dialog(beside, catalogue);
    const struct
    {
        const char* what;
        void (*change)(TModelRec&);
        int row;
    } cases[] = {
        {"model A", [](TModelRec&) {}, 0},
        {"model B's factors and fins",
         [](TModelRec& r) {
             r.Model = "B";
             r.fc = 1.2;
             r.Mf = 0;
         },
         1},
        // Equal scores (A: factors and materials, 6; B: name, tube factor and tube, 6): the later
        // row wins.
        {"B's name on A's pattern", [](TModelRec& r) { r.Model = "B"; }, 1},
        {"neither name, B's fin factor",
         [](TModelRec& r) {
             r.Model = "X";
             r.fc = 1.2;
         },
         1},
        {"the in-line pattern",
         [](TModelRec& r) {
             r.Model = "X";
             r.ID = 0.0150622;
             r.OD = 0.015875;
             r.Sx = r.Sy = 0.0381;
             r.tf = 0.0002032;
             r.tp = 1;
         },
         2},
        {"no pattern of the maker", [](TModelRec& r) { r.Sy = 0.05; }, 0},
    };
    for (const auto& c : cases) {
        TModelRec rec = CoilOnA();
        c.change(rec);
        dialog.SetRecord(rec);
        dialog.Activate();
        EXPECT_EQ(dialog.RowIndex(), c.row) << c.what;
    }
}

TEST_F(CoilMakerTest, CurrentLineDescribesTheCopy)
{
    TModelRec rec = CoilOnA();
    rec.Mf = 5;
    rec.cb = 1;
    EXPECT_EQ(CurrentPatternText(rec),
              "Acme, A, 12.5222, 13.3350, 33.00, 38.10, 0.1524, Staggered, Cu, Ale, 1.000, 1.000, 1");
    EXPECT_STREQ(kCurrentCaption, "Current:");
}

TEST_F(CoilMakerTest, AcceptTakesTheSelectedPatternAndMaker)
{
    TCoilMaker dialog(beside, catalogue);
    TModelRec rec = CoilOnA();
    rec.fHeight = 0.6;
    rec.Mc = 4;
    dialog.SetRecord(rec);
    dialog.Activate();
    dialog.SelectRow(2);
    dialog.Accept();
    EXPECT_EQ(dialog.Result(), TDialogResult::Ok);
    const TModelRec& got = dialog.Record();
    EXPECT_EQ(got.Model, "C");
    EXPECT_EQ(got.Tube, 5);
    EXPECT_DOUBLE_EQ(got.OD, 0.015875);
    EXPECT_EQ(got.tp, 1);
    EXPECT_DOUBLE_EQ(got.fHeight, 0.6); // the coil's own dimensions and casing stay
    EXPECT_EQ(got.Mc, 4);
    EXPECT_NE(dialog.CurrentText().find(", C, "), std::string::npos);

    // Another maker's model: the maker follows.
    dialog.SetRecord(rec);
    dialog.Activate();
    dialog.SelectMaker(1);
    dialog.Accept();
    EXPECT_EQ(dialog.Record().Mnf, "Other");
    EXPECT_EQ(dialog.Record().Model, "O1");

    // A maker the catalogue does not list: no selection, and Accept changes nothing.
    rec.Mnf = "Gone";
    dialog.SetRecord(rec);
    dialog.Activate();
    EXPECT_EQ(dialog.MakerIndex(), -1);
    EXPECT_TRUE(dialog.Rows().empty());
    dialog.Accept();
    EXPECT_EQ(dialog.Record().Mnf, "Gone");
    EXPECT_EQ(dialog.Record().Model, "A");
}

TEST_F(CoilMakerTest, WindowPlaceLivesBesideTheProgram)
{
    TCoilMaker dialog(beside, catalogue);
    TWindowPlace place{100, 50, 640, 400};
    dialog.RestoreWindowPlace(place, {1280, 1024}); // nothing stored: the current place stays
    EXPECT_EQ(place.Width, 640);
    dialog.Close({2000, 40, 700, 420});
    EXPECT_EQ(beside.ReadInteger(kCoilMakerWindow, "Left", 0), 2000);
    EXPECT_EQ(beside.ReadInteger(kCoilMakerWindow, "Height", 0), 420);
    TWindowPlace again{0, 0, 100, 100};
    dialog.RestoreWindowPlace(again, {1280, 1024});
    EXPECT_EQ(again.Left, 1080); // held on the screen
    EXPECT_EQ(again.Width, 700);
}

} // namespace
} // namespace zmk
