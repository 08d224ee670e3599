// The main window as the program makes it, for the widget tests: in a scratch folder (settings,
// documents, the report folder with copies of the installed pictures), on an in-memory settings
// store, with messages recorded instead of shown in message boxes.
#pragma once

#include "support/ProjectTestSession.h"

#include "dialogs/MainWindowModel.h"
#include "base/Paths.h"
#include "base/Version.h"
#include "gui/FmtEditWidget.h"
#include "gui/MainWindow.h"
#include "gui/MessageNotifier.h"
#include "gui/WebHtmlView.h"
#include "platform/ReportFolder.h"
#include "units/ConvTools.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zmk::test {

namespace fs = std::filesystem;

/// How long the tests wait for the web engine, milliseconds.
inline constexpr int kPageWait = 30000;

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Quantities().ResetDefaults();
        EntryErrorFlag().Reset();
        fs::create_directories(folder / "docs");
        folders.ProgramFolder = programFolder().string() + "/";
        folders.DataFolder = (folder / "docs").string() + "/";
        folders.CommonDataFolder = CommonDataFolder();
        folders.ReportFolder = (folder / "report").string() + "/";
        folders.HelpFolder = folders.ProgramFolder + "Help/";
        folders.ImagesFolder = folders.HelpFolder + "Images/";
        CopyReportAssets(fs::path(ZMK_BUILD_PROGRAM_DIR) / "Report", folders.ReportFolder);
    }
    void TearDown() override
    {
        window.reset();
        model.reset();
        session.reset();
        Quantities().ResetDefaults();
    }

    /// The program folder the window uses: the build tree's, unless a test makes its own.
    virtual fs::path programFolder() const { return ZMK_BUILD_PROGRAM_DIR; }

    /// Makes the session, the model and the window, starts them with the arguments, shows the
    /// window and waits for the first build's page.
    void open(const std::vector<std::string>& arguments = {})
    {
        notifier.OnMessage = [this](const std::string& text) { messages.push_back(text); };
        TSessionSetup setup;
        setup.Notifier = &notifier;
        setup.Store = &store;
        setup.User = TRegisteredUser{"Ada Engineer", "Coil Works"};
        setup.DataFolder = folders.DataFolder;
        setup.ProgramFolder = folders.ProgramFolder;
        setup.ReportFolder = folders.ReportFolder;
        setup.Caption = ProgramCaption();
        session = std::make_unique<TProjectSession>(setup);
        model = std::make_unique<TMainWindowModel>(*session);
        window = std::make_unique<gui::TMainForm>(*model, folders);
        notifier.SetParent(window.get());
        notifier.OnStatus = [this](const std::string&) { window->ShowStatus(); };
        window->Start(arguments);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(QTest::qWaitFor([this] { return model->Activated(); }, kPageWait));
        ASSERT_TRUE(waitForPage());
    }

    /// Waits until the view has loaded its page and made the changes asked of it.
    bool waitForPage() const
    {
        return QTest::qWaitFor([this] { return !window->View()->Busy(); }, kPageWait);
    }

    /// The result of a script on the page shown.
    QVariant evaluate(const QString& script) const
    {
        QVariant result;
        bool done = false;
        window->View()->Evaluate(script, [&](const QVariant& r) {
            result = r;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kPageWait)) << script.toStdString();
        return result;
    }

    /// The text of the page shown, as the user reads it.
    QString pageText() const { return evaluate(QStringLiteral("document.body.innerText")).toString(); }

    gui::TFmtEditWidget& edit(TEntryField f) const { return *window->Edit(f); }

    /// Gives a field the focus as a click would, and waits until it has it.
    void focus(gui::TFmtEditWidget& e) const
    {
        e.setFocus(Qt::MouseFocusReason);
        EXPECT_TRUE(QTest::qWaitFor([&] { return e.hasFocus(); }, 2000));
    }

    /// Replaces a field's text by typing, as the user does after selecting it.
    void retype(gui::TFmtEditWidget& e, const QString& text) const
    {
        focus(e);
        e.selectAll();
        QTest::keyClick(&e, Qt::Key_Backspace);
        QTest::keyClicks(&e, text);
    }

    ShellTestFolder folder;
    CatalogueCopy catalogue{folder / "common"};
    TFolders folders;
    TMemorySettingsStore store;
    gui::TMessageNotifier notifier;
    std::vector<std::string> messages;
    std::unique_ptr<TProjectSession> session;
    std::unique_ptr<TMainWindowModel> model;
    std::unique_ptr<gui::TMainForm> window;
};

} // namespace zmk::test
