// What an entry field is, described once in its owner's table of fields, and the range rule
// every entry field applies: the facts the job's inputs and the forms' fields share.
#pragma once

#include "units/Conv.h"

namespace zmk {

/// How a real-format field chooses the number format when it shows a value.
enum TFormatType {
    ft_Auto,         ///< about SigDigs significant digits (AutoDecimalFormat)
    ft_Fixed,        ///< FormatStr as it stands (it follows the display unit's default)
    ft_AutoOverride, ///< FormatStr, but significant digits for values below 10^(2 - decimals)
    ft_Manual,       ///< FormatStr, kept when the unit changes
};

/// What an entry field is, described once in its owner's table of fields (the main window's,
/// each dialog's): its name, caption, quantity kind, the unit its owner stores the value in,
/// the unit and format it is first shown with, and its range in the stored unit. The field's
/// logic is set up from this description (ConfigureField), so the facts live in one place.
struct TFieldSpec
{
    const char* Name;    ///< "edOnCoil"
    const char* Caption; ///< "Air Temp On"; empty for a field known by its unit label alone
    TUnitsType Kind;     ///< quantity kind of the field
    const char*
        StoredUnit; ///< label of the unit the owner stores the value in ("°C"); empty for plain numbers
    const char* ShownUnit;             ///< label of the unit shown at first ("inch")
    const char* Format;                ///< number format shown at first ("%0.2f")
    double RangeLo;                    ///< lowest accepted value, stored unit
    double RangeHi;                    ///< highest accepted value, stored unit
    TFormatType FormatType = ft_Fixed; ///< how the format follows the value and the unit
    bool WholeNumber = false;          ///< only whole numbers are taken (rows, circuits)
};

/// The range rule of every entry field, applied to v in the unit the bounds are given in: a value
/// up to half a percent beyond a non-zero bound is accepted as typed; one further out becomes the
/// nearer bound and the check fails. With both bounds 0, or equal to within 1e-5, every number
/// passes. NaN becomes the lower bound and an infinity the bound on its side (the check fails).
bool ClampToRange(long double& v, long double lo, long double hi);

} // namespace zmk
