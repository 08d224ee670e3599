#include "gui/Program.h"

#include "dialogs/MainWindowModel.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Paths.h"
#include "base/Version.h"
#include "geometry/CoilMakers.h"
#include "gui/CoilCommands.h"
#include "gui/ConfirmChangeDialog.h"
#include "gui/FluidDialogCommands.h"
#include "gui/MainWindow.h"
#include "gui/MessageNotifier.h"
#include "gui/OutputCommands.h"
#include "gui/PrintPdf.h"
#include "gui/ScreenFit.h"
#include "gui/WebHtmlView.h"
#include "platform/IniFileMerger.h"
#include "platform/ReportFolder.h"
#include "platform/SettingsStore.h"
#include "units/ConvTools.h"

#include <QApplication>
#include <QBuffer>
#include <QMessageBox>
#include <QTimer>

#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <string_view>

namespace zmk::gui {

namespace {

// The toolkit's own command-line options, which it takes out of the arguments once the
// application object is made (the options of every platform, given with one dash or two):
// those that take a value, then those that do not.
constexpr std::string_view kToolkitValueOptions =
    " platform platformpluginpath platformtheme plugin qwindowgeometry qwindowicon qwindowtitle session"
    " display geometry style stylesheet name title visual ncols fn font bg background fg foreground btn"
    " button im inputstyle qmljsdebugger ";
constexpr std::string_view kToolkitFlagOptions = " reverse widgetcount nograb dograb sync cmap ";

// Whether a blank-separated list names an option.
bool listed(std::string_view list, std::string_view name)
{
    return !name.empty() && name.find(' ') == std::string_view::npos &&
           list.find(" " + std::string(name) + " ") != std::string_view::npos;
}

// How many arguments a toolkit option at `a` takes up (itself and its value), or 0 when it is
// none of them.
std::size_t toolkitOption(const std::string& a)
{
    if (a.size() < 2 || a[0] != '-')
        return 0;
    std::string_view name(a);
    name.remove_prefix(name.rfind("--", 0) == 0 ? 2 : 1);
    const std::size_t equals = name.find('=');
    const std::string_view bare = name.substr(0, equals);
    if (listed(kToolkitValueOptions, bare))
        return equals == std::string_view::npos ? 2 : 1;
    if (listed(kToolkitFlagOptions, name))
        return 1;
    return 0;
}

} // namespace

TProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments)
{
    TProgramOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (optionsEnded || a.empty() || a[0] != '-') {
            options.Arguments.push_back(a);
        } else if (a == "--") {
            // Kept, so that the project's path is read past it the same way.
            optionsEnded = true;
            options.Arguments.push_back(a);
        } else if (a == "--version") {
            options.Version = true;
        } else if (a == "--help" || a == "-h") {
            options.Help = true;
        } else if (a == "--screenshot") {
            if (i + 1 >= arguments.size())
                options.Error = "--screenshot needs a file name";
            else
                options.Screenshot = arguments[++i];
        } else if (a.rfind("--screenshot=", 0) == 0) {
            options.Screenshot = a.substr(13);
        } else if (a == "--print-pdf") {
            if (i + 2 >= arguments.size()) {
                options.Error = "--print-pdf needs a page and a PDF file name";
            } else {
                options.PrintPage = arguments[++i];
                options.PrintPdf = arguments[++i];
            }
        } else if (const std::size_t taken = toolkitOption(a)) {
            i += taken - 1;
        } else if (options.Error.empty()) {
            options.Error =
                "unknown option '" + a + "' (a project whose name starts with '-' goes after '--')";
        }
    }
    return options;
}

std::string ProgramUsage()
{
    return "Usage: zmk [FILE.zmx]\n"
           "Opens the coil rating window, with the project FILE when one is given.\n"
           "  --print-pdf PAGE OUT.pdf   print a report page into a PDF file, without a window\n"
           "  --version   print the program's name and version\n"
           "  --help      print this text\n"
           "  --          ends the options (for a FILE whose name starts with '-')\n"
           "Any other argument starting with '-' is refused, except the toolkit's own options\n"
           "(-platform NAME, -style NAME, -display HOST:SCREEN and the like).\n";
}

