// Coil selection against a small catalogue whose answer a plain loop of ratings gives, the
// pruning against the full enumeration, the limit that rules a fruitless selection out,
// cancellation and the leaving-air target.
#include "engine/CoilSelection.h"

#include "../support/TempDir.h"
#include "base/FileIO.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <set>
#include <string>
#include <tuple>

namespace zmk {
namespace {

// Two patterns of one maker: the 1/2" pattern with aluminium and with copper fins.
const char* const kTwoPatterns = R"(<?xml version="1.0" encoding="UTF-8"?>
<catalog kind="coil" version="1.0.0.0" developer="quorvane">
  <item>
    <maker>Acme</maker>
    <range>fin and tube coil</range>
    <model name="Al 1/2" d="4">
      <fin t="0.1524" mt="Al" f="1" />
      <tube id="12.5222" od="13.335" mt="Cu" f="1" />
      <pat sx="33" sy="38.1" kind="Staggered" />
      <circ basis="height" />
    </model>
    <model name="Cu 1/2" d="4">
      <fin t="0.1524" mt="Cu" f="1" />
      <tube id="12.5222" od="13.335" mt="Cu" f="1" />
      <pat sx="33" sy="38.1" kind="Staggered" />
      <circ basis="height" />
    </model>
  </item>
</catalog>
)";

// Points the thread's catalogue at the two-pattern file for one test and back after it.
class SelectionCatalogue : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved_ = ProcessCoilMakers().FileName();
        WriteFileAtomically((dir_ / "CoilMakers.xml").string(), kTwoPatterns);
        ProcessCoilMakers().Reset((dir_ / "CoilMakers.xml").string());
    }
    void TearDown() override { ProcessCoilMakers().Reset(saved_); }

    // The default hot water job at its own face, three rows, two fin densities, both patterns.
    TSelectInputs smallSelection() const
    {
        TSelectInputs in;
        in.Job = TCoilInputs::Defaults("hwc");
        in.Job.Start.CoilMaker = "Acme"; // a maker the file has
        in.Duty = 0.9 * RateCoil(in.Job).Qt;
        in.Patterns = CataloguePatterns(ProcessCoilMakers());
        in.Limits.FixedFace = true;
        in.Limits.RowsLo = 2;
        in.Limits.RowsHi = 4;
        in.Limits.Fpi = {8, 12};
        in.Limits.FpiStep = 4;
        in.Limits.TubeVelocity = {0, 1e9};
        in.Limits.FaceVelocity = {0, 100};
        in.Threads = 2;
        return in;
    }

    testing::TempDir dir_;
    std::string saved_;
};

using TKey = std::tuple<std::string, int, double, int>;

TKey keyOf(const TSelectCandidate& c)
{
    return {c.Pattern.Name, c.Rows, c.fpi, c.Circ};
}

std::vector<TKey> keysOf(const TSelectResult& r)
{
    std::vector<TKey> keys;
    for (const TSelectCandidate& c : r.Candidates)
        keys.push_back(keyOf(c));
    return keys;
}

