#include "engine/CoilSelection.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "geometry/FinAndTube.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <thread>
#include <utility>

namespace zmk {

namespace {

constexpr double kEps = 1e-9;

// The share of the dry weight the geometry adds for fittings (its Weight's factor).
constexpr double kFittings = 1.05;

bool isAluminium(int material)
{
    return material == 1 || material == 5;
}

// One fin height of one pattern with its finned lengths (ascending): the unit a worker takes.
struct TGroup
{
    std::size_t Pattern = 0;
    int TubesHigh = 0;
    double fHeight = 0;
    std::vector<double> Lengths;
};

// What one group came to.
struct TGroupResult
{
    std::vector<TSelectCandidate> Met; // the best Keep of them, or all
    std::size_t MetCount = 0, Enumerated = 0, Rated = 0, Pruned = 0;
    std::vector<std::size_t> RuledOut = std::vector<std::size_t>(static_cast<int>(TSelectLimit::Count));
};

// The rank of a coil that meets (its objective, then its area): what the ranking orders by before
// the order in which the coils were found.
using TRankKey = std::pair<double, double>;

// The ranks of the coils one worker has kept so far, over all its groups. Once it holds more than
// Keep, the Keep-th best is a bar: a coil ranking below it (strictly, as a tie may go either way
// by the order of the groups) has Keep coils before it and cannot be among the best Keep of all,
// so it is counted but not kept. Which coils a worker passes over depends on the groups it took;
// the list of the best Keep does not.
struct TKeptRanks
{
    std::vector<TRankKey> Keys;
    bool HasBar = false;
    TRankKey Bar;

