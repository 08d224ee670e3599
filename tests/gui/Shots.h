// Pictures of windows for a person to look at: written only when ZMK_SHOTS names a folder (run
// the widget tests under a virtual X server for the desktop's fonts).
#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <utility>

namespace zmk::test {

/// Writes `name`.png of the window at its own size, then smaller and larger (restored afterwards).
inline void SaveShots(QWidget& w, const char* name)
{
    const char* folder = std::getenv("ZMK_SHOTS");
    if (!folder || !*folder)
        return;
    std::filesystem::create_directories(folder);
    const QString base = QString::fromLocal8Bit(folder) + "/" + QLatin1String(name);
    const QSize size = w.size();
    QTest::qWait(300);
    w.grab().save(base + ".png");
    for (const auto& [suffix, factor] : {std::pair{"small", 0.7}, std::pair{"large", 1.3}}) {
        w.resize((QSizeF(size) * factor).toSize());
        QTest::qWait(500);
        w.grab().save(base + "-" + suffix + ".png");
    }
    w.resize(size);
    QTest::qWait(100);
}

} // namespace zmk::test
