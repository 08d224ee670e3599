#include "gui/LmtdCalculatorDialog.h"

#include "gui/DialogKeys.h"
#include "gui/FmtEditWidget.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

TLmtdCalculatorDialog::TLmtdCalculatorDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("LmtdForm");
    setWindowTitle(tr(kLmtdTitle));
    setSizeGripEnabled(true);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    QString used = QStringLiteral("ca"); // Close, Air is the hot stream
    const TFieldSpec* specs[] = {&kHotInField, &kHotOutField, &kColdInField, &kColdOutField, &kLmtdRowsField};
    TFmtEdit* fields[] = {&model_.HotInEd, &model_.HotOutEd, &model_.ColdInEd, &model_.ColdOutEd,
                          &model_.RowsEd};
    for (int i = 0; i < 5; ++i) {
        auto* edit = new TFmtEditWidget(*fields[i], this);
        edit->setObjectName(QString::fromLatin1(specs[i]->Name));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000.00")));
        connect(edit, &TFmtEditWidget::exited, this, &TLmtdCalculatorDialog::showAll);
        auto* caption = new QLabel(MnemonicCaption(tr(specs[i]->Caption), used), this);
        caption->setBuddy(edit);
        grid->addWidget(caption, i, 0);
        grid->addWidget(edit, i, 1);
        edits_[static_cast<std::size_t>(i)] = edit;
        if (i < 4) {
            InstallUnitChooser(model_.UnitLabels[static_cast<std::size_t>(i)], this);
            auto* units = new TFmtEditLabelWidget(model_.UnitLabels[static_cast<std::size_t>(i)], this);
            units->setMinimumWidth(units->fontMetrics().horizontalAdvance(QStringLiteral("°C   ")));
            connect(units, &TFmtEditLabelWidget::unitsChanged, this, &TLmtdCalculatorDialog::showAll);
            grid->addWidget(units, i, 2);
            units_[static_cast<std::size_t>(i)] = units;
        }
    }
    airHot_ = new QCheckBox(tr("&Air is the hot stream (unmixed in each row)"), this);
    connect(airHot_, &QCheckBox::toggled, this, [this](bool on) {
        model_.SetAirHot(on);
        showAll();
    });
    grid->addWidget(airHot_, 5, 0, 1, 3);

    auto* results = new QGroupBox(tr("Mean temperature difference"), this);
    auto* form = new QFormLayout(results);
    auto label = [this] {
        auto* l = new QLabel(this);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setWordWrap(true);
        return l;
    };
    counter_ = label();
    parallel_ = label();
    factor_ = label();
    coil_ = label();
    form->addRow(tr("Counterflow LMTD:"), counter_);
    form->addRow(tr("Parallel flow LMTD:"), parallel_);
    form->addRow(tr("Crossflow factor F:"), factor_);
    form->addRow(tr("Coil (F × counterflow):"), coil_);
    remark_ = label();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(tr("&Close"), QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(results);
    layout->addWidget(remark_);
    layout->addStretch(1);
    layout->addWidget(buttons);

    UseFieldKeys({edits_[0], edits_[1], edits_[2], edits_[3], edits_[4]});
    showAll();
}

void TLmtdCalculatorDialog::ShowOn(const TCoilJob& job)
{
    model_.InitFromJob(job);
    showAll();
    show();
    raise();
    activateWindow();
    edits_[0]->setFocus(Qt::TabFocusReason);
    edits_[0]->selectAll();
}

void TLmtdCalculatorDialog::showAll()
{
    for (TFmtEditWidget* edit : edits_)
        edit->ShowField();
    for (TFmtEditLabelWidget* units : units_)
        units->ShowLabel();
    {
        const QSignalBlocker block(airHot_);
        airHot_->setChecked(model_.AirHot());
    }
    counter_->setText(qt(model_.CounterflowText()));
    parallel_->setText(qt(model_.ParallelText()));
    factor_->setText(qt(model_.FactorText()));
    coil_->setText(qt(model_.CoilText()));
    remark_->setText(qt(model_.Remark()));
}

} // namespace zmk::gui
