// The formatted entry field: the logic behind every numeric input of the main window and the
// dialogs. A field shows a number in the unit the user chose while its owner reads and writes
// the value in the unit the model stores; it filters typed characters, cleans and range-checks
// the text when the user commits it, restores it on Escape, and follows unit changes made
// through an attached unit label. The toolkit's text widget drives this class: it forwards
// focus changes and key presses and shows Text(); nothing here depends on a widget toolkit.
#pragma once

#include "units/Conv.h"
#include "units/FieldSpec.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class TFmtEdit;

/// What a format string makes of a field, tested in this order: text ("s"), pair ("/"),
/// integer ("d"), real ("f" or "g"); anything else is Other.
enum class TFormatClass { Text, Pair, Integer, Real, Other };

/// The class of a format string ("%0.1f/%0.1f" is Pair, "%S" is Text).
TFormatClass FormatClassOf(std::string_view formatStr);
/// True when the format string contains "g" or "G" (it accepts exponents).
bool IsGeneralFormat(std::string_view formatStr);

/// Sets a field up from its description: unit kind, stored unit, format type, range and the
/// whole-number rule, shown in
/// its first unit with the described format. With a shown unit (a remembered unit index,
/// clamped into the kind's list) the field shows that unit instead, in that unit's own format
/// unless it is the first unit. The value shown is kept.
void ConfigureField(TFmtEdit& edit, const TFieldSpec& spec, std::optional<int> shownUnit = std::nullopt);

/// The flag that says the last committed entry had to be brought into range. One flag serves
/// each thread (the owner of a field reads it after the field's exit handler, on the same
/// thread); tests use their own or Reset the shared one.
class TEntryErrorFlag
{
public:
    bool IsSet() const { return set_; }
    void Set() { set_ = true; }
    void Clear() { set_ = false; }
    void Reset() { set_ = false; }

private:
    bool set_ = false;
};

/// The calling thread's entry-error flag.
TEntryErrorFlag& EntryErrorFlag();

/// The value of a field: a number in the stored unit, or a text (text and pair fields, and a
/// number field whose text cannot be read).
class TFieldValue
{
public:
    TFieldValue(int v) : number_(v), isNumber_(true) {}
    TFieldValue(long long v) : number_(static_cast<long double>(v)), isNumber_(true) {}
    TFieldValue(double v) : number_(v), isNumber_(true) {}
    TFieldValue(long double v) : number_(v), isNumber_(true) {}
    TFieldValue(std::string v) : text_(std::move(v)) {}
    TFieldValue(const char* v) : text_(v) {}
    TFieldValue(std::string_view v) : text_(v) {}

    bool IsNumber() const { return isNumber_; }
    /// The number; a text is read as a number ("." decimals) and throws EConvertError when it
    /// is not one.
    long double AsNumber() const;
    /// The text; a number gives its general text (FloatToStr).
    std::string AsText() const;

private:
    long double number_ = 0;
    std::string text_;
    bool isNumber_ = false;
};

/// A text label that shows the unit of one or more fields. The fields that show their unit
/// in it are remembered so that either side can go first at destruction.
class TUnitLabel
{
public:
    TUnitLabel() = default;
    TUnitLabel(const TUnitLabel&) = delete;
    TUnitLabel& operator=(const TUnitLabel&) = delete;
    /// Detaches every field that shows its unit here.
    virtual ~TUnitLabel();

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    /// Fields attached to this label, in the order they were attached.
    const std::vector<TFmtEdit*>& Fields() const { return fields_; }

private:
    friend class TFmtEdit;
    std::string caption_;
    std::vector<TFmtEdit*> fields_;
};

/// What the unit chooser is asked to show: the kind's unit labels with the current display
/// unit selected, at a screen position (5 pixels right of and below the mouse pointer).
struct TUnitChooserRequest
{
    TUnitsType kind = utNone;
    std::vector<std::string> labels;
    int selected = 0; ///< index of the field's display unit
    int x = 0;        ///< screen position of the chooser's top left corner, pixels
    int y = 0;
};

