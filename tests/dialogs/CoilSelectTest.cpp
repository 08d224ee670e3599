// The coil selection window's rules: what the form refuses, a run on its own thread (and a
// cancelled one), sorting the table, marking the job's coil and taking a row into the job.
#include "dialogs/CoilSelect.h"

#include "app/CoilJob.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "units/ConvTools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace zmk {
namespace {

class CoilSelectWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TAdpDefault::Instance().Reset();
        job_.KindCode = "hwc";
        job_.SetKindDefaults();
        job_.BuildCoil(true);
        ASSERT_TRUE(job_.Solved());
        select_.Open(job_);
        // A quick selection about the job's own coil.
        TCoilSelectForm& f = select_.Form;
        f.FixedFace = true;
        f.RowsLo = 3;
        f.RowsHi = 5;
        f.FpiLo = 8;
        f.FpiHi = 12;
        f.Duty = 0.9 * f.Duty;
    }

    void runToEnd()
    {
        std::string error;
        ASSERT_TRUE(select_.Start(job_, error)) << error;
        while (!select_.Collect())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    RecordingNotifier notes_;
    TCoilJob job_{&notes_};
    TCoilSelect select_;
};

TEST_F(CoilSelectWindow, OpensOnTheJobsDutyAndRefusesAFormThatGivesNoSelection)
{
    EXPECT_NEAR(select_.Form.Duty, 0.9 * std::fabs(job_.Coil()->Qt), 1e-3);
    ASSERT_GE(select_.Makers().size(), 2u);
    EXPECT_EQ(select_.Makers().front(), kAllMakersText);
    struct Case
    {
        void (*change)(TCoilSelectForm&);
        const char* says;
    };
    for (const Case& c : {Case{[](TCoilSelectForm& f) { f.RowsLo = 6; }, "rows range"},
                          Case{[](TCoilSelectForm& f) { f.VfLo = 4; }, "face velocity range"},
                          Case{[](TCoilSelectForm& f) { f.LengthHi = 100; }, "finned length range"},
                          Case{[](TCoilSelectForm& f) { f.Duty = 0; }, "target duty"}}) {
        TCoilSelect s;
        s.Open(job_);
        s.Form = select_.Form;
        c.change(s.Form);
        std::string error;
        EXPECT_FALSE(s.Start(job_, error));
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_FALSE(s.Run().Running());
    }
    // A leaving air target needs no duty.
    TCoilSelect s;
    s.Open(job_);
    s.Form = select_.Form;
    s.Form.Duty = 0;
    s.Form.ByLeavingAir = true;
    std::string error;
    ASSERT_TRUE(s.Inputs(job_, error)) << error;
}

TEST_F(CoilSelectWindow, RunsSortsMarksAndUsesARow)
{
    runToEnd();
    ASSERT_GT(select_.RowCount(), 2u);
    EXPECT_NE(select_.StatusText().find("coils meet"), std::string::npos) << select_.StatusText();
    // Best first by the objective (area); then by any column, both ways.
    for (std::size_t i = 1; i < select_.RowCount(); ++i)
        EXPECT_LE(select_.Row(i - 1).Ao, select_.Row(i).Ao);
    select_.SortBy(TSelectColumn::AirDp, false);
    for (std::size_t i = 1; i < select_.RowCount(); ++i)
        EXPECT_GE(select_.Row(i - 1).AirDp, select_.Row(i).AirDp);
    select_.SortBy(TSelectColumn::Circuits, true);
    for (std::size_t i = 1; i < select_.RowCount(); ++i)
        EXPECT_LE(select_.Row(i - 1).Circ, select_.Row(i).Circ);
    EXPECT_EQ(select_.Cell(0, TSelectColumn::Circuits), std::to_string(select_.Row(0).Circ));

    // The job's own coil (4 rows, 10 fpi at its face) is among the rows and is the one marked.
    std::size_t marked = 0, current = 0;
    for (std::size_t i = 0; i < select_.RowCount(); ++i)
        if (select_.IsCurrent(job_, i)) {
            ++marked;
            current = i;
        }
    ASSERT_EQ(marked, 1u);
    EXPECT_EQ(select_.Row(current).Rows, 4);

    const std::size_t other = current == 0 ? 1 : 0;
    select_.Use(job_, other);
    EXPECT_TRUE(job_.Solved());
    EXPECT_TRUE(select_.IsCurrent(job_, other));
    EXPECT_FALSE(select_.IsCurrent(job_, current));
    EXPECT_NEAR(std::fabs(job_.Coil()->Qt), select_.Row(other).Qt, 1e-6 * select_.Row(other).Qt);
}

