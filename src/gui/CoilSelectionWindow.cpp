#include "gui/CoilSelectionWindow.h"

#include "app/CoilJob.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

QDoubleSpinBox* realBox(QWidget* parent, double lo, double hi, int decimals, double step)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(lo, hi);
    box->setDecimals(decimals);
    box->setSingleStep(step);
    box->setKeyboardTracking(false);
    return box;
}

QSpinBox* intBox(QWidget* parent, int lo, int hi)
{
    auto* box = new QSpinBox(parent);
    box->setRange(lo, hi);
    box->setKeyboardTracking(false);
    return box;
}

// Two boxes side by side: a range.
QWidget* pair(QWidget* parent, QWidget* lo, QWidget* hi)
{
    auto* w = new QWidget(parent);
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(lo, 1);
    row->addWidget(new QLabel(QStringLiteral("–"), w));
    row->addWidget(hi, 1);
    return w;
}

constexpr TSelectObjective kObjectives[] = {TSelectObjective::Area, TSelectObjective::Weight,
                                            TSelectObjective::AirDp, TSelectObjective::Cost};
constexpr const char* kObjectiveCaptions[] = {"Smallest outside area", "Lightest dry weight",
                                              "Lowest air pressure drop", "Lowest cost index"};

} // namespace

TCoilSelectionWindow::TCoilSelectionWindow(TCoilJob& job, QWidget* parent) : QDialog(parent), job_(job)
{
    setObjectName("CoilSelectionForm");
    setWindowTitle(tr(kCoilSelectionTitle));
    setSizeGripEnabled(true);

    // The target and the limits.
    auto* limits = new QWidget(this);
    auto* form = new QFormLayout(limits);
    byDuty_ = new QRadioButton(limits);
    byAir_ = new QRadioButton(limits);
    duty_ = realBox(limits, 0, 100000, 3, 1);
    leavingAir_ = realBox(limits, -60, 900, 1, 0.5);
    form->addRow(byDuty_, duty_);
    form->addRow(byAir_, leavingAir_);
    maxAirDp_ = realBox(limits, 0, 10000, 1, 10);
    maxAirDp_->setSpecialValueText(tr("no limit"));
    maxLiquidDp_ = realBox(limits, 0, 10000, 2, 5);
    maxLiquidDp_->setSpecialValueText(tr("no limit"));
    auto* maxAirDpLabel = new QLabel(limits);
    auto* maxLiquidDpLabel = new QLabel(limits);
    form->addRow(maxAirDpLabel, maxAirDp_);
    form->addRow(maxLiquidDpLabel, maxLiquidDp_);
    rowsLo_ = intBox(limits, 1, 20);
    rowsHi_ = intBox(limits, 1, 20);
    form->addRow(tr("&Rows"), pair(limits, rowsLo_, rowsHi_));
    fpiLo_ = intBox(limits, 1, 30);
    fpiHi_ = intBox(limits, 1, 30);
    form->addRow(tr("&Fins, fpi"), pair(limits, fpiLo_, fpiHi_));
    vfLo_ = realBox(limits, 0.1, 20, 2, 0.1);
    vfHi_ = realBox(limits, 0.1, 20, 2, 0.1);
    auto* vfLabel = new QLabel(limits);
    form->addRow(vfLabel, pair(limits, vfLo_, vfHi_));
    tubeLo_ = realBox(limits, 0.01, 20, 2, 0.1);
    tubeHi_ = realBox(limits, 0.01, 20, 2, 0.1);
    auto* tubeLabel = new QLabel(limits);
    form->addRow(tubeLabel, pair(limits, tubeLo_, tubeHi_));
    heightLo_ = realBox(limits, 10, 9000, 0, 50);
    heightHi_ = realBox(limits, 10, 9000, 0, 50);
    auto* heightLabel = new QLabel(limits);
    form->addRow(heightLabel, pair(limits, heightLo_, heightHi_));
    lengthLo_ = realBox(limits, 10, 10000, 0, 100);
    lengthHi_ = realBox(limits, 10, 10000, 0, 100);
    auto* lengthLabel = new QLabel(limits);
    form->addRow(lengthLabel, pair(limits, lengthLo_, lengthHi_));
    lengthStep_ = realBox(limits, 1, 1000, 0, 10);
    auto* stepLabel = new QLabel(limits);
    form->addRow(stepLabel, lengthStep_);
    // Each coil at one face velocity, its air flow following its face, in place of the job's air flow.
    setVf_ = new QCheckBox(limits);
    setVf_->setToolTip(tr("Rate every coil at this face velocity instead of the job's air volume flow"));
    vfTarget_ = realBox(limits, 0.1, 20, 2, 0.1);
    using Q = TSelectQuantity;
    unitBoxes_ = {
        {duty_, Q::Duty, 0, 100000, 1, nullptr, "&Duty"},
        {leavingAir_, Q::AirTemp, -60, 900, 0.5, nullptr, "Leaving &air"},
        {maxAirDp_, Q::AirDp, 0, 10000, 10, maxAirDpLabel, "Max air dp"},
        {maxLiquidDp_, Q::LiquidDp, 0, 10000, 5, maxLiquidDpLabel, "Max liquid dp"},
        {vfLo_, Q::FaceVelocity, 0.1, 20, 0.1, vfLabel, "Face velocity"},
        {vfHi_, Q::FaceVelocity, 0.1, 20, 0.1, nullptr, nullptr},
        {tubeLo_, Q::TubeVelocity, 0.01, 20, 0.1, tubeLabel, "Tube velocity"},
        {tubeHi_, Q::TubeVelocity, 0.01, 20, 0.1, nullptr, nullptr},
        {heightLo_, Q::Height, 10, 9000, 50, heightLabel, "Fin &height"},
        {heightHi_, Q::Height, 10, 9000, 50, nullptr, nullptr},
        {lengthLo_, Q::Length, 10, 10000, 100, lengthLabel, "Finned &length"},
        {lengthHi_, Q::Length, 10, 10000, 100, nullptr, nullptr},
        {lengthStep_, Q::Length, 1, 1000, 10, stepLabel, "Length step"},
        {vfTarget_, Q::FaceVelocity, 0.1, 20, 0.1, nullptr, "Set face velocity"},
    };
    fixedFace_ = new QCheckBox(tr("Keep the job's face"), limits);
    form->addRow(QString(), fixedFace_);
    form->addRow(setVf_, vfTarget_);
    connect(setVf_, &QCheckBox::toggled, vfTarget_, &QWidget::setEnabled);
    maker_ = new QComboBox(limits);
    form->addRow(tr("&Maker"), maker_);
    objective_ = new QComboBox(limits);
    for (const char* caption : kObjectiveCaptions)
        objective_->addItem(tr(caption));
    form->addRow(tr("&Objective"), objective_);
    priceCu_ = realBox(limits, 0, 1000, 2, 0.5);
    priceAl_ = realBox(limits, 0, 1000, 2, 0.5);
    form->addRow(tr("Copper, per kg"), priceCu_);
    form->addRow(tr("Aluminium, per kg"), priceAl_);
    showUnits();
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(limits);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(limits->sizeHint().width() + 20);

    // The candidates.
    table_ = new QTableWidget(this);
    table_->setObjectName("CandidateTable");
    table_->setColumnCount(static_cast<int>(TSelectColumn::Count));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    // Rows as high as their text, so that a small window still shows a good many.
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionsClickable(true);
    table_->horizontalHeader()->setSortIndicatorShown(true);
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        sortAscending_ = column == sortColumn_ ? !sortAscending_ : true;
        sortColumn_ = column;
        model_.SortBy(static_cast<TSelectColumn>(column), sortAscending_);
        showTable();
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { UseClick(); });
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this] { use_->setEnabled(!table_->selectedItems().isEmpty()); });
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    select_ = new QPushButton(tr("&Select"), this);
    select_->setDefault(true);
    connect(select_, &QPushButton::clicked, this, &TCoilSelectionWindow::SelectClick);
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, [this] { model_.Run().Cancel(); });
    use_ = new QPushButton(tr("&Use"), this);
    use_->setAutoDefault(false);
    use_->setToolTip(tr("Take the selected coil into the job and solve it"));
    connect(use_, &QPushButton::clicked, this, &TCoilSelectionWindow::UseClick);
    auto* close = new QPushButton(tr("&Close"), this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(table_, 1);
    rightLayout->addWidget(progress_);
    rightLayout->addWidget(status_);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(scroll);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(select_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    buttons->addWidget(use_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    timer_ = new QTimer(this);
    timer_->setInterval(50);
    connect(timer_, &QTimer::timeout, this, &TCoilSelectionWindow::Poll);
    showRunning(false);
    resize(1000, 560);
    // The job's coil mark follows the job (an undo in the main window, a coil set there).
    subscription_ = job_.Subscribe([this](const TJobNews& news) {
        if (news.Has(jcResults) && isVisible() && model_.RowCount() > 0)
            showTable();
    });
}

TCoilSelectionWindow::~TCoilSelectionWindow()
{
    job_.Unsubscribe(subscription_);
}

void TCoilSelectionWindow::ShowOn()
{
    if (!model_.Run().Running()) {
        model_.Open(job_);
        showForm();
        showTable();
        progress_->setValue(0);
    }
    show();
    raise();
    activateWindow();
}

void TCoilSelectionWindow::showUnits()
{
    for (const TUnitBox& b : unitBoxes_) {
        const TSelectUnit u = SelectShownUnit(b.Quantity);
        const QString caption = b.Caption ? tr(b.Caption) + QStringLiteral(", ") + qt(u.Label) : QString();
        b.Box->setDecimals(u.Decimals);
        b.Box->setRange(u.ToShown(b.Lo), u.ToShown(b.Hi));
        b.Box->setSingleStep(b.Step * u.Factor);
        if (b.Box == duty_)
            byDuty_->setText(caption);
        else if (b.Box == leavingAir_)
            byAir_->setText(caption);
        else if (b.Box == vfTarget_)
            setVf_->setText(caption);
        else if (b.Label) {
            b.Label->setText(caption);
            b.Label->setBuddy(b.Box);
        }
    }
}

namespace {

// Shows a value held in its own unit in a box of the display unit.
void showIn(QDoubleSpinBox* box, TSelectQuantity quantity, double held)
{
    box->setValue(SelectShownUnit(quantity).ToShown(held));
}

// The held value a box gives back (unchanged while the box shows it).
void readFrom(const QDoubleSpinBox* box, TSelectQuantity quantity, double& held)
{
    held = SelectShownUnit(quantity).Read(box->value(), held);
}

} // namespace

void TCoilSelectionWindow::showForm()
{
    using Q = TSelectQuantity;
    const TCoilSelectForm& f = model_.Form;
    showUnits();
    byDuty_->setChecked(!f.ByLeavingAir);
    byAir_->setChecked(f.ByLeavingAir);
    showIn(duty_, Q::Duty, f.Duty);
    showIn(leavingAir_, Q::AirTemp, f.LeavingAir);
    showIn(maxAirDp_, Q::AirDp, f.MaxAirDp);
    showIn(maxLiquidDp_, Q::LiquidDp, f.MaxLiquidDp);
    rowsLo_->setValue(f.RowsLo);
    rowsHi_->setValue(f.RowsHi);
    fpiLo_->setValue(f.FpiLo);
    fpiHi_->setValue(f.FpiHi);
    showIn(vfLo_, Q::FaceVelocity, f.VfLo);
    showIn(vfHi_, Q::FaceVelocity, f.VfHi);
    showIn(tubeLo_, Q::TubeVelocity, f.TubeVLo);
    showIn(tubeHi_, Q::TubeVelocity, f.TubeVHi);
    showIn(heightLo_, Q::Height, f.HeightLo);
    showIn(heightHi_, Q::Height, f.HeightHi);
    showIn(lengthLo_, Q::Length, f.LengthLo);
    showIn(lengthHi_, Q::Length, f.LengthHi);
    showIn(lengthStep_, Q::Length, f.LengthStep);
    fixedFace_->setChecked(f.FixedFace);
    setVf_->setChecked(f.SetFaceVelocity);
    vfTarget_->setEnabled(f.SetFaceVelocity);
    showIn(vfTarget_, Q::FaceVelocity, f.FaceVelocity);
    maker_->clear();
    for (const std::string& m : model_.Makers())
        maker_->addItem(qt(m));
    maker_->setCurrentIndex(f.Maker);
    for (int i = 0; i < 4; ++i)
        if (kObjectives[i] == f.Objective)
            objective_->setCurrentIndex(i);
    priceCu_->setValue(f.PriceCopper);
    priceAl_->setValue(f.PriceAluminium);
}

void TCoilSelectionWindow::readForm()
{
    using Q = TSelectQuantity;
    TCoilSelectForm& f = model_.Form;
    f.ByLeavingAir = byAir_->isChecked();
    readFrom(duty_, Q::Duty, f.Duty);
    readFrom(leavingAir_, Q::AirTemp, f.LeavingAir);
    readFrom(maxAirDp_, Q::AirDp, f.MaxAirDp);
    readFrom(maxLiquidDp_, Q::LiquidDp, f.MaxLiquidDp);
    f.RowsLo = rowsLo_->value();
    f.RowsHi = rowsHi_->value();
    f.FpiLo = fpiLo_->value();
    f.FpiHi = fpiHi_->value();
    readFrom(vfLo_, Q::FaceVelocity, f.VfLo);
    readFrom(vfHi_, Q::FaceVelocity, f.VfHi);
    readFrom(tubeLo_, Q::TubeVelocity, f.TubeVLo);
    readFrom(tubeHi_, Q::TubeVelocity, f.TubeVHi);
    readFrom(heightLo_, Q::Height, f.HeightLo);
    readFrom(heightHi_, Q::Height, f.HeightHi);
    readFrom(lengthLo_, Q::Length, f.LengthLo);
    readFrom(lengthHi_, Q::Length, f.LengthHi);
    readFrom(lengthStep_, Q::Length, f.LengthStep);
    f.FixedFace = fixedFace_->isChecked();
    f.SetFaceVelocity = setVf_->isChecked();
    readFrom(vfTarget_, Q::FaceVelocity, f.FaceVelocity);
    f.Maker = std::max(0, maker_->currentIndex());
    f.Objective = kObjectives[std::clamp(objective_->currentIndex(), 0, 3)];
    f.PriceCopper = priceCu_->value();
    f.PriceAluminium = priceAl_->value();
}

void TCoilSelectionWindow::SelectClick()
{
    readForm();
    std::string error;
    if (!model_.Start(job_, error)) {
        status_->setText(qt(error));
        return;
    }
    sortColumn_ = -1;
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    showTable();
    showRunning(true);
    timer_->start();
}

void TCoilSelectionWindow::Poll()
{
    progress_->setValue(model_.Run().Percent());
    status_->setText(qt(model_.StatusText()));
    if (!model_.Collect())
        return;
    timer_->stop();
    showRunning(false);
    progress_->setValue(100);
    status_->setText(qt(model_.StatusText()));
    showTable();
}

void TCoilSelectionWindow::UseClick()
{
    const int row = table_->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= model_.RowCount() || model_.Run().Running())
        return;
    try {
        model_.Use(job_, static_cast<std::size_t>(row), undo_);
        status_->setText(tr("The job now holds %1 %2: %3")
                             .arg(qt(model_.Cell(row, TSelectColumn::Pattern)),
                                  qt(model_.Row(row).SizeText()),
                                  qt(job_.Solved() ? "Solved..." : "Not Solved...")));
    } catch (const std::exception& e) {
        status_->setText(qt(std::string("No solution found... ") + e.what()));
    }
    showTable();
    table_->selectRow(row);
    emit coilUsed();
}

void TCoilSelectionWindow::showTable()
{
    const TSelectObjective objective = model_.Form.Objective;
    QStringList headings;
    for (int c = 0; c < static_cast<int>(TSelectColumn::Count); ++c)
        headings << qt(SelectColumnHeading(static_cast<TSelectColumn>(c), objective));
    table_->setHorizontalHeaderLabels(headings);
    table_->setRowCount(static_cast<int>(model_.RowCount()));
    for (std::size_t r = 0; r < model_.RowCount(); ++r) {
        const bool current = model_.IsCurrent(job_, r);
        for (int c = 0; c < static_cast<int>(TSelectColumn::Count); ++c) {
            QString text = qt(model_.Cell(r, static_cast<TSelectColumn>(c)));
            if (c == 0 && current)
                text = QStringLiteral("► ") + text;
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(c <= 1 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            if (current) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
                item->setToolTip(tr("The job's coil"));
            }
            table_->setItem(static_cast<int>(r), c, item);
        }
    }
    if (sortColumn_ >= 0)
        table_->horizontalHeader()->setSortIndicator(sortColumn_, sortAscending_ ? Qt::AscendingOrder
                                                                                 : Qt::DescendingOrder);
    table_->resizeColumnsToContents();
    use_->setEnabled(!table_->selectedItems().isEmpty() && !model_.Run().Running());
}

void TCoilSelectionWindow::showRunning(bool running)
{
    select_->setEnabled(!running);
    cancel_->setEnabled(running);
    use_->setEnabled(!running && !table_->selectedItems().isEmpty());
    progress_->setVisible(running || progress_->value() > 0);
    if (!running && model_.RowCount() == 0 && status_->text().isEmpty())
        status_->setText(qt(model_.StatusText()));
}

void TCoilSelectionWindow::closeEvent(QCloseEvent* event)
{
    // A run goes on no longer than its window.
    model_.Run().Cancel();
    QDialog::closeEvent(event);
}

} // namespace zmk::gui
