#include "app/ProjectFile.h"

#include "support/ProjectTestSession.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "platform/RecentFiles.h"
#include "properties/Fluid.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>

namespace zmk {
namespace {

namespace fs = std::filesystem;
using test::ProjectJob;
using test::ShellTestFolder;

std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
        s.replace(p, from.size(), to);
    return s;
}

// Removes the first element `<name>...</name>` (or an empty one) from a file's text.
std::string removeElement(std::string s, const std::string& name)
{
    const size_t a =
        s.find("<" + name + ">") != std::string::npos ? s.find("<" + name + ">") : s.find("<" + name + " ");
    if (a == std::string::npos)
        return s;
    const std::string close = "</" + name + ">";
    size_t b = s.find(close, a);
    b = b == std::string::npos ? s.find("/>", a) + 2 : b + close.size();
    s.erase(a, b - a);
    return s;
}

// Names of an element's child elements, in order.
std::vector<std::string> childNames(pugi::xml_node node)
{
    std::vector<std::string> names;
    for (pugi::xml_node c : node.children())
        if (c.type() == pugi::node_element)
            names.emplace_back(c.name());
    return names;
}

class ProjectFileTest : public ::testing::Test
{
protected:
    ShellTestFolder folder;
    test::CatalogueCopy catalogue{folder / "common"};
    std::string file(const std::string& name) const { return (folder / name).string(); }

    // A job of the kind with inputs off its defaults, solved, with project properties, saved.
    std::string savedJob(ProjectJob& p, const std::string& name)
    {
        TCoilJob& job = p.job;
        job.EnterField(TEntryField::edFinnedLength, 1.1);
        job.EnterField(TEntryField::edRows, 5);
        job.EnterField(TEntryField::edFinDensity, 11);
        job.EnterField(TEntryField::edAltitude, 350);
        job.EnterField(TEntryField::edAirMassflow, job.Inputs.edAirMassflow.Value * 0.9);
        job.EnterField(TEntryField::edFluidInTemp, job.Inputs.edFluidInTemp.Value + 3);
        job.EnterField(TEntryField::edFluidFlow, 1.4);
        job.Solve();
        EXPECT_TRUE(job.Solved());
        TPropertyValues& v = p.properties.Values();
        v.ProjectName = "Stack recovery";
        v.ProjectNumber = "J-17";
        v.Comments = {"first line", "second line"};
        v.Date = TDate{2025, 12, 31};
        const std::string path = file(name);
        EXPECT_TRUE(p.session.SaveAs(path));
        EXPECT_TRUE(p.notes.messages.empty());
        return path;
    }
};

// Every input and result the file holds comes back exactly: each number is written in the
// shortest text that reads back to the same double.
void expectSameJob(ProjectJob& a, ProjectJob& b)
{
    TLiquidCoil& ca = a.coil();
    TLiquidCoil& cb = b.coil();
    EXPECT_EQ(cb.Qt, ca.Qt);
    EXPECT_EQ(cb.Qs, ca.Qs);
    EXPECT_EQ(cb.e, ca.e);
    EXPECT_EQ(cb.Ntu, ca.Ntu);
    EXPECT_EQ(cb.Cr, ca.Cr);

    const TModelRec& ra = ca.Geometry->Rec;
    const TModelRec& rb = cb.Geometry->Rec;
    EXPECT_EQ(rb.Mnf, ra.Mnf);
    EXPECT_EQ(rb.Tube, ra.Tube);
    EXPECT_EQ(rb.Model, ra.Model);
    EXPECT_EQ(rb.Code, ra.Code);
    EXPECT_EQ(rb.fHeight, ra.fHeight);
    EXPECT_EQ(rb.fLength, ra.fLength);
    EXPECT_EQ(rb.Rows, ra.Rows);
    EXPECT_EQ(rb.fpi, ra.fpi);
    EXPECT_EQ(rb.Circ, ra.Circ);
    EXPECT_EQ(rb.cb, ra.cb);
    EXPECT_EQ(rb.Serp, ra.Serp);
    EXPECT_EQ(rb.Sx, ra.Sx);
    EXPECT_EQ(rb.Sy, ra.Sy);
    EXPECT_EQ(rb.tp, ra.tp);
    EXPECT_EQ(rb.ID, ra.ID);
    EXPECT_EQ(rb.OD, ra.OD);
    EXPECT_EQ(rb.tf, ra.tf);
    EXPECT_EQ(rb.fc, ra.fc);
    EXPECT_EQ(rb.ft, ra.ft);
    EXPECT_EQ(rb.tc, ra.tc);
    EXPECT_EQ(rb.Mf, ra.Mf);
    EXPECT_EQ(rb.Mt, ra.Mt);
    EXPECT_EQ(rb.Mc, ra.Mc);
    EXPECT_EQ(cb.Ao, ca.Ao); // the derived geometry follows

    EXPECT_EQ(cb.GetPressure(), ca.GetPressure());
    EXPECT_EQ(b.job.AirIn().db, a.job.AirIn().db);
    EXPECT_EQ(b.job.AirIn().wb, a.job.AirIn().wb);
    EXPECT_EQ(b.job.AirOut().db, a.job.AirOut().db);
    EXPECT_EQ(b.job.AirOut().wb, a.job.AirOut().wb);
    EXPECT_EQ(cb.ma, ca.ma);

    const TLiquid& la = a.liquid();
    const TLiquid& lb = b.liquid();
    EXPECT_EQ(lb.Caption, la.Caption);
    EXPECT_EQ(lb.LiquidSpec, la.LiquidSpec);
    EXPECT_EQ(lb.WaterAdditive, la.WaterAdditive);
    EXPECT_EQ(lb.AdditiveVolume, la.AdditiveVolume);
    EXPECT_EQ(lb.UserProps, la.UserProps);
    EXPECT_EQ(lb.tfi, la.tfi);
    EXPECT_EQ(lb.tfo, la.tfo);
    EXPECT_EQ(lb.t, la.t);
    EXPECT_EQ(lb.m, la.m);
    EXPECT_EQ(lb.GetPf(), la.GetPf());
    EXPECT_EQ(lb.UserRo, la.UserRo);
    EXPECT_EQ(lb.UserCp, la.UserCp);
    EXPECT_EQ(lb.UserMu, la.UserMu);
    EXPECT_EQ(lb.UserKo, la.UserKo);
    EXPECT_EQ(lb.Cp, la.Cp); // evaluated afresh at the same temperatures

    const TLiquidState& sa = *ca.LiquidState;
    const TLiquidState& sb = *cb.LiquidState;
    EXPECT_EQ(sb.designdt, sa.designdt);
    EXPECT_EQ(sb.vwideal, sa.vwideal);
    EXPECT_EQ(sb.ctrl, sa.ctrl);
    EXPECT_EQ(sb.cw, sa.cw);
    EXPECT_EQ(sb.vw, sa.vw);

    EXPECT_EQ(b.properties.Values(), a.properties.Values());
}

TEST_F(ProjectFileTest, SaveThenOpenGivesBackTheJobOfEachKind)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        ProjectJob a(kind);
        const std::string path = savedJob(a, std::string(kind) + ".zmx");
        EXPECT_EQ(a.job.FileName, path);

