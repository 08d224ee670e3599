#include "gui/FlowCalculatorDialogs.h"

#include "gui/DialogKeys.h"
#include "gui/FmtEditWidget.h"
#include "gui/WindowPlace.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zmk::gui {

// ---- the shared layout ---------------------------------------------------------------------------

TCalculatorDialog::TCalculatorDialog(ISettingsStore& store, QWidget* parent) : QDialog(parent), store_(store)
{
}

void TCalculatorDialog::build(const char* title, const char* windowName, const std::vector<TRow>& rows)
{
    setObjectName(QString::fromLatin1(windowName));
    setWindowTitle(tr(title));
    setSizeGripEnabled(true);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    QString used = QStringLiteral("ac"); // the buttons' mnemonics
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TRow& row = rows[i];
        auto* edit = new TFmtEditWidget(*row.Field, this);
        edit->setObjectName(QString::fromLatin1(row.Caption));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000.000")));
        connect(edit, &TFmtEditWidget::exited, this, &TCalculatorDialog::showAll);
        auto* caption = new QLabel(MnemonicCaption(QString::fromLatin1(row.Caption), used), this);
        caption->setBuddy(edit);
        InstallUnitChooser(*row.Label, this);
        auto* units = new TFmtEditLabelWidget(*row.Label, this);
        units->setMinimumWidth(units->fontMetrics().horizontalAdvance(QStringLiteral("kg/m²s  ")));
        // Back from the chooser, the field has the focus again.
        connect(units, &TFmtEditLabelWidget::unitsChanged, this, [this, edit] {
            showAll();
            activateWindow();
            edit->setFocus(Qt::OtherFocusReason);
        });
        const int r = static_cast<int>(i);
        grid->addWidget(caption, r, 0);
        grid->addWidget(edit, r, 1);
        grid->addWidget(units, r, 2);
        edits_.push_back(edit);
        labels_.push_back(units);
    }

    accept_ = new QPushButton(QIcon::fromTheme("dialog-ok"), tr("&Accept"), this);
    accept_->setObjectName("Accept");
    cancel_ = new QPushButton(QIcon::fromTheme("dialog-cancel"), tr("&Cancel"), this);
    cancel_->setObjectName("Cancel");
    // Enter moves between the fields here, so no button is pressed by it.
    accept_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(accept_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);

    for (TFmtEditWidget* edit : edits_)
        UseFieldKeys({edit});
    showAll();
}

void TCalculatorDialog::showAll()
{
    for (TFmtEditWidget* edit : edits_)
        edit->ShowField();
    for (TFmtEditLabelWidget* label : labels_)
        label->ShowLabel();
}

void TCalculatorDialog::showEvent(QShowEvent* event)
{
    if (!placed_) {
        placed_ = true;
        restorePlace();
    }
    QDialog::showEvent(event);
    if (!edits_.empty()) {
        edits_.front()->setFocus(Qt::TabFocusReason);
        edits_.front()->selectAll();
    }
}

// ---- air -------------------------------------------------------------------------------------------

TAirflowCalculatorDialog::TAirflowCalculatorDialog(ISettingsStore& store, INotifier* notifier,
                                                   QWidget* parent)
    : TCalculatorDialog(store, parent), model_(store, notifier)
{
    auto& m = model_;
    build(kAirflowTitle, "AirflowForm",
          {{kQaiField.Caption, &m.QaiEd, &m.UnitLabels[0]},
           {kQaoField.Caption, &m.QaoEd, &m.UnitLabels[1]},
           {kAirMassFlowField.Caption, &m.maEd, &m.UnitLabels[2]},
           {kAirVelocityField.Caption, &m.VxEd, &m.UnitLabels[3]},
           {kAirMassFluxField.Caption, &m.GaEd, &m.UnitLabels[4]}});
}

int TAirflowCalculatorDialog::ShowOn(const TAirFlowOpening& o)
{
    model_.Init(o.Velocity, o.MassFlow, o.OutletVolumeFlow, o.InletVolumeFlow);
    showAll();
    return exec();
}

void TAirflowCalculatorDialog::restorePlace()
{
    RestoreDialogPlace(*this, store_, kAirflowWindow, true, [this](TWindowPlace& place, TScreenSize screen) {
        model_.RestoreWindowPlace(place, screen);
    });
}

void TAirflowCalculatorDialog::done(int result)
{
    FinishDialog(*this, model_, result == QDialog::Accepted);
    QDialog::done(result);
}

// ---- fluid -----------------------------------------------------------------------------------------

TFluidflowCalculatorDialog::TFluidflowCalculatorDialog(ISettingsStore& store, INotifier* notifier,
                                                       QWidget* parent)
    : TCalculatorDialog(store, parent), model_(store, notifier)
{
    auto& m = model_;
    build(kFluidflowTitle, "FluidflowForm",
          {{kVolFlowField.Caption, &m.edVolflow, &m.UnitLabels[0]},
           {kFluidMassFlowField.Caption, &m.edMassflow, &m.UnitLabels[1]},
           {kFluidVelocityField.Caption, &m.edVelocity, &m.UnitLabels[2]},
           {kFluidMassFluxField.Caption, &m.edMassFlux, &m.UnitLabels[3]}});
}

int TFluidflowCalculatorDialog::ShowOn(const TFluidFlowOpening& o)
{
    model_.Init(o.Velocity, o.MassFlow, o.VolumeFlow);
    showAll();
    return exec();
}

void TFluidflowCalculatorDialog::restorePlace()
{
    RestoreDialogPlace(
        *this, store_, kFluidflowWindow, true,
        [this](TWindowPlace& place, TScreenSize screen) { model_.RestoreWindowPlace(place, screen); });
}

void TFluidflowCalculatorDialog::done(int result)
{
    FinishDialog(*this, model_, result == QDialog::Accepted);
    QDialog::done(result);
}

} // namespace zmk::gui