// Restores the thread's unit settings after a test that changes them.
struct UnitsBack
{
    ~UnitsBack() { Quantities().ResetDefaults(); }
};

TEST(CoilSelectUnits, ShowsHeldValuesInTheDisplayUnitsAndReadsThemBack)
{
    const UnitsBack back;
    SetAllMetric();
    using Q = TSelectQuantity;
    for (Q q : {Q::Duty, Q::AirTemp, Q::AirDp, Q::LiquidDp, Q::FaceVelocity, Q::TubeVelocity, Q::Height,
                Q::Length, Q::Mass, Q::Area})
        EXPECT_TRUE(SelectShownUnit(q).Held()) << static_cast<int>(q);
    EXPECT_EQ(SelectShownUnit(Q::Height).Label, "mm");
    EXPECT_EQ(SelectColumnHeading(TSelectColumn::Duty, TSelectObjective::Area), "Duty kW");
    EXPECT_EQ(SelectColumnHeading(TSelectColumn::Face, TSelectObjective::Area), "H x L mm");

    SetAllImperial();
    struct Case
    {
        Q quantity;
        const char* label;
        double held, shown;
    };
    const Case cases[] = {
        {Q::Duty, "Btu/hr", 100, 341214.2},  {Q::AirTemp, "°F", 20, 68},
        {Q::AirDp, "InchWg", 249.0889, 1},   {Q::LiquidDp, "Psi", 6.894757, 1},
        {Q::FaceVelocity, "fpm", 2.54, 500}, {Q::Height, "inch", 609.6, 24},
        {Q::Length, "inch", 1219.2, 48},     {Q::Mass, "lb", 0.45359237, 1},
        {Q::Area, "ft²", 0.09290304, 1},
    };
    for (const Case& c : cases) {
        const TSelectUnit u = SelectShownUnit(c.quantity);
        EXPECT_EQ(u.Label, c.label);
        EXPECT_NEAR(u.ToShown(c.held), c.shown, 1e-4 * std::fabs(c.shown)) << c.label;
        EXPECT_NEAR(u.FromShown(u.ToShown(c.held)), c.held, 1e-9 * c.held) << c.label;
    }
    // A box that still shows the held value (to its decimals) gives that value back exactly; a
    // value the user changed is converted.
    const TSelectUnit height = SelectShownUnit(Q::Height);
    const double held = 300; // mm: 11.811... inch
    const double inBox = std::round(height.ToShown(held) * 100) / 100;
    ASSERT_EQ(height.Decimals, 2);
    EXPECT_EQ(height.Read(inBox, held), held);
    EXPECT_NEAR(height.Read(12, held), 304.8, 1e-9);
    const TSelectUnit temp = SelectShownUnit(Q::AirTemp);
    EXPECT_NEAR(temp.Read(50, 20), 10, 1e-12);

    EXPECT_EQ(SelectColumnHeading(TSelectColumn::Duty, TSelectObjective::Area), "Duty Btu/hr");
    EXPECT_EQ(SelectColumnHeading(TSelectColumn::AirDp, TSelectObjective::Area), "Air dp InchWg");
    EXPECT_EQ(SelectColumnHeading(TSelectColumn::FaceVelocity, TSelectObjective::Area), "Vf fpm");
    EXPECT_EQ(SelectColumnHeading(TSelectColumn::Objective, TSelectObjective::Area), "Area ft²");
    EXPECT_EQ(SelectColumnHeading(TSelectColumn::Objective, TSelectObjective::Cost), "Cost");
    EXPECT_EQ(SelectColumnHeading(TSelectColumn::Face, TSelectObjective::Area), "H x L inch");
    Quantities().fat_length.display = FindUnitIndex(utLengthMeasure, "mm");
    EXPECT_EQ(SelectColumnHeading(TSelectColumn::Face, TSelectObjective::Area), "H x L inch x mm");
}

