// The coil kinds, their default start values and the coil built from start values.
#include "engine/CoilFactory.h"

#include "base/Notifier.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"
#include "properties/Fluid.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include <unistd.h>

namespace zmk {

TEST(CoilFactory, DefaultsOfEachKind)
{
    struct Row
    {
        const char* code;
        double dbi, wai, dbo, wao, vf;
        int spec;
        const char* caption;
        double ro, cp, mu, ko, twi, two;
    };
    const Row rows[] = {
        {"cwc", 24.0, 0.0095, 12.6, 0.008, 2.5, 0, "Water", 999.74, 4.196, 0.00137561, 0.000583141, 5.0,
         10.78},
        {"HWC", 5.0, 0.004, 41.18, 0.004, 2.7, 0, "Water", 987.1565, 4.182, 0.000528932, 0.000645357, 60.0,
         43.989},
        {"zmk", 380.0, 0.005, 177.3, 0.005, 2.7, 1, "Thermal Oil", 805.3, 2.2328, 0.004034, 0.0001278, 80.0,
         100.0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.code);
        TCoilStartValues v;
        ASSERT_TRUE(SetKindDefaults(r.code, v));
        EXPECT_EQ(v.Pa, 101.325);
        EXPECT_EQ(v.dbi, r.dbi);
        EXPECT_EQ(v.wai, r.wai);
        EXPECT_EQ(v.dbo, r.dbo);
        EXPECT_EQ(v.wao, r.wao);
        EXPECT_EQ(v.vf, r.vf);
        EXPECT_EQ(v.LiquidSpec, r.spec);
        EXPECT_EQ(v.LiquidCaption, r.caption);
        EXPECT_EQ(v.UserRo, r.ro);
        EXPECT_EQ(v.UserCp, r.cp);
        EXPECT_EQ(v.UserMu, r.mu);
        EXPECT_EQ(v.UserKo, r.ko);
        EXPECT_EQ(v.mw, 1.2);
        EXPECT_EQ(v.twi, r.twi);
        EXPECT_EQ(v.two, r.two);
        EXPECT_EQ(v.LiquidControl, 1);
        EXPECT_EQ(v.CoilMaker, "typical");
        EXPECT_EQ(v.tube, 4);
        EXPECT_EQ(v.fHeight, 0.5334);
        EXPECT_EQ(v.fLength, 1.2);
        EXPECT_EQ(v.Rows, 4);
        EXPECT_EQ(v.fpi, 10);
        EXPECT_EQ(v.Circ, 14);
        EXPECT_EQ(v.CoilModel, "533.4 1200 4r 10f 14c");
    }

    TCoilStartValues v;
    ASSERT_TRUE(SetKindDefaults("zmk", v));
    v.fHeight = 0.6096;
    v.Rows = 2.5;
    EXPECT_EQ(StartValuesCoilModel(v), "609.6 1200 2.5r 10f 14c");
    const TCoilStartValues before = v;
    EXPECT_FALSE(SetKindDefaults("xyz", v));
    EXPECT_EQ(v.fHeight, before.fHeight);
    EXPECT_EQ(v.CoilModel, before.CoilModel);

    EXPECT_EQ(NextCoilKind("cwc"), "hwc");
    EXPECT_EQ(NextCoilKind("HWC"), "zmk");
    EXPECT_EQ(NextCoilKind("zmk"), "cwc");
    EXPECT_EQ(CanonicalCoilKind("ZmK"), std::optional<std::string>("zmk"));
    EXPECT_FALSE(CanonicalCoilKind("zmkx"));
}

TEST(CoilFactory, StartCoilTakesEveryStartValue)
{
    struct Row
    {
        const char* kind;
        int code;
    };
    const Row rows[] = {{"cwc", kCodeColdWaterCoil}, {"HWC", kCodeHotWaterCoil}, {"zmk", kCodeZemtor}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind);
        TCoilStartValues v;
        ASSERT_TRUE(SetKindDefaults(r.kind, v));
        v.fHeight = 0.6096;
        v.fLength = 1.5;
        v.Rows = 6;
        v.fpi = 12;
        v.Circ = 21;
        v.vf = 2.2;
        v.twi += 3;
        v.mw = 2.5;
        v.LiquidControl = 0;
        v.UserRo = 1001;

        auto coil = MakeStartCoil(r.kind, v);
        EXPECT_EQ(coil->Geometry->Rec.Code, r.code);
        EXPECT_EQ(coil->GetFinHeight(), 0.6096);
        EXPECT_EQ(coil->GetFinnedLength(), 1.5);
        EXPECT_EQ(coil->GetRows(), 6);
        EXPECT_EQ(coil->GetFinDensity(), 12);
        EXPECT_EQ(coil->GetCircuits(), 21);

        auto liquid = MakeStartLiquid(v);
        EXPECT_EQ(liquid->Caption, v.LiquidCaption);
        EXPECT_EQ(liquid->UserRo, 1001);
        TAirState in = SetState(v.Pa, v.dbi, v.wai, kPairDbW);
        TAirState out = SetState(v.Pa, v.dbo, v.wao, kPairDbW);
        coil->Attach(in, out, *liquid);
        ApplyStartFlows(*coil, v);
        EXPECT_DOUBLE_EQ(coil->Vf, 2.2);
        EXPECT_EQ(coil->LiquidState->ctrl, 0);
        EXPECT_EQ(liquid->tfi, v.twi);
        EXPECT_DOUBLE_EQ(liquid->m, 2.5);
    }
}

