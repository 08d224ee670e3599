// The description of a dialog's numeric entry field and how it sets up the entry field logic,
// so that each dialog states its fields as data (caption, quantity, units, format, range) and
// configures them the same way.
#pragma once

#include "units/FmtEdit.h"

namespace zmk {

/// One numeric entry field of a dialog.
struct TEditFieldSpec
{
    const char* Name;    ///< "edPa"
    const char* Caption; ///< "Pressure"
    TUnitsType Kind;     ///< quantity kind
    int StoredUnit;      ///< index of the unit the dialog holds the value in
    const char* Format;  ///< number format in the stored unit ("%0.3f")
    double RangeLo;      ///< lowest accepted value, stored unit
    double RangeHi;      ///< highest accepted value, stored unit
};

/// Sets up a field from its description, showing the value in the unit of index shownUnit
/// (clamped into the kind's list) with that unit's default format, or the described format
/// when it is the stored unit; the field shows zero.
void ConfigureField(TFmtEdit& field, const TEditFieldSpec& spec, int shownUnit);

} // namespace zmk
