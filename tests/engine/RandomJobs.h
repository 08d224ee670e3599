// Random coil jobs over the ranges of the job's entry fields, drawn from a seeded generator so
// that every run draws the same jobs: each field keeps its kind's default half the time and is
// drawn across its whole range otherwise (lengths, flows and temperature changes evenly on a
// log scale), so that both plain and extreme jobs come up. A second draw favours humid air on a
// colder liquid, so that wet surfaces come up often; and a check judges a result from its states.
#pragma once

#include "CoilJob.h"

#include "engine/HeatExchanger.h"
#include "properties/Psy.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace zmk::test {

/// The inputs of one job, in the stored units of the entry fields (ranges in the comments).
struct RandomJob
{
    std::string kind;
    int liquid = 0; ///< 0..13 a liquid kind, 14..16 water with 30 % of additive 1..3
    int control = wcFlow;
    double altitude = 0; ///< m
    double dbi = 24;     ///< °C
    double wai = 0.0095; ///< kg/kg
    double ma = -1;      ///< kg/s; -1: from the face velocity
    double vf = 2.5;     ///< m/s
    double twi = 5;      ///< °C
    double dt = 6;       ///< K
    double mw = 1.2;     ///< kg/s; -1: from the tube velocity
    double vw = 1;       ///< m/s
    TGeometryValues geometry{0.5334, 1.2, 4, 10, 14};
    bool spray = false;
};

/// Draws jobs; the same seed gives the same jobs on every machine (the mapping from the
/// generator's integers to reals is the program's own, not the library's distributions).
class JobDice
{
public:
    explicit JobDice(std::uint64_t seed) : gen_(seed) {}

