// The Python module's C++ part (zmk._core): a job rated the way zemtor solve rates it, on the
// command line's own job path (the default job of a kind, the --set inputs applied in their order,
// Solve, and the record of the solve written as the --json members), returned as the record's
// JSON text; a batch of such jobs on several threads with the interpreter lock released; a
// project file; an air state and a liquid's properties. The Python package (zmk/__init__.py)
// turns the texts into dictionaries and data frames and the failures into its exceptions.
#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"
#include "cli/ResultRecord.h"
#include "cli/SizeRecord.h"

#include "app/CoilJob.h"
#include "app/JobSelection.h"
#include "base/Errors.h"
#include "base/JsonWriter.h"
#include "base/NumText.h"
#include "engine/SolveStatus.h"
#include "geometry/CoilMakers.h"
#include "properties/Fluid.h"
#include "properties/Psy.h"
#include "units/ConvTools.h"

#include <nlohmann/json.hpp>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace zmk::python {

namespace {

/// How one rating ended: the record as JSON text, or the failure that gave none.
struct TRating
{
    std::string Json;  ///< the --json record; empty when the job was refused
    int Failure = 0;   ///< 0 none, 1 a wrong input, 2 unreadable data (a project file, a catalogue)
    std::string Error; ///< the program's message for the failure
};

constexpr int kInputFailure = 1;
constexpr int kDataFailure = 2;

// The notifier's messages joined, for a failure that was only told to the notifier.
std::string joined(const std::ostringstream& notes)
{
    std::string text = notes.str();
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// The record of the job's last solve with the members zemtor solve --json adds to a failure.
std::string recordJson(const TCoilJob& job, const std::vector<std::string>& clamped)
{
    TJsonWriter j;
    j.BeginObject();
    cli::WriteResultMembers(j, cli::SolveRecordOf(job, clamped));
    const bool error = job.LastSolveStatus() < 0;
    if (error)
        j.Member("error", cli::TerminalText(job.LastError()));
    if (error || !job.Solved())
        j.Member("exit", error ? 1 : 2);
    return j.EndObject().Text();
}

// Runs one job as zemtor runs a job alone: its messages go to its own notifier, and the cold
// coil's dew point default starts afresh, so that neither the thread it runs on nor the jobs run
// before it change a digit. The job is a project file when `file` is given, else the default job
// of the options' kind; `work` applies the options' inputs to the session's job and returns its
// JSON record.
// Nothing escapes: a wrong input is an input failure, unreadable data a data failure.
template <class Work>
TRating runJob(const cli::JobOptions& options, const std::string& file, Work work)
{
    TRating r;
    std::ostringstream notes;
    cli::PrintingNotifier notifier(notes);
    TCoilMakers& catalogue = ProcessCoilMakers();
    catalogue.SetNotifier(&notifier);
    TAdpDefault::Instance().Reset();
    try {
        cli::CommandSession session(&notifier, !file.empty(), false);
        if (file.empty()) {
            if (!CanonicalCoilKind(options.kind))
                throw std::invalid_argument("kind expects zmk, hwc or cwc, not '" + options.kind + "'");
            try {
                session->BuildKind(options.kind);
            } catch (const ZmkError& e) {
                r.Failure = kDataFailure;
                r.Error = notes.str().empty() ? std::string(e.what()) : joined(notes);
            }
        } else {
            try {
                session->OpenInKind(file, options.kind);
            } catch (const ZmkError& e) {
                r.Failure = kDataFailure;
                r.Error = cli::TerminalText(e.what());
            }
        }
        if (r.Failure == 0)
            r.Json = work(*session);
    } catch (const std::invalid_argument& e) {
        r.Failure = kInputFailure;
        r.Error = cli::TerminalText(e.what());
    } catch (const std::exception& e) {
        r.Failure = kDataFailure;
        r.Error = cli::TerminalText(e.what());
    }
    catalogue.SetNotifier(nullptr);
    return r;
}

// The options' inputs applied to the job; a wrong one is an input failure.
void applyInputs(TCoilJob& job, const cli::JobOptions& options, std::vector<std::string>* clamped)
{
    std::ostringstream clampNotes; // the notes are in the record's warnings too
    try {
        cli::ApplyJobOptions(job, options, clamped, &clampNotes);
    } catch (const std::exception& e) {
        throw std::invalid_argument(e.what());
    }
}

// Rates one job as zemtor solve rates a job rated alone.
TRating rateJob(const cli::JobOptions& options, const std::string& file)
{
    return runJob(options, file, [&](TProjectSession& session) {
        std::vector<std::string> clamped;
        applyInputs(session.Job(), options, &clamped);
        session.Solve();
        return recordJson(session.Job(), clamped);
    });
}

cli::JobOptions optionsOf(const std::string& kind, std::vector<std::string> sets, bool strict)
{
    cli::JobOptions o;
    o.kind = kind;
    o.sets = std::move(sets);
    o.strict = strict;
    return o;
}

py::tuple asTuple(const TRating& r)
{
    return py::make_tuple(py::bytes(r.Json), r.Failure, r.Error);
}

// One job: (kind, sets) -> (record JSON, failure, message).
py::tuple rate(const std::string& kind, const std::vector<std::string>& sets, bool strict)
{
    const cli::JobOptions options = optionsOf(kind, sets, strict);
    TRating r;
    {
        py::gil_scoped_release release;
        r = rateJob(options, {});
    }
    return asTuple(r);
}

// A project file with the inputs over it; kind empty: the kind the file holds.
py::tuple rateProject(const std::string& file, const std::string& kind, const std::vector<std::string>& sets,
                      bool strict)
{
    const cli::JobOptions options = optionsOf(kind, sets, strict);
    TRating r;
    {
        py::gil_scoped_release release;
        r = rateJob(options, file);
    }
    return asTuple(r);
}

/// One row of a batch's table: the record's members with the nested objects' members named
/// "AirOut.db", "Liquid.tfo" ... in the record's order.
using TFlatRow = std::vector<std::pair<std::string, nlohmann::json>>;

void flatten(const nlohmann::json& object, const std::string& prefix, TFlatRow& row)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().is_object())
            flatten(it.value(), prefix + it.key() + ".", row);
        else if (!(it.value().is_null() &&
                   (it.key() == "AirIn" || it.key() == "AirOut" || it.key() == "Liquid")))
            row.emplace_back(prefix + it.key(), it.value()); // a null air state leaves its columns empty
    }
}

