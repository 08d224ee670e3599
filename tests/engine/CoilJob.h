// A coil job for the engine tests: a kind's default start values, built the way the job builds
// its coil (engine/CoilFactory: geometry, air states, liquid, attach, air flow, liquid flow,
// control).
#pragma once

#include "engine/CoilFactory.h"
#include "engine/HeatExchanger.h"

#include <memory>
#include <string>

namespace zmk::test {

/// The start values the tests vary, with the kind they build.
struct JobValues : TCoilStartValues
{
    std::string kind = "zmk";
};

/// The defaults of kind "zmk", "hwc" or "cwc".
inline JobValues Defaults(const std::string& kind)
{
    JobValues v;
    v.kind = kind;
    SetKindDefaults(kind, v);
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

/// A bare coil of the kind on the "typical" maker's pattern 4; not attached.
inline std::unique_ptr<TLiquidCoil> MakeCoil(const std::string& kind, const std::string& model)
{
    return zmk::MakeCoil(kind, "typical", 4, model);
}

/// Builds and attaches the coil of v; does not solve.
inline std::unique_ptr<Job> BuildJob(const JobValues& v)
{
    auto job = std::make_unique<Job>();
    job->coil = MakeStartCoil(v.kind, v);
    job->in = SetState(v.Pa, v.dbi, v.wai, kPairDbW);
    job->out = SetState(v.Pa, v.dbo, v.wao, kPairDbW);
    job->liquid = MakeStartLiquid(v);
    job->coil->Attach(job->in, job->out, *job->liquid);
    ApplyStartFlows(*job->coil, v);
    return job;
}

} // namespace zmk::test
