// The accuracy record: published worked examples and correlations, each rated here with the
// standard and the published air-side methods beside the published answer, and the spread
// between the two methods on the default job of each kind. The tests check every case against
// its tolerance, and the help page "Accuracy" (reports/AccuracyPage) is written from the same table, so the page shows
// what is tested. Units as each case names them.
#pragma once

#include <string>
#include <vector>

namespace zmk {

/// One line of the record.
struct TAccuracyCase
{
    std::string Group;        ///< "Worked examples", "Correlations" or "The two methods"
    std::string Name;         ///< what is rated
    std::string Source;       ///< where the published answer comes from
    std::string Quantity;     ///< what the numbers are, with their unit
    double Published = 0;     ///< the published answer; NaN where there is none
    double Standard = 0;      ///< the standard method's value
    double WithPublished = 0; ///< the published method's value
    /// The largest relative difference from the published answer that the tests accept for the
    /// method checked (0: shown, not checked).
    double Tolerance = 0;
    bool ChecksStandard = false;  ///< the standard method's value is held to the tolerance
    bool ChecksPublished = false; ///< the published method's value is held to the tolerance
};

/// Every case, rated now.
std::vector<TAccuracyCase> AccuracyCases();

/// McQuiston's j-factor of a plain-fin coil (McQuiston, "Correlation of heat, mass and momentum
/// transport coefficients for plate-fin-tube heat transfer surfaces with staggered tubes", ASHRAE
/// Transactions 84(1) (1978) 294–309): tube Reynolds number ReD (outside diameter), row-pitch
/// Reynolds number ReL, total over bare-tube area ratio and rows.
double McQuistonJ(double ReD, double ReL, double areaRatio, double rows);

} // namespace zmk
