// How long the window keeps its user waiting, measured on the real main window (offscreen by
// default): from the start of the program to the first page shown, and from Solve (F9) to the page
// updated with the new result. Not a test: it prints the figures.
//
//   zmk_window_bench [SOLVES]     (QT_QPA_PLATFORM=offscreen unless a platform is set)
//
// The window is made as the program makes it, on the build tree's program folder, with a scratch
// folder for the documents and the result pages, a settings store in memory, and messages
// recorded instead of shown. Each solve changes the entering air temperature first, so that the
// page has a new result to show.
#include "dialogs/MainWindowModel.h"
#include "app/ProjectSession.h"
#include "base/Paths.h"
#include "base/Version.h"
#include "geometry/CoilMakers.h"
#include "gui/MainWindow.h"
#include "gui/MessageNotifier.h"
#include "gui/WebHtmlView.h"
#include "platform/ReportFolder.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace zmk;

namespace {

constexpr int kWait = 60000; // ms

// Runs the event loop until the condition holds; false when the time is up first.
template <class Condition>
bool waitFor(Condition done, int ms = kWait)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    const int solves = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (::geteuid() == 0)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    char scratchName[] = "/tmp/zmk-window-bench-XXXXXX";
    const fs::path scratch = ::mkdtemp(scratchName);
    ::setenv("HOME", scratch.c_str(), 1);
    ::setenv("ZMK_CONFIG_DIR", (scratch / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const double appMs = sinceStart.nsecsElapsed() / 1e6;

    TFolders folders;
    folders.ProgramFolder = std::string(ZMK_BUILD_PROGRAM_DIR) + "/";
    fs::create_directories(scratch / "docs");
    folders.DataFolder = (scratch / "docs").string() + "/";
    folders.CommonDataFolder = CommonDataFolder();
    folders.ReportFolder = (scratch / "report").string() + "/";
    folders.HelpFolder = folders.ProgramFolder + "Help/";
    folders.ImagesFolder = folders.HelpFolder + "Images/";
    CopyReportAssets(fs::path(ZMK_BUILD_PROGRAM_DIR) / "Report", folders.ReportFolder);

    std::vector<std::string> messages;
    gui::TMessageNotifier notifier;
    notifier.OnMessage = [&messages](const std::string& text) { messages.push_back(text); };
    ProcessCoilMakers().SetNotifier(&notifier);
    TMemorySettingsStore store;
    TSessionSetup setup;
    setup.Notifier = &notifier;
    setup.Store = &store;
    setup.DataFolder = folders.DataFolder;
    setup.ProgramFolder = folders.ProgramFolder;
    setup.ReportFolder = folders.ReportFolder;
    setup.Caption = ProgramCaption();
    int status = 0;
    {
        TProjectSession session(setup);
        TMainWindowModel model(session);
        const double modelMs = sinceStart.nsecsElapsed() / 1e6;
        gui::TMainForm window(model, folders);
        notifier.SetParent(&window);
        window.Start({});
        window.show();
        window.activateWindow();
        gui::TWebHtmlView& view = *window.View();
        const double shownMs = sinceStart.nsecsElapsed() / 1e6;
        waitFor([&] { return model.Activated(); });
        const double solvedMs = sinceStart.nsecsElapsed() / 1e6;
        const bool first = waitFor([&] { return !view.Busy(); });
        const double firstMs = sinceStart.nsecsElapsed() / 1e6;

        std::vector<double> solveMs, solveCallMs;
        for (int i = 0; first && i < solves; ++i) {
            model.Job().SetInput(TEntryField::edOnCoil, 300 + (i % 2) * 20);
            QElapsedTimer t;
            t.start();
            model.ActionSolveExecute(nullptr);
            solveCallMs.push_back(t.nsecsElapsed() / 1e6);
            if (!waitFor([&] { return !view.Busy(); })) {
                std::fprintf(stderr, "the page did not come after solve %d\n", i + 1);
                status = 1;
                break;
            }
            solveMs.push_back(t.nsecsElapsed() / 1e6);
        }
        if (!first) {
            std::fprintf(stderr, "the first page did not come\n");
            status = 1;
        }
        std::printf("application made      %8.1f ms after start\n", appMs);
        std::printf("session and model     %8.1f ms after start\n", modelMs);
        std::printf("window shown          %8.1f ms after start (the web engine started)\n", shownMs);
        std::printf("first job solved      %8.1f ms after start (its page written, the engine asked)\n",
                    solvedMs);
        std::printf("first page shown      %8.1f ms after start\n", firstMs);
        if (!solveMs.empty())
            std::printf("solve to page         %8.1f ms median of %zu (min %.1f, max %.1f)\n", median(solveMs),
                        solveMs.size(), *std::min_element(solveMs.begin(), solveMs.end()),
                        *std::max_element(solveMs.begin(), solveMs.end()));
        if (!solveCallMs.empty())
            std::printf("  of which the solve  %8.1f ms median (the job solved, its page and pictures written)\n",
                        median(solveCallMs));
        for (const std::string& m : messages)
            std::fprintf(stderr, "message: %s\n", m.c_str());
        notifier.SetParent(nullptr);
    }
    ProcessCoilMakers().SetNotifier(nullptr);
    fs::remove_all(scratch);
    return status;
}