// The row of one rating; a refused job's says why, as zemtor solve's record of a refused file.
TFlatRow flatRow(const TRating& r, const std::string& kind)
{
    TFlatRow row;
    if (r.Failure != 0) {
        row = {{"kind", kind},      {"Status", "Error"}, {"solved", false},
               {"Reason", r.Error}, {"error", r.Error},  {"exit", 1}};
        return row;
    }
    // ordered_json keeps the record's member order.
    flatten(nlohmann::ordered_json::parse(r.Json), "", row);
    return row;
}

py::object pyValue(const nlohmann::json& v)
{
    switch (v.type()) {
    case nlohmann::json::value_t::boolean:
        return py::bool_(v.get<bool>());
    case nlohmann::json::value_t::number_integer:
        return py::int_(v.get<long long>());
    case nlohmann::json::value_t::number_unsigned:
        return py::int_(v.get<unsigned long long>());
    case nlohmann::json::value_t::number_float:
        return py::float_(v.get<double>());
    case nlohmann::json::value_t::string:
        return py::str(v.get_ref<const std::string&>());
    case nlohmann::json::value_t::array: {
        py::list items;
        for (const nlohmann::json& item : v)
            items.append(pyValue(item));
        return items;
    }
    default:
        return py::none();
    }
}

// Many jobs on `threads` threads (each takes the next job not yet taken), each read into a row;
// the table as {column: values} in the jobs' order whatever the number of threads, the columns
// in the order they first appear, None where a row has no value.
py::dict rateTable(const std::vector<std::pair<std::string, std::vector<std::string>>>& jobs,
                   unsigned threads, bool strict)
{
    std::vector<cli::JobOptions> options;
    options.reserve(jobs.size());
    for (const auto& [kind, sets] : jobs)
        options.push_back(optionsOf(kind, sets, strict));
    std::vector<TFlatRow> rows(jobs.size());
    {
        py::gil_scoped_release release;
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            for (std::size_t i; (i = next.fetch_add(1)) < options.size();)
                rows[i] = flatRow(rateJob(options[i], {}), options[i].kind);
        };
        const std::size_t n =
            std::min<std::size_t>(std::max(1u, threads), std::max<std::size_t>(1, jobs.size()));
        if (n <= 1) {
            work();
        } else {
            std::vector<std::thread> pool;
            pool.reserve(n);
            for (std::size_t t = 0; t < n; ++t)
                pool.emplace_back(work);
            for (std::thread& t : pool)
                t.join();
        }
    }
    std::vector<std::string> names;
    std::unordered_map<std::string, std::size_t> column;
    std::vector<py::list> values;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (const auto& [name, value] : rows[i]) {
            auto [it, added] = column.try_emplace(name, names.size());
            if (added) {
                names.push_back(name);
                values.emplace_back(rows.size());
                for (std::size_t k = 0; k < rows.size(); ++k)
                    values.back()[k] = py::none();
            }
            values[it->second][i] = pyValue(value);
        }
        rows[i].clear();
    }
    py::dict table;
    for (std::size_t c = 0; c < names.size(); ++c)
        table[py::str(names[c])] = values[c];
    return table;
}

