#include "gui/MainWindow.h"

#include "gui/FmtEditWidget.h"
#include "gui/Icons.h"
#include "gui/UnitsDialog.h"
#include "gui/WebHtmlView.h"
#include "gui/WindowPlace.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

std::size_t at(TEntryField f)
{
    return static_cast<std::size_t>(f);
}

// Text widths in the status bar's font, for shortening the file name.
class TFontTextWidth : public ITextWidth
{
public:
    explicit TFontTextWidth(const QFontMetrics& metrics) : metrics_(metrics) {}
    int TextWidth(std::string_view text) const override
    {
        return metrics_.horizontalAdvance(
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }

private:
    QFontMetrics metrics_;
};

} // namespace

TMainForm::TMainForm(TMainWindowModel& model, const TFolders& folders, QWidget* parent)
    : QMainWindow(parent), model_(model), folders_(folders)
{
    setWindowTitle(qt(model_.Title()));
    setWindowIcon(ProgramIcon());
    setMinimumSize(510, 510);

    for (const TEntryFieldInfo& info : EntryFields()) {
        const TEntryField f = info.Field;
        edits_[at(f)] = new TFmtEditWidget(model_.Edit(f), this);
        edits_[at(f)]->setObjectName(QString::fromLatin1(info.Name));
        if (model_.UnitLabel(f)) {
            labels_[at(f)] = new TFmtEditLabelWidget(*model_.UnitLabel(f), this);
            connect(labels_[at(f)], &TFmtEditLabelWidget::unitsChanged, this, &TMainForm::showFields);
        }
    }
    fluidType_ = new TFmtEditWidget(model_.FluidTypeEdit(), this);
    fluidType_->setObjectName("edFluidType");
    liquidControl_ = new TFmtEditWidget(model_.LiquidControlEdit(), this);
    liquidControl_->setObjectName("edLiquidControl");
    connect(fluidType_, &TFmtEditWidget::clicked, this, [this] { RunCommand(TMainCommand::FluidType); });
    model_.SetUnitChooser([this](const TUnitChooserRequest& request) { return ChooseUnit(request, this); });

    view_ = new TWebHtmlView(this);
    view_->setObjectName("HtmlView");
    connect(view_, &TWebHtmlView::doubleClicked, this, [this] { model_.AdvancePicture(); });
    connect(view_, &TWebHtmlView::printPreviewRequested, this,
            [this] { RunCommand(TMainCommand::PrintPreview); });
    connect(view_, &TWebHtmlView::showHelpRequested, this, [this] { RunCommand(TMainCommand::ShowHelp); });
    model_.Session().SetHtmlView(view_);

    auto* central = new QWidget(this);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(buildFields());
    body->addWidget(view_, 1);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(buildGeometryLine());
    layout->addLayout(body, 1);
    setCentralWidget(central);

    statusPanel_ = new QLabel(this);
    statusPanel_->setFixedWidth(TMainWindowModel::kStatusPanelWidth);
    filePanel_ = new QLabel(this);
    filePanel_->setMinimumWidth(0);
    statusBar()->addWidget(statusPanel_);
    statusBar()->addWidget(filePanel_, 1);

    unitsDialog_ = new TUnitsDialog(model_.Session().Store(), this);
    buildMenus();
    buildToolBar();
    orderTabs();
    resize(586, 582 + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());

    model_.Session().RecentFiles().OnChanged = [this] { rebuildReopenMenu(); };
    // Subscribed after the model, whose fields follow the job first.
    subscription_ = model_.Job().Subscribe([this](const TJobNews& news) { jobChanged(news); });
    qApp->installEventFilter(this);
    showFields();
    ShowStatus();
}

TMainForm::~TMainForm()
{
    qApp->removeEventFilter(this);
    model_.Job().Unsubscribe(subscription_);
    model_.SetUnitChooser(nullptr);
    model_.Session().RecentFiles().OnChanged = nullptr;
    model_.Session().SetHtmlView(nullptr);
}

void TMainForm::Start(const std::vector<std::string>& arguments)
{
    TWindowPlace place = PlaceOf(*this);
    model_.Startup(place, ScreenSizeOf(*this), arguments);
    ApplyPlace(*this, place, true);
    rebuildReopenMenu();
    showFields();
    ShowStatus();
}

// ---- layout --------------------------------------------------------------------------------------

QAbstractButton* TMainForm::fieldButton(TMainCommand command, const QString& text)
{
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setAutoRaise(false);
    connect(b, &QToolButton::clicked, this, [this, command] { RunCommand(command); });
    buttons_[command] = b;
    return b;
}

