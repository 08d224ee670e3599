// The "Air Flow Calculator" and "Fluid Flow Calculator" dialogs: a column of entry fields with
// their unit labels, "&Accept" and "&Cancel". Both share one layout; the fields, their ratios
// and what each exit recomputes are the calculator models'.
#pragma once

#include "app/JobCalculators.h"
#include "dialogs/FlowCalculators.h"

#include <QDialog>

#include <vector>

class QPushButton;

namespace zmk::gui {

class TFmtEditWidget;
class TFmtEditLabelWidget;

/// The layout both calculators share: one row per field, the buttons below.
class TCalculatorDialog : public QDialog
{
    Q_OBJECT

public:
    TFmtEditWidget* Edit(int row) const { return edits_.at(static_cast<std::size_t>(row)); }
    TFmtEditLabelWidget* UnitLabel(int row) const { return labels_.at(static_cast<std::size_t>(row)); }
    QPushButton* AcceptButton() const { return accept_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    /// One field of the calculator: its caption and its logic with its unit label.
    struct TRow
    {
        const char* Caption;
        zmk::TFmtEdit* Field;
        zmk::TFmtEditLabel* Label;
    };

    TCalculatorDialog(ISettingsStore& store, QWidget* parent);
    /// Lays the rows out; run by the calculator once its model exists.
    void build(const char* title, const char* windowName, const std::vector<TRow>& rows);
    /// Shows every field again.
    void showAll();
    /// Puts the window where it was last closed (the first time it is shown).
    virtual void restorePlace() = 0;

    void showEvent(QShowEvent* event) override;

    ISettingsStore& store_;

private:
    std::vector<TFmtEditWidget*> edits_;
    std::vector<TFmtEditLabelWidget*> labels_;
    QPushButton* accept_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool placed_ = false;
};

/// The air flow calculator.
class TAirflowCalculatorDialog : public TCalculatorDialog
{
    Q_OBJECT

public:
    TAirflowCalculatorDialog(ISettingsStore& store, INotifier* notifier, QWidget* parent = nullptr);
    /// Opens modally on the coil's air flow.
    int ShowOn(const TAirFlowOpening& opening);
    TAirflowCalculator& Model() { return model_; }
    void done(int result) override;

protected:
    void restorePlace() override;

private:
    TAirflowCalculator model_;
};

/// The fluid flow calculator.
class TFluidflowCalculatorDialog : public TCalculatorDialog
{
    Q_OBJECT

public:
    TFluidflowCalculatorDialog(ISettingsStore& store, INotifier* notifier, QWidget* parent = nullptr);
    /// Opens modally on the coil's liquid flow.
    int ShowOn(const TFluidFlowOpening& opening);
    TFluidflowCalculator& Model() { return model_; }
    void done(int result) override;

protected:
    void restorePlace() override;

private:
    TFluidflowCalculator model_;
};

} // namespace zmk::gui
