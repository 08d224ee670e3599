#include "gui/AltBaromDialog.h"

#include "gui/DialogKeys.h"
#include "gui/FmtEditWidget.h"
#include "gui/SelectLocationDialog.h"
#include "gui/WindowPlace.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <utility>

namespace zmk::gui {

TAltBaromDialog::TAltBaromDialog(ISettingsStore& common, ISettingsStore& program,
                                 const std::string& commonDataFolder, INotifier* notifier, QWidget* parent)
    : QDialog(parent), common_(common), program_(program), model_(common, program, commonDataFolder, notifier)
{
    setObjectName("AltBaromForm");
    setWindowTitle(tr(kBaromTitle));

    pressure_ = new TFmtEditWidget(model_.edPa, this);
    pressure_->setObjectName("edPa");
    altitude_ = new TFmtEditWidget(model_.edAlt, this);
    altitude_->setObjectName("edAlt");
    for (TFmtEditWidget* edit : {pressure_, altitude_}) {
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000.000")));
        connect(edit, &TFmtEditWidget::exited, this, &TAltBaromDialog::showAll);
    }
    InstallUnitChooser(model_.lbPaUnits, this);
    InstallUnitChooser(model_.lbAltUnits, this);
    pressureUnits_ = new TFmtEditLabelWidget(model_.lbPaUnits, this);
    altitudeUnits_ = new TFmtEditLabelWidget(model_.lbAltUnits, this);
    for (const auto& row : {std::pair{pressureUnits_, pressure_}, std::pair{altitudeUnits_, altitude_}}) {
        TFmtEditLabelWidget* label = row.first;
        TFmtEditWidget* edit = row.second;
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("in Hg  ")));
        // Back from the chooser, the field has the focus again.
        connect(label, &TFmtEditLabelWidget::unitsChanged, this, [this, edit] {
            showAll();
            activateWindow();
            edit->setFocus(Qt::OtherFocusReason);
        });
    }

    auto* pressureLabel = new QLabel(tr("&Pressure"), this);
    pressureLabel->setBuddy(pressure_);
    auto* altitudeLabel = new QLabel(tr("Al&titude"), this);
    altitudeLabel->setBuddy(altitude_);
    auto* grid = new QGridLayout;
    grid->addWidget(pressureLabel, 0, 0);
    grid->addWidget(pressure_, 0, 1);
    grid->addWidget(pressureUnits_, 0, 2);
    grid->addWidget(altitudeLabel, 1, 0);
    grid->addWidget(altitude_, 1, 1);
    grid->addWidget(altitudeUnits_, 1, 2);
    grid->setColumnStretch(1, 1);

    locations_ = new QPushButton(QIcon::fromTheme("edit-find"), tr("&Locations..."), this);
    locations_->setObjectName("Locations");
    locations_->setToolTip(tr(kBaromSearchHint));
    accept_ = new QPushButton(QIcon::fromTheme("dialog-ok"), tr("&Accept"), this);
    accept_->setObjectName("Accept");
    accept_->setToolTip(tr(kBaromAcceptHint));
    auto* cancel = new QPushButton(QIcon::fromTheme("dialog-cancel"), tr("&Cancel"), this);
    cancel->setObjectName("Cancel");
    // Enter moves between the fields, so no button is pressed by it.
    for (QPushButton* b : {locations_, accept_, cancel})
        b->setAutoDefault(false);
    connect(locations_, &QPushButton::clicked, this, &TAltBaromDialog::searchForLocation);
    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(accept_);
    buttons->addWidget(cancel);
    buttons->addWidget(locations_);
    buttons->addStretch(1);

    auto* fields = new QVBoxLayout;
    fields->addLayout(grid);
    fields->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addLayout(fields, 1);
    body->addLayout(buttons);

    auto* bar = new QStatusBar(this);
    bar->setSizeGripEnabled(false);
    status_ = new QLabel(this);
    status_->setObjectName("Status");
    bar->addWidget(status_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(bar);

    UseFieldKeys({pressure_, altitude_});
    setTabOrder(pressure_, altitude_);
    setTabOrder(altitude_, accept_);
    setTabOrder(accept_, cancel);
    setTabOrder(cancel, locations_);
    showAll();
}

int TAltBaromDialog::ShowOn(double altitude)
{
    model_.SetAltitude(altitude);
    model_.Show();
    showAll();
    return exec();
}

void TAltBaromDialog::showEvent(QShowEvent* event)
{
    if (!placed_) {
        placed_ = true;
        RestoreDialogPlace(
            *this, program_, kAltBaromWindow, false,
            [this](TWindowPlace& place, TScreenSize screen) { model_.RestoreWindowPlace(place, screen); });
    }
    QDialog::showEvent(event);
    altitude_->setFocus(Qt::TabFocusReason);
    altitude_->selectAll();
}

void TAltBaromDialog::showAll()
{
    pressure_->ShowField();
    altitude_->ShowField();
    pressureUnits_->ShowLabel();
    altitudeUnits_->ShowLabel();
    status_->setText(QString::fromStdString(model_.Status()));
}

void TAltBaromDialog::searchForLocation()
{
    if (!picker_)
        picker_ = new TSelectLocationDialog(program_, this);
    model_.SearchForLocation([this](TSelectLocation& picker) { return picker_->ShowOn(picker); });
    showAll();
}

void TAltBaromDialog::done(int result)
{
    FinishDialog(*this, model_, result == QDialog::Accepted);
    // The other programs read the shared values from the file.
    common_.Flush();
    QDialog::done(result);
}

} // namespace zmk::gui
