#include "gui/ScreenFit.h"

#include "dialogs/WindowFit.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace zmk::gui {

namespace {

// What a desktop's frame usually takes before the window is shown: the sides and a title bar.
constexpr int kFrameWidthGuess = 8;
constexpr int kFrameHeightGuess = 36;

constexpr const char* kFitterInstalled = "zmkScreenFitter";

// Watches the application's windows as they are shown.
class TScreenFitter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            const Qt::WindowType type = w->windowType();
            if (w->isWindow() && (type == Qt::Window || type == Qt::Dialog) && !w->isMaximized() &&
                !w->isFullScreen())
                FitOnScreen(*w);
        }
        return false;
    }
};

} // namespace

void FitWindowsOnScreen()
{
    if (qApp && !qApp->property(kFitterInstalled).toBool()) {
        qApp->installEventFilter(new TScreenFitter(qApp));
        qApp->setProperty(kFitterInstalled, true);
    }
}

void FitOnScreen(QWidget& window)
{
    QScreen* screen = window.screen();
    if (window.parentWidget() && window.parentWidget()->window()->screen())
        screen = window.parentWidget()->window()->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect a = screen->availableGeometry();
    int fw = kFrameWidthGuess, fh = kFrameHeightGuess;
    if (window.isVisible()) {
        fw = window.frameGeometry().width() - window.width();
        fh = window.frameGeometry().height() - window.height();
    }
    const TWindowPlace place = FitWithin({window.x(), window.y(), window.width(), window.height(), false, 0},
                                         {a.x(), a.y(), a.width(), a.height(), false, 0}, fw, fh);
    // The layout's own minimum must give way too, or the window stays taller than the screen.
    if (window.minimumHeight() > place.Height)
        window.setMinimumHeight(place.Height);
    if (window.minimumWidth() > place.Width)
        window.setMinimumWidth(place.Width);
    window.resize(place.Width, place.Height);
    window.move(place.Left, place.Top);
}

} // namespace zmk::gui