        ProjectJob b(kind);
        ASSERT_TRUE(b.job.Solved());
        const TOpenResult r = b.session.Open(path);
        EXPECT_TRUE(r.Exists && r.Parsed && r.CoilFound);
        EXPECT_EQ(r.FileKind, kind);
        EXPECT_TRUE(b.notes.messages.empty()) << b.notes.messages[0];
        EXPECT_EQ(b.job.FileName, path);
        EXPECT_EQ(b.job.KindCode, kind); // Open never changes the coil kind ...
        EXPECT_FALSE(b.job.Solved());    // ... and never solves
        EXPECT_EQ(b.notes.statuses.back(), "Not Solved...");
        expectSameJob(a, b);

        // The fields show what was read.
        EXPECT_NEAR(b.job.Inputs.edRows.Value, 5, 1e-9);
        EXPECT_NEAR(b.job.Inputs.edAltitude.Value, 350, 0.5);
        EXPECT_EQ(b.job.Inputs.edFluidFlow.Value, a.job.Inputs.edFluidFlow.Value);

        // Solving the opened job rates the same coil.
        const double Qt = a.coil().Qt;
        b.job.Solve();
        EXPECT_TRUE(b.job.Solved());
        EXPECT_NEAR(b.coil().Qt, Qt, 1e-9 * std::fabs(Qt));
    }
}

TEST_F(ProjectFileTest, AJobUnderTemperatureControlRatesTheSameDutyAfterSaveAndOpen)
{
    // An air flow with more decimals than a fixed format keeps: written as "1.540" it came back
    // as 1.5400 kg/s and the job rated 0.05 kW off (207.975 kW for 208.022 kW).
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        ProjectJob a(kind);
        TCoilJob& job = a.job;
        job.EnterField(TEntryField::edAirMassflow, 1.5399);
        if (a.coil().LiquidState->ctrl != wcTemp)
            job.ToggleLiquidControl();
        job.EnterField(TEntryField::edFluidDT, 7.25);
        job.EnterField(TEntryField::edFluidInTemp, job.Inputs.edFluidInTemp.Value + 1.0 / 3);
        job.Solve();
        ASSERT_TRUE(job.Solved());
        const double Qt = a.coil().Qt;
        const std::string path = file(std::string(kind) + "-temp.zmx");
        ASSERT_TRUE(a.session.SaveAs(path));

        ProjectJob b(kind);
        b.session.Open(path);
        EXPECT_EQ(b.job.Inputs.edAirMassflow.Value, 1.5399);
        EXPECT_EQ(b.job.Inputs.edFluidInTemp.Value, a.job.Inputs.edFluidInTemp.Value);
        EXPECT_EQ(b.coil().LiquidState->ctrl, wcTemp);
        b.job.Solve();
        ASSERT_TRUE(b.job.Solved());
        EXPECT_NEAR(b.coil().Qt, Qt, 1e-9 * Qt);
        EXPECT_EQ(b.job.Inputs.edAirMassflow.Value, 1.5399);
    }
}

TEST_F(ProjectFileTest, TheSameJobSavedTwiceGivesIdenticalFilesWithEveryElementOnce)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        ProjectJob a(kind);
        const std::string path = savedJob(a, "twice.zmx");
        const std::string first = ShellTestFolder::Read(path);
        ASSERT_TRUE(a.session.Save());
        EXPECT_EQ(ShellTestFolder::Read(path), first);

        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_string(first.c_str()));
        // No element occurs twice among its siblings, although TZemtor writes its liquid state twice.
        std::function<void(pugi::xml_node)> once = [&](pugi::xml_node n) {
            std::vector<std::string> names = childNames(n);
            std::sort(names.begin(), names.end());
            EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end()) << n.name();
            for (pugi::xml_node c : n.children())
                once(c);
        };
        once(doc);
        EXPECT_EQ(replaceAll(first, "<liquidstate>", "").size() + std::strlen("<liquidstate>"), first.size());
    }
}