// The step-by-step simulation of a job as zemtor step runs it: the solve, then the 100 slices
// along the air path. A dict with "solved", "Status", "Reason", and for a job that solved the
// step's "duty" (kW) and its four curves ("Fluid", "Air", "Surface", "DewPoint", °C); a wrong
// input or unreadable data as rate's failures.
py::tuple step(const std::string& kind, const std::vector<std::string>& sets, bool strict)
{
    const cli::JobOptions options = optionsOf(kind, sets, strict);
    std::string status, reason;
    bool solved = false;
    TStepChartData chart;
    TRating r;
    {
        py::gil_scoped_release release;
        r = runJob(options, {}, [&](TProjectSession& session) {
            applyInputs(session.Job(), options, nullptr);
            session.StepByStep();
            const TCoilJob& job = session.Job();
            const cli::TSolveRecord record = cli::SolveRecordOf(job, {});
            status = record.Status;
            reason = record.Reason;
            solved = job.Solved() && job.LastError().empty();
            if (solved)
                chart = job.StepChart();
            return std::string();
        });
    }
    py::dict d;
    d["solved"] = solved;
    d["Status"] = status;
    d["Reason"] = reason;
    if (solved) {
        d["duty"] = chart.Duty;
        const char* names[] = {"Fluid", "Air", "Surface", "DewPoint"};
        for (std::size_t row = 0; row < chart.Matrix.size() && row < 4; ++row)
            d[names[row]] = chart.Matrix[row];
    }
    return py::make_tuple(d, r.Failure, r.Error);
}

// One auto-sizing as zemtor size --json runs it: the default job of the kind (or a project file)
// with the inputs over it, sized for the duty; (sized record JSON, failure, message). A sizing that
// does not reach its target is a record with "reached" false, not a failure.
py::tuple size(const std::string& kind, const std::string& file, const std::string& mode, double duty,
               bool keepAirflow, const std::vector<std::string>& sets, bool strict)
{
    const cli::JobOptions options = optionsOf(kind, sets, strict);
    const cli::TSizeRequest request{file, mode, duty, keepAirflow};
    TRating r;
    try {
        cli::CheckSizeRequest(request);
    } catch (const std::exception& e) {
        r.Failure = kInputFailure;
        r.Error = e.what();
        return asTuple(r);
    }
    {
        py::gil_scoped_release release;
        r = runJob(options, file, [&](TProjectSession& session) {
            TCoilJob& job = session.Job();
            applyInputs(job, options, nullptr);
            return cli::SizedJson(request, cli::SizeJob(job, request), job);
        });
    }
    return asTuple(r);
}