TEST_F(SelectionCatalogue, KeepsWhatALoopOfRatingsKeepsRankedByArea)
{
    const TSelectInputs in = smallSelection();
    ASSERT_EQ(in.Patterns.size(), 2u);
    // Every pattern x rows x fins x circuits (divisors of the tube count) rated one by one.
    const int tubesHigh = static_cast<int>(std::lround(in.Job.Start.fHeight / 0.0381));
    std::set<TKey> expected;
    std::size_t combinations = 0;
    double smallestArea = 1e300;
    for (const TMnfRec& p : in.Patterns)
        for (int rows = 2; rows <= 4; ++rows)
            for (double fpi : {8.0, 12.0})
                for (int n = 1; n <= tubesHigh * rows; ++n) {
                    if ((tubesHigh * rows) % n != 0)
                        continue;
                    ++combinations;
                    TSelectCandidate c;
                    c.Pattern = p;
                    c.fHeight = in.Job.Start.fHeight;
                    c.fLength = in.Job.Start.fLength;
                    c.Rows = rows;
                    c.fpi = fpi;
                    c.Circ = n;
                    const TCoilResult r = RateCoil(CandidateInputs(in, RateCoil(in.Job).Va, c));
                    if (r.Solved && r.Qt >= in.Duty) {
                        expected.insert(keyOf(c));
                        smallestArea = std::min(smallestArea, r.Ao);
                    }
                }
    const TSelectResult got = SelectCoils(in);
    EXPECT_EQ(got.Enumerated, combinations);
    const std::vector<TKey> keys = keysOf(got);
    EXPECT_EQ(std::set<TKey>(keys.begin(), keys.end()), expected);
    ASSERT_FALSE(got.Candidates.empty());
    EXPECT_DOUBLE_EQ(got.Candidates.front().Ao, smallestArea);
    for (std::size_t i = 1; i < got.Candidates.size(); ++i)
        EXPECT_LE(got.Candidates[i - 1].Objective, got.Candidates[i].Objective);
    // Copper fins weigh more than aluminium ones of the same coil: the weight ranking puts an
    // aluminium-finned coil first.
    TSelectInputs byWeight = in;
    byWeight.Objective = TSelectObjective::Weight;
    const TSelectResult light = SelectCoils(byWeight);
    ASSERT_FALSE(light.Candidates.empty());
    EXPECT_EQ(light.Candidates.front().Pattern.Name, "Al 1/2");
    EXPECT_GT(light.Candidates.front().Weight, 0);
}

TEST_F(SelectionCatalogue, TheSameOnAnyThreadsAndTheBestKeptAreTheFirstOfAll)
{
    TSelectInputs in = smallSelection();
    in.Limits.FixedFace = false;
    in.Limits.Height = {0.5, 0.6};
    in.Limits.Length = {0.8, 1.2};
    in.Limits.LengthStep = 0.2;
    in.Threads = 1;
    const TSelectResult one = SelectCoils(in);
    in.Threads = 3;
    const TSelectResult three = SelectCoils(in);
    EXPECT_EQ(keysOf(one), keysOf(three));
    EXPECT_EQ(one.Rated, three.Rated);
    ASSERT_GT(one.Met, 40u);
    EXPECT_EQ(one.Met, one.Candidates.size());
    // Kept to the best few, on each thread's share too: the head of the full list.
    in.Keep = 7;
    const TSelectResult best = SelectCoils(in);
    EXPECT_EQ(best.Met, one.Met);
    ASSERT_EQ(best.Candidates.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(keyOf(best.Candidates[i]), keyOf(one.Candidates[i])) << i;
        EXPECT_EQ(best.Candidates[i].fLength, one.Candidates[i].fLength) << i;
    }
}

// A worker that has found more coils than are kept passes over those that rank below the best it
// holds: the head of the list is still that of all of them, by area and by air pressure drop, on
// one thread or two.
TEST_F(SelectionCatalogue, TheBestKeptOfLargeGroupsAreTheHeadOfAll)
{
    TSelectInputs in = smallSelection();
    in.Limits.FixedFace = false;
    in.Limits.Height = {0.6, 0.62}; // 16 tubes
    in.Limits.Length = {0.8, 2.0};
    in.Limits.LengthStep = 0.2;
    in.Limits.RowsLo = 1;
    in.Limits.RowsHi = 5;
    in.Duty *= 0.5;
    in.Threads = 1;
    for (TSelectObjective objective : {TSelectObjective::Area, TSelectObjective::AirDp}) {
        in.Objective = objective;
        in.Keep = 0;
        const TSelectResult all = SelectCoils(in);
        // Two groups (the two patterns), each with many times the few it keeps.
        ASSERT_GT(all.Met, 2 * (2 * 3 + 64u));
        in.Keep = 3;
        for (int threads : {1, 2}) {
            in.Threads = threads;
            const TSelectResult best = SelectCoils(in);
            EXPECT_EQ(best.Met, all.Met);
            ASSERT_EQ(best.Candidates.size(), 3u);
            for (std::size_t i = 0; i < 3; ++i) {
                EXPECT_EQ(keyOf(best.Candidates[i]), keyOf(all.Candidates[i])) << i;
                EXPECT_EQ(best.Candidates[i].fLength, all.Candidates[i].fLength) << i;
                EXPECT_EQ(best.Candidates[i].Objective, all.Candidates[i].Objective) << i;
            }
        }
        in.Threads = 1;
    }
}

