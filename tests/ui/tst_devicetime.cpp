// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/devicetimedata.h"
#include "devicemonitor/devicemonitor.h"
#include "identityread.h"
#include "messageboxanswer.h"
#include "panelfixture.h"
#include "relaybus.h"
#include "ui/dialogs/devicetimedialog.h"
#include "ui/panels/devicetimewidget.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

const QList<int> RelayIds = { 1, 2, 3 };
const quint16 OwnTypeCode = 0x8D90;

QString shortText(const QDateTime &dateTime)
{
    return QLocale::system().toString(dateTime, QLocale::ShortFormat);
}

// Runs `start` and waits until the block has been through one read or write.
template<typename Start>
bool passes(DeviceData *block, Start start)
{
    QSignalSpy spy(block, &DeviceData::stateChanged);
    start();
    return QTest::qWaitFor(
        [&spy] {
            for (const QList<QVariant> &arguments : qAsConst(spy)) {
                if (arguments.at(0).value<DeviceData::State>() == DeviceData::Inactive
                    && arguments.at(1).value<DeviceData::State>() != DeviceData::Resetting)
                    return true;
            }
            return false;
        },
        PassWaitMs);
}

// The relay clock runs on while the test reads it back.
bool isAbout(const QDateTime &clock, const QDateTime &written)
{
    const qint64 seconds = written.secsTo(clock);
    return seconds >= 0 && seconds < 10;
}

struct Write
{
    int slaveId;
    int address;
    quint16 value;
};

void compareWrites(const QList<ReceivedWrite> &received, const QList<Write> &expected)
{
    QCOMPARE(received.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(received.at(i).slaveId, expected.at(i).slaveId);
        QCOMPARE(received.at(i).function, 6);
        QCOMPARE(received.at(i).address, expected.at(i).address);
        QCOMPARE(received.at(i).value, expected.at(i).value);
    }
}

} // namespace

// Relays 1, 2 and 3 on a simulated line; each case gets a fresh monitor
// that has scanned them, so relay 1 is the current device.
class DeviceTimeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void widgetShowsTheRelayClock_data();
    void widgetShowsTheRelayClock();
    void widgetNoDataAndOutdated();

    void dialogShowsTheCurrentTime();
    void setWritesToTheCurrentDevice();
    void setWaitsForThePreviousOne();
    void setToAllBroadcasts();
    void setToAllAsksFirst();
    void cutShortBroadcastIsAFailure();
    void failedWriteIsReported();
    void dstCheckBoxFollowsTheRelayOnce();
    void unknownDstIsNeverWritten();
    void systemTimeMode();
    void editLimits();
    void buttonsFollowTheMonitor();
    void titleNamesTheCurrentDevice();

private:
    bool readTime();
    void enterTime(DeviceTimeDialog &dialog, const QDateTime &dateTime, bool autoDst);

    RelayBus m_bus { RelayIds };
    QScopedPointer<DeviceMonitor> m_monitor;
    QScopedPointer<DeviceTimeData> m_time;
};

void DeviceTimeTest::initTestCase()
{
    QString error;
    QVERIFY2(m_bus.start(&error), qPrintable(error));
}

void DeviceTimeTest::init()
{
    m_time.reset(new DeviceTimeData);
    m_monitor.reset(new DeviceMonitor);
    m_monitor->setDeviceSettings({ 0, 100 });
    m_monitor->setAutoRefreshEnabled(false);
    ConnectionSettings settings;
    settings.portName = m_bus.portPath();
    QVERIFY(m_monitor->connectToPort(settings));
    m_monitor->scan(1, 3);
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), DeviceMonitor::Idle, PassWaitMs);
    QCOMPARE(m_monitor->currentDeviceId(), 1);
    m_bus.clearReceivedWrites();
}

void DeviceTimeTest::cleanup()
{
    for (int id : RelayIds) {
        m_bus.setRelayOnline(id, true);
        m_bus.setDeviceTypeCode(id, OwnTypeCode);
    }
    m_monitor.reset();
    m_time.reset();
}

