// zemtor geometry, run as a program on the installed catalogue that it finds beside itself.
#include "support/Zemtor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using ProgramRun = zmk::test::ZemtorRun;

// Runs zemtor on the catalogue installed beside it, with a private home and units folder.
ProgramRun Zemtor(const std::string& args, const std::string& env = {})
{
    const zmk::test::ZemtorFolder folder(zmk::test::ZemtorFolder::Catalogue::Installed);
    return folder.Run(args, env);
}

TEST(GeometryCommandTest, DerivesTheDefaultJobFromTheInstalledCatalogue)
{
    const ProgramRun text = Zemtor("geometry '533.4 x 740 4r 10f 7c'");
    ASSERT_EQ(text.rc, 0) << text.out;
    EXPECT_NE(text.out.find("typical: 1/2\" 33x38.1 (Cu/Al/GI)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("TubesHigh      14"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Coil Manufacturing Report"), std::string::npos);
    EXPECT_EQ(text.out.find("<b>"), std::string::npos); // tags removed
    EXPECT_NE(text.out.find("Serpentine 1/2"), std::string::npos);

    const ProgramRun json = Zemtor("geometry '600 x 1200 4r 12f 16c' --maker HC --tube 5 --json 2>/dev/null");
    ASSERT_EQ(json.rc, 0) << json.out;
    const nlohmann::json j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["Mnf"], "HC");
    EXPECT_EQ(j["Model"], "Cu fin 5/8");
    EXPECT_EQ(j["Tube"], 5);
    EXPECT_EQ(j["SizeText"], "600 x 1200  4r  12f  16c");
    EXPECT_DOUBLE_EQ(j["Af"].get<double>(), 0.72);
    EXPECT_DOUBLE_EQ(j["OD"].get<double>(), 0.015875);
    EXPECT_EQ(j["Mf"], 0);
    EXPECT_GT(j["DryWeight"].get<double>(), 0);
    EXPECT_GT(j["TubeSide"]["EqLength"].get<double>(), 1.2);
    EXPECT_EQ(j["MakerDesignation"], "5 ZMK 24 x 1200 x 4.0r x 12.00f - 16c (Cu/Cu/GI)");
    for (const char* key :
         {"TubesHigh", "TubeCount",  "Fp",        "FinCount",     "Depth",      "Dc",           "EqFinHeight",
          "Afin",      "Ao",         "AoAfRow",   "Sigma",        "Amin",       "Dh",           "Ax",
          "Ai",        "AoAi",       "Vi",        "mL",           "EtaF",       "EtaO",         "Connections",
          "Serp",      "TubeWeight", "FinWeight", "CasingWeight", "BendWeight", "HeaderWeight", "TubeLine",
          "fHeight",   "Circ",       "tc"})
        EXPECT_TRUE(j.contains(key)) << key;
}

// The JSON form lists each object's members in the order of their keys (the tube side's too).
TEST(GeometryCommandTest, JsonMembersAreInTheOrderOfTheirKeys)
{
    const ProgramRun run = Zemtor("geometry '533.4 x 740 4r 10f 7c' --json 2>/dev/null");
    ASSERT_EQ(run.rc, 0) << run.out;
    const nlohmann::ordered_json j = nlohmann::ordered_json::parse(run.out);
    for (const nlohmann::ordered_json* object : {&j, &j["TubeSide"]}) {
        std::vector<std::string> keys;
        for (const auto& member : object->items())
            keys.push_back(member.key());
        EXPECT_GT(keys.size(), 8u);
        EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << run.out;
    }
}

