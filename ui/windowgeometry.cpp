// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windowgeometry.h"
#include "app/settingsinifile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// The start of the title bar, enough to grab and move the window by, must
// lie within one screen's available area: the bounding box of several
// screens of different sizes has corners no screen shows. A frame may stick
// out a little past a screen's edge.
bool isTitleBarReachable(const QPoint &position)
{
    // The middle of the first 100 x 30 pixels, in 64 bits: a damaged file may
    // hold a position near INT_MAX.
    const qint64 x = qint64(position.x()) + 50;
    const qint64 y = qint64(position.y()) + 15;
    const QList<QScreen *> screens = QGuiApplication::screens();
    return std::any_of(screens.cbegin(), screens.cend(), [x, y](const QScreen *screen) {
        const QRect area = screen->availableGeometry();
        return area.left() <= x && x <= area.right() && area.top() <= y && y <= area.bottom();
    });
}

} // namespace

void restoreWindowGeometry(QWidget *window)
{
    SettingsIniFile file;
    QSettings &settings = file.settings();
    // A window placed where no screen shows it (a monitor unplugged since, or a
    // damaged file) would be lost to the user: the window system places it
    // instead. A size larger than the desktop is cut down to it.
    QRect desktop;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        desktop |= screen->availableGeometry();
    if (settings.contains(QStringLiteral("ui/window_position"))) {
        const QPoint position = settings.value(QStringLiteral("ui/window_position")).toPoint();
        if (desktop.isEmpty() || isTitleBarReachable(position))
            window->move(position);
    }
    if (settings.contains(QStringLiteral("ui/window_size"))) {
        const QSize size = settings.value(QStringLiteral("ui/window_size")).toSize();
        window->resize(desktop.isEmpty() ? size : size.boundedTo(desktop.size()));
    }
    if (file.readBool(QStringLiteral("ui/window_maximized"), false))
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void saveWindowGeometry(QWidget *window)
{
    SettingsIniFile file;
    QSettings &settings = file.settings();
    if (window->isMaximized()) {
        // Position and size keep the normal geometry written last time.
        settings.setValue(QStringLiteral("ui/window_maximized"), true);
        return;
    }
    settings.setValue(QStringLiteral("ui/window_maximized"), false);
    settings.setValue(QStringLiteral("ui/window_position"), window->pos());
    settings.setValue(QStringLiteral("ui/window_size"), window->size());
}
