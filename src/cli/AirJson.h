// The JSON form of a moist-air state, shared by the commands that print air states: the keys
// are the state's field names, the values in the model's stored units.
#pragma once

#include "properties/Psy.h"

#include <nlohmann/json.hpp>

namespace zmk::cli {

/// Every field of the state under its field name (P kPa, db/wb/dewpoint °C, h kJ/kg, w kg/kg,
/// rh fraction, pw/pws kPa, rho kg/m³, cp kJ/(kg·K), v m³/kg, k kW/(m·K), mu kg/(m·s), ma kg/s).
inline nlohmann::ordered_json AirStateJson(const TAirState& s)
{
    nlohmann::ordered_json j;
    j["P"] = s.P;
    j["db"] = s.db;
    j["wb"] = s.wb;
    j["h"] = s.h;
    j["w"] = s.w;
    j["rh"] = s.rh;
    j["dewpoint"] = s.dewpoint;
    j["pw"] = s.pw;
    j["pws"] = s.pws;
    j["rho"] = s.rho;
    j["cp"] = s.cp;
    j["v"] = s.v;
    j["k"] = s.k;
    j["mu"] = s.mu;
    j["ma"] = s.ma;
    return j;
}

} // namespace zmk::cli
