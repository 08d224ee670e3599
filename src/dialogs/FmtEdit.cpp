// The formatted entry field and its unit label.
#include "dialogs/FmtEdit.h"

#include "base/Errors.h"
#include "base/NumText.h"
#include "base/Utf8.h"

#include <algorithm>
#include <cmath>

namespace zmk {

namespace {

bool Contains(std::string_view s, char a, char b)
{
    return s.find(a) != std::string_view::npos || s.find(b) != std::string_view::npos;
}

/// Byte offset of character index i in a UTF-8 text (the end when i is beyond it).
size_t ByteOffset(std::string_view s, int i)
{
    return i < 0 ? s.size() : Utf8Offset(s, static_cast<size_t>(i));
}

/// The part of a pair format before its "/" ("%0.1f/%0.1f" -> "%0.1f").
std::string_view FirstOfPair(std::string_view formatStr)
{
    return formatStr.substr(0, formatStr.find('/'));
}

} // namespace

TFormatClass FormatClassOf(std::string_view formatStr)
{
    if (Contains(formatStr, 's', 'S'))
        return TFormatClass::Text;
    if (formatStr.find('/') != std::string_view::npos)
        return TFormatClass::Pair;
    if (Contains(formatStr, 'd', 'D'))
        return TFormatClass::Integer;
    if (Contains(formatStr, 'f', 'F') || Contains(formatStr, 'g', 'G'))
        return TFormatClass::Real;
    return TFormatClass::Other;
}

bool IsGeneralFormat(std::string_view formatStr)
{
    return Contains(formatStr, 'g', 'G');
}

TEntryErrorFlag& EntryErrorFlag()
{
    thread_local TEntryErrorFlag flag;
    return flag;
}

long double TFieldValue::AsNumber() const
{
    return isNumber_ ? number_ : StrToFloat(text_);
}

std::string TFieldValue::AsText() const
{
    return isNumber_ ? FloatToStr(number_) : text_;
}

// ---- Labels ------------------------------------------------------------------------------

TUnitLabel::~TUnitLabel()
{
    for (TFmtEdit* field : fields_)
        field->label_ = nullptr;
}

void TFmtEditLabel::Click(int mouseX, int mouseY)
{
    if (Fields().empty() || !Chooser)
        return;
    const TFmtEdit& first = *Fields().front();
    TUnitChooserRequest request;
    request.kind = first.UnitsType();
    request.labels = UnitLabels(request.kind);
    if (request.labels.empty())
        return;
    request.selected = first.UnitsValue();
    request.x = mouseX + 5;
    request.y = mouseY + 5;
    if (std::optional<int> chosen = Chooser(request))
        ApplyChosenUnit(*chosen);
}

void TFmtEditLabel::ApplyChosenUnit(int index)
{
    // A handler may detach or destroy fields: walk a copy and skip those no longer here.
    const std::vector<TFmtEdit*> fields = Fields();
    for (TFmtEdit* field : fields) {
        if (std::find(Fields().begin(), Fields().end(), field) == Fields().end())
            continue;
        field->SetUnitsValue(index);
        if (field->OnUnitsEdited)
            field->OnUnitsEdited(*field);
    }
}

// ---- The field ---------------------------------------------------------------------------

TFmtEdit::TFmtEdit() : TFmtEdit(EntryErrorFlag()) {}

TFmtEdit::TFmtEdit(TEntryErrorFlag& entryError) : entryError_(&entryError) {}

TFmtEdit::~TFmtEdit()
{
    SetUnitsLabel(nullptr);
}

void TFmtEdit::SetFormatStr(std::string_view formatStr)
{
    formatStr_ = std::string(formatStr);
    if (formatStr_ == "%S" && text_ == "0.0")
        SetText("");
}

int TFmtEdit::Decimals() const
{
    return FormatDecimals(formatStr_);
}

void TFmtEdit::SetUnitsType(TUnitsType kind)
{
    unitsType_ = kind;
    unitsValue_ = ClampUnitIndex(kind, unitsValue_);
    unitsBase_ = ClampUnitIndex(kind, unitsBase_);
    factor_ = 1;
    offset_ = 0;
    Refresh();
}

void TFmtEdit::SetUnitsBase(int index)
{
    unitsBase_ = ClampUnitIndex(unitsType_, index);
    Refresh();
}

void TFmtEdit::SetUnitsValue(int index)
{
    unitsValue_ = ClampUnitIndex(unitsType_, index);
    Refresh();
}

void TFmtEdit::SetUnitsLabel(TUnitLabel* label)
{
    if (label_ && label_ != label) {
        auto& list = label_->fields_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    label_ = label;
    if (!label)
        return;
    if (FormatClass() == TFormatClass::Text)
        formatStr_ = "%0.1f";
    if (std::find(label->fields_.begin(), label->fields_.end(), this) == label->fields_.end())
        label->fields_.push_back(this);
    if (dynamic_cast<TFmtEditLabel*>(label))
        Refresh();
}

void TFmtEdit::SetText(std::string_view text)
{
    text_ = std::string(text);
    selStart_ = CharLength();
    selLength_ = 0;
}

int TFmtEdit::CharLength() const
{
    return static_cast<int>(Utf8Length(text_));
}

void TFmtEdit::SetSelection(int start, int length)
{
    int n = CharLength();
    selStart_ = std::clamp(start, 0, n);
    selLength_ = std::clamp(length, 0, n - selStart_);
}

void TFmtEdit::Refresh()
{
    const TFormatClass before = FormatClass();
    if ((before == TFormatClass::Text || before == TFormatClass::Integer) && unitsType_ == utNone)
        return;
    const TFieldValue value = GetValue();
    std::string format, label;
    UnitConversion(unitsType_, unitsValue_, unitsBase_, format, label, factor_, offset_);
    if (formatType_ != ft_Manual && unitsType_ != utNone)
        formatStr_ = format;
    if (FormatClass() == TFormatClass::Text)
        return;
    if (label_)
        label_->SetCaption(label);
    if (before == TFormatClass::Pair && formatStr_.find('/') == std::string::npos)
        formatStr_ = formatStr_ + "/" + formatStr_;
    SetValue(value);
}

bool TFmtEdit::RangeCheck(long double& v) const
{
    // The bounds are stored-unit values; the user typed in the display unit.
    return ClampToRange(v, ToDisplay(offset_, factor_, rangeLo_), ToDisplay(offset_, factor_, rangeHi_));
}

void ConfigureField(TFmtEdit& edit, const TFieldSpec& spec, std::optional<int> shownUnit)
{
    const TFieldValue value = edit.GetValue();
    edit.SetFormatType(spec.FormatType);
    edit.SetRangeLo(spec.RangeLo);
    edit.SetRangeHi(spec.RangeHi);
    edit.SetWholeNumber(spec.WholeNumber);
    edit.SetUnitsType(spec.Kind);
    edit.SetUnitsBase(FindUnitIndex(spec.Kind, spec.StoredUnit));
    const int first = FindUnitIndex(spec.Kind, spec.ShownUnit);
    edit.SetUnitsValue(shownUnit.value_or(first));
    // A unit follows its own format; the described one is that of the first unit.
    if (edit.UnitsValue() == first || spec.Kind == utNone)
        edit.SetFormatStr(spec.Format);
    edit.SetValue(value);
}

std::string TFmtEdit::RealText(long double v) const
{
    switch (formatType_) {
    case ft_Auto:
        return Format(AutoDecimalFormat(sigDigs_, 12, v), v);
    case ft_AutoOverride:
        if (std::pow(10.0L, static_cast<long double>(2 - Decimals())) > v)
            return Format(AutoDecimalFormat(sigDigs_, 12, v), v);
        return Format(formatStr_, v);
    case ft_Fixed:
    case ft_Manual:
        break;
    }
    return Format(formatStr_, v);
}

std::string TFmtEdit::SinglePairText(long double v) const
{
    return Format(FirstOfPair(formatStr_), v);
}

void TFmtEdit::ReplaceText(std::string text)
{
    if (text != text_) {
        SetText(text);
        modified_ = true;
    }
}

TFieldValue TFmtEdit::GetValue() const
{
    const TFormatClass cls = FormatClass();
    try {
        if (cls == TFormatClass::Text)
            return Format(formatStr_, text_);
        const std::string clean = NormaliseNumberText(text_);
        if (cls == TFormatClass::Pair) {
            const NumberPair pair = SplitPair(clean);
            const long double a = FromDisplay(offset_, factor_, pair.a);
            if (pair.count == 1)
                return Format("%0.4g", a);
            return Format(formatStr_, a, FromDisplay(offset_, factor_, pair.b));
        }
        const long double v = FromDisplay(offset_, factor_, StrToFloat(clean));
        if (cls == TFormatClass::Integer)
            return static_cast<long double>(Round(v));
        return v;
    } catch (const ZmkError&) {
        return text_;
    }
}

void TFmtEdit::SetValue(const TFieldValue& value)
{
    try {
        switch (FormatClass()) {
        case TFormatClass::Text:
            SetText(Format(formatStr_, value.AsText()));
            return;
        case TFormatClass::Pair: {
            const NumberPair pair = SplitPair(value.AsText());
            const long double a = ToDisplay(offset_, factor_, pair.a);
            if (pair.count == 1) {
                // One number alone keeps its place rather than emptying the field.
                SetText(SinglePairText(a));
                return;
            }
            SetText(Format(formatStr_, a, ToDisplay(offset_, factor_, pair.b)));
            return;
        }
        case TFormatClass::Integer: {
            const long double shown = ToDisplay(offset_, factor_, value.AsNumber());
            SetText(Format(formatStr_, Round(shown)));
            return;
        }
        case TFormatClass::Real:
        case TFormatClass::Other: {
            const long double shown = ToDisplay(offset_, factor_, value.AsNumber());
            if (!std::isfinite(shown))
                break;
            SetText(RealText(shown));
            return;
        }
        }
    } catch (const ZmkError&) {
    }
    SetText("");
}

bool TFmtEdit::Validate(std::string_view text)
{
    const TFormatClass cls = FormatClass();
    try {
        if (cls == TFormatClass::Text) {
            ReplaceText(Format(formatStr_, text));
            return true;
        }
        const std::string clean = NormaliseNumberText(text);
        if (cls == TFormatClass::Pair) {
            NumberPair pair = SplitPair(clean);
            bool ok = RangeCheck(pair.a);
            if (pair.count == 1) {
                ReplaceText(SinglePairText(pair.a));
                return ok;
            }
            ok = RangeCheck(pair.b) && ok;
            ReplaceText(Format(formatStr_, pair.a, pair.b));
            return ok;
        }
        long double v = StrToFloat(clean);
        bool ok = RangeCheck(v);
        // A count with a fraction is refused as a value out of range is: brought to the
        // nearest whole number, with a beep.
        if (wholeNumber_ && v != std::trunc(v)) {
            v = static_cast<long double>(Round(v));
            ok = false;
        }
        if (cls == TFormatClass::Integer)
            ReplaceText(Format(formatStr_, Round(v)));
        else
            ReplaceText(RealText(v));
        return ok;
    } catch (const ZmkError&) {
        // Text that cannot be read as a number stays as typed; the owner's own reading fails.
        if (text != text_)
            ReplaceText(std::string(text));
        return true;
    }
}

bool TFmtEdit::AcceptsChar(char32_t ch) const
{
    const bool digit = ch >= '0' && ch <= '9';
    switch (FormatClass()) {
    case TFormatClass::Pair:
        return digit || ch == '-' || ch == '.' || ch == '/';
    case TFormatClass::Integer:
        return digit || ch == '-';
    case TFormatClass::Real:
        return digit || ch == '-' || ch == '.' || ((ch == 'e' || ch == 'E') && IsGeneralFormat(formatStr_));
    case TFormatClass::Text:
    case TFormatClass::Other:
        break;
    }
    return true;
}

void TFmtEdit::Enter()
{
    entryText_ = text_;
    modified_ = false;
}

TExitResult TFmtEdit::Exit()
{
    TExitResult result;
    if (modified_) {
        entryError_->Clear();
        if (!Validate(text_)) {
            entryError_->Set();
            result.keepFocus = true;
            result.beep = true;
        }
    }
    if (OnExit)
        OnExit(*this);
    // A value that was brought into range stays modified, so that the next exit checks it
    // again and Escape still restores the text the field was entered with.
    if (!result.keepFocus)
        modified_ = false;
    return result;
}

void TFmtEdit::DeleteSelection()
{
    if (selLength_ == 0)
        return;
    const size_t from = ByteOffset(text_, selStart_);
    const size_t to = ByteOffset(text_, selStart_ + selLength_);
    text_.erase(from, to - from);
    selLength_ = 0;
    modified_ = true;
}

TKeyResult TFmtEdit::KeyPress(char32_t ch)
{
    TKeyResult result;
    if (ch == kKeyCtrlC || ch == kKeyCtrlV || ch == kKeyCtrlX)
        return result; // the widget copies, pastes and cuts (and reports it via EditText)
    if (ch == kKeyEscape) {
        if (!modified_)
            return result; // the window's Escape (a dialog's Cancel)
        SetText(entryText_);
        modified_ = false;
        result.consumed = true;
        return result;
    }
    result.consumed = true;
    if (readOnly_)
        return result;
    if (ch == kKeyBackspace) {
        if (selLength_ > 0) {
            DeleteSelection();
        } else if (selStart_ > 0) {
            const size_t from = ByteOffset(text_, selStart_ - 1);
            const size_t to = ByteOffset(text_, selStart_);
            text_.erase(from, to - from);
            --selStart_;
            modified_ = true;
        }
        return result;
    }
    if (ch == kKeyEnter && commitOnEnter_) {
        const TExitResult exit = Exit();
        // A value brought to its bound stays modified, as after leaving; else a new entry starts,
        // so that Escape goes back to what was committed.
        if (!exit.keepFocus)
            Enter();
        result.beep = exit.beep;
        return result;
    }
    if (ch == kKeyEnter) {
        entryError_->Clear();
        if (!Validate(text_)) {
            entryError_->Set();
            result.beep = true;
        }
        return result;
    }
    if (ch < 0x20 || ch == 0x7F) {
        result.consumed = false; // other control keys are the widget's (navigation, undo)
        return result;
    }
    if (selLength_ > 1)
        DeleteSelection();
    if (!AcceptsChar(ch)) {
        result.beep = true;
        return result;
    }
    const size_t from = ByteOffset(text_, selStart_);
    const size_t to = ByteOffset(text_, selStart_ + selLength_);
    text_.replace(from, to - from, Utf8Encode(ch));
    ++selStart_;
    selLength_ = 0;
    modified_ = true;
    return result;
}

void TFmtEdit::EditText(std::string_view text)
{
    if (text != text_) {
        SetText(text);
        modified_ = true;
    }
}

} // namespace zmk
