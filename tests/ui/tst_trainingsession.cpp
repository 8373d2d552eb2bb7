// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "namedchild.h"
#include "settingsfolder.h"
#include "testtimeouts.h"
#include "ui/indicators/baseindicator.h"
#include "ui/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QtTest>

// A training session as an instructor runs it: the simulator program serves
// the line, commands typed into its console make faults, and the window
// shows them as a user on a real line would meet them.
class TrainingSessionTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void silentRelayIsReportedAndComesBack();
    void tripShowsAsTheLatestCrash();

private:
    // Sends one console command; returns the simulator's answer line.
    QString command(const QString &line);
    void select(int deviceId);

    SettingsFolder m_folder;
    QProcess m_simulator;
    MainWindow *m_window = nullptr;
};

void TrainingSessionTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(m_folder.isEntered());

    const QString link = m_folder.filePath(QStringLiteral("relay-line"));
    m_simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_simulator.start(QStringLiteral(RELAYSIM_PROGRAM),
        { QStringLiteral("--ids"), QStringLiteral("1,2"), QStringLiteral("--crashes"),
            QStringLiteral("3"), QStringLiteral("--still"), QStringLiteral("--link"), link });
    QVERIFY(m_simulator.waitForStarted(StepWaitMs));
    QTRY_VERIFY_WITH_TIMEOUT(m_simulator.canReadLine(), StepWaitMs);
    QVERIFY(m_simulator.readLine().startsWith("/dev/"));

    ConnectionSettings connection;
    connection.portName = link;
    saveConnectionSettings(connection);
    // Long enough for a slow (sanitizer) build to answer in time.
    saveDeviceSettings({ 10, 200 });
    savePreferences({ QStringLiteral("1-2"), 100, true, true, int(Qt::TopToolBarArea) });

    m_window = new MainWindow;
    m_window->show();
    child<QAction>(m_window, "actionConnect")->trigger();
    child<QAbstractButton>(m_window, "scanButton")->click();
    auto *monitor = child<DeviceMonitor>(m_window, "deviceMonitor");
    QTRY_VERIFY_WITH_TIMEOUT(monitor->state() != DeviceMonitor::Scanning, PassWaitMs);
    QCOMPARE(monitor->deviceListModel()->rowCount(), 2);
}

void TrainingSessionTest::cleanupTestCase()
{
    delete m_window;
    if (m_simulator.state() == QProcess::Running) {
        m_simulator.write("quit\n");
        if (!m_simulator.waitForFinished(StepWaitMs))
            m_simulator.kill();
    }
}

QString TrainingSessionTest::command(const QString &line)
{
    m_simulator.write((line + QLatin1Char('\n')).toUtf8());
    QElapsedTimer elapsed;
    elapsed.start();
    while (!m_simulator.canReadLine() && !elapsed.hasExpired(StepWaitMs))
        QTest::qWait(10);
    return QString::fromUtf8(m_simulator.readLine()).trimmed();
}

void TrainingSessionTest::select(int deviceId)
{
    const DeviceListModel *devices
        = child<DeviceMonitor>(m_window, "deviceMonitor")->deviceListModel();
    child<QListView>(m_window, "deviceListView")
        ->setCurrentIndex(devices->index(devices->rowOfDevice(deviceId)));
}

void TrainingSessionTest::silentRelayIsReportedAndComesBack()
{
    select(2);
    auto *silent = child<QLabel>(m_window, "deviceAnswerLabel");
    QCOMPARE(command(QStringLiteral("off 2")), QStringLiteral("relay 2: off (was on)"));
    QTRY_VERIFY_WITH_TIMEOUT(!silent->isHidden(), PassWaitMs);
    QCOMPARE(silent->text(), QStringLiteral("Device 2 does not answer"));
    // The device list marks it too.
    const DeviceListModel *devices
        = child<DeviceMonitor>(m_window, "deviceMonitor")->deviceListModel();
    const QModelIndex relay2 = devices->index(devices->rowOfDevice(2));
    QTRY_VERIFY_WITH_TIMEOUT(devices->health(2).hasStoppedAnswering(), PassWaitMs);
    QCOMPARE(relay2.data(Qt::DecorationRole).value<QColor>(), QColor(Qt::red));

    QCOMPARE(command(QStringLiteral("on 2")), QStringLiteral("relay 2: on (was off)"));
    QTRY_COMPARE_WITH_TIMEOUT(silent->text(), QStringLiteral("Device 2 answers again"), PassWaitMs);
    QVERIFY(!devices->health(2).hasStoppedAnswering());
    QVERIFY(!relay2.data(Qt::DecorationRole).isValid());
}

void TrainingSessionTest::tripShowsAsTheLatestCrash()
{
    select(1);
    auto *count = child<BaseIndicator>(m_window, "crashCountNumberIndicator");
    auto *type = child<BaseIndicator>(m_window, "latestCrashTypeEnumIndicator");
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("3"), PassWaitMs);

    QVERIFY(command(QStringLiteral("trip 1 2 1500"))
                .startsWith(QStringLiteral("relay 1: tripped TO at 1500")));
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("4"), PassWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(type->text(), QStringLiteral("TO"), PassWaitMs);
    QVERIFY(command(QStringLiteral("trip 1 3 1.2"))
                .startsWith(QStringLiteral("relay 1: tripped ZNZ at 1.200 A")));
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("5"), PassWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(type->text(), QStringLiteral("ZNZ"), PassWaitMs);
}

QTEST_MAIN(TrainingSessionTest)
#include "tst_trainingsession.moc"
