// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/modulesdata.h"
#include "devicedata/sendplan.h"
#include "devicedata/sendverdict.h"
#include "devicedata/settingsfile.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/settingstransfer.h"
#include "relaybus.h"
#include "simulatedline.h"
#include "testtimeouts.h"

#include <QtTest>

#include <optional>
#include <utility>

namespace {

constexpr int SlaveId = 2;
constexpr quint16 MtzPickup = 34;
constexpr quint16 MtzReactionDelay = 35;
constexpr quint16 ToReactionDelay = 38;
constexpr quint16 ApvReadinessDelay = 49;
constexpr quint16 ModulesRegister = 24;
constexpr quint16 LastSettingRegister = 51;
constexpr quint16 OwnDeviceType = 0x8D90;
constexpr quint16 ForeignDeviceType = 0x8D91;
// MTZ and TO off, earth fault on 3I0 alone, a single auto-reclose: the modes that leave the most
// fields unused.
const std::pair<const char *, quint16> PlainestModes[]
    = { { "mtzMode", 0 }, { "toMode", 0 }, { "znzMode", 0 }, { "apvMode", 1 } };

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
    void savedFileOfEveryRelayVariantOpens_data();
    void savedFileOfEveryRelayVariantOpens();

private:
    RelaySettings readRelay();
    // Sets every settings field the relay does not use to 0.
    void zeroUnusedFields(qint64 modules);

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<DeviceMonitor> m_monitor;
    QScopedPointer<SettingsTransfer> m_transfer;
    // The relay's registers from the modules to the last setting as it started, restored
    // after each test.
    QMap<quint16, quint16> m_pristine;
};

void SettingsTransferTest::initTestCase()
{
    m_bus.reset(new RelayBus({ SlaveId }));
    serveTestLink(*m_bus);
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    for (quint16 address = ModulesRegister; address <= LastSettingRegister; ++address)
        m_pristine.insert(address, m_bus->holdingRegister(SlaveId, address));
}

void SettingsTransferTest::init()
{
    m_monitor.reset(new DeviceMonitor);
    m_monitor->setDeviceSettings({ 0, 60 });
    m_monitor->setAutoRefreshEnabled(false);
    QVERIFY(connectAndWait(*m_monitor, testLinkSettings(*m_bus)));
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
    m_bus->setDeviceTypeCode(SlaveId, OwnDeviceType);
    m_bus->setModules(SlaveId, m_pristine.value(ModulesRegister));
    for (auto value = m_pristine.cbegin(); value != m_pristine.cend(); ++value) {
        if (value.key() != ModulesRegister)
            m_bus->setHoldingRegister(SlaveId, value.key(), value.value());
    }
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

void SettingsTransferTest::zeroUnusedFields(qint64 modules)
{
    const FieldContext context { validValue(modules),
        [this](quint16 address) { return validValue(m_bus->holdingRegister(SlaveId, address)); } };
    QSet<quint16> unused;
    for (const SettingsField &field : settingsFields()) {
        if (!field.description.isInUse(context))
            unused.insert(field.description.address);
    }
    for (quint16 address : std::as_const(unused))
        m_bus->setHoldingRegister(SlaveId, address, 0);
}

void SettingsTransferTest::savedFileOfEveryRelayVariantOpens_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<int>("modules");
    QTest::addColumn<bool>("plainestModes");
    QTest::addColumn<bool>("unusedZero");

    // Every value of the four module bits, as the relay comes and as one that keeps 0 in what it
    // does not use, with its protections as they come or in their plainest modes.
    for (int modules = 0; modules <= 0x0F; ++modules) {
        const QByteArray name = "modules 0x" + QByteArray::number(modules, 16);
        QTest::newRow(name) << int(OwnDeviceType) << modules << false << false;
        QTest::newRow(name + ", unused 0") << int(OwnDeviceType) << modules << false << true;
        QTest::newRow(name + ", plainest modes, unused 0")
            << int(OwnDeviceType) << modules << true << true;
    }
    QTest::newRow("another device type") << int(ForeignDeviceType) << 0x0F << false << false;
    QTest::newRow("another device type, no modules, unused 0")
        << int(ForeignDeviceType) << 0 << true << true;
}

// A backup is only worth what opening it gives back: whatever the relay holds, the file Save
// writes from it opens again with the same values.
void SettingsTransferTest::savedFileOfEveryRelayVariantOpens()
{
    QFETCH(int, deviceType);
    QFETCH(int, modules);
    QFETCH(bool, plainestModes);
    QFETCH(bool, unusedZero);

    m_bus->setDeviceTypeCode(SlaveId, quint16(deviceType));
    m_bus->setModules(SlaveId, quint16(modules));
    if (plainestModes) {
        for (const auto &mode : PlainestModes)
            QVERIFY(m_bus->setHoldingRegister(SlaveId,
                settingsFieldNamed(QLatin1String(mode.first))->description.address, mode.second));
    }
    // What is in use follows the modules as the program reads them from the register.
    const qint64 installed = readRelay().identity.modules;
    if (unusedZero)
        zeroUnusedFields(installed);

    const RelaySettings relay = readRelay();
    QCOMPARE(relay.identity.slaveId, SlaveId);
    QCOMPARE(relay.identity.deviceTypeCode, qint64(deviceType));
    QCOMPARE(relay.identity.modules, installed);
    for (const SettingsField &field : settingsFields()) {
        const quint16 address = field.description.address;
        QCOMPARE(relay.values.value(address, -1), qint64(m_bus->holdingRegister(SlaveId, address)));
    }

    SettingsFile saved;
    saved.relay = relay;
    saved.savedAt = QDateTime::currentDateTimeUtc();
    saved.programVersion = QStringLiteral("korvel-client test");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("relay.json"));
    QString error;
    QVERIFY2(saved.write(path, &error), qPrintable(error));

    QStringList problems;
    const SettingsFile opened = SettingsFile::read(path, &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QCOMPARE(opened.relay.identity.deviceTypeCode, relay.identity.deviceTypeCode);
    QCOMPARE(opened.relay.identity.serialNumber, relay.identity.serialNumber);
    QCOMPARE(opened.relay.identity.softwareVersion, relay.identity.softwareVersion);
    QCOMPARE(opened.relay.identity.modules, relay.identity.modules);
    QCOMPARE(opened.relay.values, relay.values);
    // Kept as held, and marked so that they are never sent.
    QSet<quint16> outOfRange;
    for (auto value = relay.values.cbegin(); value != relay.values.cend(); ++value) {
        if (!settingsFieldAt(value.key())->description.acceptsRaw(*value))
            outOfRange.insert(value.key());
    }
    QCOMPARE(opened.unusedOutOfRange, outOfRange);
    // The backup the program once refused: a relay without auto-reclose holding 0 in its delay.
    if (unusedZero && !(installed & ModuleApv))
        QVERIFY(outOfRange.contains(ApvReadinessDelay));
}

QTEST_GUILESS_MAIN(SettingsTransferTest)
#include "tst_settingstransfer.moc"
