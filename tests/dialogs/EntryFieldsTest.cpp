// The main window's entry fields set up from the job's table of fields: the field logic and the
// job agree on units, formats, ranges and whole numbers.
#include "support/KindJob.h"

#include "app/CoilJob.h"
#include "dialogs/FmtEdit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

namespace zmk {
namespace {

// Rows and circuits are counts: their fields take whole numbers only, the others any real.
TEST(EntryFields, RowsAndCircuitsTakeWholeNumbersOnly)
{
    TEntryErrorFlag flag;
    for (const TEntryFieldInfo& info : EntryFields()) {
        SCOPED_TRACE(info.Name);
        const bool count = info.Field == TEntryField::edRows || info.Field == TEntryField::edCircuits;
        EXPECT_EQ(info.WholeNumber, count);
        if (!count)
            continue;
        TFmtEdit edit(flag);
        ConfigureField(edit, info);
        EXPECT_FALSE(edit.Validate("2.5"));
        EXPECT_EQ(edit.Text(), "2.0");
        EXPECT_TRUE(edit.Validate("3"));
    }
}

// The window's fields are set up from the job's table alone; with the job's values they show
// the first window's texts in their first units.
TEST(EntryFields, FieldsSetUpFromTheTableShowTheFirstWindow)
{
    test::KindJob built("zmk");
    const TCoilJob& job = built.job;
    const std::map<std::string, std::string> shown{
        {"edFinHeight", "21.00"},    {"edFinnedLength", "1200.0"}, {"edRows", "4.0"},
        {"edFinDensity", "10.0000"}, {"edCircuits", "14.0"},       {"edAltitude", "0.0"},
        {"edOnCoil", "380.0"},       {"edHumidityOn", "5.000"},    {"edFaceVelocity", "2.70"},
        {"edFluidInTemp", "80.0"},   {"edFluidFlow", "1.2000"},
    };
    TEntryErrorFlag flag;
    for (const TEntryFieldInfo& info : EntryFields()) {
        SCOPED_TRACE(info.Name);
        TFmtEdit edit(flag);
        ConfigureField(edit, info);
        EXPECT_EQ(UnitLabel(edit.UnitsType(), edit.UnitsValue()), std::string_view(info.ShownUnit));
        edit.SetValue(job.Inputs[info.Field].Value);
        if (auto it = shown.find(info.Name); it != shown.end()) {
            EXPECT_EQ(edit.Text(), it->second);
        }
        // The field's own range check and the job's agree at both ends.
        double lo = info.RangeLo - 1e6, hi = info.RangeHi + 1e6;
        EXPECT_FALSE(EntryRangeCheck(lo, info.RangeLo, info.RangeHi));
        EXPECT_FALSE(EntryRangeCheck(hi, info.RangeLo, info.RangeHi));
        edit.SetValue(info.RangeHi * 10 + 10);
        EXPECT_FALSE(edit.Validate(edit.Text()));
        EXPECT_NEAR(static_cast<double>(edit.GetValue().AsNumber()), hi, std::fabs(hi) * 0.01 + 1e-3);
    }
}

} // namespace
} // namespace zmk