bool DeviceTimeTest::readTime()
{
    return passes(m_time.data(), [this] { m_monitor->readFromCurrentDevice({ m_time.data() }); });
}

void DeviceTimeTest::enterTime(DeviceTimeDialog &dialog, const QDateTime &dateTime, bool autoDst)
{
    QCheckBox *systemTime = child<QCheckBox>(&dialog, "systemTimeCheckBox");
    if (systemTime->isChecked())
        systemTime->click();
    child<QDateTimeEdit>(&dialog, "dateTimeEdit")->setDateTime(dateTime);
    child<QCheckBox>(&dialog, "autoDstCheckBox")->setChecked(autoDst);
}

void DeviceTimeTest::widgetShowsTheRelayClock_data()
{
    QTest::addColumn<int>("register15");
    QTest::addColumn<QString>("dstText");

    QTest::newRow("DST on") << 1 << "Auto adjust for DST enabled";
    QTest::newRow("DST off") << 0 << "Auto adjust for DST disabled";
    QTest::newRow("2 is not on") << 2 << "Auto adjust for DST disabled";
}

void DeviceTimeTest::widgetShowsTheRelayClock()
{
    QFETCH(int, register15);
    QFETCH(QString, dstText);

    const QDateTime clock(QDate(2013, 12, 31), QTime(23, 59, 58));
    m_bus.setClock(1, clock);
    m_bus.setHoldingRegister(1, 15, quint16(register15));

    DeviceTimeWidget widget;
    QCOMPARE(widget.title(), QStringLiteral("Device time"));
    QCOMPARE(child<QPushButton>(&widget, "setTimeButton")->text(), QStringLiteral("Set"));
    widget.setDeviceTimeData(m_time.data());
    QVERIFY(readTime());

    const QDateTime read = m_time->deviceTime().dateTime.value;
    QVERIFY(isAbout(read, clock));
    QCOMPARE(child<QLabel>(&widget, "dateTimeLabel")->text(), shortText(read));
    QCOMPARE(child<QLabel>(&widget, "autoDstLabel")->text(), dstText);
    QVERIFY(!isShownInRed(child<QLabel>(&widget, "autoDstLabel")));
}

void DeviceTimeTest::widgetNoDataAndOutdated()
{
    m_bus.setHoldingRegister(1, 15, 1);
    DeviceTimeWidget widget;
    widget.setDeviceTimeData(m_time.data());
    QCOMPARE(child<QLabel>(&widget, "dateTimeLabel")->text(), QStringLiteral("-"));
    QCOMPARE(
        child<QLabel>(&widget, "autoDstLabel")->text(), QStringLiteral("Auto adjust for DST -"));

    QVERIFY(readTime());
    const QString shown = child<QLabel>(&widget, "dateTimeLabel")->text();
    QVERIFY(shown != QStringLiteral("-"));

    m_bus.setRelayOnline(1, false);
    QVERIFY(readTime());
    QCOMPARE(m_time->deviceTime().autoDst.status, Outdated);
    QCOMPARE(child<QLabel>(&widget, "dateTimeLabel")->text(), shown);
    QCOMPARE(child<QLabel>(&widget, "autoDstLabel")->text(),
        QStringLiteral("Auto adjust for DST enabled"));
    QVERIFY(isShownInRed(child<QLabel>(&widget, "dateTimeLabel")));
    QVERIFY(isShownInRed(child<QLabel>(&widget, "autoDstLabel")));

    // Another device selected: the values of the last one are gone.
    m_time->reset();
    QCOMPARE(child<QLabel>(&widget, "dateTimeLabel")->text(), QStringLiteral("-"));
    QCOMPARE(
        child<QLabel>(&widget, "autoDstLabel")->text(), QStringLiteral("Auto adjust for DST -"));
    QVERIFY(!isShownInRed(child<QLabel>(&widget, "autoDstLabel")));
}