/// Shows the unit chooser and returns the index selected when it closed (Enter, Escape or a
/// click in its list), or nothing when no chooser could be shown.
using TUnitChooser = std::function<std::optional<int>(const TUnitChooserRequest&)>;

/// A unit label the user can click to change the unit of all its fields.
class TFmtEditLabel : public TUnitLabel
{
public:
    /// A click at the mouse pointer's screen position: opens the chooser for the first
    /// attached field's kind and applies the choice. Does nothing without fields, without a
    /// chooser, or when the kind has no units.
    void Click(int mouseX, int mouseY);
    /// The chooser closed with this index: every attached field shows that unit and raises
    /// its OnUnitsEdited.
    void ApplyChosenUnit(int index);

    /// Shows the chooser; the GUI installs it.
    TUnitChooser Chooser;
};

/// Characters that KeyPress treats specially (the codes a text widget reports for them).
inline constexpr char32_t kKeyCtrlC = 3;
inline constexpr char32_t kKeyBackspace = 8;
inline constexpr char32_t kKeyEnter = 13;
inline constexpr char32_t kKeyCtrlV = 22;
inline constexpr char32_t kKeyCtrlX = 24;
inline constexpr char32_t kKeyEscape = 27;

/// What the widget should do after a key press.
struct TKeyResult
{
    bool consumed = false; ///< the field dealt with the key: the widget must not act on it
    bool beep = false;     ///< sound the warning (refused key, value brought into range)
};

/// What the widget should do after the field was left.
struct TExitResult
{
    bool keepFocus = false; ///< the value had to be brought into range: take the focus back
    bool beep = false;      ///< sound the warning
};

/// The formatted entry field.
class TFmtEdit
{
public:
    /// A field that reports failed entries in the program's entry-error flag.
    TFmtEdit();
    /// A field that reports failed entries in the given flag (which must outlive it).
    explicit TFmtEdit(TEntryErrorFlag& entryError);
    TFmtEdit(const TFmtEdit&) = delete;
    TFmtEdit& operator=(const TFmtEdit&) = delete;
    /// Detaches the field from its unit label.
    ~TFmtEdit();

    // ---- Properties ----------------------------------------------------------------------

    /// Format of the shown number (default "%0.1f"). Stored only: takes effect at the next
    /// SetValue, validation or unit change. "%S" empties a text that is still "0.0".
    const std::string& FormatStr() const { return formatStr_; }
    void SetFormatStr(std::string_view formatStr);
    TFormatType FormatType() const { return formatType_; }
    void SetFormatType(TFormatType type) { formatType_ = type; }
    /// Significant digits of ft_Auto (default 5).
    int SigDigs() const { return sigDigs_; }
    void SetSigDigs(int sigDigs) { sigDigs_ = sigDigs; }

    /// Kind of quantity (default utNone: no units). Setting it clamps both unit indexes into
    /// the kind's list and takes the present text as a stored-unit value.
    TUnitsType UnitsType() const { return unitsType_; }
    void SetUnitsType(TUnitsType kind);
    /// Index of the unit the owner stores the value in (default 0).
    int UnitsBase() const { return unitsBase_; }
    void SetUnitsBase(int index);
    /// Index of the unit shown (default 0); the shown number is converted.
    int UnitsValue() const { return unitsValue_; }
    void SetUnitsValue(int index);
    /// Label that shows the unit, or nullptr. Any label turns a text format into "%0.1f"; a
    /// TFmtEditLabel also takes the field into its list and shows its unit at once.
    TUnitLabel* UnitsLabel() const { return label_; }
    void SetUnitsLabel(TUnitLabel* label);

    /// Only whole numbers are taken (a field of counts, without units): a value with a fraction
    /// is refused as one out of range is, brought to the nearest whole number.
    bool WholeNumber() const { return wholeNumber_; }
    void SetWholeNumber(bool whole) { wholeNumber_ = whole; }

    /// Accepted range in the stored unit; both 0 (or equal) means no range.
    double RangeLo() const { return rangeLo_; }
    void SetRangeLo(double lo) { rangeLo_ = lo; }
    double RangeHi() const { return rangeHi_; }
    void SetRangeHi(double hi) { rangeHi_ = hi; }