TEST_F(ProjectFileTest, TheElementLayoutInOrderWithFormatsAndAttributes)
{
    ProjectJob a("zmk");
    const std::string path = savedJob(a, "layout.zmx");
    const std::string text = ShellTestFolder::Read(path);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\"", 0), 0u);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(text.c_str()));

    const pugi::xml_node root = doc.document_element();
    EXPECT_STREQ(root.name(), "datafile");
    std::vector<std::string> attrs;
    for (pugi::xml_attribute at : root.attributes())
        attrs.push_back(std::string(at.name()) + "=" + at.value());
    EXPECT_EQ(attrs,
              (std::vector<std::string>{"program=ZMK", "generator=Quorvane Software", "version=1.0.0.0"}));
    EXPECT_EQ(childNames(root), (std::vector<std::string>{"fileprops", "zmk", "startval"}));

    const pugi::xml_node props = root.child("fileprops");
    EXPECT_EQ(childNames(props), (std::vector<std::string>{"projectname", "projectnumber", "description",
                                                           "author", "company", "date"}));
    EXPECT_STREQ(props.child_value("description"), "first line%13%10second line");
    EXPECT_STREQ(props.child_value("date"), "31 12 2025");

    const pugi::xml_node coil = root.child("zmk");
    const TLiquidCoil& c = a.coil();
    EXPECT_EQ(coil.attribute("caption").value(),
              Format("%s, %d, %s", c.Geometry->Rec.Mnf, int(c.Geometry->Rec.Tube), c.Geometry->SizeText));
    EXPECT_EQ(childNames(coil), (std::vector<std::string>{"Qt", "Qs", "e", "Ntu", "Cr", "fat", "air",
                                                          "liquidstate", "liquid_dp", "FoulingInDuty"}));
    EXPECT_STREQ(coil.child_value("FoulingInDuty"), "false");
    // Numbers that carry the job are written in their shortest exact form, the two pressure drops
    // (never read) as figures for the reader.
    auto exactly = [](const char* text) {
        double v = 0;
        EXPECT_TRUE(TryStrToFloat(text, v)) << text;
        return v;
    };
    EXPECT_EQ(exactly(coil.child_value("Qt")), c.Qt);
    EXPECT_EQ(exactly(coil.child_value("Ntu")), c.Ntu);
    EXPECT_STREQ(coil.child("liquid_dp").attribute("units").value(), "kPa");
    EXPECT_EQ(coil.child_value("liquid_dp"), Format("%0.6g", c.LiquidPressureDrop()));

    const pugi::xml_node fat = coil.child("fat");
    EXPECT_EQ(childNames(fat),
              (std::vector<std::string>{"Mnf", "Tube", "Model", "Code", "fHeight", "fLength", "Rows",
                                        "fpi", "Circ", "cb",    "Serp", "Sx",      "Sy",      "tp",
                                        "ID",  "OD",   "tf",    "fc",   "ft",      "Rifle",   "Sections",
                                        "Mf",  "Mt",   "Mc",    "tc"}));
    EXPECT_STREQ(fat.child_value("Mnf"), "typical");
    EXPECT_STREQ(fat.child_value("Code"), "5");
    EXPECT_STREQ(fat.child("Code").attribute("caption").value(), "ZM");
    EXPECT_STREQ(fat.child_value("fLength"), "1.1");
    EXPECT_STREQ(fat.child_value("Rows"), "5");
    EXPECT_STREQ(fat.child("cb").attribute("text").value(), "Tubes high");
    EXPECT_EQ(fat.child("Serp").attribute("caption").value(), SerpentineName(c.Geometry->Rec.Serp));
    EXPECT_STREQ(fat.child_value("Sy"), "0.0381");
    EXPECT_STREQ(fat.child("tp").attribute("text").value(), "Staggered");
    EXPECT_STREQ(fat.child_value("ID"), "0.012522199999999999"); // 0.493 inch
    EXPECT_STREQ(fat.child_value("fc"), "1");
    EXPECT_STREQ(fat.child_value("Rifle"), "false");
    EXPECT_STREQ(fat.child("Mf").attribute("caption").value(), "Al");
    EXPECT_STREQ(fat.child("Mt").attribute("caption").value(), "Cu");
    EXPECT_STREQ(fat.child("Mc").attribute("caption").value(), "GI");

    const pugi::xml_node air = coil.child("air");
    EXPECT_STREQ(air.attribute("text").value(), "air state");
    EXPECT_EQ(childNames(air), (std::vector<std::string>{"Pa", "dbi", "wbi", "dbo", "wbo", "ma", "air_dp"}));
    EXPECT_STREQ(air.child_value("dbi"), "380");
    EXPECT_EQ(exactly(air.child_value("wbi")), a.job.AirIn().wb);
    EXPECT_EQ(exactly(air.child_value("ma")), c.ma);
    EXPECT_EQ(air.child_value("air_dp"), Format("%0.3f", a.coil().AirPressureDrop()));
    EXPECT_STREQ(air.child("air_dp").attribute("units").value(), "Pa");

    const pugi::xml_node ls = coil.child("liquidstate");
    EXPECT_EQ(childNames(ls),
              (std::vector<std::string>{"liquid", "designdt", "cw", "vw", "vwideal", "ctrl"}));
    EXPECT_STREQ(ls.child_value("ctrl"), "1");
    const pugi::xml_node liquid = ls.child("liquid");
    std::string liquidChildren;
    for (const std::string& name : childNames(liquid))
        liquidChildren += (liquidChildren.empty() ? "" : " ") + name;
    EXPECT_EQ(liquidChildren, "Caption t tfi tfo Pf m Cp ro Ko mu Pr UserProps UserRo UserCp UserMu UserKo "
                              "UserTMin UserTMax LiquidSpec WaterAdditive AdditiveVolume");
    EXPECT_STREQ(liquid.child_value("UserTMin"), "0");
    EXPECT_STREQ(liquid.child_value("UserTMax"), "300");
    EXPECT_STREQ(liquid.child_value("Caption"), "Thermal Oil");
    EXPECT_STREQ(liquid.child_value("tfi"), "83");
    EXPECT_STREQ(liquid.child_value("Pf"), "5");
    EXPECT_STREQ(liquid.child("LiquidSpec").attribute("caption").value(), "Thermal Oil");
    EXPECT_STREQ(liquid.child("WaterAdditive").attribute("caption").value(), "None");
    EXPECT_STREQ(liquid.child_value("AdditiveVolume"), "0");

    const pugi::xml_node sv = root.child("startval");
    EXPECT_EQ(childNames(sv), (std::vector<std::string>{"Pa",        "dbi",    "wai",        "dbo",
                                                        "wao",       "vf",     "LiquidSpec", "LiquidCaption",
                                                        "UserRo",    "UserCp", "UserMu",     "UserKo",
                                                        "mw",        "twi",    "two",        "LiquidControl",
                                                        "CoilMaker", "tube",   "CoilModel",  "fHeight",
                                                        "fLength",   "Rows",   "fpi",        "Circ"}));
    EXPECT_STREQ(sv.child_value("dbi"), "380");
    EXPECT_STREQ(sv.child_value("wai"), "0.005");
    EXPECT_STREQ(sv.child("LiquidSpec").attribute("var").value(), "Thermal Oil");
    EXPECT_STREQ(sv.child_value("mw"), "1.4");
    EXPECT_STREQ(sv.child("LiquidControl").attribute("var").value(), "wcFlow");
    EXPECT_STREQ(sv.child_value("Rows"), "5");
    EXPECT_STREQ(sv.child_value("fpi"), "11");
    EXPECT_STREQ(sv.child_value("fLength"), "1.1");
    // The start values were captured from the coil before they were written.
    EXPECT_EQ(a.job.StartValues.Rows, 5);
}

TEST_F(ProjectFileTest, OlderElementNamesOpenLikeTheCurrentOnes)
{
    struct Row
    {
        const char* kind;
        const char* older;
    };
    for (const Row& r : {Row{"zmk", "zemtor"}, Row{"hwc", "hotwatercoil"}, Row{"cwc", "chilledwatercoil"}}) {
        SCOPED_TRACE(r.kind);
        ProjectJob a(r.kind);
        std::string text = ShellTestFolder::Read(savedJob(a, "new.zmx"));
        const std::string k = r.kind;
        text = replaceAll(text, "<" + k + " ", std::string("<") + r.older + " ");
        text = replaceAll(text, "</" + k + ">", std::string("</") + r.older + ">");
        text = replaceAll(text, "<fat>", "<finandtube>");
        text = replaceAll(text, "</fat>", "</finandtube>");
        text = replaceAll(text, "<ma>", "<MassFlow>");
        text = replaceAll(text, "</ma>", "</MassFlow>");
        ASSERT_EQ(text.find("<ma>"), std::string::npos);
        const std::string path = file("old.zmx");
        ShellTestFolder::Write(path, text);

        ProjectJob b(r.kind);
        const TOpenResult res = b.session.Open(path);
        EXPECT_TRUE(res.CoilFound);
        EXPECT_EQ(res.FileKind, r.kind);
        expectSameJob(a, b);
        EXPECT_EQ(ProjectFileKind(path), std::optional<std::string>(r.kind));
    }
}