void DeviceTimeTest::dialogShowsTheCurrentTime()
{
    m_bus.setHoldingRegister(1, 15, 2);
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    QCOMPARE(child<QLabel>(&dialog, "dateTimeLabel")->text(), QStringLiteral("-"));
    QCOMPARE(
        child<QLabel>(&dialog, "autoDstLabel")->text(), QStringLiteral("Auto adjust for DST -"));

    QVERIFY(readTime());
    QCOMPARE(child<QLabel>(&dialog, "dateTimeLabel")->text(),
        shortText(m_time->deviceTime().dateTime.value));
    QCOMPARE(child<QLabel>(&dialog, "autoDstLabel")->text(),
        QStringLiteral("Auto adjust for DST disabled"));
}

void DeviceTimeTest::setWritesToTheCurrentDevice()
{
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    const QDateTime chosen(QDate(2024, 3, 5), QTime(8, 7, 6));
    enterTime(dialog, chosen, false);

    QVERIFY(
        passes(m_time.data(), [&dialog] { child<QPushButton>(&dialog, "setButton")->click(); }));
    compareWrites(m_bus.receivedWrites(),
        { { 1, 15, 0 }, { 1, 14, 0x0706 }, { 1, 13, 0x0508 }, { 1, 12, 0x1803 } });
    QVERIFY(isAbout(m_bus.clock(1), chosen));
    QVERIFY(!isAbout(m_bus.clock(2), chosen));
    QCOMPARE(m_bus.holdingRegister(1, 15), quint16(0));
    QCOMPARE(child<QLabel>(&dialog, "writeResultLabel")->text(),
        QStringLiteral("Device 1 took the new time."));
    QVERIFY(!isShownInRed(child<QLabel>(&dialog, "writeResultLabel")));

    // The dialog stays open; the relay shows the new time at the next read.
    QVERIFY(readTime());
    QVERIFY(isAbout(m_time->deviceTime().dateTime.value, chosen));
    QCOMPARE(child<QLabel>(&dialog, "autoDstLabel")->text(),
        QStringLiteral("Auto adjust for DST disabled"));
}

// A Set while the previous one still waits its turn on the line is refused: the time that write
// carries stays the one it was asked for.
void DeviceTimeTest::setWaitsForThePreviousOne()
{
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    const QDateTime first(QDate(2024, 3, 5), QTime(8, 7, 6));
    enterTime(dialog, first, false);
    // A read on the line: the Set waits behind it.
    m_monitor->readFromCurrentDevice({ m_time.data() });
    child<QPushButton>(&dialog, "setButton")->click();
    enterTime(dialog, first.addDays(100), false);
    child<QPushButton>(&dialog, "setButton")->click();
    QCOMPARE(child<QLabel>(&dialog, "writeResultLabel")->text(),
        QStringLiteral("The previous time is still being written; press Set again once it is."));

    QTRY_COMPARE(child<QLabel>(&dialog, "writeResultLabel")->text(),
        QStringLiteral("Device 1 took the new time."));
    QCOMPARE(m_bus.receivedWrites().size(), 4);
    QVERIFY(isAbout(m_bus.clock(1), first));
}

// No relay answers a broadcast: it must not read as a failure.
void DeviceTimeTest::setToAllBroadcasts()
{
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    const QDateTime chosen(QDate(2031, 11, 30), QTime(22, 45, 10));
    enterTime(dialog, chosen, true);

    MessageBoxAnswer answer(QStringLiteral("Set to All"));
    QVERIFY(passes(
        m_time.data(), [&dialog] { child<QPushButton>(&dialog, "setToAllButton")->click(); }));
    QVERIFY(answer.answered());
    compareWrites(m_bus.receivedWrites(),
        { { 0, 15, 1 }, { 0, 14, 0x2D0A }, { 0, 13, 0x1E16 }, { 0, 12, 0x1F0B } });
    for (int id : RelayIds) {
        QVERIFY2(isAbout(m_bus.clock(id), chosen), qPrintable(m_bus.clock(id).toString()));
        QCOMPARE(m_bus.holdingRegister(id, 15), quint16(1));
    }
    QLabel *result = child<QLabel>(&dialog, "writeResultLabel");
    QCOMPARE(result->text(),
        QStringLiteral("The new time was sent to all devices; a broadcast is not confirmed."));
    QVERIFY(!isShownInRed(result));
}

