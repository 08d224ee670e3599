// The "Fluid Specification" dialog: the job's liquid edited in place in a property grid of twelve
// rows (mean temperature, pressure, kind, water additive and its volume, whether the user's own
// properties replace the correlations, the four properties, and the range of temperatures they
// hold over, which the user gives with them). Every committed row goes to
// the liquid at once, the properties are evaluated again and shown, and the rows a liquid does
// not use are disabled; the status line gives the validity range of the liquid's correlation
// (of user properties, the range they were started over), teal when the temperature lies inside
// it and maroon when not. "Cancel" puts the liquid back as
// it was when the dialog last became active. The dialog widget shows the cells held here and
// forwards the user's edits; every rule lives in this class.
#pragma once

#include "dialogs/DialogForm.h"
#include "platform/SettingsStore.h"
#include "dialogs/FmtEdit.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class INotifier;
class TLiquid;

/// The dialog's title and its status line before it is first filled.
inline constexpr const char* kFluidSpecTitle = "Fluid Specification";
inline constexpr const char* kFluidStatusInitial = "Status...";
/// The status line's colours: the temperature inside the correlation's range, and outside.
/// The volume fraction an additive starts at when chosen for water without one.
inline constexpr double kDefaultAdditiveVolume = 0.3;
inline constexpr const char* kTeal = "#008080";
inline constexpr const char* kMaroon = "#800000";
/// Section of the program's settings: window place and size, column widths, row units.
inline constexpr std::string_view kFluidSpecSection = "FluidSpecForm";
/// The window's smallest and largest size, pixels.
inline constexpr TScreenSize kFluidSpecMinSize{300, 300};
inline constexpr TScreenSize kFluidSpecMaxSize{400, 500};
/// The grid's columns' widths before any are remembered, pixels.
inline constexpr std::array<int, 3> kFluidColumnWidths{100, 100, 50};

/// The thirteen lines the grid is built from (heading, then the twelve rows): for a number row
/// label; format; unit text; edit style; low; high, for a choice row label; "enum"; ; choices.
extern const std::array<const char*, 13> kFluidGridLines;
/// The settings names of the twelve rows' display unit indexes ("Units.iTemp" ... "Units.iTMax").
extern const std::array<const char*, 12> kFluidRowUnitKeys;

/// The data rows by number (row 0 is the heading).
enum TFluidRowIndex : int {
    frTemperature = 1,
    frPressure = 2,
    frFluidType = 3,
    frAdditive = 4,
    frAdditiveVolume = 5,
    frUserDefined = 6,
    frDensity = 7,
    frSpecificHeat = 8,
    frViscosity = 9,
    frConductivity = 10,
    frValidFrom = 11, ///< lower end of the range the properties hold over
    frValidTo = 12,   ///< upper end
};

/// One row of the grid.
struct TFluidRow
{
    std::string Property;             ///< the "Property" cell
    bool IsChoice = false;            ///< a choice row (else a number row)
    std::vector<std::string> Choices; ///< a choice row's choices
    int Choice = 0;                   ///< a choice row's selected index
    bool Enabled = true;              ///< a disabled row shows its value and cannot be edited
    /// A number row's value in its held unit, exactly (the cell shows it rounded).
    double Value = 0;
    /// A number row's entry: shows the value in the display unit and edits it (range in the
    /// held unit); null for a choice row.
    std::unique_ptr<TFmtEdit> Edit;
    /// A number row's "Units" cell: a click there opens the unit chooser; null for a choice row.
    std::unique_ptr<TFmtEditLabel> Units;
};

class TFluidSpec
{
public:
    /// Made once at program start: builds the grid from its lines, gives the number rows their
    /// units and reads the column widths and the rows' units remembered in programSettings.
    explicit TFluidSpec(ISettingsStore& programSettings, INotifier* notifier = nullptr,
                        TEntryErrorFlag* entryError = nullptr);
    TFluidSpec(const TFluidSpec&) = delete;
    TFluidSpec& operator=(const TFluidSpec&) = delete;

    /// The window's remembered place and size.
    void RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const;
    /// The grid's column widths, pixels: remembered ones after creation; the widget writes the
    /// user's back before Close.
    std::array<int, 3> ColumnWidths = kFluidColumnWidths;

    /// The liquid the dialog edits (the job's, set each time it builds a coil); null: none.
    void SetLiquid(TLiquid* liquid) { liquid_ = liquid; }
    TLiquid* Liquid() const { return liquid_; }

    /// The dialog becomes the active window: the snapshot for Cancel is taken and every row is
    /// filled from the liquid and enabled by the rules.
    void Activate();
    /// "Accept": the liquid keeps what was edited.
    void Accept();
    /// "Cancel" or the window closed otherwise: the liquid is put back as it was at the last
    /// activation.
    void Cancel();
    /// The dialog closes, whatever the result: place and size (when given), column widths and
    /// the rows' display unit indexes are stored.
    void Close(const TWindowPlace* windowPlace = nullptr);
    TDialogResult Result() const { return result_; }

    // ---- what the user does -----------------------------------------------------------------

    /// A number typed into a row and accepted (text in the row's display unit): the row's
    /// entry checks it against the range, then RowChanged. Ignored for a disabled or choice row.
    void EnterRowText(int row, std::string_view text);
    /// A choice picked in a choice row, then RowChanged. Ignored for a disabled row or a choice
    /// that is not in the list.
    void ChooseRow(int row, int index);
    /// A new value committed in a row: into the liquid, the properties evaluated again, the
    /// rows shown and enabled anew.
    void RowChanged(int row);
    /// The status line from the liquid's range (also a right click on the grid).
    void ShowValidRange();

    // ---- the rules, as the dialog runs them ------------------------------------------------

    /// Writes twelve values into rows 1 to 12 (choice rows take the index); ZmkError
    /// "DataCount<>LineCount" for another count.
    void FillRows(const std::vector<double>& values);
    /// Enables the rows of user properties (with their range) or of the additive.
    void SetUserMode(bool user);
    /// The additive rows follow the liquid kind and the additive.
    void ApplyAdditiveRules();
    /// The pressure row is enabled for the liquids it matters to: compressed air (its density)
    /// and water, plain, with an additive or condensed (its boiling point).
    void ApplyPressureRule();

    // ---- what the dialog shows -----------------------------------------------------------

    /// Rows 0 (heading) to 12.
    static constexpr int kRowCount = 13;
    const TFluidRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    TFluidRow& Row(int row) { return rows_[static_cast<std::size_t>(row)]; }
    /// The text of a cell: column 0 the property, 1 the value, 2 the unit label.
    std::string CellText(int row, int column) const;
    /// The status line's text and colour.
    const std::string& Status() const { return status_; }
    const std::string& StatusColour() const { return statusColour_; }

private:
    void setNumber(int row, double value);
    void setChoice(int row, int index);
    double rowValue(int row) const;
    void fillFromLiquid();

    struct TSaved
    {
        double t = 0, Pf = 0;
        int LiquidSpec = 0, WaterAdditive = 0;
        double AdditiveVolume = 0;
        bool UserProps = false;
        double UserRo = 0, UserCp = 0, UserMu = 0, UserKo = 0;
        double UserTMin = 0, UserTMax = 0;
    };

    ISettingsStore& settings_;
    INotifier* notifier_;
    TDialogPlace place_;
    std::array<TFluidRow, kRowCount> rows_;
    TLiquid* liquid_ = nullptr;
    TSnapshot<TSaved> snapshot_;
    std::string status_ = kFluidStatusInitial;
    std::string statusColour_ = "#000000";
    TDialogResult result_ = TDialogResult::None;
};

} // namespace zmk
