// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/modulesdata.h"
#include "devicedata/sendplan.h"
#include "devicedata/sendverdict.h"
#include "devicedata/settingsfile.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/settingscomparisonmodel.h"
#include "devicemonitor/settingstransfer.h"
#include "devicemonitor/writejournal.h"
#include "relaybus.h"
#include "simulatedline.h"
#include "testtimeouts.h"

#include <QtTest>

#include <memory>
#include <optional>
#include <utility>

namespace {

constexpr int SlaveId = 2;
constexpr quint16 CurrentRange = 25;
constexpr quint16 MtzMode = 32;
constexpr quint16 MtzPickup = 34;
constexpr quint16 ToMode = 36;
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
    void protectionsInServiceGetLessSensitiveFirst();
    void savedFileOfEveryRelayVariantOpens_data();
    void savedFileOfEveryRelayVariantOpens();
    void failureCarriesItsCode_data();
    void failureCarriesItsCode();
    void relayLostWhileIdleIsTold();
    void stoppedSendTellsWhatItSwitchedOff();
    void sendGoesOnWhenAnotherRelayIsChosen();

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
    m_bus->setRelayOnline(SlaveId, true);
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
    // The relay applies the value and answers with an exception all the same: what it holds
    // decides, and the exception is kept to be named.
    QTest::newRow("taken with an exception")
        << QStringLiteral("take-refuse 4")
        << QList<int> { int(SendVerdict::Verified), int(SendVerdict::NotSent),
               int(SendVerdict::NotSent) }
        << QStringLiteral("Exception 4: slave device failure");
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

// A file that lowers MTZ's and ZNZ's pick-ups and lengthens their times while both stay in
// service: the relay takes the longer times first, so that it is never more sensitive than both
// its old and its new settings.
void SettingsTransferTest::protectionsInServiceGetLessSensitiveFirst()
{
    const QList<QPair<int, int>> held
        = { { 32, 1 }, { MtzPickup, 200 }, { MtzReactionDelay, 20 }, { 43, 50 }, { 45, 30 } };
    for (const auto &value : held)
        m_bus->setHoldingRegister(SlaveId, value.first, quint16(value.second));
    const RelaySettings relay = readRelay();
    m_bus->clearReceivedWrites();
    std::optional<SettingsSendResult> finished;
    connect(m_transfer.data(), &SettingsTransfer::sendFinished, this,
        [&finished](const SettingsSendResult &result) { finished = result; });
    m_transfer->send(
        SendPlan(relay, { { MtzPickup, 150 }, { MtzReactionDelay, 40 }, { 43, 30 }, { 45, 60 } }));
    QTRY_VERIFY_WITH_TIMEOUT(finished.has_value(), PassWaitMs);

    QList<QPair<int, int>> order;
    for (const ReceivedWrite &write : m_bus->receivedWrites())
        order.append({ write.address, write.value });
    const QList<QPair<int, int>> expected
        = { { MtzReactionDelay, 40 }, { 45, 60 }, { MtzPickup, 150 }, { 43, 30 } };
    QCOMPARE(order, expected);
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

void SettingsTransferTest::failureCarriesItsCode_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text"); // how the text begins

    QTest::newRow("another operation running")
        << QStringLiteral("read twice") << int(SettingsTransferError::Busy)
        << QStringLiteral("Another settings operation is still running.");
    QTest::newRow("no current device")
        << QStringLiteral("no device") << int(SettingsTransferError::NoDevice)
        << QStringLiteral("No device to work with: connect and choose a device first.");
    QTest::newRow("relay silent") << QStringLiteral("silent") << int(SettingsTransferError::Unread)
                                  << QStringLiteral("Could not read from Device 2: the identity, ");
    QTest::newRow("another relay chosen while reading")
        << QStringLiteral("another relay") << int(SettingsTransferError::NoLongerCurrent)
        << QStringLiteral("Device 2 is no longer the current device; the operation was stopped.");
    QTest::newRow("port closed") << QStringLiteral("disconnect")
                                 << int(SettingsTransferError::PortClosed)
                                 << QStringLiteral(
                                        "The port was closed; the operation with Device 2 was "
                                        "stopped.");
    QTest::newRow("scan started")
        << QStringLiteral("scan") << int(SettingsTransferError::ScanStarted)
        << QStringLiteral("A scan started; the operation with Device 2 was stopped.");
    QTest::newRow("journal unwritable")
        << QStringLiteral("journal") << int(SettingsTransferError::JournalUnwritable)
        << QStringLiteral("Nothing was sent to device 2: the journal could not record the send.");
}

// Each way an operation ends without its result has a code of its own, with the text that says
// so; only a relay that is gone counts as lost.
void SettingsTransferTest::failureCarriesItsCode()
{
    QFETCH(QString, cause);
    QFETCH(int, code);
    QFETCH(QString, text);

    // What a send that began writing meant to write.
    SettingsValues sent;
    QList<SettingsTransferError> failures;
    connect(m_transfer.data(), &SettingsTransfer::failed, this,
        [&failures](const SettingsTransferError &error) { failures.append(error); });
    bool lostTold = false;
    connect(
        m_transfer.data(), &SettingsTransfer::relayLost, this, [&lostTold] { lostTold = true; });

    if (cause == QLatin1String("read twice")) {
        m_transfer->readCurrentDevice();
        m_transfer->readCurrentDevice();
    } else if (cause == QLatin1String("no device")) {
        m_monitor->setCurrentDeviceId(-1);
        m_transfer->readCurrentDevice();
    } else if (cause == QLatin1String("silent")) {
        m_bus->setRelayOnline(SlaveId, false);
        m_transfer->readCurrentDevice();
    } else if (cause == QLatin1String("another relay")) {
        m_transfer->readCurrentDevice();
        m_monitor->setCurrentDeviceId(SlaveId + 1);
    } else if (cause == QLatin1String("disconnect")) {
        m_transfer->readCurrentDevice();
        m_monitor->disconnectFromPort();
    } else if (cause == QLatin1String("scan")) {
        m_transfer->readCurrentDevice();
        m_monitor->scan(SlaveId, SlaveId);
        QCOMPARE(m_monitor->state(), DeviceMonitor::Scanning);
    } else if (cause == QLatin1String("journal")) {
        const RelaySettings relay = readRelay();
        // A folder where the journal's file should be: the store cannot open.
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("journal.sqlite"));
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("journal.sqlite")));
        auto store = std::make_unique<JournalStore>(path);
        QVERIFY(!store->open());
        m_monitor->setWriteJournal(new WriteJournal(std::move(store), m_monitor.data()));
        m_transfer->send(SendPlan(relay, { { MtzReactionDelay, 55 } }));
    }

    QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, PassWaitMs);
    const SettingsTransferError &error = failures.first();
    QCOMPARE(int(error.code), code);
    QVERIFY2(error.text.startsWith(text), qPrintable(error.text));
    QCOMPARE(error.isRelayLost(),
        code == SettingsTransferError::NoLongerCurrent
            || code == SettingsTransferError::PortClosed);
    // The operation that failed tells it once; a scan then leaves no current device at all,
    // which is a loss of its own.
    QTest::qWait(200);
    QCOMPARE(failures.size(), 1);
    QCOMPARE(lostTold, cause == QLatin1String("scan"));
    if (code == SettingsTransferError::JournalUnwritable)
        QVERIFY(m_bus->receivedWrites().isEmpty());
    // Only a send stopped after its writes began tells what may have landed; nothing was read
    // back, so no value passes for one the relay holds.
    QCOMPARE(error.stoppedSend.has_value(), !sent.isEmpty());
    if (error.stoppedSend) {
        QCOMPARE(error.stoppedSend->sent, sent);
        QVERIFY(!error.stoppedSend->readBack);
        QVERIFY(error.stoppedSend->relay.values.isEmpty());
    }
}