TEST_F(CoilSelectWindow, TableCellsFollowTheDisplayUnits)
{
    const UnitsBack back;
    SetAllMetric();
    runToEnd();
    ASSERT_GT(select_.RowCount(), 0u);
    const TSelectCandidate& c = select_.Row(0);
    EXPECT_EQ(select_.Cell(0, TSelectColumn::Duty), Format("%0.2f", c.Qt));
    EXPECT_EQ(select_.Cell(0, TSelectColumn::Face),
              Format("%0.1f x %0.0f", 1000 * c.fHeight, 1000 * c.fLength));
    SetAllImperial();
    EXPECT_EQ(select_.Cell(0, TSelectColumn::Duty),
              Format("%0.0f", c.Qt * SelectShownUnit(TSelectQuantity::Duty).Factor));
    EXPECT_EQ(select_.Cell(0, TSelectColumn::FaceVelocity), Format("%0.1f", c.Vf / 0.00508));
    EXPECT_EQ(select_.Cell(0, TSelectColumn::Face),
              Format("%0.2f x %0.2f", c.fHeight / 0.0254, c.fLength / 0.0254));
    EXPECT_EQ(select_.Cell(0, TSelectColumn::Objective), Format("%0.4g", c.Ao / 0.09290304));
    EXPECT_NE(select_.StatusText().find(" Btu/hr: "), std::string::npos) << select_.StatusText();
    // The values held, and so the order, do not change with the units.
    EXPECT_EQ(select_.Row(0).Qt, c.Qt);
    // A leaving air target is told as the air, in its unit.
    SetAllMetric();
    select_.Form.ByLeavingAir = true;
    select_.Form.LeavingAir = 35;
    runToEnd();
    SetAllImperial();
    EXPECT_NE(select_.StatusText().find("meet a leaving air of 95.0 °F: "), std::string::npos)
        << select_.StatusText();
}

// "Set face velocity": every row at that velocity, and Use takes the row's own air flow.
TEST_F(CoilSelectWindow, ASetFaceVelocityRatesEveryRowAtItAndUseKeepsIt)
{
    select_.Form.SetFaceVelocity = true;
    select_.Form.FaceVelocity = 0;
    std::string error;
    EXPECT_FALSE(select_.Inputs(job_, error));
    EXPECT_NE(error.find("face velocity"), std::string::npos) << error;
    select_.Form.FaceVelocity = 2.0;
    runToEnd();
    ASSERT_GT(select_.RowCount(), 0u);
    for (std::size_t i = 0; i < select_.RowCount(); ++i)
        EXPECT_NEAR(select_.Row(i).Vf, 2.0, 1e-12);
    select_.Use(job_, 0);
    EXPECT_NEAR(job_.Coil()->Vf, 2.0, 1e-9);
    EXPECT_NEAR(std::fabs(job_.Coil()->Qt), select_.Row(0).Qt, 1e-6 * select_.Row(0).Qt);
}

TEST_F(CoilSelectWindow, CancelEndsTheRunWithWhatItFound)
{
    select_.Form.FixedFace = false;
    select_.Form.HeightLo = 300;
    select_.Form.HeightHi = 1500;
    std::string error;
    ASSERT_TRUE(select_.Start(job_, error)) << error;
    select_.Run().Cancel();
    while (!select_.Collect())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_FALSE(select_.Run().Running());
    EXPECT_EQ(select_.StatusText().rfind("Cancelled: ", 0), 0u) << select_.StatusText();
}

} // namespace
} // namespace zmk
