#include "gui/FluidSpecDialog.h"

#include "gui/DialogKeys.h"
#include "gui/FmtEditWidget.h"
#include "gui/ThemeColours.h"
#include "gui/WindowPlace.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

// Grid rows: the model's data rows 1..10 are the table's rows 0..9 under its header.
int tableRow(int row)
{
    return row - 1;
}

} // namespace

TFluidSpecDialog::TFluidSpecDialog(ISettingsStore& store, INotifier* notifier, QWidget* parent)
    : QDialog(parent), store_(store), model_(store, notifier)
{
    setObjectName("FluidSpecForm");
    setWindowTitle(tr(kFluidSpecTitle));
    setSizeGripEnabled(true);
    setMinimumSize(kFluidSpecMinSize.Width, kFluidSpecMinSize.Height);
    setMaximumSize(kFluidSpecMaxSize.Width, kFluidSpecMaxSize.Height);

    accept_ = new QPushButton(tr("&Accept"), this);
    accept_->setObjectName("Accept");
    accept_->setDefault(true);
    accept_->setIcon(QIcon::fromTheme("dialog-ok"));
    cancel_ = new QPushButton(tr("&Cancel"), this);
    cancel_->setObjectName("Cancel");
    cancel_->setIcon(QIcon::fromTheme("dialog-cancel"));
    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    grid_ = new QTableWidget(TFluidSpec::kRowCount - 1, 3, this);
    grid_->setObjectName("Grid");
    QStringList heading;
    for (int c = 0; c < 3; ++c)
        heading << qt(model_.CellText(0, c));
    grid_->setHorizontalHeaderLabels(heading);
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int c = 0; c < 3; ++c)
        grid_->setColumnWidth(c, model_.ColumnWidths[static_cast<std::size_t>(c)]);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &QWidget::customContextMenuRequested, this, [this] {
        model_.ShowValidRange();
        showStatus();
    });

    setTabOrder(accept_, cancel_);
    QWidget* previous = cancel_;
    for (int r = 1; r < TFluidSpec::kRowCount; ++r) {
        TFluidRow& row = model_.Row(r);
        auto* property = new QTableWidgetItem(qt(row.Property));
        property->setFlags(Qt::ItemIsEnabled);
        grid_->setItem(tableRow(r), 0, property);
        if (row.IsChoice) {
            auto* box = new QComboBox(grid_);
            for (const std::string& choice : row.Choices)
                box->addItem(qt(choice));
            box->setFrame(false);
            connect(box, &QComboBox::activated, this, [this, r](int index) {
                model_.ChooseRow(r, index);
                showRows();
            });
            editors_[static_cast<std::size_t>(r)] = box;
            grid_->setCellWidget(tableRow(r), 1, box);
            auto* none = new QTableWidgetItem;
            none->setFlags(Qt::ItemIsEnabled);
            grid_->setItem(tableRow(r), 2, none);
        } else {
            auto* edit = new TFmtEditWidget(*row.Edit, grid_);
            edit->setFrame(false);
            connect(edit, &TFmtEditWidget::exited, this, &TFluidSpecDialog::showRows);
            // Enter applies the cell and moves on, as Tab does; it does not close the dialog.
            UseFieldKeys({edit});
            editors_[static_cast<std::size_t>(r)] = edit;
            grid_->setCellWidget(tableRow(r), 1, edit);
            InstallUnitChooser(*row.Units, this);
            auto* label = new TFmtEditLabelWidget(*row.Units, grid_);
            label->setContentsMargins(4, 0, 4, 0);
            // Back from the chooser, the row's value has the focus again.
            connect(label, &TFmtEditLabelWidget::unitsChanged, this, [this, edit] {
                showRows();
                activateWindow();
                if (edit->isEnabled())
                    edit->setFocus(Qt::OtherFocusReason);
            });
            units_[static_cast<std::size_t>(r)] = label;
            grid_->setCellWidget(tableRow(r), 2, label);
        }
        QWidget* editor = editors_[static_cast<std::size_t>(r)];
        editor->setObjectName(qt(row.Property));
        setTabOrder(previous, editor);
        previous = editor;
    }

    // The property names are read whole: the first column is never narrower than they are.
    int nameWidth = 0;
    for (int r = 1; r < TFluidSpec::kRowCount; ++r)
        nameWidth = std::max(nameWidth, grid_->fontMetrics().horizontalAdvance(qt(model_.Row(r).Property)));
    grid_->setColumnWidth(0, std::max(grid_->columnWidth(0), nameWidth + 12));
    // Nor is a choice cut: the value column is as wide as the widest choice list needs.
    int valueWidth = grid_->columnWidth(1);
    for (QWidget* editor : editors_)
        if (auto* box = qobject_cast<QComboBox*>(editor))
            valueWidth = std::max(valueWidth, box->sizeHint().width() + 4);
    grid_->setColumnWidth(1, valueWidth);
    const int needed = grid_->columnWidth(0) + valueWidth + grid_->columnWidth(2) + 2 * grid_->frameWidth() +
                       grid_->verticalScrollBar()->sizeHint().width() + 24;
    if (needed > maximumWidth())
        setMaximumWidth(needed);

    status_ = new QLabel(this);
    status_->setObjectName("Status");
    status_->setFrameShape(QFrame::StyledPanel);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(accept_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);
    layout->addWidget(status_);
    resize(std::max(kFluidSpecMaxSize.Width, std::min(needed, maximumWidth())), 420);
    showRows();
}

int TFluidSpecDialog::ShowOn(TLiquid* liquid)
{
    model_.SetLiquid(liquid);
    model_.Activate();
    showRows();
    return exec();
}

void TFluidSpecDialog::showEvent(QShowEvent* event)
{
    if (!placed_) {
        placed_ = true;
        RestoreDialogPlace(
            *this, store_, kFluidSpecSection, true,
            [this](TWindowPlace& place, TScreenSize screen) { model_.RestoreWindowPlace(place, screen); });
    }
    QDialog::showEvent(event);
}

void TFluidSpecDialog::showRows()
{
    for (int r = 1; r < TFluidSpec::kRowCount; ++r) {
        const TFluidRow& row = model_.Row(r);
        QWidget* editor = editors_[static_cast<std::size_t>(r)];
        editor->setEnabled(row.Enabled);
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            if (box->currentIndex() != row.Choice)
                box->setCurrentIndex(row.Choice);
        } else if (auto* edit = qobject_cast<TFmtEditWidget*>(editor)) {
            edit->ShowField();
        }
        if (TFmtEditLabelWidget* label = units_[static_cast<std::size_t>(r)])
            label->ShowLabel();
        if (QTableWidgetItem* property = grid_->item(tableRow(r), 0))
            property->setFlags(row.Enabled ? Qt::ItemIsEnabled : Qt::NoItemFlags);
    }
    showStatus();
}

void TFluidSpecDialog::showStatus()
{
    status_->setText(qt(model_.Status()));
    status_->setStyleSheet(
        QStringLiteral("color: %1;")
            .arg(ReadableColour(*status_, QColor(qt(model_.StatusColour())), QPalette::Window)));
}

void TFluidSpecDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        CommitFocusedEdit(*this);
        model_.Accept();
    } else {
        model_.Cancel();
    }
    for (int c = 0; c < 3; ++c)
        model_.ColumnWidths[static_cast<std::size_t>(c)] = grid_->columnWidth(c);
    const TWindowPlace place = PlaceOf(*this);
    model_.Close(&place);
    QDialog::done(result);
}

} // namespace zmk::gui