TEST(GeometryCommandTest, RefusesABadSizeTextAndUsesAnotherCommonFolder)
{
    const ProgramRun bad = Zemtor("geometry '600 x 1200 25r 12f 16c' 2>&1");
    EXPECT_EQ(bad.rc, 1); // the common exit status of a wrong argument
    EXPECT_NE(bad.out.find("error 7: rows outside 1..20"), std::string::npos) << bad.out;
    const ProgramRun none = Zemtor("geometry '600 x' 2>&1");
    EXPECT_EQ(none.rc, 1);

    // A tube code the maker has no pattern for is refused, not swapped for another pattern.
    const ProgramRun tube = Zemtor("geometry '600 x 1200 4r 12f 16c' --tube 999 2>&1");
    EXPECT_EQ(tube.rc, 1);
    EXPECT_NE(
        tube.out.find("--tube 999: the maker \"typical\" has no pattern of that tube size code (it has 3, "
                      "4, 5)"),
        std::string::npos)
        << tube.out;
    EXPECT_EQ(Zemtor("geometry '600 x 1200 4r 12f 16c' --tube 105 >/dev/null").rc, 0); // 100 + the code

    // ZMK_COMMON_DIR points the program at another catalogue; a maker missing there is reported
    // and the built-in pattern used, and the catalogue is left as it was.
    const fs::path dir = fs::temp_directory_path() / ("zmk_common_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "CoilMakers.xml") << "<catalog/>";
    const ProgramRun other =
        Zemtor("geometry '600 x 1200 4r 12f 16c' 2>&1", "ZMK_COMMON_DIR='" + dir.string() + "'");
    EXPECT_EQ(other.rc, 0) << other.out;
    EXPECT_NE(other.out.find("There are no matching coils for typical in the database!"), std::string::npos);
    EXPECT_NE(other.out.find("Default: 1/2 inch\""), std::string::npos) << other.out;
    EXPECT_EQ(zmk::test::ReadFileBytes(dir / "CoilMakers.xml"), "<catalog/>");
    fs::remove_all(dir);
}

TEST(GeometryCommandTest, TheCatalogueGivenIsOnlyRead)
{
    // A catalogue of the user's own, with a document type and without the maker "typical": it
    // was rewritten on every run, its declaration dropped and a "Default" maker added.
    const zmk::test::ZemtorFolder folder;
    const fs::path file = folder / "mine.xml";
    const std::string own = "<?xml version=\"1.0\"?>\n<!DOCTYPE catalog>\n<catalog>\n"
                            "  <item><maker>Mine</maker><model name=\"M\" d=\"4\"/></item>\n</catalog>\n";
    std::ofstream(file, std::ios::binary) << own;
    const auto before = fs::last_write_time(file);
    for (const char* maker : {"typical", "Mine"}) {
        const ProgramRun run = folder.Run("geometry '600 x 1200 4r 12f 16c' --maker " + std::string(maker) +
                                          " --catalog '" + file.string() + "'");
        EXPECT_EQ(run.rc, 0) << run.err;
    }
    EXPECT_EQ(zmk::test::ReadFileBytes(file), own);
    EXPECT_EQ(fs::last_write_time(file), before);

    // A catalogue nested past the limit is refused with a message naming it and the limit.
    std::string deep = "<catalog>";
    for (int i = 0; i < 2000; ++i)
        deep += "<item>";
    for (int i = 0; i < 2000; ++i)
        deep += "</item>";
    deep += "</catalog>";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << deep;
    const ProgramRun refused =
        folder.Run("geometry '600 x 1200 4r 12f 16c' --catalog '" + file.string() + "'");
    EXPECT_NE(
        refused.err.find("The file \"" + file.string() + "\" nests its elements more than 64 levels deep"),
        std::string::npos)
        << refused.err;
    EXPECT_EQ(zmk::test::ReadFileBytes(file), deep);
}

TEST(GeometryCommandTest, NegativeSizesAreRefused)
{
    const zmk::test::ZemtorFolder folder;
    const struct
    {
        const char* size;
        const char* says;
    } cases[] = {
        {"600 x -1200 4r 12f 16c", "-1200 is negative"},
        {"600 x 1200 -4r 12f 16c", "-4 is negative"},
        {"600 x 1200 4r 12f -.5c", "-.5 is negative"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = folder.Run(std::string("geometry '") + c.size + "'");
        EXPECT_EQ(run.rc, 1) << c.size;
        EXPECT_TRUE(run.out.empty()) << c.size;
        EXPECT_NE(run.err.find(std::string("size text \"") + c.size + "\": " + c.says), std::string::npos)
            << run.err;
    }
    // A text starting with a minus is no option either.
    const ProgramRun first = folder.Run("geometry -- '-600 x 1200 4r 12f 16c'");
    EXPECT_EQ(first.rc, 1);
    EXPECT_NE(first.err.find("-600 is negative"), std::string::npos) << first.err;
    // A minus between two numbers is the separator it always was.
    EXPECT_EQ(folder.Run("geometry '600-1200 4r 12f 16c' >/dev/null").rc, 0);
}

TEST(GeometryCommandTest, NamesFromTheCatalogueReachTheTerminalWithoutControlCharacters)
{
    const zmk::test::ZemtorFolder folder;
    const fs::path file = folder / "ctl.xml";
    std::ofstream(file, std::ios::binary)
        << "<catalog><item><maker>Esc&#27;[2JMaker\xc2\x9b\x33\x31m</maker><fin t=\"0.15\"/>"
           "<pat sx=\"33\" sy=\"38.1\"/><model name=\"N&#27;]0;title&#7;\" d=\"4\">"
           "<tube id=\"12.5222\" od=\"13.335\"/></model></item></catalog>";
    for (const char* format : {"", " --json"}) {
        const ProgramRun run = folder.Run("geometry '600 x 1200 4r 12f 16c' --catalog '" + file.string() +
                                          "' --maker \"$(printf 'Esc\\033[2JMaker\\302\\23331m')\"" + format);
        ASSERT_EQ(run.rc, 0) << format << run.err;
        EXPECT_NE(run.out.find("Esc[2JMaker31m"), std::string::npos) << run.out;
        for (const std::string& text : {run.out, run.err}) {
            EXPECT_EQ(text.find('\x1b'), std::string::npos) << format;
            EXPECT_EQ(text.find('\x07'), std::string::npos) << format;
            EXPECT_EQ(text.find("\xc2\x9b"), std::string::npos) << format;
        }
    }
}

TEST(GeometryCommandTest, ACatalogueTubeThatCannotBeBuiltIsLeftOut)
{
    // A maker whose first 1/2" model has its inside diameter above the outside one, and whose
    // second has a negative tube pitch: neither becomes a coil with a negative weight or count.
    const fs::path dir = fs::temp_directory_path() / ("zmk_badcat_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "CoilMakers.xml")
        << R"(<catalog><item><maker>Bad</maker><fin t="0.15"/><pat sx="33" sy="38.1"/>)"
           R"(<model name="wide inside" d="4"><tube id="15" od="13.335"/></model>)"
           R"(<model name="negative pitch" d="4"><tube id="12.5" od="13.335"/><pat sy="-38.1"/></model>)"
           R"(<model name="sound" d="4"><tube id="12.5222" od="13.335"/></model></item></catalog>)";
    const ProgramRun run =
        Zemtor("geometry '600 x 1200 4r 12f 16c' --maker Bad --json --catalog '" +
               (dir / "CoilMakers.xml").string() + "' 2>'" + (dir / "err.txt").string() + "'");
    ASSERT_EQ(run.rc, 0) << run.out;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["Model"], "sound");
    for (const char* key : {"TubesHigh", "TubeCount", "TubeWeight", "DryWeight", "Ai", "Ao"})
        EXPECT_GT(j[key].get<double>(), 0) << key;
    std::ifstream in(dir / "err.txt");
    const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(err.find("\"wide inside\" of Bad is left out: The tube's inside diameter"), std::string::npos)
        << err;
    EXPECT_NE(err.find("\"negative pitch\" of Bad is left out"), std::string::npos) << err;
    fs::remove_all(dir);
}

} // namespace
