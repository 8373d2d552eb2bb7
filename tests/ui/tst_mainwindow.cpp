// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "deniedport.h"
#include "devicedata/datavalue.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/identitytext.h"
#include "devicedata/setpointsdata.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalmodel.h"
#include "mainwindowfixture.h"
#include "messageboxanswer.h"
#include "namedchild.h"
#include "referencecrc32.h"
#include "relaybus.h"
#include "settingsfolder.h"
#include "testtimeouts.h"
#include "ui/diagnostics/journaldialog.h"
#include "ui/dialogs/devicetimedialog.h"
#include "ui/indicators/baseindicator.h"
#include "ui/indicators/enumindicatoreditor.h"
#include "ui/indicators/numberindicatoreditor.h"
#include "ui/mainwindow.h"
#include "ui/panels/configurationwidget.h"
#include "ui/panels/setpointswidget.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

#include <QScopeGuard>

#include <optional>
#include <utility>

// The whole program in-process, driven through its window against relays 2, 3
// and 5 on a simulated line.
class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsDisconnectedWithDefaults();
    void failedConnectNamesTheReason();
    void deniedPortNamesTheGroup();
    void wholeSession();
    void failedWriteStaysEditable();
    void rangeWriteEndsSetpointEditing();
    void oneSetAtATime();
    void nothingOfThePreviousRelayRemains();
    void silentRelayIsReported();
    void refreshIsAlwaysReachable();
    void closingDuringActivity_data();
    void closingDuringActivity();
    void unwritableJournalAsksBeforeTheWrite();
    void damagedJournalIsSetAsideAndTold();
    void journalViewShowsTheWrite();
    void openJournalViewKeepsUpWithTheWrites();
    void fingerprintShownRightAfterSave();
    void fingerprintIsOfOnePass();

private:
    MainWindow *openWindow();
    void connectAndScan(MainWindow *window, const QString &range = QStringLiteral("1-5"));
    // A window on relay 3 with both settings tabs read and in edit mode, the Configuration tab in
    // view; null when a tab could not be read.
    MainWindow *editingBothSettingsTabs();
    QString statusText(MainWindow *window) const;
    // The permanent part of the status bar.
    QString connectionText(MainWindow *window) const;
    // Connected to relay 2 with auto-refresh off, the Configuration tab in view; its fingerprint.
    const QLabel *configurationFingerprint(MainWindow *window);

    QScopedPointer<RelayBus> m_bus;
    std::optional<SettingsFolder> m_folder;
};

void MainWindowTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    m_bus.reset(new RelayBus({ 2, 3, 5 }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
}

void MainWindowTest::init()
{
    m_folder.emplace();
    QVERIFY(m_folder->isEntered());
    m_bus->clearReceivedWrites();
    m_bus->setCrashCount(2, 3);
    for (int id : { 2, 3, 5 })
        m_bus->setRelayOnline(id, true);
}

void MainWindowTest::cleanup()
{
    closeMainWindows();
    m_folder.reset();
}

MainWindow *MainWindowTest::openWindow()
{
    auto *window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

QString MainWindowTest::statusText(MainWindow *window) const
{
    return window->statusBar()->currentMessage();
}

QString MainWindowTest::connectionText(MainWindow *window) const
{
    return child<QLabel>(window, "connectionStateLabel")->text();
}

void MainWindowTest::connectAndScan(MainWindow *window, const QString &range)
{
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    child<QAction>(window, "actionConnect")->trigger();
    QVERIFY(monitor->isConnected());
    child<QLineEdit>(window, "scanRangeLineEdit")->setText(range);
    auto *scanButton = child<QAbstractButton>(window, "scanButton");
    QVERIFY(scanButton->isEnabled());
    scanButton->click();
    QCOMPARE(monitor->state(), DeviceMonitor::Scanning);
    QTRY_VERIFY_WITH_TIMEOUT(monitor->state() != DeviceMonitor::Scanning, PassWaitMs);
}

MainWindow *MainWindowTest::editingBothSettingsTabs()
{
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    saveConnectionSettings(settings);
    MainWindow *window = openWindow();
    connectAndScan(window, QStringLiteral("3"));
    auto *tabs = child<QTabWidget>(window, "tabWidget");
    for (const char *name : { "setpointsWidget", "configurationWidget" }) {
        auto *tab = child<QWidget>(window, name);
        tabs->setCurrentWidget(tab);
        if (!QTest::qWaitFor(
                [tab] { return child<QAbstractButton>(tab, "editButton")->isEnabled(); },
                StepWaitMs))
            return nullptr;
    }
    for (const char *name : { "configurationWidget", "setpointsWidget" })
        child<QAbstractButton>(child<QWidget>(window, name), "editButton")->click();
    return window;
}

void MainWindowTest::startsDisconnectedWithDefaults()
{
    MainWindow *window = openWindow();
    QCOMPARE(child<QLineEdit>(window, "scanRangeLineEdit")->text(), QStringLiteral("1-3"));
    QVERIFY(child<QAction>(window, "actionAutoRefresh")->isChecked());
    QVERIFY(!child<QAction>(window, "actionAutoRefresh")->isEnabled());
    QVERIFY(child<QAction>(window, "actionConnect")->isEnabled());
    QVERIFY(child<QAction>(window, "actionConnectionSettings")->isEnabled());
    QVERIFY(!child<QAction>(window, "actionDisconnect")->isEnabled());
    QVERIFY(!child<QAbstractButton>(window, "scanButton")->isEnabled());
    QCOMPARE(connectionText(window), QStringLiteral("Disconnected"));

    // Only IDs 1..63 and ranges of them are accepted.
    auto *range = child<QLineEdit>(window, "scanRangeLineEdit");
    for (const char *text : { "64", "0", "1-64", "01", "1 -3" }) {
        range->setText(QString::fromLatin1(text));
        QVERIFY2(!range->hasAcceptableInput(), text);
    }
    for (const char *text : { "1", "63", "1-63", "7-3" }) {
        range->setText(QString::fromLatin1(text));
        QVERIFY2(range->hasAcceptableInput(), text);
    }
    window->close();
}

void MainWindowTest::failedConnectNamesTheReason()
{
    ConnectionSettings settings;
    settings.portName = QStringLiteral("/dev/korvel-missing-adapter");
    saveConnectionSettings(settings);
    MainWindow *window = openWindow();

    MessageBoxAnswer answer(QStringLiteral("OK"));
    child<QAction>(window, "actionConnect")->trigger();
    QVERIFY(answer.answered());
    QVERIFY2(answer.text().contains(QStringLiteral("\"/dev/korvel-missing-adapter\"")),
        qPrintable(answer.text()));
    QVERIFY2(answer.text().contains(QString::fromLocal8Bit(strerror(ENOENT))),
        qPrintable(answer.text()));
    QVERIFY(child<QAction>(window, "actionConnect")->isEnabled());
    QCOMPARE(connectionText(window), QStringLiteral("Disconnected"));
    window->close();
}

// A user outside "dialout" is told what to ask for, not just "Permission denied".
void MainWindowTest::deniedPortNamesTheGroup()
{
    DeniedPort port;
    ConnectionSettings settings;
    settings.portName = port.path();
    saveConnectionSettings(settings);
    MainWindow *window = openWindow();

    MessageBoxAnswer answer(QStringLiteral("OK"));
    {
        DeniedPort::Unprivileged unprivileged;
        if (!unprivileged.ok())
            QSKIP("Running as root without the right to act as another user");
        child<QAction>(window, "actionConnect")->trigger();
    }
    QVERIFY(answer.answered());
    QVERIFY2(answer.text().contains(QStringLiteral("\"%1\"").arg(port.path())),
        qPrintable(answer.text()));
    QVERIFY2(answer.text().contains(QStringLiteral("not allowed to use this port")),
        qPrintable(answer.text()));
    QVERIFY2(
        answer.text().contains(QStringLiteral("\"dialout\" group")), qPrintable(answer.text()));
    QCOMPARE(connectionText(window), QStringLiteral("Disconnected"));
    window->close();
}

void MainWindowTest::wholeSession()
{
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    saveConnectionSettings(settings); // as the connection dialog does on Save
    MainWindow *window = openWindow();
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");

    // Connect and scan: the relays are listed and the lowest is current.
    connectAndScan(window);
    QCOMPARE(connectionText(window), QStringLiteral("Connected (%1)").arg(m_bus->portPath()));
    QVERIFY(!child<QAction>(window, "actionConnect")->isEnabled());
    QVERIFY(child<QAction>(window, "actionDisconnect")->isEnabled());
    const DeviceListModel *devices = monitor->deviceListModel();
    QCOMPARE(devices->rowCount(), 3);
    QCOMPARE(devices->deviceIdAt(0), 2);
    QCOMPARE(devices->deviceIdAt(2), 5);
    QCOMPARE(monitor->currentDeviceId(), 2);
    QCOMPARE(child<QListView>(window, "deviceListView")->currentIndex().row(), 0);

    // Monitor tab: the relay's currents after the conversions.
    const double multiplier = 1 << (m_bus->holdingRegister(2, 25) - 1);
    const double phaseA
        = m_bus->holdingRegister(2, 16) * multiplier * m_bus->holdingRegister(2, 26) * 0.01;
    auto *phaseAIndicator = child<BaseIndicator>(window, "phaseACurrentIndicator");
    const QString expectedPhaseA = phaseA < 10000
        ? QStringLiteral("%L1 A").arg(phaseA, 0, 'f', 2)
        : QStringLiteral("%L1 kA").arg(phaseA / 1000, 0, 'f', 2);
    QTRY_COMPARE_WITH_TIMEOUT(phaseAIndicator->text(), expectedPhaseA, StepWaitMs);
    QTRY_COMPARE(
        child<BaseIndicator>(window, "crashCountNumberIndicator")->text(), QStringLiteral("3"));
    QVERIFY(!child<BaseIndicator>(window, "latestCrashTypeEnumIndicator")->text().isEmpty());

    // Configuration: Edit, change Kt, Set; the relay holds it and the panel
    // shows it after the next read.
    auto *tabs = child<QTabWidget>(window, "tabWidget");
    auto *configuration = child<ConfigurationWidget>(window, "configurationWidget");
    tabs->setCurrentWidget(configuration);
    auto *kt = child<NumberIndicatorEditor>(configuration, "currentTransFactorIndicatorEditor");
    QTRY_COMPARE_WITH_TIMEOUT(kt->value().status, Valid, StepWaitMs);
    // Edit waits for the whole tab to have been read.
    QTRY_VERIFY_WITH_TIMEOUT(
        child<QAbstractButton>(configuration, "editButton")->isEnabled(), StepWaitMs);
    child<QAbstractButton>(configuration, "editButton")->click();
    QVERIFY(configuration->isEditMode());
    kt->findChild<QDoubleSpinBox *>()->setValue(1234);
    child<QAbstractButton>(configuration, "setButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->holdingRegister(2, 26), quint16(1234), StepWaitMs);
    QTRY_VERIFY(!configuration->isEditMode());
    QTRY_COMPARE_WITH_TIMEOUT(kt->value(), (DoubleValue { 1234, Valid }), StepWaitMs);
    QVERIFY(statusText(window).startsWith(QStringLiteral("Written: configuration (Device 2)")));

    // Setpoints likewise.
    auto *setpoints = child<SetpointsWidget>(window, "setpointsWidget");
    tabs->setCurrentWidget(setpoints);
    auto *delay = child<NumberIndicatorEditor>(setpoints, "mtzReactionDelayIndicatorEditor");
    QTRY_COMPARE_WITH_TIMEOUT(delay->value().status, Valid, StepWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(
        child<QAbstractButton>(setpoints, "editButton")->isEnabled(), StepWaitMs);
    child<QAbstractButton>(setpoints, "editButton")->click();
    delay->findChild<QDoubleSpinBox *>()->setValue(2.5);
    child<QAbstractButton>(setpoints, "setButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->holdingRegister(2, 35), quint16(25), StepWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(delay->value(), (DoubleValue { 2.5, Valid }), StepWaitMs);

    // Crash log: Refresh lists the records; Clear answered with Cancel writes
    // nothing, answered with Clear empties the relay's log.
    QWidget *crashLog = child<QWidget>(window, "crashLogWidget");
    tabs->setCurrentWidget(crashLog);
    auto *refresh = child<QAbstractButton>(crashLog, "refreshButton");
    QTRY_VERIFY_WITH_TIMEOUT(refresh->isEnabled(), StepWaitMs);
    refresh->click();
    auto *list = child<QTreeView>(crashLog, "crashLogTreeView");
    QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(), 3, StepWaitMs);

    m_bus->clearReceivedWrites();
    {
        MessageBoxAnswer answer(QStringLiteral("Cancel"));
        child<QAbstractButton>(crashLog, "clearButton")->click();
        QVERIFY(answer.answered());
        QCOMPARE(answer.text(), QStringLiteral("Are you sure to clear log?"));
    }
    QTest::qWait(300);
    QVERIFY(m_bus->receivedWrites().isEmpty());
    QCOMPARE(m_bus->holdingRegister(2, 0x4000), quint16(3));
    {
        MessageBoxAnswer answer(QStringLiteral("Clear"));
        child<QAbstractButton>(crashLog, "clearButton")->click();
        QVERIFY(answer.answered());
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->holdingRegister(2, 0x4000), quint16(0), StepWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(), 0, StepWaitMs);

    // Device time: Set for the current relay, then Set to All.
    m_bus->clearReceivedWrites();
    child<QAbstractButton>(window, "setTimeButton")->click();
    auto *dialog = window->findChild<DeviceTimeDialog *>();
    QVERIFY(dialog);
    child<QAbstractButton>(window, "setTimeButton")->click();
    QCOMPARE(window->findChildren<DeviceTimeDialog *>().size(), 1);
    auto *setTime = child<QAbstractButton>(dialog, "setButton");
    QTRY_VERIFY(setTime->isEnabled());
    // Set waits for the relay's DST flag, which the refresh reads.
    QTRY_VERIFY_WITH_TIMEOUT(
        child<QCheckBox>(dialog, "autoDstCheckBox")->checkState() != Qt::PartiallyChecked,
        StepWaitMs);
    setTime->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->receivedWrites().size(), 4, StepWaitMs);
    QList<int> addresses;
    for (const ReceivedWrite &write : m_bus->receivedWrites()) {
        QCOMPARE(write.slaveId, 2);
        addresses.append(write.address);
    }
    QCOMPARE(addresses, QList<int>({ 15, 14, 13, 12 }));
    // The relay takes the last register before its answer is home; until then
    // the dialog refuses another write.
    QTRY_COMPARE(window->findChild<DeviceTimeData *>()->state(), DeviceData::Inactive);
    {
        MessageBoxAnswer answer(QStringLiteral("Set to All"));
        child<QAbstractButton>(dialog, "setToAllButton")->click();
        QVERIFY(answer.answered());
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->receivedWrites().size(), 8, StepWaitMs);
    QCOMPARE(m_bus->receivedWrites().last().slaveId, 0);
    QTRY_COMPARE(statusText(window), QStringLiteral("Sent to all devices: device time"));
    dialog->close();

    // Closing saves the preferences; the next window comes up with them.
    child<QAction>(window, "actionAutoRefresh")->setChecked(false);
    window->close();
    QSettings saved(QStringLiteral("settings.ini"), QSettings::IniFormat);
    QCOMPARE(
        saved.value(QStringLiteral("preferences/scan_range")).toString(), QStringLiteral("1-5"));

    MainWindow *again = openWindow();
    QCOMPARE(child<QLineEdit>(again, "scanRangeLineEdit")->text(), QStringLiteral("1-5"));
    QVERIFY(!child<QAction>(again, "actionAutoRefresh")->isChecked());
    again->close();
}

// A write the relay never confirms must not look done: the panel keeps the
// user's values and the status bar names the write and the device.
void MainWindowTest::failedWriteStaysEditable()
{
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    saveConnectionSettings(settings);
    MainWindow *window = openWindow();
    connectAndScan(window, QStringLiteral("3"));

    auto *configuration = child<ConfigurationWidget>(window, "configurationWidget");
    child<QTabWidget>(window, "tabWidget")->setCurrentWidget(configuration);
    auto *kt = child<NumberIndicatorEditor>(configuration, "currentTransFactorIndicatorEditor");
    QTRY_COMPARE_WITH_TIMEOUT(kt->value().status, Valid, StepWaitMs);
    const quint16 before = m_bus->holdingRegister(3, 26);

    QTRY_VERIFY_WITH_TIMEOUT(
        child<QAbstractButton>(configuration, "editButton")->isEnabled(), StepWaitMs);
    child<QAbstractButton>(configuration, "editButton")->click();
    kt->findChild<QDoubleSpinBox *>()->setValue(before == 777 ? 778 : 777);
    m_bus->setRelayOnline(3, false);
    child<QAbstractButton>(configuration, "setButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(
        statusText(window).startsWith(QStringLiteral("Write failed")), StepWaitMs);
    // The relay is read afresh before any write: its silence stops the Set there.
    const QString failed = statusText(window);
    QVERIFY2(failed.startsWith(QStringLiteral(
                 "Write failed: configuration (Device 3). Could not read from Device 3")),
        qPrintable(failed));
    QVERIFY(configuration->isEditMode());
    QCOMPARE(m_bus->holdingRegister(3, 26), before);
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::overrideCursor(), StepWaitMs);
    QCOMPARE(statusText(window), failed);
    QVERIFY(configuration->isEditMode());

    // Once the relay answers again, Set retries with the same values.
    m_bus->setRelayOnline(3, true);
    child<QAbstractButton>(configuration, "setButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!configuration->isEditMode(), StepWaitMs);
    QVERIFY(m_bus->holdingRegister(3, 26) != before);
    window->close();
}

// Setpoints edited at one current range must not be written at another.
void MainWindowTest::rangeWriteEndsSetpointEditing()
{
    const quint16 rangeBefore = m_bus->holdingRegister(3, 25);
    const quint16 mtzBefore = m_bus->holdingRegister(3, 32);
    m_bus->setHoldingRegister(3, 25, 2); // m = 2
    m_bus->setHoldingRegister(3, 32, 1); // MTZ on: the range change switches it off meanwhile
    // The setpoints left in edit mode, as a write from elsewhere finds them.
    MainWindow *window = editingBothSettingsTabs();
    QVERIFY(window);
    auto *setpoints = child<SetpointsWidget>(window, "setpointsWidget");
    auto *configuration = child<ConfigurationWidget>(window, "configurationWidget");
    QVERIFY(setpoints->isEditMode());
    auto *mtz = child<NumberIndicatorEditor>(setpoints, "mtzPickupCurrentIndicatorEditor");
    QCOMPARE(mtz->maximum(), 9.0);
    auto *range = child<EnumIndicatorEditor>(configuration, "currentRangeEnumIndicatorEditor")
                      ->findChild<QComboBox *>();
    range->setCurrentIndex(range->findData(4)); // m = 8
    auto *setpointsData = window->findChild<SetpointsData *>();
    QSignalSpy setpointStates(setpointsData, &DeviceData::stateChanged);
    // A Set that switches a protection off asks first, with the order; declined, it writes
    // nothing.
    m_bus->clearReceivedWrites();
    {
        MessageBoxAnswer answer(QStringLiteral("Cancel"));
        child<QAbstractButton>(configuration, "setButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(answer.answered(), StepWaitMs);
        QVERIFY2(answer.informativeText().contains(QStringLiteral("(switched off while the "
                                                                  "current range changes)")),
            qPrintable(answer.informativeText()));
    }
    QTRY_COMPARE_WITH_TIMEOUT(
        statusText(window), QStringLiteral("Nothing was written to Device 3."), StepWaitMs);
    QVERIFY(m_bus->receivedWrites().isEmpty());
    QVERIFY(configuration->isEditMode());
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(configuration, "setButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(answer.answered(), StepWaitMs);
    }

    QTRY_VERIFY_WITH_TIMEOUT(!configuration->isEditMode(), StepWaitMs);
    QCOMPARE(m_bus->holdingRegister(3, 25), quint16(4));
    QCOMPARE(m_bus->holdingRegister(3, 32), quint16(1));
    QTRY_VERIFY_WITH_TIMEOUT(!setpoints->isEditMode(), StepWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(mtz->maximum(), 36.0, StepWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!setpointStates.isEmpty()
            && setpointStates.last().at(1).value<DeviceData::State>() == DeviceData::Reading,
        StepWaitMs);
    m_bus->setHoldingRegister(3, 25, rangeBefore);
    m_bus->setHoldingRegister(3, 32, mtzBefore);
    window->close();
}

// A Set asked for on one tab while the other tab's Set still runs is turned away, its values kept
// for another try; the first goes on.
void MainWindowTest::oneSetAtATime()
{
    MainWindow *window = editingBothSettingsTabs();
    QVERIFY(window);
    auto *setpoints = child<SetpointsWidget>(window, "setpointsWidget");
    auto *configuration = child<ConfigurationWidget>(window, "configurationWidget");
    auto *kt = child<NumberIndicatorEditor>(configuration, "currentTransFactorIndicatorEditor");
    const quint16 ktBefore = m_bus->holdingRegister(3, 26);
    kt->findChild<QDoubleSpinBox *>()->setValue(ktBefore == 777 ? 778 : 777);

    child<QAbstractButton>(configuration, "setButton")->click();
    child<QAbstractButton>(setpoints, "setButton")->click();
    QCOMPARE(statusText(window),
        QStringLiteral("Another Set is still running; press Set again once it has ended."));
    QVERIFY(setpoints->isEditMode());
    QTRY_VERIFY_WITH_TIMEOUT(!configuration->isEditMode(), StepWaitMs);
    QVERIFY(m_bus->holdingRegister(3, 26) != ktBefore);
    QVERIFY(setpoints->isEditMode());
    window->close();
}

// Read relay 2 on every tab, then make relay 5 current from the Monitor tab:
// no tab may show relay 2's values, nor offer them for writing, before
// relay 5 has been read; nor may anything stay after a disconnect.
void MainWindowTest::nothingOfThePreviousRelayRemains()
{
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    saveConnectionSettings(settings);
    m_bus->setCrashCount(5, 0);
    MainWindow *window = openWindow();
    connectAndScan(window);
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    QCOMPARE(monitor->currentDeviceId(), 2);

    auto *tabs = child<QTabWidget>(window, "tabWidget");
    auto *configuration = child<QWidget>(window, "configurationWidget");
    auto *setpoints = child<QWidget>(window, "setpointsWidget");
    QWidget *crashLog = child<QWidget>(window, "crashLogWidget");
    auto *kt = child<NumberIndicatorEditor>(configuration, "currentTransFactorIndicatorEditor");
    auto *delay = child<NumberIndicatorEditor>(setpoints, "mtzReactionDelayIndicatorEditor");
    auto *crashList = child<QTreeView>(crashLog, "crashLogTreeView");
    tabs->setCurrentWidget(configuration);
    QTRY_COMPARE_WITH_TIMEOUT(kt->value().status, Valid, StepWaitMs);
    tabs->setCurrentWidget(setpoints);
    QTRY_COMPARE_WITH_TIMEOUT(delay->value().status, Valid, StepWaitMs);
    tabs->setCurrentWidget(crashLog);
    auto *refresh = child<QAbstractButton>(crashLog, "refreshButton");
    QTRY_VERIFY_WITH_TIMEOUT(refresh->isEnabled(), StepWaitMs);
    refresh->click();
    QTRY_COMPARE_WITH_TIMEOUT(crashList->model()->rowCount(), 3, StepWaitMs);

    tabs->setCurrentWidget(child<QWidget>(window, "monitorWidget"));
    const DeviceListModel *devices = monitor->deviceListModel();
    child<QListView>(window, "deviceListView")->setCurrentIndex(devices->index(2));
    QCOMPARE(monitor->currentDeviceId(), 5);
    QCOMPARE(kt->value().status, NoData);
    QCOMPARE(delay->value().status, NoData);
    QCOMPARE(crashList->model()->rowCount(), 0);
    QVERIFY(!child<QAbstractButton>(configuration, "editButton")->isEnabled());
    QVERIFY(!child<QAbstractButton>(setpoints, "editButton")->isEnabled());
    QVERIFY(!refresh->isEnabled());

    // The identity shown is the listed relay's; a relay set that is not in the list has none.
    auto *serial = child<QLabel>(window, "serialNumberValueLabel");
    QCOMPARE(serial->text(), serialNumberText(devices->deviceInfoAt(2)->serialNumber));
    monitor->setCurrentDeviceId(9);
    QCOMPARE(serial->text(), QStringLiteral("-"));
    monitor->setCurrentDeviceId(5);
    QCOMPARE(serial->text(), serialNumberText(devices->deviceInfoAt(2)->serialNumber));

    // Relay 5 read on its tab, then the line closed.
    tabs->setCurrentWidget(setpoints);
    QTRY_COMPARE_WITH_TIMEOUT(delay->value().status, Valid, StepWaitMs);
    QTRY_VERIFY(child<QAbstractButton>(setpoints, "editButton")->isEnabled());
    child<QAction>(window, "actionDisconnect")->trigger();
    QCOMPARE(delay->value().status, NoData);
    QCOMPARE(
        child<BaseIndicator>(window, "crashCountNumberIndicator")->text(), QStringLiteral("-"));
    QVERIFY(!child<QAbstractButton>(setpoints, "editButton")->isEnabled());
    window->close();
}

// The user learns that the relay in view stopped answering, and when it is back.
void MainWindowTest::silentRelayIsReported()
{
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    saveConnectionSettings(settings);
    MainWindow *window = openWindow();
    connectAndScan(window, QStringLiteral("3"));
    auto *silent = child<QLabel>(window, "deviceAnswerLabel");
    QVERIFY(silent->isHidden());

    m_bus->setRelayOnline(3, false);
    QTRY_VERIFY_WITH_TIMEOUT(!silent->isHidden(), PassWaitMs);
    QCOMPARE(silent->text(), QStringLiteral("Device 3 does not answer"));
    QCOMPARE(connectionText(window), QStringLiteral("Connected (%1)").arg(m_bus->portPath()));

    m_bus->setRelayOnline(3, true);
    QTRY_COMPARE_WITH_TIMEOUT(silent->text(), QStringLiteral("Device 3 answers again"), PassWaitMs);
    QVERIFY(!silent->isHidden());
    window->close();
}

// With auto-refresh stored off, the menu and the tool bar still offer both.
void MainWindowTest::refreshIsAlwaysReachable()
{
    Preferences preferences;
    loadPreferences(preferences);
    preferences.autoRefreshEnabled = false;
    savePreferences(preferences);
    MainWindow *window = openWindow();
    auto *refresh = child<QAction>(window, "actionRefresh");
    auto *autoRefresh = child<QAction>(window, "actionAutoRefresh");
    for (QWidget *holder : { static_cast<QWidget *>(child<QMenu>(window, "menuMenu")),
             static_cast<QWidget *>(child<QToolBar>(window, "toolBar")) }) {
        QVERIFY(holder->actions().contains(refresh));
        QVERIFY(holder->actions().contains(autoRefresh));
    }
    QVERIFY(!autoRefresh->isChecked());
    window->close();
}

void MainWindowTest::closingDuringActivity_data()
{
    QTest::addColumn<QString>("activity");
    QTest::newRow("scan") << "scan";
    QTest::newRow("refresh") << "refresh";
    QTest::newRow("write") << "write";
}

// Closing never hangs or crashes, whatever is on the line, and still saves.
void MainWindowTest::closingDuringActivity()
{
    QFETCH(QString, activity);
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    saveConnectionSettings(settings);
    saveDeviceSettings({ 60, 1000 });
    MainWindow *window = openWindow();
    QPointer<MainWindow> guard(window);
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");

    if (activity == QLatin1String("scan")) {
        child<QAction>(window, "actionConnect")->trigger();
        child<QLineEdit>(window, "scanRangeLineEdit")->setText(QStringLiteral("1-63"));
        child<QAbstractButton>(window, "scanButton")->click();
        QTest::qWait(100);
        QCOMPARE(monitor->state(), DeviceMonitor::Scanning);
    } else {
        connectAndScan(window, QStringLiteral("5"));
        QTRY_COMPARE(monitor->state(), DeviceMonitor::Refreshing);
        if (activity == QLatin1String("write")) {
            m_bus->setRelayOnline(5, false);
            QMetaObject::invokeMethod(window, "on_monitorWidget_checkback");
            QTest::qWait(50);
        }
    }
    window->close();
    QTRY_VERIFY(guard.isNull());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(QFile::exists(QStringLiteral("settings.ini")));
    QSettings saved(QStringLiteral("settings.ini"), QSettings::IniFormat);
    QCOMPARE(saved.value(QStringLiteral("device_settings/response_timeout")).toInt(), 1000);
}

// The journal's file is a folder here: even root cannot write it.
void MainWindowTest::unwritableJournalAsksBeforeTheWrite()
{
    QVERIFY(QDir().mkdir(QStringLiteral("journal.sqlite")));
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    saveConnectionSettings(settings);
    MainWindow *window = openWindow();
    QVERIFY2(statusText(window).contains(QStringLiteral("The journal cannot be written")),
        qPrintable(statusText(window)));
    connectAndScan(window, QStringLiteral("3"));
    const int checkbacks = m_bus->checkbackCount(3);
    {
        MessageBoxAnswer answer(QStringLiteral("Cancel"));
        QMetaObject::invokeMethod(window, "on_monitorWidget_checkback");
        // Asked once the relay has said who it is, before anything is written to it.
        QTRY_VERIFY_WITH_TIMEOUT(answer.answered(), PassWaitMs);
        QVERIFY2(
            answer.text().contains(QStringLiteral("without a journal")), qPrintable(answer.text()));
    }
    QTest::qWait(200);
    QCOMPARE(m_bus->checkbackCount(3), checkbacks);
    {
        MessageBoxAnswer answer(QStringLiteral("Write without a journal"));
        QMetaObject::invokeMethod(window, "on_monitorWidget_checkback");
        QTRY_VERIFY_WITH_TIMEOUT(answer.answered(), PassWaitMs);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->checkbackCount(3), checkbacks + 1, PassWaitMs);
    // Asked once: the rest of the session writes without a journal.
    MessageBoxAnswer unasked(QStringLiteral("Cancel"));
    QMetaObject::invokeMethod(window, "on_monitorWidget_checkback");
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->checkbackCount(3), checkbacks + 2, PassWaitMs);
    QVERIFY(!unasked.answered());
    window->close();
}

void MainWindowTest::damagedJournalIsSetAsideAndTold()
{
    {
        QFile damaged(QStringLiteral("journal.sqlite"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(4096, '\x5a'));
    }
    MessageBoxAnswer answer(QStringLiteral("OK"));
    MainWindow *window = openWindow();
    QTRY_VERIFY(answer.answered());
    QVERIFY2(answer.text().contains(QStringLiteral("journal.sqlite.damaged-")),
        qPrintable(answer.text()));
    QCOMPARE(
        QDir().entryList({ QStringLiteral("journal.sqlite.damaged-*") }, QDir::Files).size(), 1);
    window->close();
}

void MainWindowTest::journalViewShowsTheWrite()
{
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    saveConnectionSettings(settings);
    MainWindow *window = openWindow();
    connectAndScan(window, QStringLiteral("3"));
    const int checkbacks = m_bus->checkbackCount(3);
    QMetaObject::invokeMethod(window, "on_monitorWidget_checkback");
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->checkbackCount(3), checkbacks + 1, PassWaitMs);
    QTest::qWait(100);

    child<QAction>(window, "actionJournal")->trigger();
    auto *dialog = window->findChild<JournalDialog *>();
    QVERIFY(dialog);
    JournalModel *model = dialog->model();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(
        model->index(0, JournalModel::KindColumn).data().toString(), QStringLiteral("Checkback"));
    QCOMPARE(model->index(0, JournalModel::OutcomeColumn).data().toString(),
        QStringLiteral("acknowledged"));
    QCOMPARE(model->index(0, JournalModel::SlaveIdColumn).data().toString(), QStringLiteral("3"));
    QVERIFY(model->index(0, JournalModel::OutcomeColumn).data(Qt::BackgroundRole).isValid());

    // Another relay's serial number filters it out.
    child<QLineEdit>(dialog, "serialEdit")->setText(QStringLiteral("9999999"));
    QCOMPARE(model->rowCount(), 0);
    child<QLineEdit>(dialog, "serialEdit")->clear();
    QCOMPARE(model->rowCount(), 1);
    auto *from = child<QCheckBox>(dialog, "fromCheck");
    child<QDateEdit>(dialog, "fromEdit")->setDate(QDate::currentDate().addDays(1));
    from->setChecked(true);
    QCOMPARE(model->rowCount(), 0);
    from->setChecked(false);

    const QString csv = m_folder->filePath(QStringLiteral("journal.csv"));
    QString error;
    QVERIFY2(dialog->exportTo(csv, &error), qPrintable(error));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 3); // the header, the checkback's register, the end of the last line
    // The time with its offset from UTC; the type code and the serial number kept as text.
    const QRegularExpression written(QStringLiteral(
        R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(Z|[+-]\d\d:\d\d),[^,]*,[^,]*,3,"=""[0-9A-F]+""",)"
        R"("=""\d{7}""",Checkback,.*,acknowledged,)"));
    QVERIFY2(written.match(lines.at(1)).hasMatch(), qPrintable(lines.at(1)));
    window->close();
}

// A write made while the view is open shows in it, within the user's filter and with the entry
// the user picked still picked.
void MainWindowTest::openJournalViewKeepsUpWithTheWrites()
{
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    saveConnectionSettings(settings);
    MainWindow *window = openWindow();
    connectAndScan(window, QStringLiteral("3"));
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    const int checkbacks = m_bus->checkbackCount(3);
    QMetaObject::invokeMethod(window, "on_monitorWidget_checkback");
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->checkbackCount(3), checkbacks + 1, PassWaitMs);

    child<QAction>(window, "actionJournal")->trigger();
    auto *dialog = window->findChild<JournalDialog *>();
    QVERIFY(dialog);
    JournalModel *model = dialog->model();
    QTRY_COMPARE_WITH_TIMEOUT(model->index(0, JournalModel::OutcomeColumn).data().toString(),
        QStringLiteral("acknowledged"), PassWaitMs);
    const DeviceListModel *devices = monitor->deviceListModel();
    const qint64 serial = devices->deviceInfoAt(devices->rowOfDevice(3))->serialNumber.value;
    child<QLineEdit>(dialog, "serialEdit")->setText(QString::number(serial));
    QCOMPARE(model->rowCount(), 1);
    auto *entries = child<QTableView>(dialog, "entriesView");
    entries->setCurrentIndex(model->index(0, JournalModel::KindColumn));
    const qint64 picked = model->entryId(0);

    // A clock set to every relay names no serial number: the filter keeps it out.
    DeviceTimeData clock;
    DeviceTime time;
    time.dateTime = validValue(QDateTime::currentDateTime());
    time.autoDst = validValue(0);
    clock.setNewDeviceTime(time);
    QVERIFY(monitor->writeToAllDevices({ &clock }));
    QMetaObject::invokeMethod(window, "on_monitorWidget_checkback");
    QTRY_COMPARE_WITH_TIMEOUT(m_bus->checkbackCount(3), checkbacks + 2, PassWaitMs);

    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 2, PassWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(model->index(0, JournalModel::OutcomeColumn).data().toString(),
        QStringLiteral("acknowledged"), PassWaitMs);
    QCOMPARE(
        model->index(0, JournalModel::KindColumn).data().toString(), QStringLiteral("Checkback"));
    QVERIFY(model->entryId(0) != picked);
    QCOMPARE(entries->currentIndex().row(), 1);
    QCOMPARE(model->entryId(1), picked);
    QCOMPARE(child<QTableWidget>(dialog, "registersTable")->rowCount(), 1);
    child<QLineEdit>(dialog, "serialEdit")->clear();
    QCOMPARE(model->rowCount(), 3);
    window->close();
}

const QLabel *MainWindowTest::configurationFingerprint(MainWindow *window)
{
    child<QAction>(window, "actionAutoRefresh")->setChecked(false);
    connectAndScan(window);
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    [&] { QTRY_COMPARE_WITH_TIMEOUT(monitor->state(), DeviceMonitor::Idle, StepWaitMs); }();
    auto *configuration = child<ConfigurationWidget>(window, "configurationWidget");
    child<QTabWidget>(window, "tabWidget")->setCurrentWidget(configuration);
    return child<QLabel>(configuration, "settingsFingerprintValueLabel");
}

// Save settings reads the three settings blocks at once: both tabs show their fingerprint,
// though neither had read them.
void MainWindowTest::fingerprintShownRightAfterSave()
{
    saveConnectionTo(*m_bus);
    MainWindow *window = openWindow();
    const QLabel *fingerprint = configurationFingerprint(window);
    QCOMPARE(fingerprint->text(), QStringLiteral("-"));

    QTemporaryDir dir;
    settingsFileActions(window)->save(dir.filePath(QStringLiteral("relay2.json")));
    QTRY_VERIFY_WITH_TIMEOUT(
        statusText(window).startsWith(QStringLiteral("Settings of Device 2 saved to")), StepWaitMs);
    const QString expected = referenceFingerprintText(*m_bus, 2);
    QCOMPARE(fingerprint->text(), expected);
    QCOMPARE(child<QLabel>(
                 child<SetpointsWidget>(window, "setpointsWidget"), "settingsFingerprintValueLabel")
                 ->text(),
        expected);
}

// Kt and a setpoint change between two refreshes of the Configuration tab: whatever the tab shows
// on the way is the relay before or after, never the new Kt beside the old setpoints.
void MainWindowTest::fingerprintIsOfOnePass()
{
    const quint16 kt = m_bus->holdingRegister(2, 26);
    const quint16 pickup = m_bus->holdingRegister(2, 34);
    const auto restore = qScopeGuard([&] {
        m_bus->setHoldingRegister(2, 26, kt);
        m_bus->setHoldingRegister(2, 34, pickup);
    });
    saveConnectionTo(*m_bus);
    MainWindow *window = openWindow();
    const QLabel *fingerprint = configurationFingerprint(window);
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    const auto refresh = [&] {
        child<QAction>(window, "actionRefresh")->trigger();
        QCOMPARE(monitor->state(), DeviceMonitor::Refreshing);
        QTRY_COMPARE_WITH_TIMEOUT(monitor->state(), DeviceMonitor::Idle, PassWaitMs);
    };
    refresh();
    const QString before = referenceFingerprintText(*m_bus, 2);
    QCOMPARE(fingerprint->text(), before);

    // Every value the tab shows while the blocks are read, one by one.
    QStringList shown;
    QObject recorder;
    const QList<DeviceData *> blocks
        = window->findChildren<DeviceData *>(QString(), Qt::FindDirectChildrenOnly);
    for (DeviceData *block : blocks)
        connect(block, &DeviceData::stateChanged, &recorder,
            [&shown, fingerprint] { shown.append(fingerprint->text()); });
    m_bus->setHoldingRegister(2, 26, kt + 1);
    m_bus->setHoldingRegister(2, 34, pickup + 1);
    const QString after = referenceFingerprintText(*m_bus, 2);
    refresh();
    QCOMPARE(fingerprint->text(), after);
    QVERIFY(shown.size() >= 3);
    for (const QString &text : std::as_const(shown))
        QVERIFY2(text == before || text == after, qPrintable(text));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
