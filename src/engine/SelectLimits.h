// What a coil selection holds its candidates to: the ranges it runs over, the limits a
// candidate must keep to, the objective that ranks them and the names of both.
// Units: m, m/s, Pa (air dp), kPa (liquid dp).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zmk {

/// A closed range; Lo > Hi is empty.
struct TSelectRange
{
    double Lo = 0;
    double Hi = 0;
    bool Contains(double v) const { return v >= Lo - 1e-9 && v <= Hi + 1e-9; }
};

/// What the candidates are ranked by (smallest first).
enum class TSelectObjective { Area, Weight, AirDp, Cost };

/// The objective named area, weight, airdp or cost (any case); nothing for another name.
std::optional<TSelectObjective> SelectObjectiveOf(std::string_view name);
/// The name SelectObjectiveOf reads.
std::string SelectObjectiveName(TSelectObjective objective);

/// The limits a candidate must keep to, and what the enumeration runs over.
struct TSelectLimits
{
    TSelectRange FaceVelocity{1.5, 3.0}; ///< m/s
    TSelectRange TubeVelocity{0.3, 2.5}; ///< m/s, of the liquid flow the duty needs
    double MaxAirDp = 0;                 ///< Pa; 0 none
    double MaxLiquidDp = 0;              ///< kPa; 0 none
    int RowsLo = 1, RowsHi = 8;
    TSelectRange Fpi{6, 14};       ///< fins per inch
    double FpiStep = 1;            ///< fins per inch
    TSelectRange Height{0.3, 1.5}; ///< fin height, m, taken in whole tube pitches
    TSelectRange Length{0.5, 3.0}; ///< finned length, m
    double LengthStep = 0.1;       ///< m
    /// The face of the job's coil only (its fin height and finned length as they are).
    bool FixedFace = false;
};

/// The limits a candidate can fail, in the order they are checked.
enum class TSelectLimit { FaceVelocity, TubeVelocity, Duty, AirDp, LiquidDp, NotSolved, Count };
/// The limit's name in the user's words ("maximum air pressure drop").
std::string SelectLimitName(TSelectLimit limit);

} // namespace zmk
