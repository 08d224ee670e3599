// Small window details: the fluid shown is the fluid rated after a restart, relative humidity in
// "Metric" has its unit, the smallest window wraps its page instead of scrolling sideways, every
// menu item has its key, and project comments keep their lines in the report.
#include "gui/WindowTest.h"

#include "gui/OutputCommands.h"
#include "gui/ReportPreviewWindow.h"
#include "properties/Fluid.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <set>

namespace zmk::test {
namespace {

using F = TEntryField;
using C = TMainCommand;

class WindowMendsTest : public WindowTest
{
protected:
    // Closes the window as the user does (no question) and starts the program again on the same
    // settings.
    void restart()
    {
        window->AskBeforeClosing = false;
        ASSERT_TRUE(window->close());
        window.reset();
        model.reset();
        session.reset();
        open();
    }
};

TEST_F(WindowMendsTest, GlycolComesBackAsTheFluidShownAndRated)
{
    open();
    TCoilJob& job = model->Job();
    ASSERT_TRUE(job.SetLiquidKind(0));
    TLiquid& l = *job.Liquid();
    l.WaterAdditive = 1;
    l.AdditiveVolume = 0.4;
    l.Update();
    l.Caption = l.GetName();
    job.LiquidChanged();
    window->RunCommand(C::Solve);
    ASSERT_TRUE(waitForPage());

    restart();
    if (HasFatalFailure())
        return;
    const TLiquid& back = *model->Job().Liquid();
    EXPECT_EQ(back.WaterAdditive, 1);
    EXPECT_DOUBLE_EQ(back.AdditiveVolume, 0.4);
    EXPECT_DOUBLE_EQ(back.ro, MixtureRo(1, 0.4, back.t));
    EXPECT_EQ(back.Caption, back.GetName());
    auto* fluidType = window->findChild<gui::TFmtEditWidget*>("edFluidType");
    ASSERT_NE(fluidType, nullptr);
    EXPECT_EQ(fluidType->text(), "40% Eth-Glycol");
}

TEST_F(WindowMendsTest, MetricShowsRelativeHumidityInPercent)
{
    open();
    SetAllMetric();
    model->SetView(TReportView::PsyChart);
    ASSERT_TRUE(waitForPage());
    const QString page = pageText();
    const qsizetype at = page.indexOf(QStringLiteral("Rh"));
    ASSERT_GE(at, 0) << page.toStdString();
    const QString row = page.mid(at, page.indexOf('\n', at) - at);
    EXPECT_TRUE(row.contains('%')) << row.toStdString();
    EXPECT_FALSE(row.contains(QStringLiteral("E-"))) << row.toStdString();
}

TEST_F(WindowMendsTest, SmallestWindowWrapsThePageInsteadOfScrollingSideways)
{
    open();
    window->resize(window->minimumSize());
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->size() == window->minimumSize(); }, 5000));
    model->SetView(TReportView::ThermalSummary);
    session->RefreshView();
    ASSERT_TRUE(waitForPage());
    QTest::qWait(200); // the engine lays the page out at the new width
    const QVariant wide = evaluate(
        QStringLiteral("document.documentElement.scrollWidth > document.documentElement.clientWidth"));
    EXPECT_FALSE(wide.toBool()) << evaluate(QStringLiteral("document.documentElement.scrollWidth")).toInt()
                                << " > " << window->View()->width();
}

TEST_F(WindowMendsTest, EveryMenuItemHasItsOwnKeyAndAltFNOpensNew)
{
    open();
    for (QAction* top : window->menuBar()->actions()) {
        ASSERT_TRUE(top->menu());
        std::set<QChar> keys;
        for (QAction* item : top->menu()->actions()) {
            if (item->isSeparator())
                continue;
            const QString text = item->text();
            const qsizetype amp = text.indexOf('&');
            ASSERT_GE(amp, 0) << top->text().toStdString() << " > " << text.toStdString();
            ASSERT_LT(amp + 1, text.size());
            EXPECT_TRUE(keys.insert(text.at(amp + 1).toLower()).second)
                << top->text().toStdString() << " > " << text.toStdString();
        }
    }
    EXPECT_EQ(window->Action(C::New)->text(), "&New project");
    // Alt+F opens File, N runs New.
    QSignalSpy triggered(window->Action(C::New), &QAction::triggered);
    QMenu* file = window->menuBar()->actions().front()->menu();
    QTimer::singleShot(0, file, [file] {
        if (QTest::qWaitFor([file] { return file->isVisible(); }, 5000))
            QTest::keyClick(file, Qt::Key_N);
        else
            file->close();
    });
    QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return triggered.count() == 1; }, 5000));
}

TEST_F(WindowMendsTest, ProjectCommentsKeepTheirLinesInTheReport)
{
    open();
    gui::TOutputSetup setup;
    setup.Folders = folders;
    setup.Program = &store;
    gui::TOutputWindows* outputs = gui::PlugOutputWindows(*window, setup);
    session->Properties().SetCommentsText("first comment\r\nsecond comment");
    window->RunCommand(C::Solve);
    ASSERT_TRUE(waitForPage());
    window->RunCommand(C::PrintPreview);
    gui::TReportPreviewWindow* report = outputs->ReportPreview();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(report));
    QString text;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            bool done = false;
            report->View()->page()->runJavaScript(
                QStringLiteral("document.body ? document.body.innerText : ''"),
                QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
                    text = v.toString();
                    done = true;
                });
            (void)QTest::qWaitFor([&] { return done; }, 2000);
            return text.contains(QStringLiteral("second comment"));
        },
        kPageWait));
    EXPECT_TRUE(text.contains(QStringLiteral("first comment\nsecond comment"))) << text.toStdString();
    report->close();
}

} // namespace
} // namespace zmk::test