    bool Below(const TRankKey& k) const { return HasBar && Bar < k; }
    void Add(const TRankKey& k, std::size_t keep)
    {
        Keys.push_back(k);
        if (Keys.size() < 2 * keep + 64)
            return;
        std::nth_element(Keys.begin(), Keys.begin() + static_cast<std::ptrdiff_t>(keep - 1), Keys.end());
        Keys.resize(keep);
        Bar = *std::max_element(Keys.begin(), Keys.end());
        HasBar = true;
    }
};

// The fixed facts every group reads.
struct TPlan
{
    const TSelectInputs* In = nullptr;
    double Va = 0;         // air volume flow, m³/s
    double Target = 0;     // target duty, kW
    bool Heating = true;   // the leaving air target is a least (heating) or a most (cooling)
    double LiquidFlow = 0; // the liquid flow the target needs, kg/s
    bool FlowFollowsDuty = false; // the liquid's temperature change is held: its flow goes with the duty
    double LiquidDensity = 0;
    std::vector<int> Rows;
    std::vector<double> Fins; // ascending
    // The job's entering and leaving air and its liquid, built once for every candidate.
    std::unique_ptr<TRatingStates> States;
};

std::vector<int> divisors(int n)
{
    std::vector<int> d;
    for (int i = 1; i * i <= n; ++i)
        if (n % i == 0) {
            d.push_back(i);
            if (i != n / i)
                d.push_back(n / i);
        }
    std::sort(d.begin(), d.end());
    return d;
}

bool meets(const TPlan& plan, const TCoilResult& r)
{
    if (plan.In->LeavingAir)
        return plan.Heating ? r.AirOut.db >= *plan.In->LeavingAir - kEps
                            : r.AirOut.db <= *plan.In->LeavingAir + kEps;
    return std::fabs(r.Qt) >= plan.Target - kEps;
}

void weigh(const TSelectInputs& in, TSelectCandidate& c)
{
    TFinAndTube g;
    const TModelRec rec = CandidateModel(c, g.Rec);
    g.SetModel(rec);
    if (g.TakeError() != 0)
        return;
    c.Weight = g.Weight();
    const double tubeSide = kFittings * (g.TubeWeight + g.BendWeight + g.HeaderWeight);
    const double fins = kFittings * g.FinWeight;
    // Other metals do not enter the index.
    double copper = 0, aluminium = 0, other = 0;
    (rec.Mt == 0 ? copper : isAluminium(rec.Mt) ? aluminium : other) += tubeSide;
    (rec.Mf == 0 ? copper : isAluminium(rec.Mf) ? aluminium : other) += fins;
    c.Cost = in.PriceCopper * copper + in.PriceAluminium * aluminium;
}

double objectiveOf(TSelectObjective o, const TSelectCandidate& c)
{
    switch (o) {
    case TSelectObjective::Weight:
        return c.Weight;
    case TSelectObjective::AirDp:
        return c.AirDp;
    case TSelectObjective::Cost:
        return c.Cost;
    case TSelectObjective::Area:
        break;
    }
    return c.Ao;
}

// Whether the workers weigh every coil that meets: for a ranking by weight or cost, and when every
// coil is kept; otherwise only the coils kept are weighed, at the end.
bool weighsAll(const TSelectInputs& in)
{
    return in.Objective == TSelectObjective::Weight || in.Objective == TSelectObjective::Cost || in.Keep == 0;
}

void addRuled(TGroupResult& g, TSelectLimit limit, std::size_t n = 1)
{
    g.RuledOut[static_cast<int>(limit)] += n;
}

// The coils that missed the duty, by circuits: the highest fin density that missed, by rows.
using TMissed = std::map<int, std::map<int, double>>;

// Whether a coil of the same circuits that missed with at least these rows and fins rules this
// one out.
bool ruledOut(const TMissed& missed, int circuits, int rows, double fpi)
{
    const auto c = missed.find(circuits);
    if (c == missed.end())
        return false;
    for (auto it = c->second.lower_bound(rows); it != c->second.end(); ++it)
        if (fpi <= it->second + kEps)
            return true;
    return false;
}

// Rates the coils of one face, the most rows and fins first.
void runFace(const TPlan& plan, const TGroup& group, const TMnfRec& pattern, double length, TMissed& missed,
             TKeptRanks& kept, TGroupResult& out)
{
    const TSelectInputs& in = *plan.In;
    const TSelectLimits& lim = in.Limits;
    const double vf = in.FaceVelocity ? *in.FaceVelocity : plan.Va / (group.fHeight * length);
    const double va = in.FaceVelocity ? *in.FaceVelocity * group.fHeight * length : plan.Va;
    const bool faceOk = lim.FaceVelocity.Contains(vf);
    // A leaving air target at a set face velocity asks each face for the duty its own air flow
    // needs, and a liquid flow in proportion to it under temperature control.
    const double share = in.FaceVelocity && in.LeavingAir && plan.Va > 0 ? va / plan.Va : 1.0;
    const double target = plan.Target * share;
    const double liquidFlow = plan.LiquidFlow * (plan.FlowFollowsDuty ? share : 1.0);
    const double tubeArea = std::numbers::pi * pattern.ID * pattern.ID / 4;
    // The inputs and the geometry record of the face's coils; each takes its rows, fins and
    // circuits in turn.
    TCoilInputs face = in.Job;
    face.Start.vf = vf;
    TModelRec rec;
    MnfRecToModel(pattern, rec);
    rec.fHeight = group.fHeight;
    rec.fLength = length;
    for (auto rowIt = plan.Rows.rbegin(); rowIt != plan.Rows.rend(); ++rowIt) {
        const int rows = *rowIt;
        const int tubes = group.TubesHigh * rows;
        std::vector<int> circuits;
        for (int n : divisors(tubes)) {
            if (n > 1600)
                continue;
            const double vw = liquidFlow / (plan.LiquidDensity * tubeArea * n);
            if (!lim.TubeVelocity.Contains(vw))
                addRuled(out, TSelectLimit::TubeVelocity, plan.Fins.size());
            else
                circuits.push_back(n);
            out.Enumerated += plan.Fins.size();
        }
        if (!faceOk) {
            addRuled(out, TSelectLimit::FaceVelocity, circuits.size() * plan.Fins.size());
            continue;
        }
        for (auto finIt = plan.Fins.rbegin(); finIt != plan.Fins.rend(); ++finIt) {
            const double fpi = *finIt;
            for (int n : circuits) {
                if (in.Prune && ruledOut(missed, n, rows, fpi)) {
                    ++out.Pruned;
                    addRuled(out, TSelectLimit::Duty);
                    continue;
                }
                rec.Rows = rows;
                rec.fpi = fpi;
                rec.Circ = n;
                const TCoilResult r = RateCoilRecord(face, *plan.States, rec);
                ++out.Rated;
                if (!r.Solved) {
                    addRuled(out, TSelectLimit::NotSolved);
                    continue;
                }
                // Every limit the coil fails counts, so that the one that rules out the most
                // coils is named whichever is checked first.
                const bool shortOfTarget = !meets(plan, r);
                // The flow the coil takes at its own duty, not the target's, is what runs in it.
                const bool tubeVelocity = !lim.TubeVelocity.Contains(r.vw);
                const bool airDp = lim.MaxAirDp > 0 && r.AirDp > lim.MaxAirDp;
                const bool liquidDp = lim.MaxLiquidDp > 0 && r.LiquidDp > lim.MaxLiquidDp;
                if (shortOfTarget) {
                    addRuled(out, TSelectLimit::Duty);
                    double& f = missed[n][rows];
                    f = std::max(f, fpi);
                }
                if (tubeVelocity)
                    addRuled(out, TSelectLimit::TubeVelocity);
                if (airDp)
                    addRuled(out, TSelectLimit::AirDp);
                if (liquidDp)
                    addRuled(out, TSelectLimit::LiquidDp);
                if (shortOfTarget || tubeVelocity || airDp || liquidDp)
                    continue;
                ++out.MetCount;
                // Until weighed, a coil's rank is known for the area and air dp objectives.
                if (in.Keep > 0 && !weighsAll(in)) {
                    const TRankKey rank{in.Objective == TSelectObjective::AirDp ? r.AirDp : r.Ao, r.Ao};
                    if (kept.Below(rank))
                        continue;
                    kept.Add(rank, in.Keep);
                }
                TSelectCandidate c;
                c.Pattern = pattern;
                c.fHeight = group.fHeight;
                c.fLength = length;
                c.TubesHigh = group.TubesHigh;
                c.Rows = rows;
                c.fpi = fpi;
                c.Circ = n;
                c.Qt = std::fabs(r.Qt);
                c.Margin = target > 0 ? 100 * (c.Qt - target) / target : 0;
                c.Vf = r.Vf;
                c.Va = va;
                c.AirDp = r.AirDp;
                c.LiquidDp = r.LiquidDp;
                c.TubeVelocity = r.vw;
                c.AirOut = r.AirOut.db;
                c.LiquidOut = r.tfo;
                c.LiquidFlow = r.mw;
                c.Ao = r.Ao;
                if (weighsAll(in))
                    weigh(in, c);
                c.Objective = objectiveOf(in.Objective, c);
                out.Met.push_back(std::move(c));
                // The best Keep of a group hold its part of the best Keep of all.
                if (in.Keep > 0 && out.Met.size() >= 2 * in.Keep + 64) {
                    RankCandidates(out.Met);
                    out.Met.resize(in.Keep);
                }
            }
        }
    }
}

// Rates the coils of one fin height of one pattern, the longest first: at the same circuits, a
// coil that misses the duty rules out, unrated, those no longer with no more rows and fins (more
// surface in the same air and liquid flows gives more duty).
TGroupResult runGroup(const TPlan& plan, const TGroup& group, TKeptRanks& kept)
{
    TGroupResult out;
    TMissed missed;
    // At a set face velocity a shorter face takes less air as well as less surface, so it can
    // reach a leaving air that a longer one misses: a miss then rules out only within its face.
    const bool perFace = plan.In->FaceVelocity && plan.In->LeavingAir;
    for (auto l = group.Lengths.rbegin(); l != group.Lengths.rend(); ++l) {
        if (perFace)
            missed.clear();
        runFace(plan, group, plan.In->Patterns[group.Pattern], *l, missed, kept, out);
    }
    if (plan.In->Keep > 0 && out.Met.size() > plan.In->Keep) {
        RankCandidates(out.Met);
        out.Met.resize(plan.In->Keep);
    }
    return out;
}

// The job rated as it stands: its air flow, and the liquid flow and density the target needs.
bool makePlan(const TSelectInputs& in, TPlan& plan, std::string& error)
{
    plan.In = &in;
    plan.States = std::make_unique<TRatingStates>(in.Job);
    const TCoilResult job = RateCoil(in.Job);
    if (!job.Solved) {
        error = "The job does not rate as it stands: " + (job.Error.empty() ? job.Reason : job.Error);
        return false;
    }
    plan.Va = in.AirVolumeFlow > 0 ? in.AirVolumeFlow : job.Va;
    if (in.LeavingAir) {
        plan.Heating = *in.LeavingAir >= job.AirIn.db;
        // The job's own air capacity rate carries the air flow: kW per K of air change.
        plan.Target =
            std::fabs(job.Ca * (job.Va > 0 ? plan.Va / job.Va : 1) * (*in.LeavingAir - job.AirIn.db));
    } else {
        plan.Target = in.Duty;
    }
    if (!(plan.Target > 0)) {
        error = "The target duty must be above 0 kW...";
        return false;
    }
    // A fixed temperature change needs a flow in proportion to the duty; a fixed flow is the job's.
    const double qt = std::fabs(job.Qt);
    plan.FlowFollowsDuty = job.ctrl == 0 && qt > 0;
    plan.LiquidFlow = plan.FlowFollowsDuty ? job.mw * plan.Target / qt : job.mw;
    plan.LiquidDensity = job.ro;
    if (!(plan.LiquidDensity > 0) || !(plan.LiquidFlow > 0)) {
        error = "The job's liquid flow is not known...";
        return false;
    }
    const TSelectLimits& lim = in.Limits;
    for (int r = std::max(1, lim.RowsLo); r <= std::min(20, lim.RowsHi); ++r)
        plan.Rows.push_back(r);
    const double step = lim.FpiStep > 0 ? lim.FpiStep : 1;
    for (int i = 0;; ++i) {
        const double f = lim.Fpi.Lo + i * step;
        if (f > lim.Fpi.Hi + kEps || i > 1000)
            break;
        if (f > 0)
            plan.Fins.push_back(f);
    }
    return true;
}

std::vector<TGroup> makeGroups(const TSelectInputs& in)
{
    std::vector<TGroup> groups;
    const TSelectLimits& lim = in.Limits;
    for (std::size_t p = 0; p < in.Patterns.size(); ++p) {
        const double sy = in.Patterns[p].Sy;
        if (!(sy > 0))
            continue;
        if (lim.FixedFace) {
            TGroup g{p,
                     static_cast<int>(std::lround(in.Job.Start.fHeight / sy)),
                     in.Job.Start.fHeight,
                     {in.Job.Start.fLength}};
            if (g.TubesHigh > 0)
                groups.push_back(std::move(g));
            continue;
        }
        const int first = std::max(1, static_cast<int>(std::ceil(lim.Height.Lo / sy - kEps)));
        const int last = static_cast<int>(std::floor(lim.Height.Hi / sy + kEps));
        const double step = lim.LengthStep > 0 ? lim.LengthStep : 0.1;
        std::vector<double> lengths;
        for (int i = 0;; ++i) {
            const double l = lim.Length.Lo + i * step;
            if (l > lim.Length.Hi + kEps || i > 10000)
                break;
            if (l > 0)
                lengths.push_back(l);
        }
        for (int n = first; n <= last && !lengths.empty(); ++n)
            groups.push_back({p, n, n * sy, lengths});
    }
    return groups;
}

} // namespace

std::optional<TSelectObjective> SelectObjectiveOf(std::string_view name)
{
    const std::string n = LowerCase(name);
    if (n == "area")
        return TSelectObjective::Area;
    if (n == "weight")
        return TSelectObjective::Weight;
    if (n == "airdp")
        return TSelectObjective::AirDp;
    if (n == "cost")
        return TSelectObjective::Cost;
    return std::nullopt;
}

std::string SelectObjectiveName(TSelectObjective objective)
{
    switch (objective) {
    case TSelectObjective::Weight:
        return "weight";
    case TSelectObjective::AirDp:
        return "airdp";
    case TSelectObjective::Cost:
        return "cost";
    case TSelectObjective::Area:
        break;
    }
    return "area";
}

std::string SelectLimitName(TSelectLimit limit)
{
    switch (limit) {
    case TSelectLimit::FaceVelocity:
        return "the face velocity range";
    case TSelectLimit::TubeVelocity:
        return "the tube velocity range";
    case TSelectLimit::Duty:
        return "the duty";
    case TSelectLimit::AirDp:
        return "the maximum air pressure drop";
    case TSelectLimit::LiquidDp:
        return "the maximum liquid pressure drop";
    case TSelectLimit::NotSolved:
        return "coils that do not solve";
    case TSelectLimit::Count:
        break;
    }
    return {};
}

TSelectLimit TSelectResult::Ruling() const
{
    const auto it = std::max_element(RuledOut.begin(), RuledOut.end());
    return static_cast<TSelectLimit>(it - RuledOut.begin());
}

std::string TSelectResult::RulingText() const
{
    if (!Error.empty())
        return Error;
    if (Enumerated == 0)
        return "No coil to try: the patterns and ranges give none...";
    const TSelectLimit limit = Ruling();
    return Format("Nothing meets the limits: %s ruled out %d of %d combinations...", SelectLimitName(limit),
                  static_cast<int>(RuledOut[static_cast<int>(limit)]), static_cast<int>(Enumerated));
}

std::string TSelectCandidate::SizeText() const
{
    TCoilStartValues sv;
    sv.fHeight = fHeight;
    sv.fLength = fLength;
    sv.Rows = Rows;
    sv.fpi = fpi;
    sv.Circ = Circ;
    return StartValuesCoilModel(sv);
}

std::vector<TMnfRec> CataloguePatterns(TCoilMakers& catalogue, const std::string& maker,
                                       const std::string& finMaterial, const std::string& tubeMaterial)
{
    std::vector<TMnfRec> out;
    for (const std::string& m : catalogue.MakerList()) {
        if (!maker.empty() && LowerCase(m) != LowerCase(maker))
            continue;
        catalogue.LoadMaker(m);
        for (TMnfRec rec : catalogue.Models()) {
            if (!finMaterial.empty() && LowerCase(rec.FinMt) != LowerCase(finMaterial))
                continue;
            if (!tubeMaterial.empty() && LowerCase(rec.TubeMt) != LowerCase(tubeMaterial))
                continue;
            rec.Mnf = catalogue.CachedMaker();
            out.push_back(std::move(rec));
        }
    }
    return out;
}

TModelRec CandidateModel(const TSelectCandidate& c, TModelRec base)
{
    MnfRecToModel(c.Pattern, base);
    base.fHeight = c.fHeight;
    base.fLength = c.fLength;
    base.Rows = c.Rows;
    base.fpi = c.fpi;
    base.Circ = c.Circ;
    return base;
}

TCoilInputs CandidateInputs(const TSelectInputs& in, double airVolumeFlow, const TSelectCandidate& c)
{
    TCoilInputs ci = in.Job;
    TCoilStartValues& sv = ci.Start;
    sv.CoilMaker = c.Pattern.Mnf;
    sv.tube = c.Pattern.D;
    sv.fHeight = c.fHeight;
    sv.fLength = c.fLength;
    sv.Rows = c.Rows;
    sv.fpi = c.fpi;
    sv.Circ = c.Circ;
    sv.CoilModel = StartValuesCoilModel(sv);
    sv.vf = airVolumeFlow / (c.fHeight * c.fLength);
    ci.Pattern = c.Pattern;
    return ci;
}

void RankCandidates(std::vector<TSelectCandidate>& candidates)
{
    std::stable_sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
        if (a.Objective != b.Objective)
            return a.Objective < b.Objective;
        return a.Ao < b.Ao;
    });
}

