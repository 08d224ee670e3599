#include "cli/SizeRecord.h"

#include "cli/ProjectCli.h"
#include "cli/ResultRecord.h"

#include "app/CoilJob.h"
#include "app/JobSizing.h"
#include "base/JsonWriter.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"

#include <cmath>
#include <stdexcept>

namespace zmk::cli {

namespace {

// The range of the editor's target duty field, kW.
constexpr double kDutyLo = 0.01;
constexpr double kDutyHi = 100000;

} // namespace

TAutoSize CheckSizeRequest(const TSizeRequest& request)
{
    const std::optional<TAutoSize> mode = AutoSizeModeOf(request.mode);
    if (!mode)
        throw std::runtime_error("--mode expects face, height, length, rows, fins or rowsfins, not '" +
                                 request.mode + "'");
    if (!std::isfinite(request.duty) || request.duty < kDutyLo || request.duty > kDutyHi)
        throw std::runtime_error("--duty expects the target duty in kW, " + FloatToStr(kDutyLo) + ".." +
                                 FloatToStr(kDutyHi) + ", not " + FloatToStr(request.duty));
    return *mode;
}

TAutoSizeResult SizeJob(TCoilJob& job, const TSizeRequest& request)
{
    const TAutoSize mode = CheckSizeRequest(request);
    job.ApplyInputs();
    try {
        // The job's rating of the sized coil is what is checked against the target, printed and
        // saved.
        return SizeJobCoil(job, mode, request.keepAirflow, request.duty);
    } catch (const std::exception& e) {
        throw std::runtime_error("the coil could not be rated while sizing: " + TerminalText(e.what()));
    }
}

std::string SizedJson(const TSizeRequest& request, const TAutoSizeResult& sized, const TCoilJob& job)
{
    const TLiquidCoil& c = *job.Coil();
    const TCoilResult r = SolveRecordOf(job, {}).Result;
    TJsonWriter j(2);
    j.BeginObject();
    if (!request.file.empty())
        j.Member("file", request.file);
    j.Member("kind", job.KindCode);
    j.Member("mode", AutoSizeModeName(CheckSizeRequest(request)));
    j.Member("keep_airflow", request.keepAirflow);
    j.Member("target_duty", request.duty);
    j.Member("Status", SolveStatusName(sized.Status));
    j.Member("reached", sized.Reached());
    j.Member("Reason", sized.Message);
    j.Member("solved", r.Solved);
    j.Member("Model", r.Model);
    j.Member("Maker", r.Maker);
    j.Member("fHeight", c.GetFinHeight());
    j.Member("fLength", c.GetFinnedLength());
    j.Member("Rows", c.GetRows());
    j.Member("fpi", c.GetFinDensity());
    j.Member("Circ", c.GetCircuits());
    j.Member("Af", r.Af);
    j.Member("Qt", r.Qt);
    j.Member("Qs", r.Qs);
    j.Member("Vf", r.Vf);
    j.Member("Va", r.Va);
    j.Member("ma", r.ma);
    j.Member("air_dp", r.AirDp);
    j.Member("liquid_dp", r.LiquidDp);
    j.EndObject();
    return j.Take();
}

} // namespace zmk::cli