// Every relay on the line takes a broadcast, those of another type as well.
void DeviceTimeTest::setToAllAsksFirst()
{
    m_bus.setDeviceTypeCode(2, 0x1234);
    m_monitor->scan(1, 3);
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), DeviceMonitor::Idle, PassWaitMs);
    m_bus.clearReceivedWrites();

    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    const QDateTime chosen(QDate(2031, 11, 30), QTime(22, 45, 10));
    enterTime(dialog, chosen, false);
    QPushButton *setToAll = child<QPushButton>(&dialog, "setToAllButton");

    MessageBoxAnswer cancel(QStringLiteral("Cancel"));
    setToAll->click();
    QVERIFY(cancel.answered());
    QVERIFY(cancel.text().contains(
        QStringLiteral("Every device on the line, listed or not, will be set to %1 with auto "
                       "adjust for DST disabled.")
            .arg(shortText(chosen))));
    QVERIFY2(cancel.text().contains(QStringLiteral("Devices of another type receive it too: "
                                                   "Device 2.")),
        qPrintable(cancel.text()));
    QTest::qWait(300);
    QCOMPARE(m_bus.receivedWrites().size(), 0);
    QCOMPARE(child<QLabel>(&dialog, "writeResultLabel")->text(), QString());

    child<QCheckBox>(&dialog, "autoDstCheckBox")->click();
    MessageBoxAnswer confirm(QStringLiteral("Set to All"));
    QVERIFY(passes(m_time.data(), [setToAll] { setToAll->click(); }));
    QVERIFY(confirm.text().contains(QStringLiteral("with auto adjust for DST enabled.")));
    compareWrites(m_bus.receivedWrites(),
        { { 0, 15, 1 }, { 0, 14, 0x2D0A }, { 0, 13, 0x1E16 }, { 0, 12, 0x1F0B } });
}

// A broadcast the line lost part-way may have left part of the time in every relay.
void DeviceTimeTest::cutShortBroadcastIsAFailure()
{
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    enterTime(dialog, QDateTime(QDate(2031, 11, 30), QTime(22, 45, 10)), true);
    MessageBoxAnswer confirm(QStringLiteral("Set to All"));
    child<QPushButton>(&dialog, "setToAllButton")->click();
    QVERIFY(confirm.answered());
    QTRY_COMPARE_WITH_TIMEOUT(m_time->state(), DeviceData::Writing, PassWaitMs);
    QVERIFY(m_monitor->disconnectFromPort());

    QLabel *result = child<QLabel>(&dialog, "writeResultLabel");
    QTRY_COMPARE_WITH_TIMEOUT(result->text(),
        QStringLiteral("The new time could not be sent to all devices; they may hold part of it "
                       "(the DST flag without the new time, say)."),
        PassWaitMs);
    QVERIFY(isShownInRed(result));
}

