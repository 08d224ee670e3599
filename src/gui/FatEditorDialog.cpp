#include "gui/FatEditorDialog.h"

#include "base/Paths.h"
#include "gui/CoilDialogParts.h"
#include "gui/CoilMakerDialog.h"
#include "gui/DesignSettingsDialog.h"
#include "gui/FmtEditWidget.h"
#include "gui/PainterCanvas.h"
#include "gui/PageWindow.h"
#include "gui/ThemeColours.h"
#include "gui/UnitsDialog.h"
#include "gui/WindowPlace.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zmk::gui {

namespace {

std::size_t at(TFatSpin spin)
{
    return static_cast<std::size_t>(spin);
}

// The sizing link of a field's row, by its place in kAutoSizeLabels.
constexpr std::size_t kHeightLink = 0, kLengthLink = 1, kRowsLink = 2, kDensityLink = 3, kPitchLink = 4,
                      kFaceLink = 5, kRowsFinsLink = 6;

} // namespace

TFatEditorDialog::TFatEditorDialog(TFatEditor& editor, QWidget* parent) : QDialog(parent), editor_(editor)
{
    setObjectName("FatForm");
    setWindowTitle(tr(kFatEditorTitle));
    // No close box: the dialog ends with "&Accept" or "&Cancel" (Escape).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    for (const TAutoSizeLabel& label : kAutoSizeLabels) {
        auto* link = new TLinkLabel(tr(label.Caption), tr("Size the coil for the target duty"), this);
        const TAutoSize mode = label.Mode;
        connect(link, &TLinkLabel::clicked, this, [this, mode] { AutoSizeClick(mode); });
        autoLinks_.push_back(link);
    }
    autoLinks_[kFaceLink]->setToolTip(tr("Size the fin height and finned length for the target duty"));
    autoLinks_[kRowsFinsLink]->setToolTip(tr("Size the rows and the fin density for the target duty"));

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(4);
    int row = 0;
    const auto unitLabel = [this](zmk::TFmtEditLabel& label) {
        label.Chooser = [this](const TUnitChooserRequest& request) { return ChooseUnit(request, this); };
        auto* l = new TFmtEditLabelWidget(label, this);
        connect(l, &TFmtEditLabelWidget::unitsChanged, this, &TFatEditorDialog::showAll);
        units_.push_back(l);
        return l;
    };
    const auto fieldRow = [&](QWidget* caption, TFmtEditWidget* edit, std::optional<TFatSpin> spin,
                              QWidget* unit) {
        grid->addWidget(caption, row, 0);
        grid->addWidget(edit, row, 1);
        if (spin) {
            auto* arrows = new TSpinArrows(this);
            arrows->setFixedHeight(edit->sizeHint().height());
            const TFatSpin s = *spin;
            connect(arrows, &TSpinArrows::spun, this, [this, s](bool up) { SpinClick(s, up); });
            arrows_[at(s)] = arrows;
            spinFields_[at(s)] = edit;
            edit->installEventFilter(this);
            grid->addWidget(arrows, row, 2);
        }
        if (unit)
            grid->addWidget(unit, row, 3);
        ++row;
    };

    TFmtEditWidget* tubeSize = addEdit(editor_.edTubeSize, "edTubeSize");
    tubeSize->SetReadOnlyMode(true);
    tubeSize_ = new QToolButton(this);
    tubeSize_->setObjectName("btTubeSize");
    tubeSize_->setText(QStringLiteral("..."));
    tubeSize_->setToolTip(tr("Choose the tube and fin pattern"));
    connect(tubeSize_, &QToolButton::clicked, this, &TFatEditorDialog::TubeSizeClick);
    auto* tubeCaption = new QLabel(tr("T&ube Size"), this);
    tubeCaption->setBuddy(tubeSize_);
    grid->addWidget(tubeCaption, row, 0);
    grid->addWidget(tubeSize, row, 1);
    grid->addWidget(tubeSize_, row, 2);
    ++row;

    fieldRow(autoLinks_[kHeightLink], addEdit(editor_.edFinHeight, "edFinHeight"), TFatSpin::FinHeight,
             unitLabel(editor_.lbFinHeightUnits));
    fieldRow(autoLinks_[kLengthLink], addEdit(editor_.edFinnedLength, "edFinnedLength"),
             TFatSpin::FinnedLength, unitLabel(editor_.lbFinnedLengthUnits));
    fieldRow(autoLinks_[kRowsLink], addEdit(editor_.edRows, "edRows"), TFatSpin::Rows, nullptr);
    fieldRow(autoLinks_[kDensityLink], addEdit(editor_.edFinDensity, "edFinDensity"), TFatSpin::FinDensity,
             unitLabel(editor_.lbFinDensityUnits));
    fieldRow(autoLinks_[kPitchLink], addEdit(editor_.edFinPitch, "edFinPitch"), TFatSpin::FinPitch,
             unitLabel(editor_.lbFinPitchUnits));
    serpentine_ = new TLinkLabel(QString(), tr("Show the circuit picture"), this);
    serpentine_->setObjectName("lbSerpentine");
    connect(serpentine_, &TLinkLabel::clicked, this, [this] {
        editor_.SerpentineLabelClick();
        showAll();
    });
    auto* circuitsCaption = new QLabel(tr("Circuits"), this);
    fieldRow(circuitsCaption, addEdit(editor_.edCircuits, "edCircuits"), TFatSpin::Circuits, serpentine_);

    const std::vector<std::string> names = TFatEditor::MaterialNames();
    for (std::size_t i = 0; i < materials_.size(); ++i) {
        auto* list = new QComboBox(this);
        for (const std::string& name : names)
            list->addItem(QtText(name));
        auto* caption = new QLabel(tr(kMaterialListCaptions[i]), this);
        caption->setBuddy(list);
        grid->addWidget(caption, row, 0);
        grid->addWidget(list, row, 1);
        ++row;
        connect(list, &QComboBox::activated, this, [this, i](int index) {
            commitFocused();
            if (i == 0)
                editor_.TubeMaterialChange(index);
            else if (i == 1)
                editor_.FinMaterialChange(index);
            else
                editor_.CasingMaterialChange(index);
            showAll();
        });
        materials_[i] = list;
    }
    materials_[0]->setObjectName("cbTubeMaterial");
    materials_[1]->setObjectName("cbFinMaterial");
    materials_[2]->setObjectName("cbCasingMaterial");

    TFmtEditWidget* duty = addEdit(editor_.edDesignDuty, "edDesignDuty");
    auto* dutyCaption = new QLabel(tr("Target &Duty"), this);
    dutyCaption->setBuddy(duty);
    fieldRow(dutyCaption, duty, std::nullopt, unitLabel(editor_.lbDesignDutyUnits));

    auto* autoRow = new QHBoxLayout;
    autoRow->addWidget(autoLinks_[kFaceLink]);
    autoRow->addSpacing(12);
    autoRow->addWidget(autoLinks_[kRowsFinsLink]);
    autoRow->addStretch(1);
    grid->addLayout(autoRow, row++, 0, 1, 4);
    keepAirflow_ = new QCheckBox(tr("&Keep entered airflow on auto size"), this);
    keepAirflow_->setObjectName("cbKeepAirflow");
    connect(keepAirflow_, &QCheckBox::toggled, this, [this](bool on) { editor_.KeepAirflow = on; });
    grid->addWidget(keepAirflow_, row++, 0, 1, 4);
    grid->setRowStretch(row, 1);

    summary_ = new QTextBrowser(this);
    summary_->setObjectName("SummaryView");
    summary_->setOpenLinks(false);
    summary_->setMinimumWidth(190);
    summary_->setFocusPolicy(Qt::ClickFocus);

    settings_ = new QPushButton(tr("&Settings..."), this);
    settings_->setObjectName("btSettings");
    settings_->setToolTip(tr("The design values the sizing works from"));
    settings_->setAutoDefault(false);
    connect(settings_, &QPushButton::clicked, this, &TFatEditorDialog::SettingsClick);
    selection_ = new QPushButton(tr("Coil Se&lection..."), this);
    selection_->setObjectName("btSelection");
    selection_->setToolTip(tr("Every catalogue coil that meets the duty, ranked"));
    selection_->setAutoDefault(false);
    connect(selection_, &QPushButton::clicked, this, [this] {
        accept();
        emit selectionRequested();
    });
    auto* help = new QPushButton(QIcon::fromTheme(QStringLiteral("help-contents")), tr("&Help"), this);
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, &TFatEditorDialog::HelpClick);
    auto* shortcut = new QShortcut(QKeySequence::HelpContents, this);
    connect(shortcut, &QShortcut::activated, this, &TFatEditorDialog::HelpClick);
    auto* accept = new QPushButton(tr("&Accept"), this);
    accept->setDefault(true);
    connect(accept, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(settings_);
    buttons->addWidget(selection_);
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(accept);
    buttons->addWidget(cancel);

    auto* body = new QHBoxLayout;
    body->addLayout(grid);
    body->addWidget(summary_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    // Fields first, in the order they are read, then the commands.
    QList<QWidget*> order{tubeSize_};
    for (TFmtEditWidget* e : edits_)
        if (e != tubeSize)
            order << e;
    order.insert(order.indexOf(Edit(editor_.edDesignDuty)), materials_[0]);
    order.insert(order.indexOf(Edit(editor_.edDesignDuty)), materials_[1]);
    order.insert(order.indexOf(Edit(editor_.edDesignDuty)), materials_[2]);
    order << autoLinks_[kFaceLink] << autoLinks_[kRowsFinsLink] << keepAirflow_;
    for (std::size_t i = 0; i <= kPitchLink; ++i)
        order << autoLinks_[i];
    order << serpentine_ << settings_ << selection_ << help << accept << cancel << summary_;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(560, 400);
}

TFmtEditWidget* TFatEditorDialog::addEdit(zmk::TFmtEdit& field, const char* name)
{
    auto* e = new TFmtEditWidget(field, this);
    e->setObjectName(QString::fromLatin1(name));
    connect(e, &TFmtEditWidget::exited, this, &TFatEditorDialog::showAll);
    edits_.push_back(e);
    return e;
}

TFmtEditWidget* TFatEditorDialog::Edit(const zmk::TFmtEdit& field) const
{
    for (TFmtEditWidget* e : edits_)
        if (&e->Field() == &field)
            return e;
    return nullptr;
}

TCoilMakerDialog* TFatEditorDialog::CoilMakerDialog()
{
    if (!coilMaker_)
        coilMaker_ = new TCoilMakerDialog(editor_.CoilMaker(), this);
    return coilMaker_;
}

TDesignSettingsDialog* TFatEditorDialog::DesignSettingsDialog()
{
    if (!designSettings_)
        designSettings_ = new TDesignSettingsDialog(editor_.DesignSettings(), this);
    return designSettings_;
}

bool TFatEditorDialog::ShowModal()
{
    PlaceOnFirstShow(*this, placed_, [this](TWindowPlace& place, TScreenSize screen) {
        editor_.RestoreWindowPlace(place, screen);
        return true;
    });
    editor_.Open();
    showAll();
    Edit(editor_.edFinHeight)->setFocus();
    return exec() == QDialog::Accepted;
}

void TFatEditorDialog::activate()
{
    editor_.Activate();
    showAll();
}

void TFatEditorDialog::showAll()
{
    for (TFmtEditWidget* e : edits_)
        e->ShowField();
    for (TFmtEditLabelWidget* l : units_)
        l->ShowLabel();
    serpentine_->SetCaption(QtText(editor_.SerpentineLabel()));
    const std::array<int, 3> chosen{editor_.TubeMaterial(), editor_.FinMaterial(), editor_.CasingMaterial()};
    for (std::size_t i = 0; i < materials_.size(); ++i) {
        const QSignalBlocker block(materials_[i]);
        materials_[i]->setCurrentIndex(chosen[i]);
    }
    {
        const QSignalBlocker block(keepAirflow_);
        keepAirflow_->setChecked(editor_.KeepAirflow);
    }
    const std::string& caption = editor_.Caption();
    setWindowTitle(caption.empty() ? tr(kFatEditorTitle) : QtText(caption));
    QString page;
    for (const std::string& line : editor_.Page())
        page += QtText(line) + QLatin1Char('\n');
    if (page != shownPage_) {
        shownPage_ = page;
        if (editor_.PictureFile() == kDrawnCircuitPicture)
            supplyCircuitPicture();
        // The summary's colours, readable on the theme's background.
        summary_->setHtml(ReadablePage(*summary_, page));
    }
}

void TFatEditorDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && summary_) {
        shownPage_.clear();
        showAll();
    }
}

