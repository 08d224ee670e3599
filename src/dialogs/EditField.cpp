// Entry field set-up from a description.
#include "dialogs/EditField.h"

namespace zmk {

void ConfigureField(TFmtEdit& field, const TEditFieldSpec& spec, int shownUnit)
{
    // The display unit's own format applies (ft_Fixed follows the unit); the described format
    // is the one of the stored unit.
    field.SetFormatType(ft_Fixed);
    field.SetText("0");
    field.SetUnitsType(spec.Kind);
    field.SetUnitsBase(spec.StoredUnit);
    field.SetUnitsValue(shownUnit);
    if (field.UnitsValue() == field.UnitsBase())
        field.SetFormatStr(spec.Format);
    field.SetRangeLo(spec.RangeLo);
    field.SetRangeHi(spec.RangeHi);
    field.SetValue(0.0);
}

} // namespace zmk
