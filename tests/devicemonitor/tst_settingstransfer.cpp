// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/sendplan.h"
#include "devicedata/sendverdict.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/settingstransfer.h"
#include "relaybus.h"
#include "testtimeouts.h"

#include <QtTest>

#include <optional>

namespace {

constexpr int SlaveId = 2;
constexpr quint16 MtzPickup = 34;
constexpr quint16 MtzReactionDelay = 35;
constexpr quint16 ToReactionDelay = 38;

} // namespace

// A send as the core carries it out, without a window: read, plan, write, read back, verdicts.
class SettingsTransferTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void verdictsFollowWhatTheRelayDid_data();
    void verdictsFollowWhatTheRelayDid();

private:
    RelaySettings readRelay();

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<DeviceMonitor> m_monitor;
    QScopedPointer<SettingsTransfer> m_transfer;
};

void SettingsTransferTest::initTestCase()
{
    m_bus.reset(new RelayBus({ SlaveId }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
}

void SettingsTransferTest::init()
{
    m_monitor.reset(new DeviceMonitor);
    m_monitor->setDeviceSettings({ 0, 60 });
    m_monitor->setAutoRefreshEnabled(false);
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    QVERIFY(m_monitor->connectToPort(settings));
    m_monitor->scan(SlaveId, SlaveId);
    QTRY_VERIFY_WITH_TIMEOUT(m_monitor->isCurrentDeviceAvailable(), PassWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), DeviceMonitor::Idle, PassWaitMs);
    m_transfer.reset(new SettingsTransfer(m_monitor.data()));
}

void SettingsTransferTest::cleanup()
{
    m_transfer.reset();
    m_monitor.reset();
    m_bus->clearRegisterRules();
    m_bus->clearReceivedWrites();
}

RelaySettings SettingsTransferTest::readRelay()
{
    std::optional<RelaySettings> read;
    connect(m_transfer.data(), &SettingsTransfer::relayRead, this,
        [&read](const RelaySettings &relay) { read = relay; });
    m_transfer->readCurrentDevice();
    if (!QTest::qWaitFor([&read] { return read.has_value(); }, PassWaitMs))
        qWarning("The settings were not read in time");
    disconnect(m_transfer.data(), &SettingsTransfer::relayRead, this, nullptr);
    return read.value_or(RelaySettings());
}

void SettingsTransferTest::verdictsFollowWhatTheRelayDid_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QList<int>>("verdicts"); // for 34, 35, 38
    QTest::addColumn<QString>("failure"); // of 34

    QTest::newRow("taken") << QString() << QList<int> { 0, 0, 0 } << QString();
    QTest::newRow("clamped") << QStringLiteral("clamp 10-200")
                             << QList<int> { int(SendVerdict::Changed), 0, 0 } << QString();
    QTest::newRow("refused") << QStringLiteral("refuse 4")
                             << QList<int> { int(SendVerdict::Refused), int(SendVerdict::NotSent),
                                    int(SendVerdict::NotSent) }
                             << QStringLiteral("Exception 4: slave device failure");
}

void SettingsTransferTest::verdictsFollowWhatTheRelayDid()
{
    QFETCH(QString, rule);
    QFETCH(QList<int>, verdicts);
    QFETCH(QString, failure);

    const RelaySettings relay = readRelay();
    QCOMPARE(relay.identity.slaveId, SlaveId);
    if (!rule.isEmpty())
        m_bus->setRegisterRule(SlaveId, MtzPickup,
            *RegisterRule::parse(
                rule.section(QLatin1Char(' '), 0, 0), rule.section(QLatin1Char(' '), 1, 1)));
    const SettingsValues values
        = { { MtzPickup, 450 }, { MtzReactionDelay, 55 }, { ToReactionDelay, 12 } };
    std::optional<SettingsSendResult> finished;
    connect(m_transfer.data(), &SettingsTransfer::sendFinished, this,
        [&finished](const SettingsSendResult &result) { finished = result; });
    m_transfer->send(SendPlan(relay, values));
    QTRY_VERIFY_WITH_TIMEOUT(finished.has_value(), PassWaitMs);
    const SettingsSendResult result = *finished;

    QVERIFY(result.readBack);
    QCOMPARE(result.sent, values);
    const quint16 addresses[] = { MtzPickup, MtzReactionDelay, ToReactionDelay };
    for (int i = 0; i < 3; ++i) {
        const quint16 address = addresses[i];
        QCOMPARE(
            result.relay.values.value(address), qint64(m_bus->holdingRegister(SlaveId, address)));
        QCOMPARE(int(sendVerdict(result.writes.value(address), values.value(address),
                     result.relay.values, address)),
            verdicts.at(i));
    }
    QCOMPARE(result.writes.value(MtzPickup).failure, failure);
}

QTEST_GUILESS_MAIN(SettingsTransferTest)
#include "tst_settingstransfer.moc"