void TFatEditorDialog::supplyCircuitPicture()
{
    // The picture fills the summary's width; the core draws it on the painter.
    const int width = std::clamp(summary_->viewport()->width() - 24, 220, 520);
    const int height = std::max(300, width * 4 / 3);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        TPainterCanvas canvas(painter);
        DrawCircuitPicture(canvas, editor_.CircuitLacing(), width, height);
    }
    summary_->document()->addResource(QTextDocument::ImageResource, QUrl(QString(kDrawnCircuitPicture)),
                                      QVariant(image));
}

TFmtEditWidget* TFatEditorDialog::focusedEdit() const
{
    auto* edit = qobject_cast<TFmtEditWidget*>(QApplication::focusWidget());
    return edit && edit->window() == this ? edit : nullptr;
}

void TFatEditorDialog::commitFocused()
{
    // A command acts on what the fields show: an entry under way counts as made.
    TFmtEditWidget* edit = focusedEdit();
    if (!edit || !edit->Field().Modified())
        return;
    edit->Commit();
    if (!edit->Field().Modified())
        edit->Field().Enter();
}

void TFatEditorDialog::SpinClick(TFatSpin spin, bool up)
{
    if (TFatEditor::SpinTakesFocus(spin))
        spinFields_[at(spin)]->setFocus(Qt::OtherFocusReason);
    commitFocused();
    editor_.Spin(spin, up);
    showAll();
    if (TFmtEditWidget* edit = focusedEdit(); edit == spinFields_[at(spin)]) {
        edit->Field().Enter();
        edit->selectAll();
    }
}

