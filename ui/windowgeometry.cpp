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

// Room for the frame the window system adds around the window: a title bar
// and thin borders. The frame is only known once the window is shown, and
// by then a window too large for the screen has already been placed.
const QMargins FrameAllowance(4, 32, 4, 4);

// The part of the screen that shows the window, or of the primary screen.
QRect availableArea(const QPoint &position)
{
    if (QScreen *screen = QGuiApplication::screenAt(position))
        return screen->availableGeometry();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return {};
}

// Moves a window that runs past the right or bottom edge back onto the
// screen, as far as its size allows; the top left corner is the one a user
// grabs, so it is never pushed past the screen's top or left edge.
void keepInside(QWidget *window, const QRect &area)
{
    const QRect inner = area.marginsRemoved(FrameAllowance);
    QPoint position = window->pos();
    position.setX(qMax(qMin(position.x(), inner.right() + 1 - window->width()), inner.left()));
    position.setY(qMax(qMin(position.y(), inner.bottom() + 1 - window->height()), inner.top()));
    if (position != window->pos())
        window->move(position);
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
    bool placed = false;
    if (settings.contains(QStringLiteral("ui/window_position"))) {
        const QPoint position = settings.value(QStringLiteral("ui/window_position")).toPoint();
        if (desktop.isEmpty() || isTitleBarReachable(position)) {
            window->move(position);
            placed = true;
        }
    }
    // The window, its frame included, must fit the screen it opens on: a
    // small laptop screen, or a smaller one than the last time.
    const QRect area = availableArea(placed ? window->pos() : QPoint());
    const QSize room = area.marginsRemoved(FrameAllowance).size();
    if (settings.contains(QStringLiteral("ui/window_size"))) {
        const QSize size = settings.value(QStringLiteral("ui/window_size")).toSize();
        window->resize(area.isEmpty() ? size : size.boundedTo(room));
        if (placed && !area.isEmpty())
            keepInside(window, area);
    } else if (window->sizeHint().isValid() && !area.isEmpty()) {
        // The first start: as large as the window's content asks for, as far
        // as the screen allows; the window system places it.
        window->resize(window->sizeHint().expandedTo(window->size()).boundedTo(room));
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