namespace {

// The duty and leaving states of a start coil solved on the start values.
struct Solved
{
    double Qt, Qs, dbo, wo, tfo, Ao, Ai;
    int status;
    bool operator==(const Solved&) const = default;
};

Solved solveStart(std::unique_ptr<TLiquidCoil> coil, const TCoilStartValues& v)
{
    auto liquid = MakeStartLiquid(v);
    TAirState in = SetState(v.Pa, v.dbi, v.wai, kPairDbW);
    TAirState out = SetState(v.Pa, v.dbo, v.wao, kPairDbW);
    coil->Attach(in, out, *liquid);
    ApplyStartFlows(*coil, v);
    const int status = static_cast<int>(coil->Solve());
    return {coil->Qt, coil->Qs, out.db, out.w, liquid->tfo, coil->Ao, coil->Ai, status};
}

} // namespace

// A batch's start coils are copies of the first one built: each solves to the same bits as a
// coil built afresh, whichever kind and geometry came before it, and a copy solved and dropped
// leaves the kept coil as it was.
TEST(CoilFactory, StartCoilsSolveAsCoilsBuiltAfresh)
{
    TStartCoils coils;
    const char* const kinds[] = {"zmk", "HWC", "cwc", "hwc", "zmk", "cwc"};
    for (int round = 0; round < 2; ++round)
        for (const char* kind : kinds) {
            SCOPED_TRACE(::testing::Message() << kind << " round " << round);
            TCoilStartValues v;
            ASSERT_TRUE(SetKindDefaults(kind, v));
            if (round == 1) {
                v.Rows = 6;
                v.fLength = 1.5;
            }
            const Solved fresh = solveStart(MakeStartCoil(kind, v), v);
            EXPECT_EQ(solveStart(coils.Make(kind, v), v), fresh);
            EXPECT_EQ(solveStart(coils.Make(kind, v), v), fresh);
        }
}

// A copy has a geometry of its own, and under the published air-side method its effectiveness
// reads its own rows, not those of the coil it was copied from.
TEST(CoilFactory, ACopyOwnsItsGeometryAndItsEffectiveness)
{
    TCoilStartValues v;
    ASSERT_TRUE(SetKindDefaults("hwc", v));
    std::unique_ptr<TLiquidCoil> coil = MakeStartCoil("hwc", v);
    coil->SetAirSideMethod(TAirSideMethod::Published);
    std::unique_ptr<TLiquidCoil> copy = coil->Clone();
    ASSERT_NE(copy->Geometry.get(), coil->Geometry.get());
    ASSERT_NE(copy->LiquidState.get(), coil->LiquidState.get());
    const double before = copy->EffectivenessFn(1.5, 0.6);
    coil->Geometry->Rec.Rows = 1;
    EXPECT_NE(coil->EffectivenessFn(1.5, 0.6), before);
    EXPECT_EQ(copy->EffectivenessFn(1.5, 0.6), before);
    coil.reset();
    EXPECT_EQ(copy->EffectivenessFn(1.5, 0.6), before);
    EXPECT_EQ(copy->AirSideMethod, TAirSideMethod::Published);
}

// A copy leaves the catalogue as a build would: the start coil's maker loaded again after
// another maker's, so that a project of a maker with a pattern the catalogue leaves out is told
// so on every file, not only on the first.
TEST(CoilFactory, StartCoilsLeaveTheCatalogueAsABuildDoes)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("zmk_startcoils_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "CoilMakers.xml").string();
    std::ofstream(file, std::ios::binary) << R"(<?xml version="1.0" encoding="UTF-8"?>
<catalog kind="coil" version="1.0.0.0">
  <item>
    <maker>typical</maker>
    <model name="T4" d="4" />
  </item>
  <item>
    <maker>Other</maker>
    <model name="O1" d="4" />
    <model name="Wide" d="5"><tube id="20" od="10" /></model>
  </item>
</catalog>
)";
    TCoilMakers& catalogue = ProcessCoilMakers();
    const std::string saved = catalogue.FileName();
    RecordingNotifier told;
    catalogue.Reset(file, &told);
    TCoilStartValues v;
    ASSERT_TRUE(SetKindDefaults("hwc", v));
    TStartCoils coils;
    std::size_t leftOut = 0;
    for (int job = 0; job < 3; ++job) {
        SCOPED_TRACE(job);
        (void)coils.Make("hwc", v);
        EXPECT_EQ(catalogue.CachedMaker(), v.CoilMaker);
        (void)catalogue.SelectModel("Other", 4);
        leftOut = 0;
        for (const std::string& m : told.messages)
            leftOut += m.find("\"Wide\" of Other is left out") != std::string::npos;
        EXPECT_EQ(leftOut, static_cast<std::size_t>(job + 1));
    }
    catalogue.Reset(saved);
    fs::remove_all(dir);
}

} // namespace zmk