void DeviceTimeTest::failedWriteIsReported()
{
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    enterTime(dialog, QDateTime(QDate(2024, 3, 5), QTime(8, 7, 6)), false);
    QLabel *result = child<QLabel>(&dialog, "writeResultLabel");

    // Silent already when asked which relay it is: nothing goes out.
    m_bus.setRelayOnline(1, false);
    child<QPushButton>(&dialog, "setButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(result->text(),
        QStringLiteral("Nothing was written: Device 1 did not say which relay it is."), PassWaitMs);
    QVERIFY(isShownInRed(result));
    QVERIFY(m_bus.receivedWrites().isEmpty());

    // Silent once it said: the time may or may not have landed.
    m_bus.setRelayOnline(1, true);
    afterIdentityRead(*m_monitor, this, [this] { m_bus.setRelayOnline(1, false); });
    QVERIFY(
        passes(m_time.data(), [&dialog] { child<QPushButton>(&dialog, "setButton")->click(); }));
    QCOMPARE(result->text(), QStringLiteral("Device 1 did not confirm the new time."));
    QVERIFY(isShownInRed(result));

    // A later write that lands replaces the failure.
    m_bus.setRelayOnline(1, true);
    QVERIFY(
        passes(m_time.data(), [&dialog] { child<QPushButton>(&dialog, "setButton")->click(); }));
    QCOMPARE(result->text(), QStringLiteral("Device 1 took the new time."));
    QVERIFY(!isShownInRed(result));
}

void DeviceTimeTest::dstCheckBoxFollowsTheRelayOnce()
{
    m_bus.setHoldingRegister(1, 15, 1);
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    QCheckBox *autoDst = child<QCheckBox>(&dialog, "autoDstCheckBox");
    QCOMPARE(autoDst->checkState(), Qt::PartiallyChecked);

    QVERIFY(readTime());
    QCOMPARE(autoDst->checkState(), Qt::Checked);

    // From now on the check box is the user's.
    autoDst->setChecked(false);
    QVERIFY(readTime());
    QVERIFY(!autoDst->isChecked());

    // A stale flag still sets the check box of a freshly attached dialog.
    m_bus.setRelayOnline(1, false);
    QVERIFY(readTime());
    QCOMPARE(m_time->deviceTime().autoDst.status, Outdated);
    DeviceTimeDialog second(m_time.data(), m_monitor.data());
    QVERIFY(child<QCheckBox>(&second, "autoDstCheckBox")->isChecked());
    QVERIFY(isShownInRed(child<QLabel>(&second, "autoDstLabel")));
}

// Opened before the relay's flag was read, the dialog has no flag anybody chose.
void DeviceTimeTest::unknownDstIsNeverWritten()
{
    m_bus.setHoldingRegister(1, 15, 1);
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    QCheckBox *autoDst = child<QCheckBox>(&dialog, "autoDstCheckBox");
    QLabel *result = child<QLabel>(&dialog, "writeResultLabel");
    QCOMPARE(autoDst->checkState(), Qt::PartiallyChecked);
    QCOMPARE(autoDst->text(), QStringLiteral("Auto adjust for DST (not read yet)"));

    MessageBoxAnswer noQuestion(QStringLiteral("Set to All"));
    child<QPushButton>(&dialog, "setButton")->click();
    child<QPushButton>(&dialog, "setToAllButton")->click();
    QTest::qWait(300);
    QVERIFY(!noQuestion.answered());
    QCOMPARE(m_bus.receivedWrites().size(), 0);
    QCOMPARE(result->text(),
        QStringLiteral("The relay's DST flag has not been read yet: choose \"Auto adjust for DST\" "
                       "before setting the time."));
    QVERIFY(isShownInRed(result));

    // Read: the relay's own flag, which Set writes back as it is.
    QVERIFY(readTime());
    QCOMPARE(autoDst->checkState(), Qt::Checked);
    QCOMPARE(autoDst->text(), QStringLiteral("Auto adjust for DST"));
    QVERIFY(!autoDst->isTristate());
    QVERIFY(
        passes(m_time.data(), [&dialog] { child<QPushButton>(&dialog, "setButton")->click(); }));
    QCOMPARE(m_bus.receivedWrites().value(0).address, 15);
    QCOMPARE(m_bus.receivedWrites().value(0).value, quint16(1));

    // Another relay selected: the last one's flag is not its flag.
    m_time->reset();
    QCOMPARE(autoDst->checkState(), Qt::PartiallyChecked);

    // The user's choice stands, through a read and a change of relay.
    autoDst->click();
    QCOMPARE(autoDst->checkState(), Qt::Checked);
    autoDst->click();
    QCOMPARE(autoDst->checkState(), Qt::Unchecked);
    QVERIFY(readTime());
    QCOMPARE(autoDst->checkState(), Qt::Unchecked);
    m_time->reset();
    QCOMPARE(autoDst->checkState(), Qt::Unchecked);
}

