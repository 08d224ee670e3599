// A coil job for the engine tests: the default start values of each kind, built the way the
// job builds its coil (geometry, air states, liquid, attach, air flow, liquid flow, control).
#pragma once

#include "engine/HeatExchanger.h"

#include <memory>
#include <string>

namespace zmk::test {

/// The start values the tests vary.
struct JobValues
{
    std::string kind = "zmk";
    double Pa = 101.325; // kPa
    double dbi = 380;    // °C
    double wai = 0.005;  // kg/kg
    double dbo = 177.3;  // °C
    double wao = 0.005;  // kg/kg
    double vf = 2.7;     // m/s
    int liquidSpec = 1;
    std::string caption = "Thermal Oil";
    double mw = 1.2;  // kg/s
    double twi = 80;  // °C
    double two = 100; // °C
    int control = wcFlow;
    double fHeight = 0.5334, fLength = 1.2, rows = 4, fpi = 10, circ = 14;
};

/// The defaults of kind "zmk", "hwc" or "cwc".
inline JobValues Defaults(const std::string& kind)
{
    JobValues v;
    v.kind = kind;
    if (kind == "hwc") {
        v.dbi = 5;
        v.wai = 0.004;
        v.dbo = 41.18;
        v.wao = 0.004;
        v.vf = 2.7;
        v.liquidSpec = 0;
        v.caption = "Water";
        v.twi = 60;
        v.two = 43.989;
    } else if (kind == "cwc") {
        v.dbi = 24;
        v.wai = 0.0095;
        v.dbo = 12.6;
        v.wao = 0.008;
        v.vf = 2.5;
        v.liquidSpec = 0;
        v.caption = "Water";
        v.twi = 5;
        v.two = 10.78;
    }
    return v;
}

/// The job's objects: the coil refers to the air states and the liquid.
struct Job
{
    TAirState in;
    TAirState out;
    std::unique_ptr<TLiquid> liquid;
    std::unique_ptr<TLiquidCoil> coil;
};

inline std::unique_ptr<TLiquidCoil> MakeCoil(const std::string& kind, const std::string& model)
{
    if (kind == "hwc")
        return std::make_unique<THotWaterCoil>("typical", 4, model);
    if (kind == "cwc")
        return std::make_unique<TColdWaterCoil>("typical", 4, model);
    return std::make_unique<TZemtor>("typical", 4, model);
}

/// Builds and attaches the coil of v; does not solve.
inline std::unique_ptr<Job> BuildJob(const JobValues& v)
{
    auto job = std::make_unique<Job>();
    job->coil = MakeCoil(v.kind, "533.4 1200 4r 10f 14c");
    TLiquidCoil& c = *job->coil;
    c.SetFinHeight(v.fHeight);
    c.SetFinnedLength(v.fLength);
    c.SetRows(v.rows);
    c.SetFinDensity(v.fpi);
    c.SetCircuits(v.circ);
    job->in = SetState(v.Pa, v.dbi, v.wai, kPairDbW);
    job->out = SetState(v.Pa, v.dbo, v.wao, kPairDbW);
    job->liquid = std::make_unique<TLiquid>(v.caption, v.liquidSpec, v.mw, v.twi, v.two);
    c.Attach(job->in, job->out, *job->liquid);
    c.SetFaceVelocity(v.vf);
    c.LiquidState->SetInletTemp(v.twi);
    c.LiquidState->SetMassFlow(v.mw);
    c.LiquidState->ctrl = static_cast<std::uint8_t>(v.control);
    return job;
}

} // namespace zmk::test
