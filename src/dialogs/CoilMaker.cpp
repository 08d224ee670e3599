// The coil maker dialog's rules.
#include "dialogs/CoilMaker.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"

#include <cmath>
#include <vector>

namespace zmk {

namespace {

// The number in a cell; NaN when it holds none, so that it equals nothing.
double CellNumber(const std::string& cell)
{
    double v;
    return TryStrToFloat(cell, v) ? v : NAN;
}

bool Within(double a, double b, double tolerance)
{
    return std::fabs(a - b) <= tolerance;
}

} // namespace

TCoilMakerRow CoilMakerRow(const TMnfRec& model)
{
    const std::string line = ModelLine(model);
    // The eleven values never hold a comma; a model name may, so the cells are cut from the end.
    std::vector<std::size_t> commas;
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == ',')
            commas.push_back(i);
    TCoilMakerRow row;
    row.Caption = line;
    if (commas.size() < row.Cells.size())
        return row;
    const std::size_t first = commas.size() - row.Cells.size();
    row.Caption = line.substr(0, commas[first]);
    for (std::size_t k = 0; k < row.Cells.size(); ++k) {
        const std::size_t start = commas[first + k] + 1;
        const std::size_t end = k + 1 < row.Cells.size() ? commas[first + k + 1] : line.size();
        row.Cells[k] = Trim(line.substr(start, end - start));
    }
    return row;
}

int MatchScore(const TCoilMakerRow& row, const TModelRec& rec)
{
    const auto& c = row.Cells;
    const bool qualifies =
        Within(CellNumber(c[0]), 1000 * rec.ID, 0.001) && Within(CellNumber(c[1]), 1000 * rec.OD, 0.001) &&
        Within(CellNumber(c[2]), 1000 * rec.Sx, 0.001) && Within(CellNumber(c[3]), 1000 * rec.Sy, 0.001) &&
        Within(CellNumber(c[4]), 1000 * rec.tf, 0.0001) && SameText(c[5], PatternName(rec.tp)) &&
        (c[10].empty() ? 0.0 : CellNumber(c[10])) == rec.cb;
    if (!qualifies)
        return -1;
    int score = 0;
    if (SameText(row.Caption, rec.Model))
        score += 3;
    if (Within(CellNumber(c[8]), rec.fc, 1e-6))
        score += 2;
    if (Within(CellNumber(c[9]), rec.ft, 1e-6))
        score += 2;
    if (SameText(c[6], MaterialAt(rec.Mt, 0).Short))
        score += 1;
    if (SameText(c[7], MaterialAt(rec.Mf, 1).Short))
        score += 1;
    return score;
}

std::string CurrentPatternText(const TModelRec& rec)
{
    return Format("%s, %s, %0.4f, %0.4f, %0.2f, %0.2f, %0.4f, %s, %s, %s, %0.3f, %0.3f, %d", rec.Mnf,
                  rec.Model, 1000 * rec.ID, 1000 * rec.OD, 1000 * rec.Sx, 1000 * rec.Sy, 1000 * rec.tf,
                  PatternName(rec.tp), MaterialAt(rec.Mt, 0).Short, MaterialAt(rec.Mf, 1).Short, rec.fc,
                  rec.ft, rec.cb);
}

TCoilMaker::TCoilMaker(ISettingsStore& besideProgram, TCoilMakers& catalogue)
    : beside_(besideProgram), catalogue_(catalogue)
{
}

void TCoilMaker::RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const
{
    RestoreWindow(beside_, kCoilMakerWindow, place, screen, false, true);
}

void TCoilMaker::Activate()
{
    result_ = TDialogResult::None;
    makers_ = catalogue_.MakerList();
    makerIndex_ = -1;
    for (std::size_t i = 0; i < makers_.size(); ++i)
        if (SameText(makers_[i], copy_.Mnf)) {
            makerIndex_ = static_cast<int>(i);
            break;
        }
    fillRows();
    selectBestMatch();
}

void TCoilMaker::SelectMaker(int index)
{
    if (index < 0 || index >= static_cast<int>(makers_.size()))
        return;
    makerIndex_ = index;
    fillRows();
}

void TCoilMaker::SelectRow(int index)
{
    if (index >= 0 && index < static_cast<int>(rows_.size()))
        rowIndex_ = index;
}

void TCoilMaker::Accept()
{
    if (rowIndex_ >= 0 && makerIndex_ >= 0) {
        MnfRecToModel(models_[static_cast<std::size_t>(rowIndex_)], copy_);
        copy_.Mnf = makers_[static_cast<std::size_t>(makerIndex_)];
    }
    result_ = TDialogResult::Ok;
}

void TCoilMaker::Cancel()
{
    result_ = TDialogResult::Cancel;
}

void TCoilMaker::Close(const TWindowPlace& windowPlace)
{
    beside_.WriteInteger(kCoilMakerWindow, "Left", windowPlace.Left);
    beside_.WriteInteger(kCoilMakerWindow, "Top", windowPlace.Top);
    beside_.WriteInteger(kCoilMakerWindow, "Width", windowPlace.Width);
    beside_.WriteInteger(kCoilMakerWindow, "Height", windowPlace.Height);
    // The program folder may be read-only: the place is then simply not kept.
    beside_.Flush();
}

void TCoilMaker::fillRows()
{
    rows_.clear();
    models_.clear();
    rowIndex_ = -1;
    if (makerIndex_ < 0)
        return;
    catalogue_.LoadMaker(makers_[static_cast<std::size_t>(makerIndex_)]);
    models_ = catalogue_.Models();
    for (const TMnfRec& model : models_)
        rows_.push_back(CoilMakerRow(model));
    if (!rows_.empty())
        rowIndex_ = 0;
}

void TCoilMaker::selectBestMatch()
{
    int best = -1;
    int bestScore = -1;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const int score = MatchScore(rows_[i], copy_);
        if (score == 9) {
            best = static_cast<int>(i);
            break;
        }
        if (score >= 0 && score >= bestScore) {
            best = static_cast<int>(i);
            bestScore = score;
        }
    }
    if (best >= 0)
        rowIndex_ = best;
}

} // namespace zmk