// Every quantity the program shows, with the unit it stores the value in, the metric and imperial
// units it shows by default and every unit it can be shown in.
py::list unitList()
{
    py::list list;
    for (const UnitRec* q : Quantities().List()) {
        py::dict d;
        d["quantity"] = q->section + "/" + q->key;
        d["kind"] = std::string(UnitsTypeCaption(q->kind));
        d["stored"] = std::string(UnitLabel(q->kind, q->base));
        d["metric"] = std::string(UnitLabel(q->kind, MetricUnitIndex(q->kind, q->base)));
        d["imperial"] = std::string(UnitLabel(q->kind, ImperialUnitIndex(q->kind, q->base)));
        d["units"] = UnitLabels(q->kind);
        list.append(d);
    }
    return list;
}

// The index of a unit of the kind by its label; throws naming the labels there are.
int unitIndex(TUnitsType kind, const std::string& label, const std::string& quantity)
{
    const std::vector<std::string> labels = UnitLabels(kind);
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (labels[i] == label)
            return static_cast<int>(i);
    std::string list;
    for (const std::string& l : labels)
        list += (list.empty() ? "" : ", ") + l;
    throw std::invalid_argument("'" + label + "' is no unit of " + quantity + "; use one of: " + list);
}

// A value of a quantity ("air/t") from one of its units to another; an empty unit is the unit the
// program stores the quantity in.
double convert(double value, const std::string& quantity, const std::string& to, const std::string& from)
{
    const std::size_t slash = quantity.find('/');
    const UnitRec* q = slash == std::string::npos
                           ? nullptr
                           : Quantities().Find(quantity.substr(0, slash), quantity.substr(slash + 1));
    if (!q)
        throw std::invalid_argument("unknown quantity '" + quantity + "'; zmk.units() lists them");
    const int a = from.empty() ? q->base : unitIndex(q->kind, from, quantity);
    const int b = to.empty() ? q->base : unitIndex(q->kind, to, quantity);
    // Through the kind's reference unit: shown = reference x factor + offset.
    const long double reference =
        FromDisplay(UnitOffset(q->kind, a), UnitFactor(q->kind, a), value);
    return static_cast<double>(ToDisplay(UnitOffset(q->kind, b), UnitFactor(q->kind, b), reference));
}

py::dict airStateDict(const TAirState& s)
{
    py::dict d;
    d["P"] = s.P;
    d["db"] = s.db;
    d["wb"] = s.wb;
    d["h"] = s.h;
    d["w"] = s.w;
    d["rh"] = s.rh;
    d["dewpoint"] = s.dewpoint;
    d["pw"] = s.pw;
    d["pws"] = s.pws;
    d["rho"] = s.rho;
    d["cp"] = s.cp;
    d["v"] = s.v;
    d["k"] = s.k;
    d["mu"] = s.mu;
    return d;
}

