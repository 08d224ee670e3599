#include "reports/JobPictures.h"

#include "base/Errors.h"
#include "engine/LiquidCoil.h"
#include "geometry/FinAndTube.h"
#include "reports/CircuitPicture.h"
#include "reports/CoilDrawing.h"
#include "reports/Png.h"
#include "reports/ReportPages.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace zmk {

namespace {

// The sans face, opened once; null when none is installed (then the stock pictures stay).
TTypeface* sansTypeface()
{
    static std::unique_ptr<TTypeface> face;
    static bool tried = false;
    if (!tried) {
        tried = true;
        try {
            face = LoadSansTypeface();
        } catch (const ZmkError&) {
            face.reset();
        }
    }
    return face.get();
}

bool writePng(const TReportJob& job, const char* name, const TRasterImage& image)
{
    try {
        WriteFileBytes(job.ReportFolder / name, EncodePng(image));
        return true;
    } catch (const ZmkError&) {
        return false;
    }
}

} // namespace

std::string WriteJobDrawing(const TReportJob& job, const char* name, int width, int height,
                            const char* fallback)
{
    TTypeface* face = sansTypeface();
    if (!job.Coil || !job.Coil->Geometry || !face)
        return fallback;
    const TCoilDrawingData data = CoilDrawingData(*job.Coil, job.Solved);
    return writePng(job, name, RenderCoilDrawing(data, *face, width, height)) ? name : fallback;
}

bool WriteJobCircuitPicture(const TReportJob& job)
{
    TTypeface* face = sansTypeface();
    if (!job.Coil || !job.Coil->Geometry || !face)
        return false;
    const TCircuitLacing lacing = CoilLacing(*job.Coil->Geometry);
    // As wide as the field's shape asks, room for the legend kept.
    constexpr int height = 560;
    const double fieldW = lacing.Rows * std::max(lacing.RowPitch, 1e-6);
    const double fieldH = (lacing.TubesHigh + 0.5) * std::max(lacing.TubePitch, 1e-6);
    const int width = std::clamp(static_cast<int>(fieldW / fieldH * (height - 100)) + 40, 420, 760);
    return writePng(job, reportfiles::JobCircuits, RenderCircuitPicture(lacing, *face, width, height));
}

} // namespace zmk