TEST_F(ProjectFileTest, MissingElementsTakeTheirDefaults)
{
    ProjectJob a("zmk");
    const std::string saved = ShellTestFolder::Read(savedJob(a, "full.zmx"));
    const std::string path = file("part.zmx");

    // The five results read 0 when missing.
    ShellTestFolder::Write(path, removeElement(removeElement(saved, "Qt"), "Cr"));
    {
        ProjectJob b("zmk");
        b.session.Open(path);
        EXPECT_EQ(b.coil().Qt, 0);
        EXPECT_EQ(b.coil().Cr, 0);
        EXPECT_EQ(b.coil().Qs, a.coil().Qs);
    }
    // Without `air`, `fat` and `liquidstate` the coil keeps what it had.
    ShellTestFolder::Write(path,
                           removeElement(removeElement(removeElement(saved, "air"), "fat"), "liquidstate"));
    {
        ProjectJob b("zmk");
        const double ma = b.coil().ma, db = b.job.AirIn().db, tfi = b.liquid().tfi, rows = b.coil().GetRows();
        const TOpenResult r = b.session.Open(path);
        EXPECT_TRUE(r.CoilFound);
        EXPECT_NEAR(b.coil().ma, ma, 1e-12 * ma);
        EXPECT_NEAR(b.job.AirIn().db, db, 1e-9);
        EXPECT_EQ(b.liquid().tfi, tfi);
        EXPECT_EQ(b.coil().GetRows(), rows);
        EXPECT_EQ(b.coil().Qt, a.coil().Qt);
    }
    // A missing `UserProps` reads false; missing project properties read empty, the date today.
    std::string text = replaceAll(saved, "<UserProps>false</UserProps>", "");
    text = removeElement(text, "fileprops");
    ShellTestFolder::Write(path, text);
    {
        ProjectJob b("zmk");
        b.liquid().UserProps = true;
        b.properties.Values().ProjectName = "before";
        b.session.Open(path);
        EXPECT_FALSE(b.liquid().UserProps);
        EXPECT_EQ(b.properties.Values().ProjectName, "");
        EXPECT_TRUE(b.properties.Values().Comments.empty());
        EXPECT_EQ(b.properties.Values().Date, Today());
    }
    // A file holding only a root opens and reads nothing of the coil.
    ShellTestFolder::Write(path, "<datafile/>");
    {
        ProjectJob b("zmk");
        const double Qt = b.coil().Qt;
        const TOpenResult r = b.session.Open(path);
        EXPECT_TRUE(r.Parsed);
        EXPECT_FALSE(r.CoilFound);
        EXPECT_EQ(b.coil().Qt, Qt);
        ASSERT_EQ(b.notes.messages.size(), 1u);
        EXPECT_EQ(b.notes.messages[0], "The file holds no coil: only the project properties were read...");
    }
}

TEST_F(ProjectFileTest, NumbersInTheOlderFixedFormatsStillRead)
{
    // Files written before numbers were written exactly held fixed decimals and the "%0.6g"
    // exponents ("1.278E-004"); they open with the values those texts give.
    ProjectJob a("zmk");
    std::string text = ShellTestFolder::Read(savedJob(a, "exact.zmx"));
    auto setValue = [&](const std::string& name, const std::string& value) {
        size_t from = text.find("<" + name + ">");
        ASSERT_NE(from, std::string::npos) << name;
        from += name.size() + 2;
        text.replace(from, text.find("</" + name + ">", from) - from, value);
    };
    setValue("ma", "1.540");
    setValue("Sy", "0.0381000");
    setValue("fc", "1.00000");
    setValue("UserKo", "1.278E-004");
    setValue("tfi", "83.000");
    setValue("designdt", "17.500");
    const std::string path = file("older.zmx");
    ShellTestFolder::Write(path, text);

    ProjectJob b("zmk");
    ASSERT_TRUE(b.session.Open(path).CoilFound);
    EXPECT_TRUE(b.notes.messages.empty());
    EXPECT_EQ(b.coil().ma, 1.54);
    EXPECT_EQ(b.coil().Geometry->Rec.Sy, 0.0381);
    EXPECT_EQ(b.coil().Geometry->Rec.fc, 1);
    EXPECT_EQ(b.liquid().UserKo, 1.278e-4);
    EXPECT_EQ(b.liquid().tfi, 83);
    EXPECT_EQ(b.coil().LiquidState->designdt, 17.5);
    b.job.Solve();
    EXPECT_TRUE(b.job.Solved());
}