// A send is addressed to its relay: choosing another meanwhile does not cut it short, so no
// frame is told as not sent that went out. It ends on its relay, read back, and then tells that
// the relay is no longer the current one.
void SettingsTransferTest::sendGoesOnWhenAnotherRelayIsChosen()
{
    const RelaySettings relay = readRelay();
    QMetaObject::Connection switching = connect(m_monitor.data(),
        &DeviceMonitor::transactionFinished, this, [this](const ModbusTransaction &transaction) {
            if (transaction.function == ModbusRequest::WriteSingleRegister)
                m_monitor->setCurrentDeviceId(SlaveId + 1);
        });
    std::optional<SettingsSendResult> finished;
    connect(m_transfer.data(), &SettingsTransfer::sendFinished, this,
        [&finished](const SettingsSendResult &result) { finished = result; });
    QList<int> lost;
    connect(m_transfer.data(), &SettingsTransfer::relayLost, this, [&lost, &finished](int code) {
        QVERIFY(finished);
        lost.append(code);
    });
    int failures = 0;
    connect(m_transfer.data(), &SettingsTransfer::failed, this, [&failures] { ++failures; });

    m_transfer->send(SendPlan(relay, { { MtzReactionDelay, 55 }, { ToReactionDelay, 12 } }));
    QTRY_VERIFY_WITH_TIMEOUT(finished, PassWaitMs);
    disconnect(switching);
    QCOMPARE(m_monitor->currentDeviceId(), SlaveId + 1);
    QCOMPARE(failures, 0);
    QVERIFY(finished->readBack);
    QCOMPARE(finished->verdictOf(MtzReactionDelay), SendVerdict::Verified);
    QCOMPARE(finished->verdictOf(ToReactionDelay), SendVerdict::Verified);
    QCOMPARE(m_bus->holdingRegister(SlaveId, ToReactionDelay), quint16(12));
    QCOMPARE(lost, QList<int> { int(SettingsTransferError::NoLongerCurrent) });
}