void TFatEditorDialog::AutoSizeClick(TAutoSize mode)
{
    commitFocused();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    editor_.AutoSizeClick(mode);
    QApplication::restoreOverrideCursor();
    showAll();
}

void TFatEditorDialog::TubeSizeClick()
{
    commitFocused();
    editor_.TubeSizeClick([this](TCoilMaker&) { return CoilMakerDialog()->ShowModal(); });
    // Back from the coil maker, the editor is the active window again.
    activate();
}

void TFatEditorDialog::SettingsClick()
{
    commitFocused();
    editor_.SettingsClick([this](TDesignSettings&) { DesignSettingsDialog()->ShowModal(); });
    activate();
}

void TFatEditorDialog::HelpClick()
{
    const QString file = QtText(editor_.HelpPage());
    if (!QFileInfo::exists(file)) {
        QMessageBox::information(this, tr(kFatEditorTitle),
                                 tr("The help page is not installed:\n%1").arg(file));
        return;
    }
    const std::filesystem::path page = file.toStdString();
    ShowHelpPage(*this, page, std::filesystem::path(HelpFolder()) / "index.htm");
}

bool TFatEditorDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Up and Down in a field with spin arrows step it as the arrows do.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            for (std::size_t i = 0; i < spinFields_.size(); ++i)
                if (spinFields_[i] == watched) {
                    SpinClick(static_cast<TFatSpin>(i), key == Qt::Key_Up);
                    return true;
                }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFatEditorDialog::done(int result)
{
    TFmtEditWidget* focused = focusedEdit();
    if (result == QDialog::Accepted) {
        if (focused)
            focused->Commit();
        editor_.Accept();
    } else {
        // The entry under way is dropped with the rest.
        if (focused && focused->Field().Modified()) {
            focused->Field().KeyPress(kKeyEscape);
            focused->ShowField();
        }
        editor_.Cancel();
    }
    showAll();
    const TWindowPlace place = PlaceOf(*this);
    editor_.Close(&place);
    QDialog::done(result);
}

} // namespace zmk::gui
