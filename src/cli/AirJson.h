// The JSON form of a moist-air state, shared by the commands that print air states: the keys
// are the state's field names, the values in the model's stored units.
#pragma once

#include "base/JsonWriter.h"
#include "properties/Psy.h"

namespace zmk::cli {

/// Every field of the state under its field name (P kPa, db/wb/dewpoint °C, h kJ/kg, w kg/kg,
/// rh fraction, pw/pws kPa, rho kg/m³, cp kJ/(kg·K), v m³/kg, k kW/(m·K), mu kg/(m·s), ma kg/s).
inline void WriteAirState(TJsonWriter& w, const TAirState& s)
{
    w.BeginObject();
    w.Member("P", s.P);
    w.Member("db", s.db);
    w.Member("wb", s.wb);
    w.Member("h", s.h);
    w.Member("w", s.w);
    w.Member("rh", s.rh);
    w.Member("dewpoint", s.dewpoint);
    w.Member("pw", s.pw);
    w.Member("pws", s.pws);
    w.Member("rho", s.rho);
    w.Member("cp", s.cp);
    w.Member("v", s.v);
    w.Member("k", s.k);
    w.Member("mu", s.mu);
    w.Member("ma", s.ma);
    w.EndObject();
}

} // namespace zmk::cli
