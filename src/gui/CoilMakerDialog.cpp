#include "gui/CoilMakerDialog.h"

#include "gui/CoilDialogParts.h"
#include "gui/WindowPlace.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zmk::gui {

TCoilMakerDialog::TCoilMakerDialog(TCoilMaker& maker, QWidget* parent) : QDialog(parent), maker_(maker)
{
    setObjectName("CoilMakerForm");
    setWindowTitle(tr(kCoilMakerTitle));

    makers_ = new QComboBox(this);
    makers_->setObjectName("cbManufacturer");
    makers_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* makerLabel = new QLabel(tr("&%1").arg(QString::fromLatin1(kManufacturerCaption)), this);
    makerLabel->setBuddy(makers_);
    connect(makers_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0)
            return;
        maker_.SelectMaker(index);
        fillModels();
    });

    models_ = new QTreeWidget(this);
    models_->setObjectName("lvModels");
    models_->setRootIsDecorated(false);
    models_->setUniformRowHeights(true);
    models_->setAllColumnsShowFocus(true);
    models_->setSelectionMode(QAbstractItemView::SingleSelection);
    models_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList headers;
    for (const char* caption : kCoilMakerColumns)
        headers << QString::fromLatin1(caption);
    models_->setHeaderLabels(headers);
    models_->header()->setStretchLastSection(false);
    models_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(models_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!filling_ && item)
            maker_.SelectRow(models_->indexOfTopLevelItem(item));
    });
    connect(models_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        maker_.SelectRow(models_->indexOfTopLevelItem(item));
        accept();
    });

    current_ = new QLabel(this);
    current_->setObjectName("lbCurrent");
    current_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    current_->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* accept = buttons->addButton(tr("&Accept"), QDialogButtonBox::AcceptRole);
    accept->setDefault(true);
    buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(makerLabel);
    top->addWidget(makers_);
    top->addStretch(1);
    auto* current = new QHBoxLayout;
    auto* currentCaption = new QLabel(QString::fromLatin1(kCurrentCaption), this);
    current->addWidget(currentCaption, 0, Qt::AlignTop);
    current->addWidget(current_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(models_, 1);
    layout->addLayout(current);
    layout->addWidget(buttons);
    resize(760, 360);
}

void TCoilMakerDialog::fillMakers()
{
    filling_ = true;
    makers_->clear();
    for (const std::string& name : maker_.Makers())
        makers_->addItem(QtText(name));
    makers_->setCurrentIndex(maker_.MakerIndex());
    makers_->setEnabled(maker_.MakerListEnabled);
    filling_ = false;
}

void TCoilMakerDialog::fillModels()
{
    filling_ = true;
    models_->clear();
    QList<QTreeWidgetItem*> items;
    for (const TCoilMakerRow& row : maker_.Rows()) {
        QStringList cells{QtText(row.Caption)};
        for (const std::string& cell : row.Cells)
            cells << QtText(cell);
        items << new QTreeWidgetItem(cells);
    }
    models_->addTopLevelItems(items);
    filling_ = false;
    selectRow();
}

void TCoilMakerDialog::selectRow()
{
    const int row = maker_.RowIndex();
    filling_ = true;
    if (row >= 0 && row < models_->topLevelItemCount()) {
        QTreeWidgetItem* item = models_->topLevelItem(row);
        models_->setCurrentItem(item);
        models_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    } else {
        models_->setCurrentItem(nullptr);
        models_->clearSelection();
    }
    filling_ = false;
}

bool TCoilMakerDialog::ShowModal()
{
    maker_.Activate();
    fillMakers();
    fillModels();
    current_->setText(QtText(maker_.CurrentText()));
    PlaceOnFirstShow(*this, placed_, [this](TWindowPlace& place, TScreenSize screen) {
        maker_.RestoreWindowPlace(place, screen);
        return true;
    });
    models_->setFocus();
    exec();
    return maker_.Result() == TDialogResult::Ok;
}

void TCoilMakerDialog::done(int result)
{
    if (result == QDialog::Accepted)
        maker_.Accept();
    else
        maker_.Cancel();
    maker_.Close(PlaceOf(*this));
    QDialog::done(result);
}

} // namespace zmk::gui