    /// Uniform in [0, 1).
    double unit() { return static_cast<double>(gen_() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }
    double logUniform(double lo, double hi) { return lo * std::pow(hi / lo, unit()); }
    bool chance(double p) { return unit() < p; }

    RandomJob Draw()
    {
        static const char* const kinds[] = {"zmk", "hwc", "cwc"};
        RandomJob j;
        j.kind = kinds[gen_() % 3];
        const JobValues d = Defaults(j.kind);
        j.dbi = d.dbi;
        j.wai = d.wai;
        j.vf = d.vf;
        j.twi = d.twi;
        j.dt = std::fabs(d.two - d.twi);
        j.liquid = chance(0.5) ? d.LiquidSpec : static_cast<int>(gen_() % 17);
        j.control = chance(0.5) ? wcFlow : wcTemp;
        if (chance(0.3))
            j.altitude = uniform(0, 2000);
        if (chance(0.5))
            j.dbi = uniform(-60, 900);
        if (chance(0.5))
            j.wai = chance(0.8) ? uniform(0, 0.03) : uniform(0, 0.5);
        if (chance(0.5)) {
            if (chance(0.5))
                j.ma = logUniform(0.01, 500);
            else
                j.vf = logUniform(0.01, 50);
        }
        if (chance(0.5))
            j.twi = uniform(-60, 900);
        if (chance(0.5))
            j.dt = logUniform(0.01, 1000);
        if (chance(0.5)) {
            if (chance(0.5))
                j.mw = logUniform(0.01, 500);
            else {
                j.mw = -1;
                j.vw = logUniform(0.01, 100);
            }
        }
        if (chance(0.3))
            j.geometry = {logUniform(0.1, 50), logUniform(0.1, 100), uniform(1, 20), logUniform(0.01, 50),
                          logUniform(1, 100)};
        j.spray = chance(0.1);
        return j;
    }

    /// A job in which moist air meets a colder liquid, so that the surface is often wet: warm to
    /// hot air with up to 300 g/kg of moisture, the liquid from -10 to 40 °C; the rest as Draw.
    RandomJob DrawCondensing()
    {
        RandomJob j = Draw();
        j.dbi = uniform(25, 600);
        j.wai = uniform(0.005, 0.3);
        j.twi = uniform(-10, 40);
        return j;
    }

private:
    std::mt19937_64 gen_;
};

/// What is wrong with a solved result, judged from the air states and the liquid alone (the
/// coil's own checks are not used); empty when nothing is. balance is the fraction of the
/// larger duty by which air and liquid may differ.
inline std::string PhysicalProblem(const Job& job, double balance)
{
    const TLiquidCoil& c = *job.coil;
    const TAirState& in = job.in;
    const TAirState& out = job.out;
    const TLiquid& l = *job.liquid;
    if (!(c.ma > 0) || !(l.m > 0))
        return "a flow is not positive";
    for (double t : {in.db, out.db, l.tfi, l.tfo})
        if (t < -273.15)
            return "below absolute zero";
    const double lo = std::min(in.db, l.tfi);
    const double hi = std::max(in.db, l.tfi);
    const double tol = 0.01 + 1e-4 * (hi - lo);
    if (l.tfo < lo - tol || l.tfo > hi + tol)
        return "liquid leaves outside the inlet span";
    if (out.db < lo - tol || out.db > hi + tol)
        return "air leaves outside the inlet span";
    // Air cannot leave holding more vapour than saturated air at its dry bulb.
    if (out.rh > 1.001 || out.w > psy::SaturationMoisture(out.P, out.db) * 1.001)
        return "air leaves above saturation";
    // Energy: the dry air's enthalpy change less the condensate's enthalpy (water at the
    // apparatus dew point; frost with its heat of fusion below -0.5 °C, partly frozen between)
    // against the liquid's heat, and the duty reported against both.
    const double mda = c.ma / (1 + in.w);
    const double water = 4.186 * c.ADP;
    const double ice = -333.4 + 2.09 * c.ADP;
    const double frozen = std::clamp(-c.ADP / 0.5, 0.0, 1.0);
    const double condensate = std::max(0.0, in.w - out.w) * (frozen * ice + (1 - frozen) * water);
    const double air = mda * (psy::Enthalpy(in.db, in.w) - psy::Enthalpy(out.db, out.w) - condensate);
    const double liquid = l.m * l.Cp * (l.tfo - l.tfi);
    const double scale = std::max(std::fabs(air), std::fabs(liquid));
    if (std::fabs(air - liquid) > balance * scale + 1e-4)
        return "air and liquid duties differ";
    if (std::fabs(std::fabs(c.Qt) - std::fabs(liquid)) > balance * scale + 1e-4)
        return "the duty is not the liquid's";
    // The liquid where it can be rated: water below its boiling point at its pressure, any
    // liquid's mean and leaving temperatures within 20 K of the range of its data.
    if ((l.LiquidSpec == 0 || l.LiquidSpec == 12) && std::max(l.tfi, l.tfo) > psy::BoilingPoint(100 * l.Pf))
        return "water above its boiling point";
    for (double t : {l.tfo, (l.tfi + l.tfo) / 2})
        if (t > l.TMax + 20 || t < l.TMin - 20)
            return "the liquid far outside its data";
    return {};
}

/// Applies the inputs of r (not its kind, liquid or control) to an attached coil, in the order
/// of the job's ApplyInputs.
inline void ApplyRandomJob(Job& job, const RandomJob& r)
{
    TLiquidCoil& c = *job.coil;
    c.SetGeometry(r.geometry);
    c.SetPressure(PressureFromAltitude(r.altitude));
    c.SetAirInDryBulb(r.dbi);
    c.SetAirInMoisture(r.wai);
    if (r.ma > 0)
        c.SetAirMassFlow(r.ma);
    else
        c.SetFaceVelocity(r.vf);
    c.LiquidState->SetInletTemp(r.twi);
    c.LiquidState->designdt = r.dt;
    if (r.mw > 0)
        c.LiquidState->SetMassFlow(r.mw);
    else
        c.LiquidState->SetVelocity(r.vw);
    c.Spray = r.spray;
}

/// Builds and attaches the coil of a random job and applies its inputs; does not solve.
inline std::unique_ptr<Job> BuildRandomJob(const RandomJob& r)
{
    const JobValues d = Defaults(r.kind);
    auto job = std::make_unique<Job>();
    job->coil = MakeCoil(r.kind, "533.4 1200 4r 10f 14c");
    job->in = SetState(d.Pa, d.dbi, d.wai, kPairDbW);
    job->out = SetState(d.Pa, d.dbo, d.wao, kPairDbW);
    const int kind = r.liquid < kLiquidKindCount ? r.liquid : 0;
    job->liquid = std::make_unique<TLiquid>("liquid", kind, 1.2, r.twi, r.twi + 5);
    if (r.liquid >= kLiquidKindCount) {
        job->liquid->WaterAdditive = r.liquid - kLiquidKindCount + 1;
        job->liquid->AdditiveVolume = 0.3;
        job->liquid->Update();
    }
    job->coil->Attach(job->in, job->out, *job->liquid);
    job->coil->LiquidState->ctrl = static_cast<std::uint8_t>(r.control);
    ApplyRandomJob(*job, r);
    return job;
}

} // namespace zmk::test
