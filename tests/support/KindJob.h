// A coil job of one kind as the program builds it: the kind's defaults, its coil built (and
// solved, unless asked not to), its messages recorded, and the cold coil's dew point default
// started afresh so that no job rated before changes a digit.
#pragma once

#include "app/CoilJob.h"
#include "base/Notifier.h"
#include "engine/HeatExchanger.h"

#include <string>
#include <string_view>

namespace zmk::test {

struct KindJob
{
    explicit KindJob(std::string_view kind, bool solve = true) : job(&notes)
    {
        TAdpDefault::Instance().Reset();
        job.KindCode = std::string(kind);
        job.SetKindDefaults();
        job.BuildCoil(solve);
    }
    RecordingNotifier notes;
    TCoilJob job;
};

} // namespace zmk::test