QWidget* TMainForm::buildGeometryLine()
{
    auto* line = new QWidget(this);
    auto* row = new QHBoxLayout(line);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("00000.00")) + 8;
    auto caption = [&](const char* text) { row->addWidget(new QLabel(tr(text), line)); };
    auto field = [&](TEntryField f) {
        edits_[at(f)]->setFixedWidth(f == TEntryField::edRows || f == TEntryField::edCircuits ? width * 3 / 4
                                                                                              : width);
        row->addWidget(edits_[at(f)]);
        if (labels_[at(f)])
            row->addWidget(labels_[at(f)]);
    };
    caption("H");
    field(TEntryField::edFinHeight);
    caption("x");
    caption("L");
    field(TEntryField::edFinnedLength);
    caption("row");
    field(TEntryField::edRows);
    field(TEntryField::edFinDensity);
    caption("C");
    field(TEntryField::edCircuits);
    row->addWidget(fieldButton(TMainCommand::CoilSpec, QStringLiteral("...")));
    row->addStretch(1);
    return line;
}

void TMainForm::addFieldRow(QGridLayout* grid, int row, TEntryField field, std::optional<TMainCommand> button)
{
    const TEntryFieldInfo& info = EntryFieldInfo(field);
    auto* caption = new QLabel(tr(info.Caption), this);
    caption->setBuddy(edits_[at(field)]);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edits_[at(field)], row, 1);
    if (labels_[at(field)])
        grid->addWidget(labels_[at(field)], row, 2);
    if (button)
        grid->addWidget(fieldButton(*button, QStringLiteral("...")), row, 3);
}

QWidget* TMainForm::buildFields()
{
    auto* panel = new QWidget(this);
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("000000.0000")) + 8;
    for (TFmtEditWidget* e : edits_)
        e->setMinimumWidth(fieldWidth);

    auto* fin = new QGroupBox(tr("Fin side"), panel);
    auto* finGrid = new QGridLayout(fin);
    addFieldRow(finGrid, 0, TEntryField::edAltitude, TMainCommand::Locations);
    addFieldRow(finGrid, 1, TEntryField::edOnCoil);
    addFieldRow(finGrid, 2, TEntryField::edHumidityOn);
    addFieldRow(finGrid, 3, TEntryField::edAirMassflow, TMainCommand::AirFlow);
    addFieldRow(finGrid, 4, TEntryField::edFaceVelocity);

    auto* tube = new QGroupBox(tr("Tube side"), panel);
    auto* tubeGrid = new QGridLayout(tube);
    tubeGrid->addWidget(new QLabel(tr("Fluid type"), tube), 0, 0);
    tubeGrid->addWidget(fluidType_, 0, 1, 1, 2);
    tubeGrid->addWidget(fieldButton(TMainCommand::FluidType, QStringLiteral("...")), 0, 3);
    addFieldRow(tubeGrid, 1, TEntryField::edFluidInTemp);
    tubeGrid->addWidget(new QLabel(tr("Fluid control"), tube), 2, 0);
    tubeGrid->addWidget(liquidControl_, 2, 1, 1, 2);
    tubeGrid->addWidget(fieldButton(TMainCommand::FluidControl, QStringLiteral("~")), 2, 3);
    addFieldRow(tubeGrid, 3, TEntryField::edFluidDT);
    addFieldRow(tubeGrid, 4, TEntryField::edFluidFlow, TMainCommand::FluidFlow);
    addFieldRow(tubeGrid, 5, TEntryField::edTubeVelocity);
    for (QGridLayout* grid : {finGrid, tubeGrid}) {
        grid->setColumnStretch(1, 1);
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(3);
        grid->setContentsMargins(6, 4, 6, 4);
    }

    spray_ = new QCheckBox(tr("Recirculating water spray"), panel);
    spray_->setObjectName("cbSpray");
    connect(spray_, &QCheckBox::clicked, this, [this](bool on) { model_.SetSpray(on); });

    kindLabel_ = new QLabel(panel);
    kindLabel_->setObjectName("CoilKindLabel");
    kindLabel_->setToolTip(tr("Ctrl+click: the next coil kind (also in Edit, Coil kind)"));
    QFont bold = kindLabel_->font();
    bold.setBold(true);
    kindLabel_->setFont(bold);
    kindLabel_->installEventFilter(this);
    makerLabel_ = new QLabel(panel);
    makerLabel_->setWordWrap(true);
    materialLabel_ = new QLabel(panel);

    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(kindLabel_);
    kindRow->addWidget(materialLabel_);
    kindRow->addStretch(1);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 4, 0);
    column->addLayout(kindRow);
    column->addWidget(makerLabel_);
    column->addWidget(fin);
    column->addWidget(tube);
    column->addWidget(spray_);
    column->addStretch(1);
    return panel;
}

