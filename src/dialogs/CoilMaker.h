// The "Coil Maker" dialog behind the fin-and-tube editor's tube size button: the makers of the
// coil maker catalogue and the tube-and-fin patterns ("models") of the chosen one, with the
// pattern that best matches the coil's own selected, so that the user can pick another pattern
// (or, where the program allows it, another maker) for the coil. It works on a copy of the
// coil's definition record; the editor takes the copy back after "&Accept". The dialog widget
// shows the lists and texts held here and forwards the user's choices; every rule lives here.
#pragma once

#include "app/StartupSettings.h"
#include "dialogs/DialogForm.h"
#include "geometry/CoilMakers.h"
#include "geometry/FinAndTube.h"
#include "platform/SettingsStore.h"

#include <array>
#include <string>
#include <vector>

namespace zmk {

/// The dialog's title, the caption before the current pattern and the list's column captions.
inline constexpr const char* kCoilMakerTitle = "Coil Maker";
inline constexpr const char* kCurrentCaption = "Current:";
inline constexpr const char* kManufacturerCaption = "Manufacturer";
inline constexpr std::array<const char*, 12> kCoilMakerColumns{"Model", "ID,mm",   "OD,mm",        "Sx,mm",
                                                               "Sy,mm", "tFin,mm", "Tube pattern", "Mtube",
                                                               "Mfin",  "AFin",    "ATube",        "CB"};
/// Section of the settings file beside the program that holds the window's place.
inline constexpr std::string_view kCoilMakerWindow = "CoilMakerForm";

/// One row of the model list: the model name as its caption and the other eleven values of the
/// catalogue's model line as its cells.
struct TCoilMakerRow
{
    std::string Caption;
    std::array<std::string, 11> Cells;
};

/// The row of a catalogue model, from its model line split at the commas (a comma inside the
/// model name stays in the caption).
TCoilMakerRow CoilMakerRow(const TMnfRec& model);
/// How well a row matches a definition record: -1 when it does not qualify (tube diameters and
/// pitches within 0.001 mm, fin thickness within 0.0001 mm, the pattern's name and the circuit
/// basis must agree); otherwise 3 for the model name, 2 each for the fin and tube area factors
/// (within 1e-6) and 1 each for the tube and fin material short names.
int MatchScore(const TCoilMakerRow& row, const TModelRec& rec);
/// The "Current:" description of a definition record: maker, model, mm dimensions, pattern,
/// materials, area factors and circuit basis.
std::string CurrentPatternText(const TModelRec& rec);

class TCoilMaker
{
public:
    /// Made once: besideProgram is the settings file beside the program (the store on
    /// ProgramIniFile(), which keeps the window place);
    /// catalogue gives the makers and their models.
    TCoilMaker(ISettingsStore& besideProgram, TCoilMakers& catalogue);
    TCoilMaker(const TCoilMaker&) = delete;
    TCoilMaker& operator=(const TCoilMaker&) = delete;

    /// The window's place and size as remembered beside the program, the current ones as the
    /// defaults, held on the screen.
    void RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const;

    /// Whether the user may pick another maker (the maker list is enabled).
    bool MakerListEnabled = true;

    /// The copy the dialog works on: set before showing, read back after Ok.
    void SetRecord(const TModelRec& rec) { copy_ = rec; }
    const TModelRec& Record() const { return copy_; }

    /// The dialog is shown: fills the maker list, selects the copy's maker and its models, and
    /// selects the row that best matches the copy.
    void Activate();
    /// The user chose another maker (index into Makers()): its models, the first selected.
    void SelectMaker(int index);
    /// The user clicked a row (index into Rows()).
    void SelectRow(int index);
    /// "&Accept", or a double click on a row: with a row selected the copy takes its maker and
    /// the selected model's pattern. The result is Ok.
    void Accept();
    /// "&Cancel" or the window's close button.
    void Cancel();
    /// The dialog closes: the window's place is written beside the program.
    void Close(const TWindowPlace& windowPlace);
    TDialogResult Result() const { return result_; }

    // ---- what the dialog shows -----------------------------------------------------------

    const std::vector<std::string>& Makers() const { return makers_; }
    int MakerIndex() const { return makerIndex_; }
    const std::vector<TCoilMakerRow>& Rows() const { return rows_; }
    int RowIndex() const { return rowIndex_; }
    /// The description after "Current:".
    std::string CurrentText() const { return CurrentPatternText(copy_); }

private:
    void fillRows();
    void selectBestMatch();

    ISettingsStore& beside_;
    TCoilMakers& catalogue_;
    TModelRec copy_;
    std::vector<std::string> makers_;
    int makerIndex_ = -1;
    std::vector<TCoilMakerRow> rows_;
    TMnfRecVec models_;
    int rowIndex_ = -1;
    TDialogResult result_ = TDialogResult::None;
};

} // namespace zmk
