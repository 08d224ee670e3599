#include "gui/DesignSettingsDialog.h"

#include "base/Paths.h"
#include "gui/CoilDialogParts.h"
#include "gui/FmtEditWidget.h"
#include "gui/PageWindow.h"
#include "gui/UnitsDialog.h"
#include "gui/WindowPlace.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zmk::gui {

namespace {

// A page of fields: label, field, unit (a clickable unit label, a plain text, or none).
class TFieldPage
{
public:
    explicit TFieldPage(QWidget* page) : grid_(new QGridLayout(page)) { grid_->setColumnStretch(1, 1); }

    void add(const QString& caption, TFmtEditWidget* edit, QWidget* unit)
    {
        auto* label = new QLabel(caption);
        label->setBuddy(edit);
        grid_->addWidget(label, row_, 0);
        grid_->addWidget(edit, row_, 1);
        if (unit)
            grid_->addWidget(unit, row_, 2);
        ++row_;
    }
    void finish() { grid_->setRowStretch(row_, 1); }

private:
    QGridLayout* grid_;
    int row_ = 0;
};

} // namespace

TDesignSettingsDialog::TDesignSettingsDialog(TDesignSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setObjectName("CoilSettingsForm");
    setWindowTitle(tr(kDesignSettingsTitle));
    setSizeGripEnabled(false);

    const auto edit = [this](zmk::TFmtEdit& field, const char* name) {
        auto* e = new TFmtEditWidget(field, this);
        e->setObjectName(QString::fromLatin1(name));
        connect(e, &TFmtEditWidget::exited, this, &TDesignSettingsDialog::showFields);
        edits_.push_back(e);
        return e;
    };
    const auto unit = [this](zmk::TFmtEditLabel& label) {
        label.Chooser = [this](const TUnitChooserRequest& request) { return ChooseUnit(request, this); };
        auto* l = new TFmtEditLabelWidget(label, this);
        connect(l, &TFmtEditLabelWidget::unitsChanged, this, &TDesignSettingsDialog::showFields);
        labels_.push_back(l);
        return l;
    };
    aspect_ = edit(settings_.edAspect, "edAspect");
    vf_ = edit(settings_.edDesignVf, "edDesignVf");
    airOn_ = edit(settings_.edAirOn, "edAirOn");
    fluidIn_ = edit(settings_.edFluidIn, "edFluidIn");
    rows_ = edit(settings_.edRows, "edRows");
    fins_ = edit(settings_.edFins, "edFins");

    pages_ = new QTabWidget(this);
    // All four page tabs in view: the dialog is as wide as they need.
    pages_->tabBar()->setUsesScrollButtons(false);
    auto* autoSize = new QWidget;
    TFieldPage a(autoSize);
    a.add(tr("&Aspect Ratio"), aspect_, new QLabel(QString::fromLatin1(kAspectUnitText)));
    a.add(tr("&Face Velocity"), vf_, unit(settings_.lbVfUnits));
    a.finish();
    pages_->addTab(autoSize, tr(kDesignSettingsPages[0]));

    auto* typical = new QWidget;
    TFieldPage t(typical);
    t.add(tr("Inlet Air &Temp"), airOn_, unit(settings_.lbAirOnUnits));
    t.add(tr("&Inlet Fluid Temp"), fluidIn_, unit(settings_.lbFluidInUnits));
    t.add(tr("&Rows Deep"), rows_, nullptr);
    t.add(tr("Fin &Density"), fins_, unit(settings_.lbFinsUnits));
    t.finish();
    pages_->addTab(typical, tr(kDesignSettingsPages[1]));

    auto* circuits = new QWidget;
    auto* c = new QVBoxLayout(circuits);
    auto* note = new QLabel(tr("How the tubes are circuited, and what the serpentine names mean."));
    note->setWordWrap(true);
    c->addWidget(note);
    moreInfo_ = new TLinkLabel(tr(kMoreInformationCaption), tr("Opens the notes on circuiting"), circuits);
    connect(static_cast<TLinkLabel*>(moreInfo_), &TLinkLabel::clicked, this,
            &TDesignSettingsDialog::MoreInformationClick);
    c->addWidget(moreInfo_);
    c->addStretch(1);
    pages_->addTab(circuits, tr(kDesignSettingsPages[2]));

    auto* factors = new QWidget;
    auto* f = new QVBoxLayout(factors);
    fouling_ = new QCheckBox(tr("Include &fouling factors"), factors);
    connect(fouling_, &QCheckBox::toggled, this, [this](bool on) { settings_.UseFouling = on; });
    f->addWidget(fouling_);
    foulingInDuty_ = new QCheckBox(tr("A&pply fouling to the duty"), factors);
    foulingInDuty_->setObjectName("FoulingInDuty");
    foulingInDuty_->setToolTip(tr("Rate the duty with the fouled Uo rather than the clean coefficients"));
    connect(foulingInDuty_, &QCheckBox::toggled, this, [this](bool on) { settings_.FoulingInDuty = on; });
    f->addWidget(foulingInDuty_);
    auto* airSideRow = new QHBoxLayout;
    auto* airSideLabel = new QLabel(tr("&Air-side method"), factors);
    airSide_ = new QComboBox(factors);
    airSide_->setObjectName("AirSideMethod");
    for (TAirSideMethod m : {TAirSideMethod::Standard, TAirSideMethod::Published})
        airSide_->addItem(QtText(AirSideMethodName(m)), static_cast<int>(m));
    airSide_->setToolTip(tr("Standard: the program's own air-side correlation. Published correlations: "
                            "Wang et al. for plain (2000), louvered and wavy (1999) fins, Schmidt fin "
                            "efficiency at the actual coefficient, effectiveness by the number of rows "
                            "(see Help, Accuracy)"));
    airSideLabel->setBuddy(airSide_);
    connect(airSide_, &QComboBox::currentIndexChanged, this, [this](int index) {
        settings_.AirSideMethod = static_cast<TAirSideMethod>(airSide_->itemData(index).toInt());
    });
    airSideRow->addWidget(airSideLabel);
    airSideRow->addWidget(airSide_, 1);
    f->addLayout(airSideRow);
    finSurface_ = new QLabel(factors);
    finSurface_->setObjectName("FinSurface");
    finSurface_->setWordWrap(true);
    f->addWidget(finSurface_);
    f->addStretch(1);
    pages_->addTab(factors, tr(kDesignSettingsPages[3]));

    restore_ = new TLinkLabel(tr(kRestoreDefaultsCaption), tr("The coil's own design values"), this);
    connect(static_cast<TLinkLabel*>(restore_), &TLinkLabel::clicked, this,
            &TDesignSettingsDialog::RestoreDefaultsClick);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(tr("&Close"), QDialogButtonBox::AcceptRole);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(restore_, 0, Qt::AlignRight);
    layout->addWidget(pages_, 1);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    setTabOrder(restore_, pages_);
    showFields();
}