void DeviceTimeTest::systemTimeMode()
{
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    QDateTimeEdit *edit = child<QDateTimeEdit>(&dialog, "dateTimeEdit");
    QCheckBox *systemTime = child<QCheckBox>(&dialog, "systemTimeCheckBox");

    QVERIFY(systemTime->isChecked());
    QVERIFY(edit->isReadOnly());
    QCOMPARE(edit->focusPolicy(), Qt::ClickFocus);
    QVERIFY(qAbs(edit->dateTime().secsTo(QDateTime::currentDateTime())) <= 1);
    const QDateTime first = edit->dateTime();
    QTRY_VERIFY_WITH_TIMEOUT(edit->dateTime() != first, 1500);

    systemTime->click();
    QVERIFY(!edit->isReadOnly());
    QCOMPARE(edit->focusPolicy(), Qt::WheelFocus);
    const QDateTime stopped = edit->dateTime();
    QTest::qWait(600);
    QCOMPARE(edit->dateTime(), stopped);

    edit->setDateTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)));
    systemTime->click();
    QVERIFY(edit->isReadOnly());
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(edit->dateTime().secsTo(QDateTime::currentDateTime())) <= 1, 250);
}

void DeviceTimeTest::editLimits()
{
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    QDateTimeEdit *edit = child<QDateTimeEdit>(&dialog, "dateTimeEdit");
    const QDateTime minimum(QDate(2000, 1, 1), QTime(0, 0));
    const QDateTime maximum(QDate(2100, 1, 1), QTime(0, 0));
    QCOMPARE(edit->minimumDateTime(), minimum);
    QCOMPARE(edit->maximumDateTime(), maximum);

    child<QCheckBox>(&dialog, "systemTimeCheckBox")->click();
    edit->setDateTime(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)));
    QCOMPARE(edit->dateTime(), minimum);
    edit->setDateTime(QDateTime(QDate(2100, 1, 1), QTime(0, 0, 1)));
    QCOMPARE(edit->dateTime(), maximum);
}

void DeviceTimeTest::buttonsFollowTheMonitor()
{
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    QPushButton *set = child<QPushButton>(&dialog, "setButton");
    QPushButton *setToAll = child<QPushButton>(&dialog, "setToAllButton");
    QVERIFY(set->isEnabled());
    QVERIFY(setToAll->isEnabled());

    m_monitor->setCurrentDeviceId(-1);
    QVERIFY(!set->isEnabled());
    QVERIFY(setToAll->isEnabled());

    m_monitor->setCurrentDeviceId(2);
    QVERIFY(set->isEnabled());

    QVERIFY(m_monitor->disconnectFromPort());
    QVERIFY(!set->isEnabled());
    QVERIFY(!setToAll->isEnabled());

    // Opened while disconnected: nothing can be written.
    DeviceTimeDialog disconnected(m_time.data(), m_monitor.data());
    QVERIFY(!child<QPushButton>(&disconnected, "setButton")->isEnabled());
    QVERIFY(!child<QPushButton>(&disconnected, "setToAllButton")->isEnabled());
}

void DeviceTimeTest::titleNamesTheCurrentDevice()
{
    DeviceTimeDialog dialog(m_time.data(), m_monitor.data());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set time - Device 1"));
    m_monitor->setCurrentDeviceId(3);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set time - Device 3"));
    m_monitor->setCurrentDeviceId(9);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set time"));
}

QTEST_MAIN(DeviceTimeTest)
#include "tst_devicetime.moc"
