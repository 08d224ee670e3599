#include "reports/PsyChartPicture.h"

#include "engine/LiquidCoil.h"
#include "reports/Png.h"
#include "reports/RasterCanvas.h"
#include "reports/ReportPage.h"
#include "reports/SvgCanvas.h"

#include <cctype>

namespace zmk {

std::optional<TPsyProcess> PsyProcessOf(const TReportJob& job)
{
    if (!job.Solved || !job.Coil || !job.Coil->AirIn || !job.Coil->AirOut)
        return std::nullopt;
    const TLiquidCoil& coil = *job.Coil;
    TPsyProcess p;
    p.In = *coil.AirIn;
    p.Out = *coil.AirOut;
    p.Pressure = p.In.P;
    std::string kind = job.KindCode;
    for (char& c : kind)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    p.HighTemperature = kind == "zmk";
    if (kind == "cwc" && coil.SurfaceCondition != scDry)
        p.Adp = coil.ADP;
    return p;
}

std::string PsyChartSvg(const TPsyChart& chart, int width, int height, TTypeface* measure)
{
    TSvgCanvas canvas(width, height, measure);
    chart.Draw(canvas, width, height);
    return canvas.Document();
}

TRasterImage RenderPsyChart(const TPsyChart& chart, TTypeface& typeface, int width, int height)
{
    TRasterImage image(width, height);
    TRasterCanvas canvas(image, typeface);
    chart.Draw(canvas, width, height);
    return image;
}

void SavePsyChartFile(const TPsyChart& chart, const std::filesystem::path& file, TTypeface& typeface)
{
    std::string ext = file.extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".svg")
        WriteFileText(file, PsyChartSvg(chart, kPsyChartWidth, kPsyChartHeight, &typeface));
    else
        WritePngFile(file, RenderPsyChart(chart, typeface));
}

bool WritePsyChartPictures(const TReportJob& job, TTypeface* typeface)
{
    const std::optional<TPsyProcess> process = PsyProcessOf(job);
    if (!process)
        return false;
    const TPsyChart chart(*process);
    WriteFileText(job.ReportFolder / reportfiles::PsyChartSvg,
                  PsyChartSvg(chart, kPsyChartWidth, kPsyChartHeight, typeface));
    if (typeface)
        WritePngFile(job.ReportFolder / reportfiles::PsyChartPng, RenderPsyChart(chart, *typeface));
    return true;
}

} // namespace zmk