// The state from the pressure and two of db, wb, h, w, rh, held to the ranges zemtor props air takes.
py::dict airState(std::optional<double> db, std::optional<double> wb, std::optional<double> h,
                  std::optional<double> w, std::optional<double> rh, double p)
{
    if (!(p >= 50 && p <= 120))
        throw std::invalid_argument("barometric pressure " + Format("%0.3f", p) +
                                    " kPa is outside 50 to 120 kPa");
    const int given = db.has_value() + wb.has_value() + h.has_value() + w.has_value() + rh.has_value();
    if (given != 2)
        throw std::invalid_argument("give exactly two of db, wb, h, w, rh");
    if (db && !(*db >= -60 && *db <= 900))
        throw std::invalid_argument("dry bulb " + Format("%0.2f", *db) + " °C is outside -60 to 900 °C");
    if (w && !(*w >= 0 && *w <= 0.5))
        throw std::invalid_argument("moisture content " + Format("%0.6g", *w) + " kg/kg is outside 0 to 0.5");
    if (rh && !(*rh >= 0 && *rh <= 1))
        throw std::invalid_argument("relative humidity " + Format("%0.6g", *rh) +
                                    " is outside 0 to 1 (a fraction)");
    for (const auto& v : {wb, h})
        if (v && !std::isfinite(*v))
            throw std::invalid_argument("wet bulb and enthalpy must be finite numbers");
    TAirState s;
    if (db && wb)
        SetState(s, p, *db, *wb, kPairDbWb);
    else if (db && h)
        SetState(s, p, *db, *h, kPairDbH);
    else if (db && w)
        SetState(s, p, *db, *w, kPairDbW);
    else if (db && rh)
        SetState(s, p, *db, *rh, kPairDbRh);
    else if (h && w)
        SetState(s, p, *h, *w, kPairHW);
    else
        throw std::invalid_argument(
            "this pair does not fix a state; give db with wb, h, w or rh, or h with w");
    return airStateDict(s);
}

// A liquid kind by number or by its listed or short name, any letter case.
int liquidKind(const std::string& name)
{
    long long n;
    if (TryStrToInt(name, n) && n >= 0 && n < kLiquidKindCount)
        return static_cast<int>(n);
    std::string list;
    for (int k = 0; k < kLiquidKindCount; ++k) {
        TTransportProps p;
        LiquidProps(p, k, 20, 5);
        for (const std::string& candidate : {LiquidKindName(k), p.ShortName})
            if (!candidate.empty() && LowerCase(candidate) == LowerCase(name))
                return k;
        list += (k ? ", " : "") + std::to_string(k) + " \"" + LiquidKindName(k) + "\"";
    }
    throw std::invalid_argument("unknown liquid kind '" + name + "'; use one of: " + list);
}

py::dict liquid(const std::string& name, double t)
{
    const int kind = liquidKind(name);
    TLiquid l("props", kind, 0, t, t);
    try {
        l.Update();
    } catch (const EMathError& e) {
        throw std::invalid_argument("the correlation of " + LiquidKindName(kind) + " has no value at " +
                                    Format("%0.2f", t) + " °C (" + e.what() + ")");
    }
    py::dict d;
    d["Name"] = l.GetName();
    d["ShortName"] = l.GetShortName();
    d["TMin"] = l.TMin;
    d["TMax"] = l.TMax;
    d["t"] = l.t;
    d["ro"] = l.ro;
    d["Cp"] = l.Cp;
    d["mu"] = l.mu;
    d["Ko"] = l.Ko;
    d["Pr"] = l.Pr;
    d["in_range"] = l.t >= l.TMin && l.t <= l.TMax;
    return d;
}