TEST_F(ProjectFileTest, ValuesThatDoNotParseOrCannotBeTakenKeepTheCurrentOnes)
{
    ProjectJob a("zmk");
    const std::string saved = ShellTestFolder::Read(savedJob(a, "full.zmx"));
    const std::string path = file("bad.zmx");
    // A decimal comma, a pressure and a mass flow out of reach, a wet bulb above the dry bulb, a
    // liquid kind that does not exist, a negative user density, a control that is neither, rows
    // and a material outside their tables, a temperature change that is no number.
    std::string text = saved;
    text = replaceAll(text, "<tfi>83</tfi>", "<tfi>1,5</tfi>");
    auto setValue = [&](const std::string& name, const std::string& value) {
        size_t a = text.find("<" + name + ">");
        if (a == std::string::npos)
            a = text.find("<" + name + " ");
        ASSERT_NE(a, std::string::npos) << name;
        a = text.find('>', a) + 1;
        const size_t b = text.find("</" + name + ">", a);
        text.replace(a, b - a, value);
    };
    setValue("Pa", "0");
    setValue("ma", "-3");
    setValue("wbi", "500");
    setValue("LiquidSpec", "99");
    setValue("UserRo", "-1");
    setValue("ctrl", "7");
    setValue("Rows", "99");
    setValue("Mf", "12");
    setValue("designdt", "nan");
    ShellTestFolder::Write(path, text);

    ProjectJob b("zmk");
    const double P = b.coil().GetPressure(), Vf = b.coil().Vf;
    const TAirState in = b.job.AirIn();
    const double tfi = b.liquid().tfi, userRo = b.liquid().UserRo, rows = b.coil().GetRows();
    const double designdt = b.coil().LiquidState->designdt;
    const int spec = b.liquid().LiquidSpec, mf = b.coil().Geometry->Rec.Mf;
    b.session.Open(path);
    EXPECT_TRUE(b.notes.messages.empty());
    EXPECT_EQ(b.liquid().tfi, tfi);
    EXPECT_NEAR(b.coil().GetPressure(), P, 1e-9);
    EXPECT_EQ(b.job.AirIn().db, in.db); // the pair is refused together
    EXPECT_NEAR(b.job.AirIn().wb, in.wb, 1e-9);
    EXPECT_NEAR(b.coil().Vf, Vf, 1e-9 * Vf); // the air flow follows the face velocity
    EXPECT_EQ(b.liquid().LiquidSpec, spec);
    EXPECT_EQ(b.liquid().UserRo, userRo);
    EXPECT_EQ(b.coil().LiquidState->ctrl, wcFlow);
    EXPECT_EQ(b.coil().GetRows(), rows);
    EXPECT_EQ(b.coil().Geometry->Rec.Mf, mf);
    EXPECT_EQ(b.coil().LiquidState->designdt, designdt);
    // What was readable was read.
    EXPECT_EQ(b.job.AirOut().db, a.job.AirOut().db);
    EXPECT_EQ(b.liquid().tfo, a.liquid().tfo);
    b.job.Solve();
    EXPECT_TRUE(b.job.Solved());
}

TEST_F(ProjectFileTest, FoulingInTheDutyAndTheUserRangeStayWithTheProject)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        ProjectJob a(kind);
        a.coil().FoulingInDuty = true;
        TLiquid& l = a.liquid();
        l.UserProps = true;
        l.UserTMin = -12.5;
        l.UserTMax = 140;
        const std::string path = savedJob(a, std::string(kind) + ".zmx");
        const double Qt = a.coil().Qt;

        // A coil that does not take fouling into its duty opens one that does, and rates it so.
        ProjectJob b(kind);
        ASSERT_FALSE(b.coil().FoulingInDuty);
        b.session.Open(path);
        EXPECT_TRUE(b.coil().FoulingInDuty);
        EXPECT_TRUE(b.liquid().UserProps);
        EXPECT_EQ(b.liquid().UserTMin, -12.5);
        EXPECT_EQ(b.liquid().UserTMax, 140);
        EXPECT_EQ(b.liquid().TMin, -12.5);
        EXPECT_EQ(b.liquid().TMax, 140);
        b.job.Solve();
        ASSERT_TRUE(b.job.Solved());
        EXPECT_NEAR(b.coil().Qt, Qt, 2e-3 * Qt);
        EXPECT_EQ(b.coil().UoDuty, b.coil().Uo);

        // A file from before either: the duty takes the clean coefficients, and user values hold over
        // the range of the kind they were started from, whatever the coil held before.
        const std::string saved = ShellTestFolder::Read(path);
        const std::string older = file("older.zmx");
        ShellTestFolder::Write(
            older,
            removeElement(removeElement(removeElement(saved, "FoulingInDuty"), "UserTMin"), "UserTMax"));
        ProjectJob c(kind);
        c.coil().FoulingInDuty = true;
        c.liquid().UserTMin = 40;
        c.liquid().UserTMax = 41;
        c.session.Open(older);
        EXPECT_FALSE(c.coil().FoulingInDuty);
        double lo = 0, hi = 0;
        c.liquid().CorrelationRange(lo, hi);
        EXPECT_EQ(c.liquid().UserTMin, lo);
        EXPECT_EQ(c.liquid().UserTMax, hi);
        EXPECT_EQ(c.liquid().TMax, hi);
        // A range given upside down is no range.
        ShellTestFolder::Write(
            older, replaceAll(replaceAll(saved, "<UserTMin>-12.5</UserTMin>", "<UserTMin>150</UserTMin>"),
                              "<UserTMax>140</UserTMax>", "<UserTMax>10</UserTMax>"));
        ProjectJob d(kind);
        d.session.Open(older);
        EXPECT_EQ(d.liquid().UserTMin, lo);
        EXPECT_EQ(d.liquid().UserTMax, hi);
    }
}

TEST_F(ProjectFileTest, UserPropsReadsTheBooleanWords)
{
    ProjectJob a("zmk");
    const std::string saved = ShellTestFolder::Read(savedJob(a, "full.zmx"));
    struct Row
    {
        const char* text;
        bool expected;
    };
    const Row rows[] = {{"Yes", true}, {"yes", true},    {"T", true},  {"true", true}, {"No", false},
                        {"F", false},  {"false", false}, {"1", false}, {"", false}};
    const std::string path = file("props.zmx");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        ShellTestFolder::Write(path, replaceAll(saved, "<UserProps>false</UserProps>",
                                                std::string("<UserProps>") + r.text + "</UserProps>"));
        ProjectJob b("zmk");
        b.liquid().UserProps = !r.expected;
        b.session.Open(path);
        EXPECT_EQ(b.liquid().UserProps, r.expected);
        // With user properties the user values stand; without, the correlation.
        if (r.expected) {
            EXPECT_NEAR(b.liquid().ro, b.liquid().UserRo, 1e-9);
        }
    }
}

TEST_F(ProjectFileTest, ARootOfAnotherNameAndNoDeclarationStillOpens)
{
    ProjectJob a("cwc");
    std::string text = ShellTestFolder::Read(savedJob(a, "full.zmx"));
    text = replaceAll(text, "<datafile ", "<something program=\"other\" ");
    text = replaceAll(text, "</datafile>", "</something>");
    text.erase(0, text.find("?>") + 2);
    const std::string path = file("other.zmx");
    ShellTestFolder::Write(path, text);
    ProjectJob b("cwc");
    EXPECT_TRUE(b.session.Open(path).CoilFound);
    expectSameJob(a, b);
}

