// SPDX-License-Identifier: GPL-3.0-or-later
#include "damagedsettings.h"
#include "settingsfolder.h"
#include "ui/windowgeometry.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <QtTest>

#include <optional>

namespace {

// The available area of all screens together.
QRect desktopArea()
{
    QRect desktop;
    for (const QScreen *screen : QGuiApplication::screens())
        desktop |= screen->availableGeometry();
    return desktop;
}

} // namespace

// The main window's place and size, kept in settings.ini beside the program's other settings.
// Every case runs in a fresh working directory, where the program looks for its settings.ini.
class WindowGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void nothingSavedLeavesTheWindowAsItIs();
    void damagedFileKeepsTheWindowOnTheDesktop_data();
    void damagedFileKeepsTheWindowOnTheDesktop();
    void maximizedWindowKeepsNormalGeometry();
    void windowStaysOnTheDesktop();

private:
    std::optional<SettingsFolder> m_folder;
};

void WindowGeometryTest::init()
{
    m_folder.emplace();
    QVERIFY(m_folder->isEntered());
}

void WindowGeometryTest::cleanup()
{
    m_folder.reset();
}

void WindowGeometryTest::nothingSavedLeavesTheWindowAsItIs()
{
    QWidget window;
    window.resize(321, 123);
    window.move(11, 22);
    restoreWindowGeometry(&window);
    QCOMPARE(window.size(), QSize(321, 123));
    QCOMPARE(window.pos(), QPoint(11, 22));
    QVERIFY(!(window.windowState() & Qt::WindowMaximized));
    QVERIFY2(!QFile::exists(QStringLiteral("settings.ini")), "restoring must not create the file");
}

void WindowGeometryTest::damagedFileKeepsTheWindowOnTheDesktop_data()
{
    addDamagedSettingsRows();
}

// Whatever the file holds, the window's title bar can be grabbed and the window fits the desktop.
void WindowGeometryTest::damagedFileKeepsTheWindowOnTheDesktop()
{
    QFETCH(QByteArray, contents);
    writeSettingsFile(contents);
    const QRect desktop = desktopArea();
    QVERIFY(!desktop.isEmpty());

    QWidget window;
    restoreWindowGeometry(&window);
    QVERIFY2(desktop.contains(window.pos() + QPoint(50, 15)),
        qPrintable(QStringLiteral("%1,%2").arg(window.x()).arg(window.y())));
    QVERIFY(window.width() <= desktop.width() && window.height() <= desktop.height());
}

void WindowGeometryTest::maximizedWindowKeepsNormalGeometry()
{
    {
        QWidget window;
        window.setGeometry(40, 50, 300, 200);
        saveWindowGeometry(&window);
    }
    QSettings before(QStringLiteral("settings.ini"), QSettings::IniFormat);
    const QVariant position = before.value(QStringLiteral("ui/window_position"));
    const QVariant size = before.value(QStringLiteral("ui/window_size"));
    QCOMPARE(size.toSize(), QSize(300, 200));
    QCOMPARE(before.value(QStringLiteral("ui/window_maximized")).toBool(), false);

    {
        QWidget window;
        window.setGeometry(0, 0, 1000, 900);
        window.setWindowState(Qt::WindowMaximized);
        window.show();
        QVERIFY(window.isMaximized());
        saveWindowGeometry(&window);
    }
    QSettings after(QStringLiteral("settings.ini"), QSettings::IniFormat);
    QCOMPARE(after.value(QStringLiteral("ui/window_maximized")).toBool(), true);
    QCOMPARE(after.value(QStringLiteral("ui/window_position")), position);
    QCOMPARE(after.value(QStringLiteral("ui/window_size")), size);

    QWidget restored;
    restoreWindowGeometry(&restored);
    QCOMPARE(restored.size(), QSize(300, 200));
    QCOMPARE(restored.pos(), position.toPoint());
    QVERIFY(restored.windowState() & Qt::WindowMaximized);
}

// A position no screen shows is not applied, a size beyond the desktop is cut to it.
void WindowGeometryTest::windowStaysOnTheDesktop()
{
    const QRect desktop = desktopArea();
    QVERIFY(!desktop.isEmpty());

    writeSettingsFile("[ui]\nwindow_position=@Point(-2147483648 2147483647)\n"
                      "window_size=@Size(16777215 16777215)\n");
    QWidget lost;
    lost.move(desktop.topLeft() + QPoint(10, 20));
    restoreWindowGeometry(&lost);
    QCOMPARE(lost.pos(), desktop.topLeft() + QPoint(10, 20));
    // Cut down to the screen with room for the frame's title bar.
    QVERIFY(lost.width() <= desktop.width() && lost.height() < desktop.height());
    QVERIFY(lost.width() > desktop.width() / 2 && lost.height() > desktop.height() / 2);

    // A window that runs past the bottom right comes back inside whole.
    writeSettingsFile(
        QStringLiteral("[ui]\nwindow_position=@Point(%1 %2)\nwindow_size=@Size(%3 %4)\n")
            .arg(desktop.left() + desktop.width() * 3 / 4)
            .arg(desktop.top() + desktop.height() * 3 / 4)
            .arg(desktop.width() / 2)
            .arg(desktop.height() / 2)
            .toLatin1());
    QWidget overhanging;
    restoreWindowGeometry(&overhanging);
    QCOMPARE(overhanging.size(), QSize(desktop.width() / 2, desktop.height() / 2));
    QVERIFY2(desktop.contains(overhanging.geometry()),
        qPrintable(QStringLiteral("%1,%2").arg(overhanging.x()).arg(overhanging.y())));

    // A frame may stick out a little past the desktop's corner.
    const QPoint corner = desktop.topLeft() - QPoint(7, 0);
    writeSettingsFile(QStringLiteral("[ui]\nwindow_position=@Point(%1 %2)\n")
                          .arg(corner.x())
                          .arg(corner.y())
                          .toLatin1());
    QWidget cornered;
    restoreWindowGeometry(&cornered);
    QCOMPARE(cornered.pos(), corner);

    // A title bar below the bottom edge cannot be grabbed, though the frame's
    // corner is on the desktop.
    const QPoint sunk = QPoint(desktop.left() + 10, desktop.bottom() - 5);
    writeSettingsFile(QStringLiteral("[ui]\nwindow_position=@Point(%1 %2)\n")
                          .arg(sunk.x())
                          .arg(sunk.y())
                          .toLatin1());
    QWidget unreachable;
    unreachable.move(desktop.topLeft() + QPoint(30, 40));
    restoreWindowGeometry(&unreachable);
    QCOMPARE(unreachable.pos(), desktop.topLeft() + QPoint(30, 40));
}

QTEST_MAIN(WindowGeometryTest)
#include "tst_windowgeometry.moc"