// The limits of a selection from the keyword arguments zmk.select passes (every one given).
void readLimits(const py::dict& o, TSelectInputs& in)
{
    auto num = [&](const char* key) { return o[key].cast<double>(); };
    auto range = [&](const char* key) {
        const auto p = o[key].cast<std::pair<double, double>>();
        if (!(p.first <= p.second))
            throw std::invalid_argument(std::string(key) + " expects (low, high) with low <= high");
        return TSelectRange{p.first, p.second};
    };
    TSelectLimits& lim = in.Limits;
    const TSelectRange rows = range("rows");
    lim.RowsLo = static_cast<int>(std::ceil(rows.Lo));
    lim.RowsHi = static_cast<int>(std::floor(rows.Hi));
    lim.Fpi = range("fpi");
    lim.FaceVelocity = range("face_velocity");
    lim.TubeVelocity = range("tube_velocity");
    const TSelectRange h = range("height"), l = range("length");
    lim.Height = {h.Lo / 1000, h.Hi / 1000};
    lim.Length = {l.Lo / 1000, l.Hi / 1000};
    lim.LengthStep = std::max(1.0, num("length_step")) / 1000;
    lim.FixedFace = o["fixed_face"].cast<bool>();
    lim.MaxAirDp = num("max_air_dp");
    lim.MaxLiquidDp = num("max_liquid_dp");
    const std::string objective = o["objective"].cast<std::string>();
    const std::optional<TSelectObjective> ob = SelectObjectiveOf(objective);
    if (!ob)
        throw std::invalid_argument("objective expects area, weight, airdp or cost, not '" + objective + "'");
    in.Objective = *ob;
    in.PriceCopper = num("price_cu");
    in.PriceAluminium = num("price_al");
    in.Threads = o["threads"].cast<int>();
    in.Keep = o["keep"].cast<std::size_t>();
    in.Duty = num("duty");
    if (!o["face_velocity_target"].is_none()) {
        in.FaceVelocity = num("face_velocity_target");
        if (!(std::isfinite(*in.FaceVelocity) && *in.FaceVelocity > 0))
            throw std::invalid_argument("face_velocity_target expects a face velocity above 0 m/s");
    }
    if (!o["leaving_air"].is_none())
        in.LeavingAir = num("leaving_air");
    else if (!(in.Duty > 0))
        throw std::invalid_argument("duty expects the target duty in kW above 0 (or give leaving_air)");
}

// The default job of a kind with the inputs over it, and every catalogue coil that meets the
// target within the limits, best first: ({column: values}, the ruling limit's text when nothing
// meets, failure, message).
py::tuple selectCoils(const std::string& kind, const std::vector<std::string>& sets, bool strict,
                      const py::dict& limits)
{
    const cli::JobOptions options = optionsOf(kind, sets, strict);
    TSelectInputs in;
    std::string maker;
    try {
        readLimits(limits, in);
        maker = limits["maker"].cast<std::string>();
    } catch (const std::exception& e) {
        return py::make_tuple(py::dict(), "", kInputFailure, std::string(e.what()));
    }
    TSelectResult r;
    TRating rating;
    {
        py::gil_scoped_release release;
        rating = runJob(options, {}, [&](TProjectSession& session) {
            TCoilJob& job = session.Job();
            applyInputs(job, options, nullptr);
            job.ApplyInputs();
            const TSelectInputs fromJob = JobSelectInputs(job, maker);
            in.Job = fromJob.Job;
            in.AirVolumeFlow = fromJob.AirVolumeFlow;
            in.Patterns = fromJob.Patterns;
            if (in.Patterns.empty())
                throw std::invalid_argument("the catalogue holds no pattern of the maker '" + maker + "'");
            r = SelectCoils(in);
            if (!r.Error.empty())
                throw std::runtime_error(r.Error);
            return std::string();
        });
    }
    const int failure = rating.Failure;
    const std::string& error = rating.Error;
    py::dict table;
    if (failure != 0)
        return py::make_tuple(table, "", failure, error);
    const std::size_t n = r.Candidates.size();
    auto column = [&](const char* name, auto get) {
        py::list values(n);
        for (std::size_t i = 0; i < n; ++i)
            values[i] = py::cast(get(r.Candidates[i]));
        table[name] = values;
    };
    using Cand = TSelectCandidate;
    column("Maker", [](const Cand& c) { return c.Pattern.Mnf; });
    column("Pattern", [](const Cand& c) { return c.Pattern.Name; });
    column("Model", [](const Cand& c) { return c.SizeText(); });
    column("fHeight", [](const Cand& c) { return c.fHeight; });
    column("fLength", [](const Cand& c) { return c.fLength; });
    column("Rows", [](const Cand& c) { return c.Rows; });
    column("fpi", [](const Cand& c) { return c.fpi; });
    column("Circ", [](const Cand& c) { return c.Circ; });
    column("Qt", [](const Cand& c) { return c.Qt; });
    column("margin", [](const Cand& c) { return c.Margin; });
    column("Vf", [](const Cand& c) { return c.Vf; });
    column("Va", [](const Cand& c) { return c.Va; });
    column("air_dp", [](const Cand& c) { return c.AirDp; });
    column("liquid_dp", [](const Cand& c) { return c.LiquidDp; });
    column("vw", [](const Cand& c) { return c.TubeVelocity; });
    column("air_out", [](const Cand& c) { return c.AirOut; });
    column("tfo", [](const Cand& c) { return c.LiquidOut; });
    column("mw", [](const Cand& c) { return c.LiquidFlow; });
    column("Ao", [](const Cand& c) { return c.Ao; });
    column("weight", [](const Cand& c) { return c.Weight; });
    column("cost", [](const Cand& c) { return c.Cost; });
    column("objective", [](const Cand& c) { return c.Objective; });
    return py::make_tuple(table, n == 0 ? r.RulingText() : std::string(), 0, std::string());
}

