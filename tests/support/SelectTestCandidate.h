// A coil the selection could have returned, unlike the default job's: the typical maker's 1/2-inch
// pattern, 20 tubes high by 1.5 m, 6 rows, 12 fpi, 20 circuits. Tests of "Use" and its undo put it
// into a job.
#pragma once

#include "engine/CoilSelection.h"
#include "geometry/CoilMakers.h"

namespace zmk::test {

inline TSelectCandidate TypicalCandidate()
{
    TSelectCandidate c;
    c.Pattern = ProcessCoilMakers().SelectModel("typical", 4);
    c.Pattern.Mnf = "typical";
    c.fHeight = 20 * c.Pattern.Sy;
    c.fLength = 1.5;
    c.Rows = 6;
    c.fpi = 12;
    c.Circ = 20;
    return c;
}

} // namespace zmk::test
