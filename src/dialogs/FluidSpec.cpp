// The fluid specification dialog's rules.
#include "dialogs/FluidSpec.h"

#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "properties/Fluid.h"
#include "units/Conv.h"

#include <algorithm>
#include <cmath>

namespace zmk {

const std::array<const char*, 13> kFluidGridLines{
    "Property; Value; Units",
    "Temperature; %0.2f; °C; NPE; -60; 350",
    "Pressure; %0.1f; bar; NPE; 1; 10",
    "Fluid type; enum; ; Water",
    "Additive; enum; ; None; Ethylene Glycol; Propylene Glycol; Calcium Chloride",
    "Additive Volume; %0.2f; 0 to 0.4; NPE; 0.01; 0.45",
    "User Defined; enum; ; False; True",
    "Density; %0.4f; kg/m³; NPE; 0.01; 5000",
    "Specific Heat; %0.3f; kJ/kg·K; NPE; 0.01; 100.0",
    "Dynamic viscosity; %0.4g; kg/m·s; NPE; 1e-9; 10.0",
    "Conductivity; %0.4g; W/m·K; NPE; 1e-9; 10.0",
    "Valid From; %0.2f; °C; NPE; -100; 1000",
    "Valid To; %0.2f; °C; NPE; -100; 1000",
};

const std::array<const char*, 12> kFluidRowUnitKeys{
    "Units.iTemp", "Units.iPres", "Units.iLiqd", "Units.iATyp", "Units.iAVol", "Units.iUser",
    "Units.iRo",   "Units.iCp",   "Units.iMu",   "Units.iKo",   "Units.iTMin", "Units.iTMax"};

namespace {

// The units of a number row: its kind, the unit it is first shown in and the unit it holds.
struct TRowUnits
{
    int Row;
    TUnitsType Kind;
    int Display;
    int Held;
};

constexpr std::array<TRowUnits, 9> kRowUnits{{
    {frTemperature, utTemperature, 0, 0},
    {frPressure, utPressureBar, 2, 2},
    {frAdditiveVolume, utProportion, 1, 0},
    {frDensity, utDensity, 0, 0},
    {frSpecificHeat, utSpecificHeat, 0, 0},
    {frViscosity, utViscosity, 3, 0},
    {frConductivity, utConductivity, 1, 0},
    {frValidFrom, utTemperature, 0, 0},
    {frValidTo, utTemperature, 0, 0},
}};

std::vector<std::string> SplitLine(std::string_view line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(';', start);
        fields.push_back(Trim(line.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos)
            return fields;
        start = end + 1;
    }
}

double NumberOr(const std::string& text, double fallback)
{
    double v;
    return TryStrToFloat(text, v) ? v : fallback;
}

TEntryErrorFlag& Flag(TEntryErrorFlag* flag)
{
    return flag ? *flag : EntryErrorFlag();
}

} // namespace

TFluidSpec::TFluidSpec(ISettingsStore& programSettings, INotifier* notifier, TEntryErrorFlag* entryError)
    : settings_(programSettings), notifier_(notifier), place_(kFluidSpecSection)
{
    const std::string_view s = kFluidSpecSection;
    for (int i = 0; i < 3; ++i)
        ColumnWidths[static_cast<std::size_t>(i)] = settings_.ReadInteger(
            s, "ColWidths" + std::to_string(i), kFluidColumnWidths[static_cast<std::size_t>(i)]);

    // The grid from its lines; the heading's three fields are the column captions.
    for (int r = 0; r < kRowCount; ++r) {
        const std::vector<std::string> f = SplitLine(kFluidGridLines[static_cast<std::size_t>(r)]);
        TFluidRow& row = rows_[static_cast<std::size_t>(r)];
        row.Property = f[0];
        if (r == 0) {
            row.Choices.assign(f.begin(), f.end());
            continue;
        }
        row.IsChoice = f.size() > 1 && f[1] == "enum";
        if (row.IsChoice) {
            row.Choices.assign(f.begin() + std::min<std::ptrdiff_t>(3, static_cast<std::ptrdiff_t>(f.size())),
                               f.end());
            continue;
        }
        row.Edit = std::make_unique<TFmtEdit>(Flag(entryError));
        row.Units = std::make_unique<TFmtEditLabel>();
        row.Edit->SetFormatStr(f.size() > 1 ? f[1] : "%0.1f");
        row.Edit->SetRangeLo(f.size() > 4 ? NumberOr(f[4], 0) : 0);
        row.Edit->SetRangeHi(f.size() > 5 ? NumberOr(f[5], 0) : 0);
    }
    rows_[frFluidType].Choices.clear();
    for (int k = 0; k < kLiquidKindCount; ++k)
        rows_[frFluidType].Choices.push_back(LiquidKindName(k));

    // The number rows take their units: the display unit's label and default format replace the
    // line's unit text and format.
    for (const TRowUnits& u : kRowUnits) {
        TFluidRow& row = rows_[static_cast<std::size_t>(u.Row)];
        const std::string caption = row.Property;
        const std::string held(UnitLabel(u.Kind, u.Held));
        const std::string shown(UnitLabel(u.Kind, u.Display));
        const std::string format(UnitFormat(u.Kind, u.Display));
        const TFieldSpec spec{kFluidRowUnitKeys[static_cast<std::size_t>(u.Row - 1)],
                              caption.c_str(),
                              u.Kind,
                              held.c_str(),
                              shown.c_str(),
                              format.c_str(),
                              row.Edit->RangeLo(),
                              row.Edit->RangeHi()};
        const int remembered =
            settings_.ReadInteger(s, kFluidRowUnitKeys[static_cast<std::size_t>(u.Row - 1)], u.Display);
        row.Edit->SetUnitsLabel(row.Units.get());
        ConfigureField(*row.Edit, spec, remembered);
        TFmtEdit* edit = row.Edit.get();
        TFluidRow* rowPtr = &row;
        // A new unit shows the exact value again rather than the rounded one the cell held.
        edit->OnUnitsEdited = [rowPtr](TFmtEdit& e) { e.SetValue(rowPtr->Value); };
        const int r = u.Row;
        edit->OnExit = [this, r](TFmtEdit& e) {
            if (!e.Modified())
                return;
            TFluidRow& changed = rows_[static_cast<std::size_t>(r)];
            const std::optional<double> v = ReadFieldNumber(e);
            if (!v) {
                e.SetValue(changed.Value);
                if (notifier_)
                    notifier_->Beep();
                return;
            }
            changed.Value = *v;
            RowChanged(r);
        };
    }
}

void TFluidSpec::RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const
{
    RestoreWindow(settings_, place_.Name(), place, screen, false, place_.WithSize());
}

std::string TFluidSpec::CellText(int row, int column) const
{
    if (row < 0 || row >= kRowCount || column < 0 || column > 2)
        return {};
    const TFluidRow& r = Row(row);
    if (row == 0)
        return column < static_cast<int>(r.Choices.size()) ? r.Choices[static_cast<std::size_t>(column)] : "";
    if (column == 0)
        return r.Property;
    if (r.IsChoice) {
        if (column == 2 || r.Choice < 0 || r.Choice >= static_cast<int>(r.Choices.size()))
            return {};
        return r.Choices[static_cast<std::size_t>(r.Choice)];
    }
    return column == 1 ? r.Edit->Text() : r.Units->Caption();
}

// ---- rows ----------------------------------------------------------------------------------------

void TFluidSpec::setNumber(int row, double value)
{
    TFluidRow& r = Row(row);
    r.Value = value;
    r.Edit->SetValue(value);
}

void TFluidSpec::setChoice(int row, int index)
{
    TFluidRow& r = Row(row);
    r.Choice = std::clamp(index, 0, std::max(0, static_cast<int>(r.Choices.size()) - 1));
}

double TFluidSpec::rowValue(int row) const
{
    const TFluidRow& r = Row(row);
    return r.IsChoice ? r.Choice : r.Value;
}

void TFluidSpec::FillRows(const std::vector<double>& values)
{
    if (values.size() != kRowCount - 1)
        throw ZmkError("TFluidSpec.FillRows", "DataCount<>LineCount");
    for (int r = 1; r < kRowCount; ++r) {
        const double v = values[static_cast<std::size_t>(r - 1)];
        if (Row(r).IsChoice)
            setChoice(r, std::isfinite(v) ? static_cast<int>(std::clamp(v, -1.0, 1000.0)) : 0);
        else
            setNumber(r, v);
    }
}

void TFluidSpec::SetUserMode(bool user)
{
    if (user) {
        setChoice(frAdditive, 0);
        setNumber(frAdditiveVolume, 0);
        Row(frAdditive).Enabled = false;
        Row(frAdditiveVolume).Enabled = false;
    } else {
        Row(frAdditive).Enabled = true;
        Row(frAdditiveVolume).Enabled = true;
    }
    for (int r : {frDensity, frSpecificHeat, frConductivity, frViscosity, frValidFrom, frValidTo})
        Row(r).Enabled = user;
    ApplyAdditiveRules();
    ApplyPressureRule();
}

void TFluidSpec::ApplyAdditiveRules()
{
    if (Row(frFluidType).Choice != 0) {
        Row(frAdditive).Enabled = false;
        Row(frAdditiveVolume).Enabled = false;
        setChoice(frAdditive, 0);
        if (liquid_)
            liquid_->WaterAdditive = 0;
        setNumber(frAdditiveVolume, 0);
    } else {
        Row(frAdditive).Enabled = true;
        if (Row(frAdditive).Choice > 0) {
            Row(frAdditiveVolume).Enabled = true;
            if (Row(frAdditiveVolume).Value == 0)
                setNumber(frAdditiveVolume, kDefaultAdditiveVolume);
        } else {
            Row(frAdditiveVolume).Enabled = false;
            setNumber(frAdditiveVolume, 0);
        }
    }
    if (liquid_)
        liquid_->AdditiveVolume = Row(frAdditiveVolume).Value;
}

void TFluidSpec::ApplyPressureRule()
{
    const int kind = Row(frFluidType).Choice;
    Row(frPressure).Enabled = kind == 13 || kind == 0 || kind == 12;
}

void TFluidSpec::ShowValidRange()
{
    if (!liquid_)
        return;
    const TFmtEdit& t = *Row(frTemperature).Edit;
    const auto shown = [&t](double v) { return Format(t.FormatStr(), ToDisplay(t.Offset(), t.Factor(), v)); };
    status_ = Format("Valid range = [%s .. %s] %s", shown(liquid_->TMin), shown(liquid_->TMax),
                     Row(frTemperature).Units->Caption());
    statusColour_ = liquid_->TMin <= liquid_->t && liquid_->t <= liquid_->TMax ? kTeal : kMaroon;
}

// ---- the dialog's life ---------------------------------------------------------------------------

void TFluidSpec::fillFromLiquid()
{
    TLiquid& l = *liquid_;
    FillRows({l.t, l.Pf, static_cast<double>(l.LiquidSpec), static_cast<double>(l.WaterAdditive),
              l.AdditiveVolume, l.UserProps ? 1.0 : 0.0, l.ro, l.Cp, l.mu, l.Ko, l.TMin, l.TMax});
    SetUserMode(l.UserProps);
    FillRows({l.t, l.Pf, static_cast<double>(l.LiquidSpec), static_cast<double>(l.WaterAdditive),
              l.AdditiveVolume, l.UserProps ? 1.0 : 0.0, l.UserProps ? l.UserRo : l.ro,
              l.UserProps ? l.UserCp : l.Cp, l.UserProps ? l.UserMu : l.mu, l.UserProps ? l.UserKo : l.Ko,
              l.UserProps ? l.UserTMin : l.TMin, l.UserProps ? l.UserTMax : l.TMax});
    ApplyAdditiveRules();
    ApplyPressureRule();
    ShowValidRange();
}

void TFluidSpec::Activate()
{
    result_ = TDialogResult::None;
    if (!liquid_)
        return;
    const TLiquid& l = *liquid_;
    snapshot_.Take({l.t, l.Pf, l.LiquidSpec, l.WaterAdditive, l.AdditiveVolume, l.UserProps, l.UserRo,
                    l.UserCp, l.UserMu, l.UserKo, l.UserTMin, l.UserTMax});
    fillFromLiquid();
}

void TFluidSpec::EnterRowText(int row, std::string_view text)
{
    if (row < 1 || row >= kRowCount || Row(row).IsChoice || !Row(row).Enabled)
        return;
    TFmtEdit& e = *Row(row).Edit;
    e.Enter();
    e.EditText(text);
    e.Exit();
}

void TFluidSpec::ChooseRow(int row, int index)
{
    if (row < 1 || row >= kRowCount || !Row(row).IsChoice || !Row(row).Enabled)
        return;
    if (index < 0 || index >= static_cast<int>(Row(row).Choices.size()))
        return;
    Row(row).Choice = index;
    RowChanged(row);
}

void TFluidSpec::RowChanged(int row)
{
    if (!liquid_ || row < 1 || row >= kRowCount)
        return;
    TLiquid& l = *liquid_;
    const TLiquid before = l;
    const double v = rowValue(row);
    try {
        switch (row) {
        case frTemperature:
            l.SetT(v);
            break;
        case frPressure:
            l.SetPf(v);
            break;
        case frFluidType:
            l.LiquidSpec = static_cast<int>(v);
            break;
        case frAdditive:
            l.WaterAdditive = static_cast<int>(v);
            // An additive chosen for water without one starts at a usual mixture, so that the
            // properties shown are the mixture's at once.
            if (l.WaterAdditive > 0 && !(l.AdditiveVolume > 0))
                l.AdditiveVolume = kDefaultAdditiveVolume;
            break;
        case frAdditiveVolume:
            l.AdditiveVolume = v;
            break;
        case frUserDefined:
            // The values the user starts from are the correlation's, and so is their range.
            if (v != 0 && !l.UserProps)
                l.CorrelationRange(l.UserTMin, l.UserTMax);
            l.UserProps = v != 0;
            break;
        case frDensity:
            l.UserRo = v;
            break;
        case frSpecificHeat:
            l.UserCp = v;
            break;
        case frViscosity:
            l.UserMu = v;
            break;
        case frConductivity:
            l.UserKo = v;
            break;
        // The range stays a range: an end moved past the other takes it along.
        case frValidFrom:
            l.UserTMin = v;
            l.UserTMax = std::max(l.UserTMax, v);
            break;
        case frValidTo:
            l.UserTMax = v;
            l.UserTMin = std::min(l.UserTMin, v);
            break;
        default:
            break;
        }
        l.Update();
    } catch (const ZmkError&) {
        // A state the correlation has no value at (a pole of its fit): the liquid stays as it
        // was and the rows show it again.
        l = before;
        if (notifier_)
            notifier_->Message("The fluid properties cannot be evaluated for this value...");
        fillFromLiquid();
        return;
    }
    ShowValidRange();
    l.Caption = l.GetName();
    setNumber(frAdditiveVolume, l.AdditiveVolume);
    SetUserMode(Row(frUserDefined).Choice != 0);
    if (row >= frTemperature && row <= frAdditiveVolume) {
        setNumber(frDensity, l.ro);
        setNumber(frSpecificHeat, l.Cp);
        setNumber(frViscosity, l.mu);
        setNumber(frConductivity, l.Ko);
    }
    l.UserRo = Row(frDensity).Value;
    l.UserCp = Row(frSpecificHeat).Value;
    l.UserMu = Row(frViscosity).Value;
    l.UserKo = Row(frConductivity).Value;
    // The range rows show the range the liquid now holds: the user's, or its correlation's.
    setNumber(frValidFrom, l.TMin);
    setNumber(frValidTo, l.TMax);
}

void TFluidSpec::Accept()
{
    snapshot_.Drop();
    result_ = TDialogResult::Ok;
}

void TFluidSpec::Cancel()
{
    result_ = TDialogResult::Cancel;
    if (!liquid_ || !snapshot_.Taken())
        return;
    TSaved saved;
    snapshot_.PutBack(saved);
    TLiquid& l = *liquid_;
    l.LiquidSpec = saved.LiquidSpec;
    l.WaterAdditive = saved.WaterAdditive;
    l.AdditiveVolume = saved.AdditiveVolume;
    l.UserProps = saved.UserProps;
    l.UserRo = saved.UserRo;
    l.UserCp = saved.UserCp;
    l.UserMu = saved.UserMu;
    l.UserKo = saved.UserKo;
    l.UserTMin = saved.UserTMin;
    l.UserTMax = saved.UserTMax;
    l.SetPf(saved.Pf);
    // SetT evaluates the liquid, and puts back the outlet temperature with the mean.
    try {
        l.SetT(saved.t);
    } catch (const ZmkError&) {
    }
}

void TFluidSpec::Close(const TWindowPlace* windowPlace)
{
    const std::string_view s = kFluidSpecSection;
    if (windowPlace)
        StoreWindow(settings_, place_.Name(), *windowPlace);
    for (int i = 0; i < 3; ++i)
        settings_.WriteInteger(s, "ColWidths" + std::to_string(i), ColumnWidths[static_cast<std::size_t>(i)]);
    for (int r = 1; r < kRowCount; ++r)
        settings_.WriteInteger(s, kFluidRowUnitKeys[static_cast<std::size_t>(r - 1)],
                               Row(r).IsChoice ? 0 : Row(r).Edit->UnitsValue());
}

} // namespace zmk