py::list fieldList()
{
    py::list fields;
    for (const TEntryFieldInfo& info : EntryFields()) {
        py::dict d;
        d["name"] = info.Name;
        d["unit"] = info.StoredUnit;
        d["low"] = info.RangeLo;
        d["high"] = info.RangeHi;
        d["whole"] = info.WholeNumber;
        fields.append(d);
    }
    return fields;
}

} // namespace

} // namespace zmk::python

PYBIND11_MODULE(_core, m)
{
    using namespace zmk::python;
    m.doc() = "ZMK's coil engine: the command line's job path, called in process";
    m.def("rate", &rate, py::arg("kind"), py::arg("sets"), py::arg("strict"),
          "One job as zemtor solve --kind KIND --json --set ... rates it: (record JSON, failure, message)");
    m.def("rate_project", &rateProject, py::arg("path"), py::arg("kind"), py::arg("sets"), py::arg("strict"),
          "A project file, as zemtor solve FILE --json rates it: (record JSON, failure, message)");
    m.def("rate_table", &rateTable, py::arg("jobs"), py::arg("threads"), py::arg("strict"),
          "Jobs (kind, sets) on threads, the interpreter lock released: the records flattened into "
          "{column: values}, nested members named \"AirOut.db\", a refused job's row saying why");
    m.def("step", &step, py::arg("kind"), py::arg("sets"), py::arg("strict"),
          "The step-by-step simulation as zemtor step runs it: (result dict, failure, message)");
    m.def("air_state", &airState, py::arg("db") = py::none(), py::arg("wb") = py::none(),
          py::arg("h") = py::none(), py::arg("w") = py::none(), py::arg("rh") = py::none(),
          py::arg("p") = 101.325, "The moist-air state from two of db, wb, h, w, rh at pressure p (kPa)");
    m.def("liquid", &liquid, py::arg("name"), py::arg("t"), "A liquid's properties at t (°C)");
    m.def("size", &size, py::arg("kind"), py::arg("file"), py::arg("mode"), py::arg("duty"),
          py::arg("keep_airflow"), py::arg("sets"), py::arg("strict"),
          "One auto-sizing as zemtor size --json runs it: (sized record JSON, failure, message)");
    m.def("units", &unitList, "Every quantity: its name, kind, stored, metric and imperial units, all units");
    m.def("convert", &convert, py::arg("value"), py::arg("quantity"), py::arg("to"), py::arg("from_unit"),
          "A value of a quantity from one unit to another (an empty unit: the stored one)");
    m.def("fields", &fieldList, "The inputs a job takes: name, stored unit, range");
    m.def("select", &selectCoils, py::arg("kind"), py::arg("sets"), py::arg("strict"), py::arg("limits"),
          "Every catalogue coil that meets the target within the limits, best first: ({column: values}, "
          "why nothing met, failure, message)");
    m.attr("INPUT_FAILURE") = kInputFailure;
    m.attr("DATA_FAILURE") = kDataFailure;
}