// Once a relay was read, choosing another or closing the port is told while nothing runs, so
// that what was read is not taken for the current device's; choosing it again is no loss.
void SettingsTransferTest::relayLostWhileIdleIsTold()
{
    QList<int> lost;
    connect(m_transfer.data(), &SettingsTransfer::relayLost, this,
        [&lost](SettingsTransferError::Code code) { lost.append(int(code)); });
    int failures = 0;
    connect(m_transfer.data(), &SettingsTransfer::failed, this, [&failures] { ++failures; });

    // Nothing read yet: nothing to lose.
    m_monitor->setCurrentDeviceId(SlaveId + 1);
    m_monitor->setCurrentDeviceId(SlaveId);
    QVERIFY(lost.isEmpty());

    QCOMPARE(readRelay().identity.slaveId, SlaveId);
    m_monitor->setCurrentDeviceId(SlaveId + 1);
    QCOMPARE(lost, QList<int> { int(SettingsTransferError::NoLongerCurrent) });
    m_monitor->setCurrentDeviceId(SlaveId);
    QCOMPARE(lost.size(), 1);
    m_monitor->disconnectFromPort();
    QCOMPARE(lost,
        (QList<int> {
            int(SettingsTransferError::NoLongerCurrent), int(SettingsTransferError::PortClosed) }));
    QCOMPARE(failures, 0);
}

// A change of range switches MTZ and TO off first; a refusal after that leaves them off, and
// every account of the send says so: the verdicts, the headline and the journal's frames.
void SettingsTransferTest::stoppedSendTellsWhatItSwitchedOff()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    auto store = std::make_unique<JournalStore>(folder.filePath(QStringLiteral("journal.sqlite")));
    QVERIFY(store->open());
    auto *journal = new WriteJournal(std::move(store), m_monitor.data());
    m_monitor->setWriteJournal(journal);
    m_bus->setHoldingRegister(SlaveId, CurrentRange, 3);
    m_bus->setHoldingRegister(SlaveId, MtzMode, 1);
    m_bus->setHoldingRegister(SlaveId, ToMode, 1);
    const RelaySettings relay = readRelay();
    m_bus->setRegisterRule(SlaveId, MtzPickup, *RegisterRule::parse("refuse", "3"));

    std::optional<SettingsSendResult> finished;
    connect(m_transfer.data(), &SettingsTransfer::sendFinished, this,
        [&finished](const SettingsSendResult &result) { finished = result; });
    const SendPlan plan(relay, { { CurrentRange, 1 }, { MtzMode, 1 }, { MtzPickup, 300 } });
    m_transfer->send(plan);
    QTRY_VERIFY_WITH_TIMEOUT(finished.has_value(), PassWaitMs);

    QCOMPARE(m_bus->holdingRegister(SlaveId, MtzMode), quint16(0));
    QCOMPARE(m_bus->holdingRegister(SlaveId, ToMode), quint16(0));
    for (quint16 mode : { MtzMode, ToMode }) {
        QCOMPARE(sendVerdict(finished->writes.value(mode), 1, finished->relay.values, mode),
            SendVerdict::SwitchedOff);
    }
    QVERIFY(finished->failedStep());
    QCOMPARE(finished->failedStep()->step.address, MtzPickup);
    QCOMPARE(
        finished->failedStep()->write.failure, QStringLiteral("Exception 3: illegal data value"));

    SettingsComparisonModel model;
    model.setSettings(relay, { { CurrentRange, 1 }, { MtzMode, 1 }, { MtzPickup, 300 } });
    model.setSendResult(*finished);
    QCOMPARE(model.sendSummary().switchedOff, 2);
    QVERIFY2(model.sendSummary().headline(SlaveId).endsWith(
                 QStringLiteral("2 switched off and not switched back on")),
        qPrintable(model.sendSummary().headline(SlaveId)));
    QCOMPARE(finished->summary().switchedOff, 2);
    QVERIFY2(finished->stoppedText().contains(QStringLiteral("not switched back on")),
        qPrintable(finished->stoppedText()));

    // A row per frame: both switch-offs landed, neither switch-on went out.
    const QVector<JournalEntry> entries = journal->store()->entries(-1, QDate());
    QCOMPARE(entries.size(), 1);
    const QVector<JournalRegister> &rows = entries.first().registers;
    QCOMPARE(rows.size(), plan.steps().size());
    QMap<quint16, QList<JournalOutcome>> outcomes;
    for (const JournalRegister &row : rows) {
        if (row.address == MtzMode || row.address == ToMode)
            outcomes[row.address].append(row.outcome);
    }
    for (quint16 mode : { MtzMode, ToMode }) {
        QCOMPARE(outcomes.value(mode),
            (QList<JournalOutcome> { JournalOutcome::Verified, JournalOutcome::NotSent }));
    }
}

QTEST_GUILESS_MAIN(SettingsTransferTest)
#include "tst_settingstransfer.moc"