// A seeded comparison: the pruning never drops a coil the full enumeration keeps, over random
// duties, limits and faces of the installed catalogue's patterns.
TEST_F(SelectionCatalogue, PruningKeepsEveryCoilTheFullEnumerationKeeps)
{
    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> share(0.5, 1.6);
    for (int trial = 0; trial < 4; ++trial) {
        TSelectInputs in = smallSelection();
        in.Limits.FixedFace = false;
        in.Limits.Height = {0.6, 0.6 + 0.0381 * (trial % 2)};
        in.Limits.Length = {0.8, 1.2};
        in.Limits.LengthStep = 0.4;
        in.Limits.RowsLo = 1;
        in.Limits.RowsHi = 5;
        in.Limits.TubeVelocity = {0.2, 3.0};
        in.Duty *= share(random);
        if (trial == 3)
            in.Limits.MaxAirDp = 120;
        in.Prune = false;
        const TSelectResult full = SelectCoils(in);
        in.Prune = true;
        const TSelectResult pruned = SelectCoils(in);
        EXPECT_EQ(keysOf(full), keysOf(pruned)) << "trial " << trial;
        EXPECT_EQ(full.Enumerated, pruned.Enumerated);
        EXPECT_EQ(pruned.Rated + pruned.Pruned, full.Rated);
        EXPECT_EQ(full.Pruned, 0u);
    }
}

// At a set face velocity a shorter face takes less air as well as less surface, so that it can
// reach a leaving air a longer face of the same circuits misses: only rows and fins prune there,
// and each coil's margin is over the duty its own air flow needs.
TEST_F(SelectionCatalogue, PruningAtASetFaceVelocityKeepsWhatTheFullEnumerationKeeps)
{
    for (const bool leavingAir : {true, false}) {
        TSelectInputs in = smallSelection();
        const TCoilResult job = RateCoil(in.Job);
        in.Limits.FixedFace = false;
        in.Limits.Height = {0.5, 0.62};
        in.Limits.Length = {0.4, 2.4};
        in.Limits.LengthStep = 0.4;
        in.Limits.RowsLo = 1;
        in.Limits.RowsHi = 4;
        in.Limits.FaceVelocity = {0, 100};
        in.FaceVelocity = 2.5;
        if (leavingAir)
            in.LeavingAir = job.AirOut.db - 4;
        in.Prune = false;
        const TSelectResult full = SelectCoils(in);
        in.Prune = true;
        const TSelectResult pruned = SelectCoils(in);
        ASSERT_FALSE(full.Candidates.empty()) << full.RulingText();
        std::vector<std::pair<TKey, double>> a, b;
        for (const TSelectCandidate& c : full.Candidates)
            a.emplace_back(keyOf(c), c.fLength);
        for (const TSelectCandidate& c : pruned.Candidates)
            b.emplace_back(keyOf(c), c.fLength);
        EXPECT_EQ(a, b) << (leavingAir ? "leaving air" : "duty");
        // A coil that heats its own air to the target has about the duty that air needs: its
        // margin is over that, not over the duty the job's air flow would need.
        if (leavingAir) {
            for (const TSelectCandidate& c : full.Candidates)
                EXPECT_GT(c.Margin, -0.5) << c.SizeText();
        }
    }
}

