// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/trafficmodel.h"
#include "namedchild.h"
#include "relaybus.h"
#include "settingsfolder.h"
#include "ui/diagnostics/trafficdockwidget.h"
#include "ui/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTableView>
#include <QtTest>

#include <optional>

// The traffic view in the main window and on its own, against relays 1 and 2
// on a simulated line.
class TrafficDockTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void hiddenUntilChosenAndRemembered();
    void showsTheScanFilteredPausedAndSaved();

private:
    QScopedPointer<RelayBus> m_bus;
    std::optional<SettingsFolder> m_folder;
};

void TrafficDockTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    m_bus.reset(new RelayBus({ 1, 2 }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
}

void TrafficDockTest::init()
{
    m_folder.emplace();
    QVERIFY(m_folder->isEntered());
}

void TrafficDockTest::cleanup()
{
    m_folder.reset();
}

void TrafficDockTest::hiddenUntilChosenAndRemembered()
{
    for (bool shown : { false, true, false }) {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *dock = child<QDockWidget>(&window, "trafficDockWidget");
        auto *action = child<QAction>(&window, "actionTraffic");
        auto *menu = child<QMenu>(&window, "menuView");
        QVERIFY(menu->actions().contains(action));
        QCOMPARE(action->text(), QStringLiteral("Traffic"));
        QCOMPARE(dock->isVisible(), shown);
        QCOMPARE(action->isChecked(), shown);
        for (const char *name : { "trafficTableView", "pauseTrafficButton", "clearTrafficButton",
                 "saveTrafficButton", "slaveFilterComboBox" })
            QVERIFY2(dock->findChild<QWidget *>(QLatin1String(name)), name);

        // What the user picks is what the next start shows; closing the
        // window, which hides the dock with it, changes nothing.
        if (shown)
            dock->close(); // its own close button
        else
            action->trigger();
        QCOMPARE(dock->isVisible(), !shown);
        window.close();
        QCOMPARE(
            QSettings("settings.ini", QSettings::IniFormat).value("ui/traffic_visible").toBool(),
            !shown);
    }
}

void TrafficDockTest::showsTheScanFilteredPausedAndSaved()
{
    DeviceMonitor monitor;
    monitor.setAutoRefreshEnabled(false);
    monitor.setDeviceSettings({ 0, 50 });
    TrafficDockWidget dock;
    dock.setDeviceMonitor(&monitor);
    dock.show();
    auto *table = child<QTableView>(&dock, "trafficTableView");
    auto *filter = child<QComboBox>(&dock, "slaveFilterComboBox");
    auto *pause = child<QAbstractButton>(&dock, "pauseTrafficButton");
    auto *clear = child<QAbstractButton>(&dock, "clearTrafficButton");
    auto *health = child<QPlainTextEdit>(&dock, "healthTextEdit");

    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    QVERIFY(monitor.connectToPort(settings));
    QSignalSpy progress(&monitor, &DeviceMonitor::scanProgress);
    monitor.scan(1, 4);
    QVERIFY(QTest::qWaitFor([&] { return table->model()->rowCount() == 4; }, 20000));
    monitor.stopRefresh();

    // One probe per slave ID, in order; 3 and 4 are not on the line.
    const QStringList results { "Success", "Success", "Timeout", "Timeout" };
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(table->model()->index(row, TrafficModel::SlaveColumn).data().toInt(), row + 1);
        QCOMPARE(table->model()->index(row, TrafficModel::ResultColumn).data().toString(),
            results.at(row));
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            return health->toPlainText().contains("Device 2: requests 1, answers 1, timeouts 0");
        },
        2000));
    QVERIFY(!health->toPlainText().contains("Device 3"));

    QCOMPARE(filter->count(), 5);
    filter->setCurrentIndex(filter->findData(3u));
    QCOMPARE(table->model()->rowCount(), 1);
    const QString path = m_folder->filePath("traffic.csv");
    QVERIFY(dock.saveCsv(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(1).contains(",3,3 Read holding registers,0,10,Timeout,"));

    // Paused, the probes of a second scan wait; they show once resumed.
    filter->setCurrentIndex(0);
    pause->click();
    monitor.scan(1, 2);
    QVERIFY(QTest::qWaitFor([&] { return dock.trafficModel()->pendingCount() >= 2; }, 20000));
    QTest::qWait(TrafficModel::BatchIntervalMs * 2);
    QCOMPARE(table->model()->rowCount(), 4);
    pause->click();
    QCOMPARE(table->model()->rowCount(), 6);
    clear->click();
    QCOMPARE(table->model()->rowCount(), 0);
}

QTEST_MAIN(TrafficDockTest)
#include "tst_trafficdock.moc"