    /// Enter commits the field as leaving it would (validation, then the exit handler), and the
    /// field is entered again with the committed text; otherwise Enter only validates.
    bool CommitOnEnter() const { return commitOnEnter_; }
    void SetCommitOnEnter(bool commit) { commitOnEnter_ = commit; }

    /// A read-only field ignores typing (copy and Escape still work).
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    /// The shown text (default "0.0"). SetText is the program's own change: it leaves the
    /// modified flag alone and puts the caret at the end.
    const std::string& Text() const { return text_; }
    void SetText(std::string_view text);

    /// Raised after the user changed the unit through the label.
    std::function<void(TFmtEdit&)> OnUnitsEdited;
    /// The owner's exit handler, run each time the field is left.
    std::function<void(TFmtEdit&)> OnExit;

    // ---- State ---------------------------------------------------------------------------

    /// Display-unit factor and offset of the present unit (1 and 0 without units).
    double Factor() const { return factor_; }
    double Offset() const { return offset_; }
    /// Decimals of FormatStr (the number after its first ".").
    int Decimals() const;
    /// True when the user changed the text since the field was entered.
    bool Modified() const { return modified_; }
    /// The text held when the field was entered (Escape restores it).
    const std::string& EntryText() const { return entryText_; }
    TFormatClass FormatClass() const { return FormatClassOf(formatStr_); }

    // ---- Operations ----------------------------------------------------------------------

    /// The value in the stored unit: a number, or a text for text and pair fields (and the
    /// raw text when it cannot be read as a number).
    TFieldValue GetValue() const;
    /// Shows a stored-unit value in the display unit; anything that cannot be shown empties
    /// the text.
    void SetValue(const TFieldValue& value);
    /// Cleans, range-checks and reformats text into the field; false when a value had to be
    /// replaced by the nearer bound (or, in a whole-number field, by the nearest whole number).
    /// Text that cannot be read stays as typed (true).
    bool Validate(std::string_view text);

    /// Whether the character filter accepts a typed character.
    bool AcceptsChar(char32_t ch) const;

    /// The widget gave the field the focus.
    void Enter();
    /// The focus leaves: a modified text is validated (clearing, and on failure setting, the
    /// entry-error flag), then the exit handler runs. After keepFocus the widget takes the
    /// focus back without calling Enter, so the field stays modified and Escape still
    /// restores the text it was entered with.
    TExitResult Exit();

    /// One key press: a character, or one of the kKey codes.
    TKeyResult KeyPress(char32_t ch);
    /// The user changed the text in a way the field does not filter (paste, cut); sets the
    /// modified flag when the text differs.
    void EditText(std::string_view text);

    /// Caret and selection in characters (not bytes); the caret is at the selection's start.
    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    void SetSelection(int start, int length);
    void SelectAll() { SetSelection(0, CharLength()); }
    /// Length of the text in characters.
    int CharLength() const;

private:
    void Refresh();
    bool RangeCheck(long double& v) const;
    std::string RealText(long double v) const;
    std::string SinglePairText(long double v) const;
    void ReplaceText(std::string text);
    void DeleteSelection();
    friend class TUnitLabel;

    TEntryErrorFlag* entryError_;
    std::string formatStr_ = "%0.1f";
    TFormatType formatType_ = ft_Fixed;
    int sigDigs_ = 5;
    TUnitsType unitsType_ = utNone;
    int unitsBase_ = 0;
    int unitsValue_ = 0;
    TUnitLabel* label_ = nullptr;
    double rangeLo_ = 0;
    double rangeHi_ = 0;
    bool wholeNumber_ = false;
    bool commitOnEnter_ = false;
    bool readOnly_ = false;
    std::string text_ = "0.0";
    double factor_ = 1;
    double offset_ = 0;
    std::string entryText_;
    bool modified_ = false;
    int selStart_ = 3;
    int selLength_ = 0;
};

} // namespace zmk