TEST_F(SelectionCatalogue, NamesTheLimitThatRuledMostCoilsOut)
{
    struct Case
    {
        const char* what;
        void (*change)(TSelectInputs&);
        TSelectLimit ruling;
    };
    const Case cases[] = {
        {"duty out of reach", [](TSelectInputs& in) { in.Duty *= 50; }, TSelectLimit::Duty},
        {"air dp", [](TSelectInputs& in) { in.Limits.MaxAirDp = 1; }, TSelectLimit::AirDp},
        {"liquid dp", [](TSelectInputs& in) { in.Limits.MaxLiquidDp = 1e-6; }, TSelectLimit::LiquidDp},
        {"face velocity",
         [](TSelectInputs& in) {
             in.Limits.FaceVelocity = {20, 30};
         },
         TSelectLimit::FaceVelocity},
        {"tube velocity",
         [](TSelectInputs& in) {
             in.Limits.TubeVelocity = {50, 60};
         },
         TSelectLimit::TubeVelocity},
    };
    for (const Case& c : cases) {
        TSelectInputs in = smallSelection();
        c.change(in);
        const TSelectResult r = SelectCoils(in);
        EXPECT_TRUE(r.Candidates.empty()) << c.what;
        EXPECT_EQ(r.Ruling(), c.ruling) << c.what;
        EXPECT_NE(r.RulingText().find(SelectLimitName(c.ruling)), std::string::npos) << r.RulingText();
    }
}

TEST_F(SelectionCatalogue, CancelStopsBetweenFinHeightsAndKeepsWhatWasFound)
{
    TSelectInputs in = smallSelection();
    in.Limits.FixedFace = false;
    in.Limits.Height = {0.5, 0.7};
    in.Limits.Length = {0.8, 1.0};
    in.Threads = 1;
    std::atomic<bool> cancel{false};
    std::size_t calls = 0, total = 0;
    const TSelectResult r = SelectCoils(in, &cancel, [&](std::size_t done, std::size_t all) {
        ++calls;
        total = all;
        if (done == 1)
            cancel = true;
    });
    EXPECT_TRUE(r.Cancelled);
    EXPECT_EQ(calls, 1u);
    EXPECT_GT(total, 1u);
    cancel = true;
    const TSelectResult none = SelectCoils(in, &cancel);
    EXPECT_TRUE(none.Cancelled);
    EXPECT_EQ(none.Rated, 0u);
    EXPECT_TRUE(none.Candidates.empty());
}

// At a set face velocity each face takes its own air flow: every coil is rated at that velocity,
// rates so through the ordinary inputs with its own air flow, and a larger face meets a duty a
// smaller one at the job's air flow could not.
TEST_F(SelectionCatalogue, AFaceVelocityGivesEachFaceItsOwnAirFlow)
{
    TSelectInputs in = smallSelection();
    in.Limits.FixedFace = false;
    in.Limits.Height = {0.5, 0.62};
    in.Limits.Length = {0.8, 1.6};
    in.Limits.LengthStep = 0.4;
    in.FaceVelocity = 2.0;
    in.Duty *= 1.3;
    const TSelectResult r = SelectCoils(in);
    ASSERT_FALSE(r.Candidates.empty()) << r.RulingText();
    bool large = false;
    for (const TSelectCandidate& c : r.Candidates) {
        EXPECT_NEAR(c.Vf, 2.0, 1e-12);
        EXPECT_NEAR(c.Va, 2.0 * c.fHeight * c.fLength, 1e-12);
        large = large || c.fLength > 1.5;
    }
    EXPECT_TRUE(large);
    const TSelectCandidate& c = r.Candidates.back();
    const TCoilResult again = RateCoil(CandidateInputs(in, c.Va, c));
    EXPECT_NEAR(std::fabs(again.Qt), c.Qt, 1e-12 * c.Qt);
    // The job's own air flow over the same faces is another selection.
    in.FaceVelocity.reset();
    const TSelectResult kept = SelectCoils(in);
    EXPECT_NE(kept.Met, r.Met);
    for (const TSelectCandidate& k : kept.Candidates)
        EXPECT_NEAR(k.Va, kept.AirVolumeFlow, 1e-15);
}

TEST_F(SelectionCatalogue, LeavingAirTargetKeepsCoilsThatHeatTheAirToIt)
{
    TSelectInputs in = smallSelection();
    const TCoilResult job = RateCoil(in.Job);
    in.LeavingAir = job.AirOut.db - 2;
    const TSelectResult r = SelectCoils(in);
    ASSERT_FALSE(r.Candidates.empty());
    EXPECT_GT(r.TargetDuty, 0);
    for (const TSelectCandidate& c : r.Candidates)
        EXPECT_GE(c.AirOut, *in.LeavingAir);
    EXPECT_LT(r.Candidates.size(), r.Rated);
}

