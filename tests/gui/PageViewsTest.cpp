// The program's web pages under hostile content: a page's script does not run while the view's
// own operations on the page still work, the page's pictures and style sheets still load from
// its folder but nothing from the network, a frame of another file and a link to a web site stay
// out of the view (the link goes to the desktop), and the print preview writes its PDF files as
// every file of the program is written.
#include "gui/GuardedWebPage.h"
#include "gui/PrintPreviewWindow.h"
#include "gui/WebHtmlView.h"

#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QPdfDocument>
#include <QPrinter>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zmk::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using zmk::testing::TempDir;

constexpr int kWait = 30000;

void writeText(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::string readText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A TCP port on the loopback address that counts the connections made to it.
class Listener
{
public:
    Listener()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(fd_, 8) != 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            ADD_FAILURE() << "no loopback port";
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { ::close(fd_); }
    int Port() const { return port_; }
    int Connections()
    {
        for (int c; (c = ::accept(fd_, nullptr, nullptr)) >= 0;) {
            ::close(c);
            ++count_;
        }
        return count_;
    }

private:
    int fd_ = -1;
    int port_ = 0;
    int count_ = 0;
};

QVariant evaluate(gui::TWebHtmlView& view, const QString& script)
{
    QVariant result;
    bool done = false;
    view.Evaluate(script, [&](const QVariant& r) {
        result = r;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kWait)) << script.toStdString();
    return result;
}

// The middle of an element of the page, in the view's coordinates.
QPoint middleOf(gui::TWebHtmlView& view, const char* id)
{
    const QJsonObject box =
        QJsonDocument::fromJson(evaluate(view, QStringLiteral("JSON.stringify(document.getElementById('%1')"
                                                              ".getBoundingClientRect())")
                                                   .arg(QLatin1String(id)))
                                    .toString()
                                    .toUtf8())
            .object();
    return QPoint(static_cast<int>(box["x"].toDouble() + box["width"].toDouble() / 2),
                  static_cast<int>(box["y"].toDouble() + box["height"].toDouble() / 2));
}

TEST(PageViewsTest, PageScriptDoesNotRunYetTheViewStillChangesThePage)
{
    TempDir dir;
    const fs::path report = dir / "Report";
    fs::create_directories(report);
    const fs::path picture = fs::path(ZMK_BUILD_PROGRAM_DIR) / "Report" / "ga.png";
    fs::copy_file(picture, report / "pic.png");
    writeText(report / "style.css", "#status {color: rgb(1, 2, 3)}\n");
    writeText(dir / "secret.txt", "SECRET-CONTENT\n");
    writeText(report / "second.htm", "<html><body><p id=\"second\">Second page</p></body></html>");
    Listener web;
    const QString remote = QStringLiteral("http://127.0.0.1:%1/").arg(web.Port());
    writeText(report / "page.htm",
              "<html><head><title>Page</title><link rel=\"stylesheet\" href=\"style.css\">"
              "<link rel=\"stylesheet\" href=\"" +
                  remote.toStdString() +
                  "remote.css\"></head><body>"
                  "<script>document.title = 'script ran'; document.write('<p id=\"written\">x</p>');</script>"
                  "<div id=\"status\">Not solved</div>"
                  "<img id=\"pic\" src=\"pic.png\"><img id=\"remote\" src=\"" +
                  remote.toStdString() +
                  "x.png\">"
                  "<iframe id=\"frame\" src=\"file://" +
                  (dir / "secret.txt").string() +
                  "\"></iframe>"
                  "<p><a id=\"web\" href=\"https://example.com/news\">web</a> "
                  "<a id=\"own\" href=\"second.htm\">own</a></p></body></html>");

    gui::TWebHtmlView view;
    std::vector<QUrl> opened;
    view.GuardedPage()->OpenOutside = [&](const QUrl& url) { opened.push_back(url); };
    view.resize(700, 500);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.LoadFile(report / "page.htm");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.Busy(); }, kWait));

    // The page's script did nothing; the view's own scripts read the page.
    EXPECT_EQ(evaluate(view, "document.title").toString(), "Page");
    EXPECT_FALSE(evaluate(view, "document.getElementById('written') !== null").toBool());
    // Its style sheet and picture came from its folder.
    EXPECT_EQ(evaluate(view, "getComputedStyle(document.getElementById('status')).color").toString(),
              "rgb(1, 2, 3)");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return evaluate(view, "document.getElementById('pic').naturalWidth").toInt() > 0; }, kWait));
    // Nothing from the network, no frame of another folder's file.
    EXPECT_EQ(evaluate(view, "document.getElementById('remote').naturalWidth").toInt(), 0);
    QTest::qWait(300);
    EXPECT_EQ(web.Connections(), 0);
    EXPECT_THAT(view.GuardedPage()->Refused().join(' ').toStdString(), HasSubstr("secret.txt"));

    // The view's operations: hide an element, replace a picture.
    view.SetElementDisplay("status", false);
    const std::vector<std::uint8_t> png = [&] {
        std::ifstream in(picture, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    view.ReplaceImage("pic", png);
    EXPECT_EQ(evaluate(view, "getComputedStyle(document.getElementById('status')).display").toString(),
              "none");
    EXPECT_TRUE(evaluate(view, "document.getElementById('pic').src").toString().startsWith("data:image/png"));
    view.SetElementDisplay("status", true);
    EXPECT_EQ(evaluate(view, "getComputedStyle(document.getElementById('status')).display").toString(),
              "block");

    // A click on a link to a web site: the desktop opens it, the view keeps its page.
    QWidget* surface = view.focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseClick(surface, Qt::LeftButton, {}, middleOf(view, "web"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, kWait));
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://example.com/news")});
    QTest::qWait(300);
    EXPECT_TRUE(view.page()->url().isLocalFile());
    EXPECT_EQ(view.page()->url().fileName(), "page.htm");

    // A click on a link to a page of its own folder shows that page.
    QTest::mouseClick(surface, Qt::LeftButton, {}, middleOf(view, "own"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.DocumentFileName().filename() == "second.htm"; }, kWait));
    EXPECT_EQ(opened.size(), 1u);
}

