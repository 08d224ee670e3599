// The coil maker catalogue against small catalogues written here: reading with inheritance,
// selection, matching, writing back, the empty-catalogue branch and malformed files; the fin
// surface through the catalogue and the project file; and the installed catalogue.
#include "geometry/CoilMakers.h"

#include "base/Notifier.h"
#include "base/XMLFiles.h"
#include "geometry/FinAndTube.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace zmk {
namespace {

namespace fs = std::filesystem;

// One maker "Acme" whose item gives the fin defaults; model "B" repeats model "A"'s pattern.
const char* const kAcme = R"(<?xml version="1.0" encoding="UTF-8"?>
<catalog kind="coil" version="1.0.0.0" developer="quorvane">
  <item>
    <maker>Acme</maker>
    <range>fin and tube coil</range>
    <fin t="0.15" mt="Al" f="1" />
    <tube mt="Cu" f="1" />
    <pat kind="staggered" />
    <circ basis="height" />
    <model name="A" d="4">
      <tube id="12.5222" od="13.335" />
      <pat sx="33" sy="38.1" />
    </model>
    <model name="B" d="4">
      <tube id="12.5222" od="13.335" />
      <pat sx="33" sy="38.1" />
    </model>
    <model name="C" d="5">
      <fin t="0.2032" mt="cu" f="1.2" />
      <tube id="15.0622" od="15.875" mt="Zz" f="1.1" />
      <pat sx="38.1" sy="38.1" kind="IN-LINE" />
      <circ basis="Depth" />
    </model>
    <model name="D" d="3">
      <tube id="8.9154" od="9.525" />
      <pat sx="22" sy="25.4" kind="zigzag" />
      <circ basis="diagonal" />
    </model>
  </item>
  <item>
    <maker>Other</maker>
    <model name="O1" d="4" />
  </item>
</catalog>
)";

class CoilMakersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("zmk_cat_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = (dir_ / "CoilMakers.xml").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string& text) const { std::ofstream(file_, std::ios::binary) << text; }
    std::string read() const
    {
        std::ifstream in(file_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path dir_;
    std::string file_;
    RecordingNotifier notifier_;
};

TEST_F(CoilMakersTest, ReadsModelsOverTheMakersDefaults)
{
    write(kAcme);
    TCoilMakers cat(file_, &notifier_);
    EXPECT_EQ(cat.MakerList(), (std::vector<std::string>{"Acme", "Other"}));
    cat.LoadMaker("ACME");
    ASSERT_EQ(cat.Models().size(), 4u);
    const TMnfRec& a = cat.Models()[0];
    EXPECT_EQ(a.Mnf, "Acme");
    EXPECT_EQ(a.Name, "A");
    EXPECT_EQ(a.D, 4);
    EXPECT_DOUBLE_EQ(a.T, 0.00015); // from the item's fin
    EXPECT_DOUBLE_EQ(a.ID, 0.0125222);
    EXPECT_DOUBLE_EQ(a.OD, 0.013335);
    EXPECT_DOUBLE_EQ(a.Sx, 0.033);
    EXPECT_DOUBLE_EQ(a.Sy, 0.0381);
    EXPECT_EQ(a.Pattern, 0);
    EXPECT_EQ(a.Basis, 0);
    EXPECT_EQ(a.TubeMt, "Cu");
    EXPECT_EQ(a.FinMt, "Al");

    const TMnfRec& c = cat.Models()[2];
    EXPECT_DOUBLE_EQ(c.T, 0.0002032);
    EXPECT_EQ(c.FinMt, "cu");
    EXPECT_DOUBLE_EQ(c.FinF, 1.2);
    EXPECT_DOUBLE_EQ(c.TubeF, 1.1);
    EXPECT_EQ(c.Pattern, 1);
    EXPECT_EQ(c.Basis, 1);
    // Words that are neither pattern nor basis keep the inherited value.
    EXPECT_EQ(cat.Models()[3].Pattern, 0);
    EXPECT_EQ(cat.Models()[3].Basis, 0);

    // A maker's own defaults start from the built-in model.
    cat.LoadMaker("Other");
    ASSERT_EQ(cat.Models().size(), 1u);
    EXPECT_DOUBLE_EQ(cat.Models()[0].ID, 0.0125222);
    EXPECT_DOUBLE_EQ(cat.Models()[0].T, 0.00015);
    EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(CoilMakersTest, CachedMakerIsNotReadAgain)
{
    write(kAcme);
    TCoilMakers cat(file_);
    cat.LoadMaker("Acme");
    fs::remove(file_);
    cat.LoadMaker("aCME");
    EXPECT_EQ(cat.Models().size(), 4u);
    EXPECT_EQ(cat.CachedMaker(), "Acme");
    cat.LoadMaker("Other"); // another maker rereads the (now missing) file
    EXPECT_TRUE(cat.Models().empty());

    // The process catalogue is resettable.
    write(kAcme);
    ProcessCoilMakers().Reset(file_);
    ProcessCoilMakers().LoadMaker("Acme");
    EXPECT_EQ(ProcessCoilMakers().Models().size(), 4u);
    ProcessCoilMakers().Reset("");
    EXPECT_TRUE(ProcessCoilMakers().Models().empty());
}

TEST_F(CoilMakersTest, SelectModelByTubeCode)
{
    write(kAcme);
    TCoilMakers cat(file_, &notifier_);
    EXPECT_EQ(cat.SelectModel("Acme", 4).Name, "A");
    EXPECT_EQ(cat.SelectModel("Acme", 5).Name, "C");
    EXPECT_EQ(cat.SelectModel("Acme", 105).Name, "C"); // 100 + 5 mm falls back to d="5"
    EXPECT_EQ(cat.SelectModel("Acme", 9).Name, "A");   // no such code: the first model
    EXPECT_EQ(cat.SelectModel("Acme", 100).Name, "A");
    EXPECT_TRUE(notifier_.messages.empty());

    // A new coil takes every pattern field of the chosen model.
    TFinAndTube g("acme", 5, 0, "600 x 1200 4r 12f 16c", &cat);
    EXPECT_EQ(g.TakeError(), 0);
    EXPECT_EQ(g.Rec.Mnf, "Acme");
    EXPECT_EQ(g.Rec.Model, "C");
    EXPECT_EQ(g.Rec.Tube, 5);
    EXPECT_EQ(g.Rec.Code, 0);
    EXPECT_DOUBLE_EQ(g.Rec.OD, 0.015875);
    EXPECT_DOUBLE_EQ(g.Rec.tf, 0.0002032);
    EXPECT_EQ(g.Rec.tp, 1);
    EXPECT_EQ(g.Rec.cb, 1);
    EXPECT_EQ(g.Rec.Mf, 0); // "cu", any case
    EXPECT_EQ(g.Rec.Mt, 0); // unknown "Zz" gives copper
    EXPECT_DOUBLE_EQ(g.Rec.fc, 1.2);
    EXPECT_DOUBLE_EQ(g.Rec.fHeight, 0.6);
    EXPECT_DOUBLE_EQ(g.Rec.Circ, 16);
    EXPECT_EQ(g.SizeText, "600 x 1200  4r  12f  16c");

    // A size text that does not parse keeps the default size and reports its error.
    TFinAndTube bad("Acme", 4, 5, "600 x 1200 25r 12f 16c", &cat);
    EXPECT_EQ(bad.TakeError(), 7);
    EXPECT_DOUBLE_EQ(bad.Rec.fHeight, 0.5334);
    EXPECT_EQ(bad.Rec.Model, "A");
}

TEST_F(CoilMakersTest, EmptyCatalogueFallsBackInMemoryAndNeverWritesTheFile)
{
    // A catalogue of the user's own, with a document type declaration and without the maker asked
    // for, must come out of every lookup byte for byte.
    const std::string own = std::string("<?xml version=\"1.0\"?>\n<!DOCTYPE catalog>\n") +
                            std::string(kAcme).substr(std::string(kAcme).find("<catalog"));
    write(own);
    TCoilMakers cat(file_, &notifier_);
    const TMnfRec m = cat.SelectModel("Nobody", 4);
    ASSERT_EQ(notifier_.messages.size(), 1u);
    EXPECT_EQ(notifier_.messages[0], "There are no matching coils for Nobody in the database!\r\n"
                                     "You may need to re-install the program to correct the database.");
    EXPECT_EQ(m.Name, "1/2 inch");
    EXPECT_EQ(m.Mnf, "Default");
    EXPECT_EQ(cat.CachedMaker(), "Default");
    ASSERT_EQ(cat.Models().size(), 1u);
    (void)cat.MatchModel("Nobody", m);
    (void)cat.SelectModel("typical", 4);
    EXPECT_EQ(read(), own);
    EXPECT_EQ(cat.MakerList(), (std::vector<std::string>{"Acme", "Other"}));

    // The built-in maker needs no entry in the file: another catalogue object finds it too, quietly.
    RecordingNotifier quiet;
    TCoilMakers again(file_, &quiet);
    again.LoadMaker("default");
    ASSERT_EQ(again.Models().size(), 1u);
    EXPECT_EQ(ModelLine(again.Models()[0]), ModelLine(DefaultMnfRec()));
    EXPECT_EQ(again.SelectModel("Default", 4).Name, "1/2 inch");
    EXPECT_TRUE(quiet.messages.empty());
    EXPECT_EQ(read(), own);

    // With no file at all, none is made.
    fs::remove(file_);
    TCoilMakers fresh(file_, &notifier_);
    EXPECT_EQ(fresh.SelectModel("typical", 4).Name, "1/2 inch");
    EXPECT_FALSE(fs::exists(file_));

    // A catalogue that does not parse is reported and left alone.
    const std::string broken = "<catalog><item><maker>Acme</maker>";
    write(broken);
    RecordingNotifier told;
    TCoilMakers damaged(file_, &told);
    EXPECT_EQ(damaged.SelectModel("Acme", 4).Name, "1/2 inch");
    ASSERT_EQ(told.messages.size(), 2u);
    EXPECT_EQ(told.messages[0].rfind(
                  "The coil maker database \"" + file_ + "\" cannot be read: Error on line 1", 0),
              0u)
        << told.messages[0];
    EXPECT_NE(told.messages[1].find("There are no matching coils for Acme"), std::string::npos);
    EXPECT_EQ(read(), broken);
    EXPECT_TRUE(damaged.MakerList().empty());

    // Storing a maker is the user's own request, and the one way the file is written.
    write(kAcme);
    TCoilMakers stored(file_);
    (void)stored.SelectModel("Nobody", 4);
    stored.SaveMaker();
    EXPECT_EQ(stored.MakerList(), (std::vector<std::string>{"Acme", "Other", "Default"}));
}

TEST_F(CoilMakersTest, DeeplyNestedCatalogueIsRefusedAndNotRewritten)
{
    // 2,000 levels inside a maker: once rewritten with indentation on every lookup, it grew to 8 MB.
    std::string deep = "<catalog><item><maker>Acme</maker>";
    for (int i = 0; i < 2000; ++i)
        deep += "<x>";
    for (int i = 0; i < 2000; ++i)
        deep += "</x>";
    deep += "</item></catalog>";
    write(deep);
    TCoilMakers cat(file_, &notifier_);
    EXPECT_TRUE(cat.MakerList().empty());
    EXPECT_EQ(cat.SelectModel("typical", 4).Name, "1/2 inch");
    ASSERT_EQ(notifier_.messages.size(), 2u);
    EXPECT_EQ(notifier_.messages[0], "The coil maker database cannot be read: The file \"" + file_ +
                                         "\" nests its elements more than 64 levels deep (line 1)...");
    EXPECT_EQ(read(), deep);
}

TEST_F(CoilMakersTest, MatchModelScoresAndFallbacks)
{
    write(kAcme);
    TCoilMakers cat(file_);
    cat.LoadMaker("Acme");
    TMnfRec stored = cat.Models()[0];

    // A and B share the pattern: the exact name scores 9 and wins at once.
    EXPECT_EQ(cat.MatchModel("Acme", stored).Name, "A");
    stored.Name = "b";
    EXPECT_EQ(cat.MatchModel("Acme", stored).Name, "B");
    // Equal scores go to the later candidate.
    stored.Name = "unknown";
    EXPECT_EQ(cat.MatchModel("Acme", stored).Name, "B");
    // Materials are scored but kept from the stored coil.
    stored.TubeMt = "SS";
    stored.FinMt = "Cu";
    const TMnfRec kept = cat.MatchModel("Acme", stored);
    EXPECT_EQ(kept.Name, "B");
    EXPECT_EQ(kept.TubeMt, "SS");
    EXPECT_EQ(kept.FinMt, "Cu");

    // Reals within 1e-12 relative are equal; a pitch further off matches nothing, and the first
    // model of the stored tube code is taken.
    stored = cat.Models()[0];
    stored.Sx *= 1 + 1e-13;
    EXPECT_EQ(cat.MatchModel("Acme", stored).Name, "A");
    stored.Sx = 0.0331;
    stored.D = 3;
    EXPECT_EQ(cat.MatchModel("Acme", stored).Name, "D");
    stored.D = 7;
    EXPECT_EQ(cat.MatchModel("Acme", stored).Name, "A");
    stored = cat.Models()[0];
    stored.Pattern = 1;
    stored.D = 5;
    EXPECT_EQ(cat.MatchModel("Acme", stored).Name, "C");

    // With no models at all, the built-in model with the stored materials.
    const TMnfRec none = cat.MatchModel("Nobody", stored);
    EXPECT_EQ(none.Name, "1/2 inch");
    EXPECT_EQ(none.FinMt, stored.FinMt);
    EXPECT_TRUE(SameCatalogueValue(0, 1e-12));
    EXPECT_FALSE(SameCatalogueValue(0, 2e-12));

    // A stored coil loaded again takes the catalogue's current pattern.
    TFinAndTube g;
    TModelRec r;
    r.Mnf = "Acme";
    r.Model = "C";
    r.Tube = 5;
    r.Mf = 7;
    g.SetModel(r);
    g.MatchCatalogue(cat); // fin 0.1524 mm matches no model: the first with tube code 5
    EXPECT_EQ(g.Rec.Model, "C");
    EXPECT_DOUBLE_EQ(g.Rec.OD, 0.015875);
    EXPECT_EQ(g.Rec.Mf, 7); // the stored fin material stays
    EXPECT_EQ(g.TakeError(), 0);
    r.tf = 0.00015;
    g.SetModel(r);
    g.MatchCatalogue(cat); // A and B score alike: B
    EXPECT_EQ(g.Rec.Model, "B");
    EXPECT_EQ(g.Rec.Tube, 4);
}

TEST_F(CoilMakersTest, SaveMakerWritesOnlyDifferences)
{
    write(kAcme);
    TCoilMakers cat(file_);
    cat.LoadMaker("Acme");
    const TMnfRecVec before = cat.Models();
    cat.SaveMaker();
    const std::string text = read();
    EXPECT_NE(text.find("<model name=\"A\" d=\"4\">\n      <tube id=\"12.5222\" od=\"13.3350\" />\n"
                        "      <pat sx=\"33.000\" sy=\"38.100\" />\n    </model>"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<fin t=\"0.2032\" mt=\"cu\" f=\"1.2\" />"), std::string::npos);
    EXPECT_NE(text.find("<pat sx=\"38.100\" sy=\"38.100\" kind=\"In-line\" />"), std::string::npos);
    EXPECT_NE(text.find("<circ basis=\"depth\" />"), std::string::npos);
    EXPECT_NE(text.find("<range>fin and tube coil</range>"), std::string::npos);

    TCoilMakers back(file_);
    back.LoadMaker("Acme");
    ASSERT_EQ(back.Models().size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        const TMnfRec& x = before[i];
        const TMnfRec& y = back.Models()[i];
        EXPECT_EQ(ModelLine(x), ModelLine(y));
        EXPECT_EQ(x.D, y.D);
    }
    back.LoadMaker("Other");
    EXPECT_EQ(back.Models().size(), 1u);
}

TEST_F(CoilMakersTest, ConversionsAndModelLine)
{
    const TMnfRec d = DefaultMnfRec();
    EXPECT_EQ(ModelLine(d),
              "1/2 inch, 12.5222, 13.3350, 33.0000, 38.1000, 0.1500, Staggered, Cu, Al, 1.0000, "
              "1.0000, 0");
    TMnfRec m = d;
    m.TubeMt = "br";
    m.FinMt = "nonsense";
    m.Pattern = 1;
    m.Basis = 1;
    m.D = 300; // does not fit the record's tube code
    TModelRec r;
    r.fHeight = 1.1;
    MnfRecToModel(m, r);
    EXPECT_EQ(r.Mt, 7);
    EXPECT_EQ(r.Mf, 1); // unknown fin material: aluminium
    EXPECT_EQ(r.tp, 1);
    EXPECT_EQ(r.cb, 1);
    EXPECT_EQ(r.Tube, 0);
    EXPECT_EQ(r.Model, "1/2 inch");
    EXPECT_DOUBLE_EQ(r.tf, 0.00015);
    EXPECT_DOUBLE_EQ(r.fHeight, 1.1); // dimensions are not pattern fields

    const TMnfRec back = ModelToMnfRec(r);
    EXPECT_EQ(back.TubeMt, "Br");
    EXPECT_EQ(back.FinMt, "Al");
    EXPECT_EQ(back.Name, "1/2 inch");
    EXPECT_DOUBLE_EQ(back.T, 0.00015);
}

TEST_F(CoilMakersTest, MalformedCataloguesNeverCrash)
{
    const std::string head = "<catalog><item><maker>M</maker>";
    const std::string cases[] = {
        "",
        "<catalog",
        head,                                                   // truncated
        head + "<model name=\"x\" d=\"4\"><tube id=\"12\" od=", // truncated in an attribute
        head + "<model name=\"x\" d=\"four\"><tube id=\"abc\" od=\"\"/></model></item></catalog>",
        head + "<model/><model><fin/><tube/><pat/><circ/></model></item></catalog>",
        head + "<model d=\"99999999999999\"><fin t=\"1e999\"/><pat sx=\"-1e308\" sy=\"1e-320\"/></model>"
               "</item></catalog>",
        head + "<model d=\"4\"><tube id=\"0\" od=\"0\"/><pat sx=\"0\" sy=\"0\"/></model></item></catalog>",
        head + "<model d=\"-4\"><fin t=\"nan\" f=\"inf\"/><tube id=\"1e300\" od=\"1e300\"/></model>"
               "</item></catalog>",
        "<catalog><item><model d=\"4\"/></item><item><maker><b>M</b></maker></item></catalog>",
        "<other><item><maker>M</maker><model d=\"4\"/></item></other>",
        std::string(5000, '<'),
        "<catalog>" + std::string(300, 'x') + "<item><maker>" + std::string(1000, 'M') +
            "</maker></item></catalog>",
    };
    for (const std::string& text : cases) {
        write(text);
        RecordingNotifier notifier;
        TCoilMakers cat(file_, &notifier);
        (void)cat.MakerList();
        const TMnfRec m = cat.SelectModel("M", 4);
        TMnfRec stored = DefaultMnfRec();
        (void)cat.MatchModel("M", stored);
        (void)ModelLine(m);
        TModelRec r;
        MnfRecToModel(m, r);
        TFinAndTube g;
        g.SetModel(r);
        EXPECT_TRUE(g.ErrorCode == 0 || g.ErrorCode == 1) << text;
        EXPECT_FALSE(std::isnan(g.Ao)) << text;
        EXPECT_LE(m.Mnf.size(), 255u);
    }

    // Unreadable values keep the inherited ones; an unreadable tube code is 0.
    write(head + "<model name=\"x\" d=\"four\"><fin t=\"1e999\" f=\"x\"/><tube id=\"abc\" od=\"\"/></model>"
                 "</item></catalog>");
    TCoilMakers cat(file_);
    cat.LoadMaker("M");
    ASSERT_EQ(cat.Models().size(), 1u);
    const TMnfRec& m = cat.Models()[0];
    EXPECT_EQ(m.D, 0);
    EXPECT_DOUBLE_EQ(m.T, 0.00015);
    EXPECT_DOUBLE_EQ(m.FinF, 1);
    EXPECT_DOUBLE_EQ(m.ID, 0.0125222);
    EXPECT_DOUBLE_EQ(m.OD, 0.013335);
}

TEST_F(CoilMakersTest, PatternsThatCannotBeBuiltAreLeftOutWithAMessage)
{
    write(R"(<catalog><item><maker>M</maker><fin t="0.15"/><pat sx="33" sy="38.1"/>
      <model name="inside wider" d="4"><tube id="14" od="13.335"/></model>
      <model name="negative pitch" d="4"><tube id="12.5" od="13.335"/><pat sy="-38.1"/></model>
      <model name="no fin" d="4"><fin t="0"/><tube id="12.5" od="13.335"/></model>
      <model name="crowded" d="4"><tube id="38" od="40"/></model>
      <model name="good" d="5"><tube id="12.5222" od="13.335"/></model>
    </item></catalog>)");
    TCoilMakers cat(file_, &notifier_);
    cat.LoadMaker("M");
    ASSERT_EQ(cat.Models().size(), 1u);
    EXPECT_EQ(cat.Models()[0].Name, "good");
    ASSERT_EQ(notifier_.messages.size(), 4u);
    const char* const named[] = {"\"inside wider\"", "\"negative pitch\"", "\"no fin\"", "\"crowded\""};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(notifier_.messages[i].find(named[i]), std::string::npos) << notifier_.messages[i];
        EXPECT_TRUE(notifier_.messages[i].ends_with("...")) << notifier_.messages[i];
    }
    // A new coil for tube code 4 takes the one model that can be built: no negative counts or
    // weights.
    TFinAndTube g("M", 4, 5, "600 x 1200 4r 12f 16c", &cat);
    EXPECT_EQ(g.TakeError(), 0);
    EXPECT_EQ(g.Rec.Model, "good");
    EXPECT_GT(g.TubeCount, 0);
    EXPECT_GT(g.Weight(), 0);
    EXPECT_GT(g.TubeWeight, 0);
}

// A maker whose item gives louvered fins: "L" inherits them, "W" has wavy fins with its waves,
// "P" plain ones, "Q" a fin type the program does not know (the item's stays), and "S" repeats
// "L"'s pattern with plain fins.
const char* const kFins = R"(<?xml version="1.0" encoding="UTF-8"?>
<catalog kind="coil" version="1.0.0.0" developer="quorvane">
  <item>
    <maker>Finny</maker>
    <fin t="0.115" mt="Al" f="1" type="louvered" lp="2.0" lh="1.0" />
    <model name="L" d="3">
      <tube id="8.9154" od="9.525" />
      <pat sx="22" sy="25.4" />
    </model>
    <model name="W" d="4">
      <fin type="WAVY" pd="1.8" xf="8.25" />
      <tube id="12.5222" od="13.335" />
      <pat sx="33" sy="38.1" />
    </model>
    <model name="P" d="4">
      <fin type="plain" />
      <tube id="12.5222" od="13.335" />
      <pat sx="33" sy="38.1" />
    </model>
    <model name="Q" d="3">
      <fin type="pinned" />
      <tube id="8.9154" od="9.525" />
      <pat sx="22" sy="25.4" />
    </model>
    <model name="S" d="3">
      <fin type="plain" />
      <tube id="8.9154" od="9.525" />
      <pat sx="22" sy="25.4" />
    </model>
  </item>
</catalog>
)";

TEST_F(CoilMakersTest, TheFinSurfaceComesFromTheCatalogueAndStaysWithAStoredCoil)
{
    write(kFins);
    TCoilMakers cat(file_, &notifier_);
    cat.LoadMaker("Finny");
    ASSERT_EQ(cat.Models().size(), 5u);
    const TMnfRec& L = cat.Models()[0];
    const TMnfRec& W = cat.Models()[1];
    EXPECT_EQ(L.Fin.Type, TFinType::Louvered);
    EXPECT_DOUBLE_EQ(L.Fin.LouverPitch, 0.002);
    EXPECT_DOUBLE_EQ(L.Fin.LouverHeight, 0.001);
    EXPECT_EQ(W.Fin.Type, TFinType::Wavy);
    EXPECT_DOUBLE_EQ(W.Fin.WaveDepth, 0.0018);
    EXPECT_DOUBLE_EQ(W.Fin.WavePitch, 0.00825);
    EXPECT_EQ(cat.Models()[2].Fin.Type, TFinType::Plain);
    EXPECT_EQ(cat.Models()[3].Fin.Type, TFinType::Louvered);
    // The maker dialog's line names a fin that is not plain; a plain one's line is as it was.
    EXPECT_EQ(ModelLine(L).substr(ModelLine(L).size() - 10), ", louvered");
    EXPECT_EQ(ModelLine(cat.Models()[2]).find("plain"), std::string::npos);

    // A new coil takes the pattern's fins; a stored coil matches among the models of its own fin
    // type and keeps its fins even where none of these dimensions has them.
    TFinAndTube coil("Finny", 3, 0, "600 x 1200 4r 12f 16c", &cat);
    EXPECT_EQ(coil.Rec.Fin, L.Fin);
    EXPECT_EQ(coil.GetAirSide().Fin, L.Fin);
    TMnfRec stored = cat.Models()[4];
    EXPECT_EQ(cat.MatchModel("Finny", stored).Name, "S");
    // Named "S" but louvered: "S" is not a candidate, and of the louvered "L" and "Q" the later.
    stored.Fin = L.Fin;
    EXPECT_EQ(cat.MatchModel("Finny", stored).Name, "Q");
    stored.Fin.Type = TFinType::Wavy;
    const TMnfRec kept = cat.MatchModel("Finny", stored);
    EXPECT_EQ(kept.Fin, stored.Fin);

    // Writing the maker back keeps the fins (the item's louvers are not repeated).
    cat.SaveMaker();
    const std::string text = read();
    EXPECT_NE(text.find("type=\"wavy\" pd=\"1.8000\" xf=\"8.2500\""), std::string::npos) << text;
    TCoilMakers back(file_);
    back.LoadMaker("Finny");
    ASSERT_EQ(back.Models().size(), 5u);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(back.Models()[i].Fin, cat.Models()[i].Fin) << i;
}

TEST_F(CoilMakersTest, AProjectHoldsTheFinSurfaceOnlyWhenItIsNotPlain)
{
    write(kFins);
    TCoilMakers cat(file_, &notifier_);
    const auto saved = [](const TFinAndTube& g, TXMLFile& xml) {
        TXMLFile::Node job = xml.Document().append_child("job");
        g.SaveToXML(xml, job);
        return job;
    };
    TFinAndTube plain("Finny", 4, 0, "600 x 1200 4r 12f 16c", &cat);
    TModelRec rec = plain.Rec;
    rec.Model = "P";
    rec.Fin = {};
    plain.SetModel(rec);
    TXMLFile plainXml;
    const TXMLFile::Node plainJob = saved(plain, plainXml);
    for (const char* name : {"FinType", "LouverPitch", "LouverHeight", "WaveDepth", "WavePitch"})
        EXPECT_FALSE(plainJob.child("fat").child(name)) << name;

    // A wavy coil reads back with its waves; the same file read again after a plain coil was
    // saved over it is plain.
    TFinAndTube wavy("Finny", 4, 0, "600 x 1200 4r 12f 16c", &cat);
    ASSERT_EQ(wavy.Rec.Fin.Type, TFinType::Wavy);
    TXMLFile xml;
    const TXMLFile::Node job = saved(wavy, xml);
    TFinAndTube read;
    ASSERT_TRUE(read.LoadFromXML(xml, job, cat));
    EXPECT_EQ(read.Rec.Fin, wavy.Rec.Fin);
    EXPECT_EQ(read.Rec.Model, "W");
    plain.SaveToXML(xml, job);
    ASSERT_TRUE(read.LoadFromXML(xml, job, cat));
    EXPECT_EQ(read.Rec.Fin, TFinSurface{});
    EXPECT_EQ(read.Rec.Model, "P");

    // A project older than the fin type is a plain-fin coil, whatever coil read it before.
    job.child("fat").remove_child("FinType");
    for (const char* name : {"LouverPitch", "LouverHeight", "WaveDepth", "WavePitch"})
        job.child("fat").remove_child(name);
    read.Rec.Fin = wavy.Rec.Fin;
    ASSERT_TRUE(read.LoadFromXML(xml, job, cat));
    EXPECT_EQ(read.Rec.Fin.Type, TFinType::Plain);
}

TEST(InstalledCatalogueTest, HoldsTheDefaultJobsPattern)
{
    const std::string file = std::string(ZMK_SOURCE_DIR) + "/data/Common Files/CoilMakers.xml";
    TXMLFile xml(file);
    ASSERT_EQ(xml.ReadStatus(), rsNone) << xml.LoadError();
    TCoilMakers cat(file);
    const std::vector<std::string> makers = cat.MakerList();
    ASSERT_GE(makers.size(), 2u);
    EXPECT_EQ(makers[0], "typical");

    // The default job: maker "typical", tube code 4, a 1/2 inch tube with the default coil's pattern.
    RecordingNotifier notifier;
    cat.SetNotifier(&notifier);
    const TMnfRec half = cat.SelectModel("typical", 4);
    EXPECT_TRUE(notifier.messages.empty());
    const TModelRec def;
    EXPECT_DOUBLE_EQ(half.OD, def.OD);
    EXPECT_DOUBLE_EQ(half.ID, def.ID);
    EXPECT_DOUBLE_EQ(half.Sx, def.Sx);
    EXPECT_DOUBLE_EQ(half.Sy, def.Sy);
    EXPECT_DOUBLE_EQ(half.T, def.tf);
    EXPECT_EQ(half.FinMt, "Al");

    bool inLine = false, copperFin = false, designated = false;
    for (const std::string& maker : makers) {
        cat.LoadMaker(maker);
        EXPECT_FALSE(cat.Models().empty()) << maker;
        for (const TMnfRec& m : cat.Models()) {
            EXPECT_LT(m.ID, m.OD) << m.Name;
            EXPECT_LT(m.OD + 2 * m.T, std::min(m.Sx, m.Sy)) << m.Name;
            EXPECT_GT(m.T, 0) << m.Name;
            EXPECT_GE(MaterialIndexOfShort(m.TubeMt), 0) << m.Name;
            EXPECT_GE(MaterialIndexOfShort(m.FinMt), 0) << m.Name;
            inLine |= m.Pattern == 1;
            copperFin |= m.FinMt == "Cu";
            TFinAndTube g("", 0, 5, "600 x 1200 4r 12f 16c", nullptr);
            TModelRec r = g.Rec;
            MnfRecToModel(m, r);
            g.SetModel(r);
            EXPECT_EQ(g.TakeError(), 0) << m.Name;
            designated |= !g.MakerDesignation().empty();
        }
    }
    EXPECT_TRUE(inLine);
    EXPECT_TRUE(copperFin);
    EXPECT_TRUE(designated);
}

} // namespace
} // namespace zmk