namespace {

// The test option: once the first job is built, solve it, wait for the page and its profile,
// write a picture of the whole window and close without asking.
class TScreenshotTaker : public QObject
{
public:
    TScreenshotTaker(TMainForm& window, QString file)
        : QObject(&window), window_(window), file_(std::move(file))
    {
        window_.AskBeforeClosing = false;
        timer_.setInterval(100);
        connect(&timer_, &QTimer::timeout, this, [this] { step(); });
        timer_.start();
    }

private:
    void step()
    {
        // Give up after a minute rather than hang a test run.
        if (++ticks_ > 600) {
            std::cerr << "zmk: the page did not load in time for the screenshot\n";
            timer_.stop();
            QCoreApplication::exit(1);
            return;
        }
        if (!solved_) {
            if (!window_.Model().Activated() || window_.View()->Busy())
                return;
            solved_ = true;
            window_.RunCommand(TMainCommand::Solve);
            return;
        }
        if (window_.View()->Busy())
            return;
        // The profile went in by script: give the engine a moment to paint it.
        if (++settled_ < 15)
            return;
        timer_.stop();
        QByteArray png;
        QBuffer buffer(&png);
        std::string error = "cannot write " + file_.toStdString();
        if (!buffer.open(QBuffer::WriteOnly) || !window_.grab().save(&buffer, "PNG") ||
            !TryWriteFileAtomically(file_.toStdString(),
                                    std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
                                    &error)) {
            std::cerr << "zmk: " << error << "\n";
            QCoreApplication::exit(1);
            return;
        }
        window_.close();
    }

    TMainForm& window_;
    QString file_;
    QTimer timer_;
    int ticks_ = 0;
    int settled_ = 0;
    bool solved_ = false;
};

std::vector<std::string> argumentsOf(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

} // namespace

int RunProgram(int argc, char** argv)
{
    // --version and --help need no display.
    const TProgramOptions early = ParseProgramOptions(argumentsOf(argc, argv));
    if (!early.Error.empty()) {
        std::cerr << "zmk: " << early.Error << "\n" << ProgramUsage();
        return 2;
    }
    if (early.Version) {
        std::cout << ProgramCaption() << "\n";
        return 0;
    }
    if (early.Help) {
        std::cout << ProgramUsage();
        return 0;
    }
    if (!early.PrintPdf.empty()) {
        PreparePrintPdfEnvironment();
        QApplication printer(argc, argv);
        return PrintPageToPdf(QString::fromStdString(early.PrintPage),
                              QString::fromStdString(early.PrintPdf));
    }
    // The web engine's sandbox cannot run as root.
    if (::geteuid() == 0)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZMK"));
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QString::fromLatin1(kFileVersion));
    QApplication::setDesktopFileName(QStringLiteral("zmk"));
    // Qt has taken its own options out of argv by now.
    const TProgramOptions options = ParseProgramOptions(argumentsOf(argc, argv));

    TFolders folders;
    try {
        folders = ComputeFolders();
    } catch (const ZmkError& e) {
        QMessageBox::critical(nullptr, QString::fromStdString(ProgramCaption()),
                              QString::fromStdString(e.what()));
        return 1;
    }
    std::vector<std::string> unread = MergeInstalledData(
        ProgramIniFile(), [](const TMergeQuestion& q) { return TConfirmChangeDialog::Ask(q); });
    const std::string unitsUnread = LoadUnitSettings(Quantities(), UnitsIniPath());

    TSettingsStores stores;
    for (const std::string& problem : stores.ReadProblems())
        unread.push_back(problem);
    if (!unitsUnread.empty())
        unread.push_back(unitsUnread);
    TMessageNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    TSessionSetup setup;
    setup.Notifier = &notifier;
    setup.Store = &stores.Program();
    setup.DataFolder = folders.DataFolder;
    setup.ProgramFolder = folders.ProgramFolder;
    setup.ReportFolder =
        ChooseReportFolder(folders.ReportFolder, DataHomeFolder() / "Quorvane" / "ZMK" / "Report" / "");
    setup.Caption = ProgramCaption();
    if (setup.ReportFolder.empty()) {
        QMessageBox::critical(nullptr, QString::fromStdString(ProgramCaption()),
                              QStringLiteral("No folder to write the result pages in: %1 cannot be written.")
                                  .arg(QString::fromStdString(folders.ReportFolder)));
        return 1;
    }
    TProjectSession session(setup);
    TMainWindowModel model(session);
    // A units file that could not be read is left as it is, not written at exit.
    if (unitsUnread.empty())
        model.UnitsFile = UnitsIniPath();
    int status = 0;
    {
        TMainForm window(model, folders);
        PlugCoilDialogs(window, folders);
        notifier.SetParent(&window);
        notifier.OnStatus = [&window](const std::string&) { window.ShowStatus(); };
        PlugOutputWindows(window, {folders, &stores.Common(), &stores.Program(), ReadRegisteredUser(),
                                   ReadMakerContact(stores.Software()).email, DefaultMailAddress()});
        PlugFluidDialogs(window, folders, stores.Common());
        FitWindowsOnScreen();
        window.Start(options.Arguments);
        if (!options.Screenshot.empty())
            new TScreenshotTaker(window, QString::fromStdString(options.Screenshot));
        window.show();
        if (!unread.empty())
            notifier.Message(UnreadSettingsMessage(unread));
        status = app.exec();
        notifier.OnStatus = nullptr;
        notifier.SetParent(nullptr);
    }
    ProcessCoilMakers().SetNotifier(nullptr);
    return status;
}

} // namespace zmk::gui
