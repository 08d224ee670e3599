// zemtor solve --compare-methods: the job (the default of a kind, or one project file) rated with
// each air-side method, printed side by side: duty, leaving states, the air-side coefficient,
// the fin and surface efficiencies, the effectiveness and the air pressure drop, with the
// published method's difference from the standard one. With --json one object holds the two
// records under "standard" and "published". The project file is never written.
#include "cli/CompareMethods.h"

#include "cli/ResultRecord.h"

#include "app/CoilJob.h"
#include "app/ProjectSession.h"
#include "base/JsonWriter.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

namespace zmk::cli {

namespace {

// text padded with blanks to width characters (UTF-8: a character is a byte that does not
// continue another), with at least `gap` blanks after it.
std::string padded(std::string text, std::size_t width, std::size_t gap)
{
    std::size_t chars = 0;
    for (const char c : text)
        chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    text.append(std::max(width, chars + gap) - chars, ' ');
    return text;
}

// The job rated by one method.
TSolveRecord rateWith(TProjectSession& session, TAirSideMethod method)
{
    TCoilJob& job = session.Job();
    job.Coil()->SetAirSideMethod(method);
    job.MarkNotSolved();
    session.Solve();
    return SolveRecordOf(job, {});
}

} // namespace

int PrintMethodComparison(TProjectSession& session, bool json, std::ostream& out)
{
    const TAirSideMethod chosen = session.Job().Coil()->AirSideMethod;
    const TSolveRecord s = rateWith(session, TAirSideMethod::Standard);
    const TSolveRecord p = rateWith(session, TAirSideMethod::Published);
    // The job is left with the method it came with.
    session.Job().Coil()->SetAirSideMethod(chosen);
    const int rc = s.Result.Solved && p.Result.Solved ? 0 : 2;
    if (json) {
        TJsonWriter j(2);
        j.BeginObject();
        j.Key("standard").BeginObject();
        WriteResultMembers(j, s);
        j.EndObject();
        j.Key("published").BeginObject();
        WriteResultMembers(j, p);
        j.EndObject();
        out << j.EndObject().Text() << "\n";
        return rc;
    }
    const TCoilResult& a = s.Result;
    const TCoilResult& b = p.Result;
    out << "Coil                 " << s.Labels.Kind << "  " << a.Model << "\n";
    auto line = [&out](const std::string& caption, const std::string& x, const std::string& y,
                       const std::string& change) {
        out << padded(caption, 28, 1) << padded(x, 16, 2) << padded(y, 24, 2) << change << "\n";
    };
    auto row = [&](const std::string& caption, const char* format, double x, double y,
                   bool solvedOnly = true) {
        const bool showX = a.Solved || !solvedOnly;
        const bool showY = b.Solved || !solvedOnly;
        std::string change;
        if (showX && showY && x != 0 && std::isfinite(x) && std::isfinite(y)) {
            const double d = (y / x - 1) * 100;
            change = std::string(d >= 0 ? "+" : "") + Format("%0.1f", d) + " %";
        }
        line(caption, showX ? Format(format, x) : "-", showY ? Format(format, y) : "-", change);
    };
    line("", AirSideMethodName(TAirSideMethod::Standard), AirSideMethodName(TAirSideMethod::Published),
         "change");
    line("Solve status", s.Status, p.Status, "");
    row("Duty, kW", "%0.3f", a.Qt, b.Qt);
    row("Sensible duty, kW", "%0.3f", a.Qs, b.Qs);
    row("Air off, °C db", "%0.2f", a.AirOut.db, b.AirOut.db);
    row("Air off, kg/kg", "%0.5f", a.AirOut.w, b.AirOut.w);
    row("Liquid out, °C", "%0.2f", a.tfo, b.tfo);
    row("ho, W/(m²·K)", "%0.2f", a.ho * 1000, b.ho * 1000);
    row("Fin efficiency", "%0.4f", a.FinEff, b.FinEff);
    row("Surface efficiency", "%0.4f", a.SurfaceEff, b.SurfaceEff);
    row("Effectiveness", "%0.4f", a.e, b.e);
    row("Air pressure drop, Pa", "%0.1f", a.AirDp, b.AirDp);
    for (const TResultWarning& w : b.Warnings)
        if (w.kind == TResultWarning::CorrelationRange || w.kind == TResultWarning::AssumedDimension)
            out << "Warning (published)  " << WarningText(w, true) << "\n";
    return rc;
}

} // namespace zmk::cli