TEST_F(ProjectFileTest, AFileThatIsNotXmlIsRefusedAndNeverBecomesCurrent)
{
    std::string random(1 << 20, '\0');
    unsigned state = 12345;
    for (char& c : random) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 23);
    }
    struct Case
    {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"broken.zmx", "<datafile><zmk><Qt>1</Qt></zm"},
        {"junk.zmx", "not a project at all"},
        {"page.zmx", "<!DOCTYPE html><html><body><p>An HTML page<br></body></html>"},
        {"random.zmx", random},
        {"empty.zmx", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = file(c.name);
        ShellTestFolder::Write(path, c.text);
        ProjectJob b("zmk");
        b.properties.Values().ProjectName = "kept";
        b.job.FileName = file("current.zmx");
        const double Qt = b.coil().Qt, tfo = b.liquid().tfo;
        const TOpenResult r = b.session.Open(path);
        EXPECT_TRUE(r.Exists);
        EXPECT_TRUE(r.Refused);
        EXPECT_FALSE(r.Parsed);
        EXPECT_FALSE(r.LoadError.empty());
        // Nothing changed: not the coil, not the properties, not the solved flag, not the name.
        EXPECT_EQ(b.coil().Qt, Qt);
        EXPECT_EQ(b.liquid().tfo, tfo);
        EXPECT_EQ(b.properties.Values().ProjectName, "kept");
        EXPECT_TRUE(b.job.Solved());
        EXPECT_EQ(b.job.FileName, file("current.zmx"));
        ASSERT_EQ(b.notes.messages.size(), 1u);
        EXPECT_EQ(b.notes.messages[0].rfind(std::string(kFileNotReadMessage) + "\r\n" + path + "\r\n", 0),
                  0u);
        // Save writes the current file and leaves the one that did not open as it was.
        EXPECT_TRUE(b.session.Save());
        EXPECT_EQ(ShellTestFolder::Read(path), c.text);
        EXPECT_EQ(ProjectFileKind(file("current.zmx")), std::optional<std::string>("zmk"));
    }
}

// A saved project with what other programs and the user add to it: a comment before the root,
// an attribute on the root, a foreign element beside the project's own, a comment and an element
// inside the coil, and attributes on the geometry and on a result.
std::string withForeignContent(const std::string& text)
{
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(text.c_str(), pugi::parse_default | pugi::parse_comments));
    pugi::xml_node root = doc.document_element();
    pugi::xml_node coil = root.child("fileprops").next_sibling();
    doc.insert_child_before(pugi::node_comment, root).set_value(" checked by the site office ");
    root.append_attribute("owner") = "Ada";
    pugi::xml_node notes = root.insert_child_after("mynotes", root.child("fileprops"));
    notes.append_attribute("lang") = "en";
    notes.append_child(pugi::node_pcdata).set_value("Check the fan ");
    notes.append_child("b").append_child(pugi::node_pcdata).set_value("twice");
    coil.prepend_child(pugi::node_comment).set_value(" rated in May ");
    coil.child("fat").append_attribute("note") = "from the maker";
    coil.child("Qt").append_attribute("source") = "site test";
    pugi::xml_node sensor = coil.child("air").append_child("sensor");
    sensor.append_attribute("id") = "7";
    sensor.append_child(pugi::node_pcdata).set_value("T12");
    std::ostringstream out;
    doc.save(out);
    return out.str();
}

// Checks that a document still holds everything withForeignContent added, around a coil
// element of the given name.
void expectForeignContent(const pugi::xml_document& doc, const char* coilName)
{
    const pugi::xml_node root = doc.document_element();
    ASSERT_EQ(doc.first_child().type(), pugi::node_comment);
    EXPECT_STREQ(doc.first_child().value(), " checked by the site office ");
    EXPECT_STREQ(root.name(), "datafile");
    EXPECT_STREQ(root.attribute("owner").value(), "Ada");
    EXPECT_STREQ(root.attribute("program").value(), "ZMK");
    EXPECT_EQ(childNames(root), (std::vector<std::string>{"fileprops", "mynotes", coilName, "startval"}));
    const pugi::xml_node notes = root.child("mynotes");
    EXPECT_STREQ(notes.attribute("lang").value(), "en");
    EXPECT_STREQ(notes.first_child().value(), "Check the fan ");
    EXPECT_STREQ(notes.child("b").text().get(), "twice");
    const pugi::xml_node coil = root.child(coilName);
    ASSERT_EQ(coil.first_child().type(), pugi::node_comment);
    EXPECT_STREQ(coil.first_child().value(), " rated in May ");
    EXPECT_STREQ(coil.child("fat").attribute("note").value(), "from the maker");
    EXPECT_STREQ(coil.child("Qt").attribute("source").value(), "site test");
    EXPECT_STREQ(coil.child("air").child("sensor").attribute("id").value(), "7");
    EXPECT_STREQ(coil.child("air").child("sensor").text().get(), "T12");
}

TEST_F(ProjectFileTest, WhatTheProgramDoesNotKnowSurvivesOpenAndSave)
{
    ProjectJob a("zmk");
    const std::string path = file("notes.zmx");
    ShellTestFolder::Write(path, withForeignContent(ShellTestFolder::Read(savedJob(a, "plain.zmx"))));

    ProjectJob b("zmk");
    ASSERT_TRUE(b.session.Open(path).CoilFound);
    b.job.EnterField(TEntryField::edOnCoil, 300);
    ASSERT_TRUE(b.session.Save());
    pugi::xml_document saved;
    ASSERT_TRUE(saved.load_file(path.c_str(), pugi::parse_default | pugi::parse_comments));
    expectForeignContent(saved, "zmk");
    // The project's own values are the job's, each written once.
    EXPECT_STREQ(saved.document_element().child("zmk").child("air").child("dbi").text().get(), "300");
    EXPECT_EQ(saved.document_element().child("zmk").select_nodes("air").size(), 1u);
    EXPECT_EQ(saved.document_element().child("zmk").select_nodes("liquidstate").size(), 1u);
    // Saving again writes the same bytes; Save As carries the content to the new file.
    const std::string once = ShellTestFolder::Read(path);
    ASSERT_TRUE(b.session.Save());
    EXPECT_EQ(ShellTestFolder::Read(path), once);
    ASSERT_TRUE(b.session.SaveAs(file("copy.zmx")));
    EXPECT_EQ(ShellTestFolder::Read(file("copy.zmx")), once);
    // A file that fails to open leaves the kept content with the current file.
    ShellTestFolder::Write(file("junk.zmx"), "junk");
    b.session.Open(file("junk.zmx"));
    ASSERT_TRUE(b.session.Save());
    EXPECT_EQ(ShellTestFolder::Read(file("copy.zmx")), once);

    // New starts a project of its own: nothing of the old file comes along.
    b.session.New();
    ASSERT_TRUE(b.session.SaveAs(file("new.zmx")));
    EXPECT_EQ(ShellTestFolder::Read(file("new.zmx")).find("mynotes"), std::string::npos);
}

