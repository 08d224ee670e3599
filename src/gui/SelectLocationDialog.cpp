#include "gui/SelectLocationDialog.h"

#include "gui/DialogKeys.h"
#include "gui/WindowPlace.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

TSelectLocationDialog::TSelectLocationDialog(ISettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store)
{
    setObjectName("SelectLocationForm");
    setWindowTitle(tr(kSelectLocationTitle));
    setSizeGripEnabled(true);

    databases_ = new QComboBox(this);
    databases_->setObjectName("Databases");
    regions_ = new QComboBox(this);
    regions_->setObjectName("Regions");
    regions_->setMaxVisibleItems(20);
    places_ = new QListWidget(this);
    places_->setObjectName("Places");
    places_->setMinimumHeight(8 * places_->fontMetrics().height());
    places_->setMinimumWidth(
        places_->fontMetrics().horizontalAdvance(QString(kLocationNameMax, QLatin1Char('m'))) / 2);

    details_ = new QTableWidget(10, 2, this);
    details_->setObjectName("Details");
    details_->horizontalHeader()->hide();
    details_->verticalHeader()->hide();
    details_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    details_->setSelectionMode(QAbstractItemView::NoSelection);
    details_->setFocusPolicy(Qt::NoFocus);
    details_->setColumnWidth(0, kDetailsLabelWidth);
    details_->horizontalHeader()->setStretchLastSection(true);
    details_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 2; ++c)
            details_->setItem(r, c, new QTableWidgetItem);
    details_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    details_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // All ten rows stay in sight however small the window is made.
    details_->setMinimumHeight(10 * (details_->fontMetrics().height() + 8) + 2 * details_->frameWidth());
    details_->setMinimumWidth(kDetailsLabelWidth + details_->fontMetrics().horizontalAdvance("00.0/00.0 °C") +
                              24);

    accept_ = new QPushButton(QIcon::fromTheme("dialog-ok"), tr("&Accept"), this);
    accept_->setObjectName("Accept");
    accept_->setDefault(true);
    auto* cancel = new QPushButton(QIcon::fromTheme("dialog-cancel"), tr("&Cancel"), this);
    cancel->setObjectName("Cancel");
    connect(accept_, &QPushButton::clicked, this, &TSelectLocationDialog::tryAccept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(databases_, &QComboBox::activated, this, [this](int index) {
        if (!picker_ || filling_)
            return;
        picker_->SelectDatabase(index);
        showAll();
    });
    connect(regions_, &QComboBox::activated, this, [this](int index) {
        if (!picker_ || filling_)
            return;
        picker_->SelectRegion(index);
        showPlaces();
        showDetails();
    });
    connect(places_, &QListWidget::currentRowChanged, this, [this](int index) {
        if (!picker_ || filling_ || index < 0)
            return;
        picker_->SelectPlace(index);
        showDetails();
    });
    connect(places_, &QListWidget::itemDoubleClicked, this, [this] { tryAccept(); });

    auto* lists = new QFormLayout;
    auto* databaseLabel = new QLabel(tr("&Database:"), this);
    databaseLabel->setBuddy(databases_);
    auto* regionLabel = new QLabel(tr("&Region:"), this);
    regionLabel->setBuddy(regions_);
    lists->addRow(databaseLabel, databases_);
    lists->addRow(regionLabel, regions_);
    auto* placeLabel = new QLabel(tr("&Place:"), this);
    placeLabel->setBuddy(places_);

    auto* left = new QVBoxLayout;
    left->addLayout(lists);
    left->addWidget(placeLabel);
    left->addWidget(places_, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(details_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(accept_);
    buttons->addWidget(cancel);
    right->addLayout(buttons);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addLayout(right, 1);

    auto* bar = new QStatusBar(this);
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        status_[i] = new QLabel(this);
        status_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        status_[i]->setMinimumWidth(kLocationStatusWidths[static_cast<std::size_t>(i)]);
        bar->addWidget(status_[i], i);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(bar);
    setTabOrder(databases_, regions_);
    setTabOrder(regions_, places_);
    setTabOrder(places_, accept_);
    setTabOrder(accept_, cancel);
    resize(560, 400);
}

bool TSelectLocationDialog::ShowOn(TSelectLocation& picker)
{
    picker_ = &picker;
    picker.Show();
    showAll();
    places_->setFocus();
    const bool ok = exec() == QDialog::Accepted;
    picker_ = nullptr;
    return ok;
}

void TSelectLocationDialog::showEvent(QShowEvent* event)
{
    if (!placed_ && picker_) {
        placed_ = true;
        TSelectLocation* picker = picker_;
        RestoreDialogPlace(
            *this, store_, kSelectLocationSection, false,
            [picker](TWindowPlace& place, TScreenSize screen) { picker->RestoreWindowPlace(place, screen); });
    }
    QDialog::showEvent(event);
}

void TSelectLocationDialog::showAll()
{
    filling_ = true;
    databases_->clear();
    for (const std::string& name : picker_->Databases())
        databases_->addItem(qt(name));
    databases_->setCurrentIndex(picker_->DatabaseIndex());
    regions_->clear();
    for (const std::string& name : picker_->Regions())
        regions_->addItem(qt(name));
    regions_->setCurrentIndex(picker_->RegionIndex());
    filling_ = false;
    showPlaces();
    showDetails();
}

void TSelectLocationDialog::showPlaces()
{
    filling_ = true;
    places_->clear();
    for (const std::string& name : picker_->Places())
        places_->addItem(qt(name));
    places_->setCurrentRow(picker_->PlaceIndex());
    if (QListWidgetItem* item = places_->currentItem())
        places_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    filling_ = false;
}

void TSelectLocationDialog::showDetails()
{
    const auto& rows = picker_->Details();
    for (int r = 0; r < 10; ++r) {
        details_->item(r, 0)->setText(qt(rows[static_cast<std::size_t>(r)].first));
        details_->item(r, 1)->setText(qt(rows[static_cast<std::size_t>(r)].second));
    }
    for (int i = 0; i < 2; ++i)
        status_[i]->setText(qt(picker_->StatusPanels()[static_cast<std::size_t>(i)]));
    accept_->setEnabled(picker_->CanAccept());
}

void TSelectLocationDialog::tryAccept()
{
    if (picker_ && picker_->Accept())
        accept();
}

void TSelectLocationDialog::done(int result)
{
    if (picker_) {
        if (result != QDialog::Accepted)
            picker_->Cancel();
        const TWindowPlace place = PlaceOf(*this);
        picker_->Close(&place);
    }
    QDialog::done(result);
}

} // namespace zmk::gui
