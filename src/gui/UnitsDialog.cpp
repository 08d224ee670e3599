#include "gui/UnitsDialog.h"

#include "gui/WindowPlace.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

// Where a quantity's item keeps its place in the tree.
constexpr int kCategoryRole = Qt::UserRole;
constexpr int kNodeRole = Qt::UserRole + 1;

// The unit column's drop-down: the kind's units with the node's unit selected; a choice is
// written at once.
class TUnitColumnDelegate : public QStyledItemDelegate
{
public:
    TUnitColumnDelegate(TUnitsDialog& dialog, TUnitsTree& tree)
        : QStyledItemDelegate(&dialog), dialog_(dialog), tree_(tree)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        if (index.column() != 1 || !index.data(kNodeRole).isValid())
            return nullptr;
        auto* box = new QComboBox(parent);
        const auto c = static_cast<std::size_t>(index.data(kCategoryRole).toInt());
        const auto n = static_cast<std::size_t>(index.data(kNodeRole).toInt());
        for (const std::string& label : tree_.Choices(c, n))
            box->addItem(qt(label));
        box->setCurrentIndex(tree_.Node(c, n).Display);
        connect(box, &QComboBox::activated, box, [this, box, index](int chosen) {
            dialog_.ChooseUnit(dialog_.Tree()->itemFromIndex(index), chosen);
            emit const_cast<TUnitColumnDelegate*>(this)->commitData(box);
        });
        return box;
    }
    void setEditorData(QWidget*, const QModelIndex&) const override {}
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

private:
    TUnitsDialog& dialog_;
    TUnitsTree& tree_;
};

} // namespace

// ---- the Units dialog ----------------------------------------------------------------------------

TUnitsDialog::TUnitsDialog(ISettingsStore& store, QWidget* parent) : QDialog(parent), store_(store)
{
    setWindowTitle(tr("Units"));
    setWindowFlags(windowFlags() | Qt::Tool);
    setMinimumSize(180, 200);
    resize(360, 420);

    tree_ = new QTreeWidget(this);
    tree_->setColumnCount(2);
    tree_->setHeaderLabels({tr("Quantity"), tr("Unit")});
    tree_->setItemDelegateForColumn(1, new TUnitColumnDelegate(*this, model_));
    tree_->setEditTriggers(QAbstractItemView::AllEditTriggers);

    auto* metric = new QPushButton(tr("Metric"), this);
    auto* imperial = new QPushButton(tr("Imperial"), this);
    auto* close = new QPushButton(tr("Close"), this);
    connect(metric, &QPushButton::clicked, this, &TUnitsDialog::MetricClick);
    connect(imperial, &QPushButton::clicked, this, &TUnitsDialog::ImperialClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    metric->setObjectName("Metric");
    imperial->setObjectName("Imperial");
    close->setObjectName("Close");

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(metric);
    buttons->addWidget(imperial);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(tree_, 1);
    layout->addLayout(buttons);

    RestorePlace(*this, place_, store_);
}

void TUnitsDialog::EnsureBuilt()
{
    if (model_.Built())
        return;
    model_.Build();
    fill();
}

void TUnitsDialog::ShowUnitsDialog()
{
    EnsureBuilt();
    exec();
}

void TUnitsDialog::fill()
{
    tree_->clear();
    const auto& categories = model_.Categories();
    for (std::size_t c = 0; c < categories.size(); ++c) {
        auto* category = new QTreeWidgetItem(tree_, {qt(categories[c].Section)});
        for (std::size_t n = 0; n < categories[c].Nodes.size(); ++n) {
            auto* item =
                new QTreeWidgetItem(category, {qt(categories[c].Nodes[n].Key), qt(model_.UnitLabel(c, n))});
            item->setData(0, kCategoryRole, static_cast<int>(c));
            item->setData(0, kNodeRole, static_cast<int>(n));
            item->setData(1, kCategoryRole, static_cast<int>(c));
            item->setData(1, kNodeRole, static_cast<int>(n));
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
    }
    tree_->expandAll();
    tree_->resizeColumnToContents(0);
}

void TUnitsDialog::refreshLabels()
{
    for (int c = 0; c < tree_->topLevelItemCount(); ++c) {
        QTreeWidgetItem* category = tree_->topLevelItem(c);
        for (int n = 0; n < category->childCount(); ++n)
            category->child(n)->setText(
                1, qt(model_.UnitLabel(static_cast<std::size_t>(c), static_cast<std::size_t>(n))));
    }
}

QTreeWidgetItem* TUnitsDialog::ItemOf(const std::string& section, const std::string& key) const
{
    for (int c = 0; c < tree_->topLevelItemCount(); ++c) {
        QTreeWidgetItem* category = tree_->topLevelItem(c);
        if (category->text(0) != qt(section))
            continue;
        for (int n = 0; n < category->childCount(); ++n)
            if (category->child(n)->text(0) == qt(key))
                return category->child(n);
    }
    return nullptr;
}

void TUnitsDialog::ChooseUnit(QTreeWidgetItem* item, int index)
{
    if (!item || !item->data(0, kNodeRole).isValid())
        return;
    const auto c = static_cast<std::size_t>(item->data(0, kCategoryRole).toInt());
    const auto n = static_cast<std::size_t>(item->data(0, kNodeRole).toInt());
    model_.SetUnit(c, n, index);
    item->setText(1, qt(model_.UnitLabel(c, n)));
}

void TUnitsDialog::MetricClick()
{
    model_.Metric();
    refreshLabels();
}

void TUnitsDialog::ImperialClick()
{
    model_.Imperial();
    refreshLabels();
}

void TUnitsDialog::storePlace()
{
    StorePlace(*this, place_, store_);
}

void TUnitsDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
        storePlace();
}

void TUnitsDialog::hideEvent(QHideEvent* event)
{
    storePlace();
    QDialog::hideEvent(event);
}

// ---- the unit chooser ----------------------------------------------------------------------------

TUnitChooserDialog::TUnitChooserDialog(const TUnitChooserRequest& request, QWidget* parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(tr("Units"));
    list_ = new QListWidget(this);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int widest = 0;
    const QFontMetrics metrics = list_->fontMetrics();
    for (const std::string& label : request.labels) {
        list_->addItem(qt(label));
        widest = std::max(widest, metrics.horizontalAdvance(qt(label)));
    }
    list_->setCurrentRow(std::clamp(request.selected, 0, std::max(0, list_->count() - 1)));
    const int itemHeight = list_->count() ? list_->sizeHintForRow(0) : metrics.height();
    const TChooserSize size = UnitChooserSize(itemHeight, list_->count(), widest);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    setFixedSize(size.Width, size.Height);
    move(request.x, request.y);

    // Enter, Escape and a click in the list all close it with the item selected then.
    connect(list_, &QListWidget::itemClicked, this, [this] { accept(); });
    list_->installEventFilter(this);
}

int TUnitChooserDialog::Selected() const
{
    return list_->currentRow();
}

bool TUnitChooserDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<int> ChooseUnit(const TUnitChooserRequest& request, QWidget* parent)
{
    if (request.labels.empty())
        return std::nullopt;
    TUnitChooserDialog chooser(request, parent);
    chooser.exec();
    return chooser.Selected();
}

} // namespace zmk::gui