TEST_F(ProjectFileTest, OlderNamesAndAnotherKindsCoilGiveWayToTheJobsCoilInPlace)
{
    ProjectJob a("zmk");
    std::string text = withForeignContent(ShellTestFolder::Read(savedJob(a, "plain.zmx")));
    // The older names of the coil, the geometry and the air mass flow.
    text = replaceAll(text, "<zmk ", "<zemtor ");
    text = replaceAll(text, "</zmk>", "</zemtor>");
    text = replaceAll(text, "<fat ", "<finandtube ");
    text = replaceAll(text, "</fat>", "</finandtube>");
    text = replaceAll(text, "<ma>", "<MassFlow>");
    text = replaceAll(text, "</ma>", "</MassFlow>");
    ASSERT_NE(text.find("<MassFlow>"), std::string::npos);
    const std::string older = file("older.zmx");
    ShellTestFolder::Write(older, text);

    ProjectJob b("zmk");
    ASSERT_TRUE(b.session.Open(older).CoilFound);
    expectSameJob(a, b);
    ASSERT_TRUE(b.session.Save());
    pugi::xml_document saved;
    ASSERT_TRUE(saved.load_file(older.c_str(), pugi::parse_default | pugi::parse_comments));
    expectForeignContent(saved, "zmk");
    const pugi::xml_node coil = saved.document_element().child("zmk");
    const std::vector<std::string> names = childNames(coil);
    EXPECT_EQ(std::count(names.begin(), names.end(), "fat"), 1);
    EXPECT_FALSE(coil.child("finandtube"));
    EXPECT_TRUE(coil.child("air").child("ma"));
    EXPECT_FALSE(coil.child("air").child("MassFlow"));

    // Read into a coil of another kind (as --kind does), the file's coil gives way to the job's
    // in its place; the foreign content stays, that of the coil given up goes with it.
    ProjectJob c("hwc");
    ASSERT_NO_THROW(c.session.OpenInKind(older, "hwc"));
    ASSERT_TRUE(c.session.Save());
    ASSERT_TRUE(saved.load_file(older.c_str(), pugi::parse_default | pugi::parse_comments));
    EXPECT_EQ(childNames(saved.document_element()),
              (std::vector<std::string>{"fileprops", "mynotes", "hwc", "startval"}));
    EXPECT_STREQ(saved.document_element().attribute("owner").value(), "Ada");
    EXPECT_FALSE(saved.document_element().child("hwc").child("air").child("sensor"));
    EXPECT_EQ(ProjectFileKind(older), std::optional<std::string>("hwc"));
}

TEST_F(ProjectFileTest, AMissingFileIsToldAndChangesNothing)
{
    ProjectJob b("zmk");
    b.job.FileName = file("current.zmx");
    const std::string missing = file("missing.zmx");
    const TOpenResult r = b.session.Open(missing);
    EXPECT_FALSE(r.Exists);
    ASSERT_EQ(b.notes.messages.size(), 1u);
    EXPECT_EQ(b.notes.messages[0], "The file you are trying to open does not exist...\r\n" + missing);
    EXPECT_EQ(b.job.FileName, file("current.zmx"));
    EXPECT_TRUE(b.job.Solved());
    EXPECT_TRUE(b.notes.statuses.empty());
}

TEST_F(ProjectFileTest, AnotherKindsFileReadsOnlyTheProjectProperties)
{
    // Read into a coil of another kind (the command line's --kind; the window switches kind
    // first, see ProjectSessionTest).
    ProjectJob hot("hwc");
    const std::string path = savedJob(hot, "hot.zmx");
    ProjectJob b("zmk");
    const double Qt = b.coil().Qt, db = b.job.AirIn().db;
    const TOpenResult r = b.job.Open(path, {&b.notes, &b.session.RecentFiles()});
    EXPECT_TRUE(r.Parsed);
    EXPECT_FALSE(r.CoilFound);
    EXPECT_EQ(r.FileKind, "hwc");
    EXPECT_EQ(b.job.KindCode, "zmk");
    EXPECT_EQ(b.coil().Qt, Qt);
    EXPECT_EQ(b.job.AirIn().db, db);
    EXPECT_FALSE(b.job.Solved());
    EXPECT_EQ(b.properties.Values().ProjectName, "Stack recovery");
    ASSERT_EQ(b.notes.messages.size(), 1u);
    EXPECT_EQ(b.notes.messages[0],
              "The file holds a HWC coil, not a ZMK coil: only the project properties were read...");
}

TEST_F(ProjectFileTest, SaveNamesANewJobAndFollowsTheRecentFiles)
{
    const std::string data = (folder / "docs").string() + "/";
    fs::create_directories(data);
    ProjectJob a("zmk", data);
    ASSERT_TRUE(a.session.Save());
    EXPECT_EQ(a.job.FileName, data + "Default.zmx");
    EXPECT_TRUE(fs::exists(data + "Default.zmx"));
    ASSERT_TRUE(a.session.SaveAs(file("second.zmx")));
    EXPECT_EQ(a.session.RecentFiles().VisibleCaptions(), (std::vector<std::string>{data + "Default.zmx"}));
    a.session.Open(data + "Default.zmx");
    EXPECT_EQ(a.job.FileName, data + "Default.zmx");
    EXPECT_EQ(a.session.RecentFiles().VisibleCaptions(), (std::vector<std::string>{file("second.zmx")}));
}

// Runs `save` with the size of files this process may write held at `limit` bytes, so that
// the write of a larger file stops part-way.
template <class F> bool withFileSizeLimit(rlim_t limit, F save)
{
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit lowered = old;
    lowered.rlim_cur = limit;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &lowered);
    const bool ok = save();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return ok;
}

TEST_F(ProjectFileTest, ASaveThatFailsMidWriteLeavesTheOldFileByteForByte)
{
    ProjectJob a("zmk");
    const std::string path = savedJob(a, "kept.zmx");
    const std::string before = ShellTestFolder::Read(path);
    a.job.EnterField(TEntryField::edOnCoil, 300);
    a.job.Solve();

    const bool saved = withFileSizeLimit(before.size() / 2, [&] { return a.session.Save(); });
    EXPECT_FALSE(saved);
    EXPECT_EQ(ShellTestFolder::Read(path), before);
    ASSERT_EQ(a.notes.messages.size(), 1u);
    EXPECT_NE(a.notes.messages[0].find(path), std::string::npos);
    EXPECT_NE(a.notes.messages[0].find("large"), std::string::npos) << a.notes.messages[0];
    // No scratch file is left beside it.
    int files = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(folder.path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1);

    // A target that cannot be replaced at all (a folder in its place) is told as well.
    const std::string dir = file("folder.zmx");
    fs::create_directories(dir + "/inside");
    EXPECT_FALSE(a.session.SaveAs(dir));
    EXPECT_EQ(a.notes.messages.size(), 2u);
    EXPECT_TRUE(fs::is_directory(dir + "/inside"));

    EXPECT_TRUE(a.session.SaveAs(path));
    EXPECT_NE(ShellTestFolder::Read(path), before);
}