std::string fileKind(const fs::path& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return "missing";
    if (S_ISLNK(st.st_mode))
        return "link";
    if (S_ISCHR(st.st_mode))
        return "character device";
    if (S_ISFIFO(st.st_mode))
        return "fifo";
    return S_ISREG(st.st_mode) ? "file" : "other";
}

TEST(PageViewsTest, PrintPreviewWritesPdfFilesAsEveryFileIsWritten)
{
    TempDir dir;
    writeText(dir / "page.htm", "<html><body><div style=\"page-break-after:always\">One</div>"
                                "<div>Two</div></body></html>");
    gui::TPrintPreviewWindow preview(nullptr);
    ASSERT_TRUE(preview.OpenDocument(QString::fromStdString((dir / "page.htm").string()), QString()))
        << preview.LastError().toStdString();
    ASSERT_EQ(preview.Model().PageCount(), 2);

    const fs::path device = dir / "null-device";
    const bool ownDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const fs::path deviceTarget = ownDevice ? device : fs::path("/dev/null");
    fs::create_symlink(deviceTarget, dir / "to-device.pdf");
    ASSERT_EQ(::mkfifo((dir / "pipe.pdf").c_str(), 0600), 0);
    fs::create_symlink(dir / "pipe.pdf", dir / "to-pipe.pdf");
    fs::create_symlink(dir / "loop-b.pdf", dir / "loop-a.pdf");
    fs::create_symlink(dir / "loop-a.pdf", dir / "loop-b.pdf");
    writeText(dir / "read-only.pdf", "keep me");
    fs::permissions(dir / "read-only.pdf",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // "Print to file" from the print dialog: a printer with a PDF file name.
    const struct
    {
        const char* target;
        const char* reason;
        fs::path checked;
        const char* kindAfter;
    } refused[] = {
        {"to-device.pdf", "it is a character device, not a regular file", deviceTarget, "character device"},
        {"pipe.pdf", "it is a named pipe (FIFO), not a regular file", dir / "pipe.pdf", "fifo"},
        {"to-pipe.pdf", "it is a named pipe (FIFO), not a regular file", dir / "pipe.pdf", "fifo"},
        {"loop-a.pdf", "Too many levels of symbolic links", dir / "loop-a.pdf", "link"},
        {"read-only.pdf", "it is read-only", dir / "read-only.pdf", "file"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.target);
        const fs::path target = dir / c.target;
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(target.string()));
        EXPECT_FALSE(preview.PrintPages(printer, {0, 1}));
        EXPECT_THAT(preview.LastError().toStdString(), HasSubstr(target.string() + "\": " + c.reason));
        EXPECT_EQ(fileKind(c.checked), c.kindAfter);
    }
    EXPECT_EQ(readText(dir / "read-only.pdf"), "keep me");

    // Through a link to a file: the file gets the engine's own two pages, the link stays.
    writeText(dir / "real.pdf", "old");
    fs::create_symlink("real.pdf", dir / "to-real.pdf");
    ASSERT_TRUE(preview.SavePdf(QString::fromStdString((dir / "to-real.pdf").string()), {0, 1}))
        << preview.LastError().toStdString();
    EXPECT_EQ(fileKind(dir / "to-real.pdf"), "link");
    QPdfDocument whole;
    whole.load(QString::fromStdString((dir / "real.pdf").string()));
    EXPECT_EQ(whole.pageCount(), 2);

    // The second page alone, on paper of the document's size.
    ASSERT_TRUE(preview.SavePdf(QString::fromStdString((dir / "second.pdf").string()), {1}));
    QPdfDocument part;
    part.load(QString::fromStdString((dir / "second.pdf").string()));
    ASSERT_EQ(part.pageCount(), 1);
    EXPECT_NEAR(part.pagePointSize(0).width(), whole.pagePointSize(1).width(), 1.0);
    EXPECT_NEAR(part.pagePointSize(0).height(), whole.pagePointSize(1).height(), 1.0);
}

} // namespace
} // namespace zmk::test
