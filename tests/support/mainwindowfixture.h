// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MAINWINDOWFIXTURE_H
#define MAINWINDOWFIXTURE_H

#include "app/settings.h"
#include "devicemonitor/devicemonitor.h"
#include "namedchild.h"
#include "relaybus.h"
#include "testtimeouts.h"
#include "ui/mainwindow.h"
#include "ui/settingsfiles/settingsfileactions.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QtTest>

// The main window as the window tests drive it: opened as the program opens its own, connected
// and scanned through its toolbar, and closed after each test. Only for tests that link korvel-ui.

// Once per test program, before the first window: the program's resources and English texts.
inline void useProgramInEnglish()
{
    Q_INIT_RESOURCE(resources);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

// Starts the simulator with its measurements held still, so that what a window reads twice
// agrees; false with the reason in `error` when it cannot start.
inline bool startStillBus(RelayBus &bus, QString *error)
{
    if (!bus.start(error))
        return false;
    bus.setMeasurementsLive(false);
    return true;
}

// The connection settings in the current folder name the simulator's pseudo-terminal.
inline void saveConnectionTo(const RelayBus &bus)
{
    ConnectionSettings settings;
    settings.portName = bus.portPath();
    saveConnectionSettings(settings);
}

// A main window shown, deleted when it closes.
inline MainWindow *openMainWindow()
{
    auto *window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

// Connects to the saved line and scans `range` as a user does; returns when the scan has ended.
inline void connectAndScan(MainWindow *window, const QString &range)
{
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    child<QAction>(window, "actionConnect")->trigger();
    child<QLineEdit>(window, "scanRangeLineEdit")->setText(range);
    child<QAbstractButton>(window, "scanButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(monitor->state() != DeviceMonitor::Scanning, PassWaitMs);
}

inline SettingsFileActions *settingsFileActions(MainWindow *window)
{
    return child<SettingsFileActions>(window, "settingsFileActions");
}

// After each test: a window a failed test left open must not go on talking on the line.
inline void closeMainWindows()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<MainWindow *>(widget))
            widget->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

#endif // MAINWINDOWFIXTURE_H