void TDesignSettingsDialog::showFields()
{
    for (TFmtEditWidget* e : edits_)
        if (!e->hasFocus() || !e->Field().Modified())
            e->ShowField();
    for (TFmtEditLabelWidget* l : labels_)
        l->ShowLabel();
    const QSignalBlocker block(fouling_);
    fouling_->setChecked(settings_.UseFouling);
    const QSignalBlocker blockInDuty(foulingInDuty_);
    foulingInDuty_->setChecked(settings_.FoulingInDuty);
    const QSignalBlocker blockAirSide(airSide_);
    airSide_->setCurrentIndex(airSide_->findData(static_cast<int>(settings_.AirSideMethod)));
    finSurface_->setText(QtText(settings_.FinSurfaceText()));
}

void TDesignSettingsDialog::ShowModal()
{
    showFields();
    PlaceOnFirstShow(*this, placed_, [this](TWindowPlace& place, TScreenSize screen) {
        settings_.RestoreWindowPlace(place, screen);
        return false;
    });
    exec();
}

void TDesignSettingsDialog::RestoreDefaultsClick()
{
    settings_.RestoreDefaults();
    showFields();
}

void TDesignSettingsDialog::MoreInformationClick()
{
    const QString file = QtText(settings_.MoreInformationFile());
    if (!QFileInfo::exists(file)) {
        QMessageBox::information(this, windowTitle(),
                                 tr("The notes on circuiting are not installed:\n%1").arg(file));
        return;
    }
    const std::filesystem::path page = file.toStdString();
    ShowHelpPage(*this, page, std::filesystem::path(HelpFolder()) / "index.htm");
}

void TDesignSettingsDialog::done(int result)
{
    // A field still being edited counts as left: its rule holds the value in its limits.
    if (auto* focused = qobject_cast<TFmtEditWidget*>(QApplication::focusWidget());
        focused && focused->window() == this)
        focused->Commit();
    const TWindowPlace place = PlaceOf(*this);
    settings_.Close(&place);
    QDialog::done(result);
}

} // namespace zmk::gui