TEST_F(ProjectFileTest, OpenRefusesWhatIsNoProjectAndNoLaterSaveTouchesIt)
{
    ShellTestFolder::Write(file("notes.xml"), "<?xml version=\"1.0\"?><notes>keep</notes>");
    ShellTestFolder::Write(file("catalogue.xml"), "<catalog><item><maker>x</maker></item></catalog>");
    ASSERT_EQ(::mkfifo(file("pipe.zmx").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", file("zero.zmx"));
    fs::create_directories(file("folder.zmx"));
    fs::create_symlink(file("loop-b.zmx"), file("loop-a.zmx"));
    fs::create_symlink(file("loop-a.zmx"), file("loop-b.zmx"));
    {
        std::string many = "<datafile>";
        for (int i = 0; i <= 1000000; ++i)
            many += "<a/>";
        ShellTestFolder::Write(file("elements.zmx"), many + "</datafile>");
    }
    ShellTestFolder::Write(file("huge.zmx"), "");
    fs::resize_file(file("huge.zmx"), 200u << 20);
    struct Case
    {
        const char* name;
        const char* reason;
    };
    const Case cases[] = {
        {"notes.xml", "holds no project: its root element <notes> is not <datafile>"},
        {"catalogue.xml", "holds no project: its root element <catalog>"},
        {"pipe.zmx", "it is a named pipe (FIFO), not a regular file"},
        {"zero.zmx", "it is a character device, not a regular file"},
        {"folder.zmx", "it is a folder, not a regular file"},
        {"loop-a.zmx", "Too many levels of symbolic links"},
        {"huge.zmx", "it is larger than 64 MiB (209715200 bytes)"},
        {"elements.zmx", "holds more than 1000000 elements"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectJob b("zmk");
        b.job.FileName = file("current.zmx");
        const double Qt = b.coil().Qt;
        std::error_code ec;
        const std::string before = fs::is_regular_file(file(c.name), ec) && fs::file_size(file(c.name)) < 1000
                                       ? ShellTestFolder::Read(file(c.name))
                                       : std::string();
        const TOpenResult r = b.session.Open(file(c.name));
        EXPECT_TRUE(r.Exists);
        EXPECT_TRUE(r.Refused);
        EXPECT_FALSE(r.CoilFound);
        ASSERT_EQ(b.notes.messages.size(), 1u);
        const std::string& told = b.notes.messages[0];
        EXPECT_EQ(told.rfind(std::string(kFileRefusedMessage) + "\r\n", 0), 0u) << told;
        EXPECT_NE(told.find(file(c.name)), std::string::npos) << told;
        EXPECT_NE(told.find(c.reason), std::string::npos) << told;
        // Nothing changed: the file is not current, the job keeps its solved coil.
        EXPECT_EQ(b.job.FileName, file("current.zmx"));
        EXPECT_TRUE(b.job.Solved());
        EXPECT_EQ(b.coil().Qt, Qt);
        EXPECT_TRUE(b.session.Save());
        if (!before.empty()) {
            EXPECT_EQ(ShellTestFolder::Read(file(c.name)), before);
        }
        EXPECT_FALSE(ProjectFileKind(file(c.name)));
    }
    EXPECT_TRUE(fs::is_fifo(file("pipe.zmx")));
    EXPECT_TRUE(fs::is_symlink(file("zero.zmx")));
}

TEST_F(ProjectFileTest, WhatCountsAsAProject)
{
    ProjectJob a("zmk");
    const std::string saved = savedJob(a, "saved.zmx");
    const std::string text = ShellTestFolder::Read(saved);
    const std::string startval =
        text.substr(text.find("<startval>"), text.find("</startval>") + 11 - text.find("<startval>"));
    struct Case
    {
        std::string text;
        bool project;
    };
    const Case cases[] = {
        {"<datafile/>", true},
        {"<DataFile><fileprops/></DataFile>", true},
        {"<other>" + startval + "</other>", true},
        {"<other><zemtor/></other>", true},
        {"<other><hotwatercoil/></other>", true},
        {"<other><fileprops/></other>", false},
        {"<notes>keep</notes>", false},
        {"<other><datafile><zmk/></datafile></other>", false},
    };
    for (const Case& c : cases) {
        ShellTestFolder::Write(file("case.zmx"), c.text);
        const TProjectLoad load = LoadProjectFile(file("case.zmx"));
        EXPECT_TRUE(load.Parsed) << c.text;
        EXPECT_EQ(load.IsProject, c.project) << c.text;
        EXPECT_EQ(OpenFailureMessage(load).empty(), c.project) << c.text;
    }
}

TEST_F(ProjectFileTest, SaveKeepsWhatTheUserSetOnTheFile)
{
    ProjectJob a("zmk");
    const std::string target = savedJob(a, "target.zmx");
    const std::string first = ShellTestFolder::Read(target);

    // Through a symbolic link: the target is written and the link stays a link.
    fs::create_symlink("target.zmx", file("link.zmx"));
    a.job.EnterField(TEntryField::edOnCoil, 300);
    a.job.Solve();
    ASSERT_TRUE(a.session.SaveAs(file("link.zmx")));
    EXPECT_TRUE(fs::is_symlink(file("link.zmx")));
    EXPECT_NE(ShellTestFolder::Read(target), first);
    EXPECT_EQ(ShellTestFolder::Read(file("link.zmx")), ShellTestFolder::Read(target));

    // The permissions stay; a hard link keeps seeing the project.
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_hard_link(target, file("hard.zmx"));
    a.job.EnterField(TEntryField::edOnCoil, 310);
    ASSERT_TRUE(a.session.SaveAs(target));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ShellTestFolder::Read(file("hard.zmx")), ShellTestFolder::Read(target));

    // A read-only project (no write permission for anyone: checked by its mode bits, since the
    // tests may run as root) is refused and left as it is.
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string locked = ShellTestFolder::Read(target);
    a.notes.messages.clear();
    a.job.EnterField(TEntryField::edOnCoil, 320);
    EXPECT_FALSE(a.session.SaveAs(target));
    ASSERT_EQ(a.notes.messages.size(), 1u);
    EXPECT_EQ(a.notes.messages[0], "Cannot write file \"" + target + "\": it is read-only...");
    EXPECT_EQ(ShellTestFolder::Read(target), locked);
}

} // namespace
} // namespace zmk