TSelectResult SelectCoils(const TSelectInputs& in, const std::atomic<bool>* cancel,
                          const TSelectProgress& progress)
{
    TSelectResult result;
    TPlan plan;
    if (!makePlan(in, plan, result.Error))
        return result;
    result.TargetDuty = plan.Target;
    result.LeavingAir = in.LeavingAir;
    result.AirVolumeFlow = plan.Va;
    const std::vector<TGroup> groups = makeGroups(in);
    std::vector<TGroupResult> done(groups.size());
    std::vector<char> ran(groups.size(), 0);
    std::atomic<std::size_t> next{0};
    std::size_t finished = 0;
    std::mutex lock;
    const std::string catalogueFile = ProcessCoilMakers().FileName();
    auto work = [&] {
        // Each thread's catalogue reads the caller's file.
        ProcessCoilMakers().Reset(catalogueFile);
        TKeptRanks kept;
        for (;;) {
            if (cancel && cancel->load())
                return;
            const std::size_t i = next.fetch_add(1);
            if (i >= groups.size())
                return;
            done[i] = runGroup(plan, groups[i], kept);
            ran[i] = 1;
            if (progress) {
                const std::lock_guard<std::mutex> hold(lock);
                progress(++finished, groups.size());
            }
        }
    };
    int threads = in.Threads > 0 ? in.Threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, std::max(1, static_cast<int>(groups.size())));
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(work);
    for (std::thread& t : pool)
        t.join();
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (!ran[i]) {
            result.Cancelled = true;
            continue;
        }
        TGroupResult& g = done[i];
        result.Enumerated += g.Enumerated;
        result.Rated += g.Rated;
        result.Pruned += g.Pruned;
        result.Met += g.MetCount;
        for (std::size_t k = 0; k < g.RuledOut.size(); ++k)
            result.RuledOut[k] += g.RuledOut[k];
        for (TSelectCandidate& c : g.Met)
            result.Candidates.push_back(std::move(c));
        if (in.Keep > 0 && result.Candidates.size() >= 2 * in.Keep + 64) {
            RankCandidates(result.Candidates);
            result.Candidates.resize(in.Keep);
        }
    }
    RankCandidates(result.Candidates);
    if (in.Keep > 0 && result.Candidates.size() > in.Keep)
        result.Candidates.resize(in.Keep);
    if (!weighsAll(in))
        for (TSelectCandidate& c : result.Candidates)
            weigh(in, c);
    return result;
}

} // namespace zmk