// A candidate built straight from its record rates as the same coil built through its size text
// does, to the last bit, over patterns, sizes and the three kinds.
TEST(SelectionRecordPath, RatesEachCandidateAsTheSizeTextPathDoes)
{
    const std::vector<TMnfRec> patterns = CataloguePatterns(ProcessCoilMakers());
    ASSERT_GT(patterns.size(), 3u);
    std::mt19937 random(1210);
    int compared = 0;
    for (const char* kind : {"hwc", "cwc", "zmk"}) {
        TSelectInputs in;
        in.Job = TCoilInputs::Defaults(kind);
        const TRatingStates states(in.Job);
        ASSERT_TRUE(states.Error.empty()) << states.Error;
        for (int i = 0; i < 12; ++i) {
            TSelectCandidate c;
            c.Pattern = patterns[random() % patterns.size()];
            c.TubesHigh = 8 + static_cast<int>(random() % 25);
            // Whole tubes of a pitch and lengths in steps give sums that are not round numbers,
            // which the size text would round.
            c.fHeight = c.TubesHigh * c.Pattern.Sy;
            c.fLength = 0.5 + static_cast<int>(random() % 26) * 0.1;
            c.Rows = 1 + static_cast<int>(random() % 8);
            c.fpi = 6 + static_cast<int>(random() % 9);
            c.Circ = c.TubesHigh * c.Rows / (1 + static_cast<int>(random() % 2));
            const TCoilInputs inputs = CandidateInputs(in, 1.5, c);
            const TCoilResult text = RateCoil(inputs);
            const TCoilResult record = RateCoilRecord(inputs, states, CandidateModel(c, TModelRec{}));
            const std::string what = std::string(kind) + " " + c.Pattern.Name + " " + c.SizeText();
            ASSERT_EQ(text.Solved, record.Solved) << what << record.Error;
            EXPECT_FALSE(text.Model.empty()) << what;
            EXPECT_TRUE(record.Model.empty()) << what; // no size text made for each candidate
            for (auto field : {&TCoilResult::Qt, &TCoilResult::Qs, &TCoilResult::Ao, &TCoilResult::Vf,
                               &TCoilResult::AirDp, &TCoilResult::LiquidDp, &TCoilResult::tfo,
                               &TCoilResult::vw, &TCoilResult::mw, &TCoilResult::mCondensate})
                EXPECT_EQ(text.*field, record.*field) << what;
            EXPECT_EQ(text.AirOut.db, record.AirOut.db) << what;
            compared += text.Solved ? 1 : 0;
        }
    }
    EXPECT_GT(compared, 24);
}

TEST(SelectionRecordPath, ARecordThatCannotBeBuiltIsNotRated)
{
    const TCoilInputs in = TCoilInputs::Defaults("hwc");
    const TRatingStates states(in);
    TModelRec rec;
    rec.tf = 0.01; // thicker than the fin pitch
    const TCoilResult r = RateCoilRecord(in, states, rec);
    EXPECT_FALSE(r.Solved);
    EXPECT_EQ(r.Status, TSolveStatus::DataError);
    EXPECT_NE(r.Error.find("pitch"), std::string::npos) << r.Error;
    TCoilInputs unknown = in;
    unknown.Kind = "xyz";
    const TRatingStates none(unknown);
    EXPECT_FALSE(none.Error.empty());
    EXPECT_FALSE(RateCoilRecord(unknown, none, TModelRec{}).Solved);
}

TEST(SelectionInputs, ObjectiveNamesReadBack)
{
    for (auto o :
         {TSelectObjective::Area, TSelectObjective::Weight, TSelectObjective::AirDp, TSelectObjective::Cost})
        EXPECT_EQ(SelectObjectiveOf(SelectObjectiveName(o)), o);
    EXPECT_EQ(SelectObjectiveOf("AIRDP"), TSelectObjective::AirDp);
    EXPECT_FALSE(SelectObjectiveOf("price"));
}

} // namespace
} // namespace zmk