void TMainForm::orderTabs()
{
    using F = TEntryField;
    auto button = [this](TMainCommand c) -> QWidget* { return buttons_.at(c); };
    const std::vector<QWidget*> order{
        Edit(F::edFinHeight),
        Edit(F::edFinnedLength),
        Edit(F::edRows),
        Edit(F::edFinDensity),
        Edit(F::edCircuits),
        button(TMainCommand::CoilSpec),
        Edit(F::edAltitude),
        button(TMainCommand::Locations),
        Edit(F::edOnCoil),
        Edit(F::edHumidityOn),
        Edit(F::edAirMassflow),
        button(TMainCommand::AirFlow),
        Edit(F::edFaceVelocity),
        fluidType_,
        button(TMainCommand::FluidType),
        Edit(F::edFluidInTemp),
        liquidControl_,
        button(TMainCommand::FluidControl),
        Edit(F::edFluidDT),
        Edit(F::edFluidFlow),
        button(TMainCommand::FluidFlow),
        Edit(F::edTubeVelocity),
        spray_,
        view_,
    };
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// ---- showing the model ---------------------------------------------------------------------------

void TMainForm::showFields()
{
    for (TFmtEditWidget* e : edits_)
        e->ShowField();
    for (TFmtEditLabelWidget* l : labels_)
        if (l)
            l->ShowLabel();
    fluidType_->ShowField();
    liquidControl_->ShowField();
    const TJobInputs& in = model_.Job().Inputs;
    spray_->setChecked(in.cbSpray);
    const TCoilLabels labels = CoilLabels(model_.Job());
    kindLabel_->setText(qt(labels.Kind));
    makerLabel_->setText(qt(labels.Maker));
    materialLabel_->setText(qt(labels.Material));
    for (std::size_t i = 0; i < kindActions_.size(); ++i)
        if (kindActions_[i])
            kindActions_[i]->setChecked(model_.Job().Coil() && CanonicalCoilKind(model_.Job().KindCode) ==
                                                                   CoilKindChoices()[i].Code);
    showEnabling();
}

void TMainForm::showEnabling()
{
    for (const TEntryFieldInfo& info : EntryFields())
        edits_[at(info.Field)]->setEnabled(model_.FieldEnabled(info.Field));
    updateCommands();
}

QString TMainForm::StatusPanelText() const
{
    return statusPanel_->text();
}

QString TMainForm::FilePanelText() const
{
    return filePanel_->text();
}

void TMainForm::ShowStatus()
{
    statusPanel_->setText(qt(model_.StatusText()));
    filePanel_->setText(qt(model_.FilePanelText(width(), TFontTextWidth(filePanel_->fontMetrics()))));
    filePanel_->setToolTip(qt(model_.Job().FileName));
}

void TMainForm::jobChanged(const TJobNews& news)
{
    if (news.Has(jcControl)) {
        liquidControl_->ShowField();
        showEnabling();
    }
    if (news.Has(jcInputs)) {
        if (news.Field)
            edits_[at(*news.Field)]->ShowField();
        else
            showFields();
    }
    if (news.Has(jcResults)) {
        ShowStatus();
        updateCommands();
    }
}

// ---- events --------------------------------------------------------------------------------------

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    closing_ = false;
    if (model_.Activated())
        return;
    // The first activation builds and solves the coil and opens the command line's project,
    // once the window is up.
    QTimer::singleShot(0, this, [this] {
        if (model_.Activated())
            return;
        model_.FirstActivation();
        showFields();
        ShowStatus();
    });
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    ShowStatus();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == kindLabel_ && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        model_.CoilKindLabelMouseDown(mouse->modifiers() & Qt::ControlModifier);
        showFields();
        return true;
    }
    // Up and Down move the focus through the window's controls in tab order; the result view
    // keeps its arrows for scrolling.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && key->modifiers() == Qt::NoModifier &&
            widget && widget->window() == this && widget->hasFocus() && widget != view_ &&
            !view_->isAncestorOf(widget)) {
            focusNextPrevChild(key->key() == Qt::Key_Down);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (closing_) {
        event->accept();
        return;
    }
    const QMessageBox::StandardButton answer = askToSaveChanges();
    if (answer == QMessageBox::Cancel) {
        event->ignore();
        return;
    }
    const bool discarded = answer == QMessageBox::Discard;
    closing_ = true;
    model_.Shutdown(PlaceOf(*this), discarded);
    event->accept();
}

QMessageBox::StandardButton TMainForm::askToSaveChanges()
{
    if (TFmtEditWidget* focused = focusedEdit())
        focused->ApplyExit(model_.CommitFocusedField(&focused->Field()));
    if (!AskBeforeClosing || !model_.HasUnsavedChanges())
        return QMessageBox::NoButton;
    const QString question =
        qt(model_.SaveChangesQuestion()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QMessageBox::StandardButton answer =
        AskToSave ? AskToSave(question)
                  : QMessageBox::question(this, qt(std::string(kSaveChangesTitle)), question,
                                          QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                          QMessageBox::Save);
    if (answer == QMessageBox::Save && !save())
        return QMessageBox::Cancel;
    return answer == QMessageBox::Save || answer == QMessageBox::Discard ? answer : QMessageBox::Cancel;
}

} // namespace zmk::gui
