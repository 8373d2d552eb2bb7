// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/linesend.h"
#include "devicemonitor/writejournal.h"
#include "registerrules.h"
#include "relaybus.h"
#include "simulatedline.h"
#include "testtimeouts.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QList<int> Relays { 2, 5, 17 };
constexpr quint16 MtzReactionDelay = 35;
constexpr quint16 ZnzReactionDelay = 45;
constexpr quint16 FirstSetting = 25;
constexpr quint16 LastSetting = 51;

} // namespace

class LineSendTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void eachRelayGetsItsFileWithoutBecomingCurrent();
    void failedRelayDoesNotStopTheOthers();
    void stopSendsNoMoreRelays();

private:
    // What a relay holds now: the file a backup of it would be.
    SettingsValues settingsOf(int slaveId) const;
    qint64 serialOf(int slaveId) const;
    LineSend::Relay relay(int slaveId, const SettingsValues &changes = {}) const;
    bool sent(LineSend &send, const QVector<LineSend::Relay> &relays);

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<QTemporaryDir> m_folder;
    QScopedPointer<DeviceMonitor> m_monitor;
    WriteJournal *m_journal = nullptr;
    QMap<int, QMap<quint16, quint16>> m_pristine;
};

void LineSendTest::initTestCase()
{
    m_bus.reset(new RelayBus(Relays));
    serveTestLink(*m_bus);
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    for (int id : Relays) {
        for (quint16 address = FirstSetting; address <= LastSetting; ++address)
            m_pristine[id].insert(address, m_bus->holdingRegister(id, address));
    }
}

void LineSendTest::init()
{
    m_folder.reset(new QTemporaryDir);
    QVERIFY(m_folder->isValid());
    m_monitor.reset(new DeviceMonitor);
    m_monitor->setDeviceSettings({ 0, 60 });
    m_monitor->setAutoRefreshEnabled(false);
    auto store = std::make_unique<JournalStore>(m_folder->filePath(QStringLiteral("j.sqlite")));
    QVERIFY(store->open());
    m_journal = new WriteJournal(std::move(store), m_monitor.data());
    m_monitor->setWriteJournal(m_journal);
    QVERIFY(connectAndWait(*m_monitor, testLinkSettings(*m_bus)));
    m_monitor->scan(1, 20);
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), DeviceMonitor::Idle, 20 * PassWaitMs);
    m_monitor->setCurrentDeviceId(Relays.first());
}

void LineSendTest::cleanup()
{
    m_monitor.reset();
    m_bus->clearRegisterRules();
    for (auto relay = m_pristine.cbegin(); relay != m_pristine.cend(); ++relay) {
        for (auto value = relay->cbegin(); value != relay->cend(); ++value)
            m_bus->setHoldingRegister(relay.key(), value.key(), value.value());
    }
}

SettingsValues LineSendTest::settingsOf(int slaveId) const
{
    SettingsValues values;
    for (quint16 address = FirstSetting; address <= LastSetting; ++address) {
        if (settingsFieldAt(address))
            values.insert(address, m_bus->holdingRegister(slaveId, address));
    }
    return values;
}

qint64 LineSendTest::serialOf(int slaveId) const
{
    return qint64(m_bus->holdingRegister(slaveId, 2)) << 16 | m_bus->holdingRegister(slaveId, 3);
}

LineSend::Relay LineSendTest::relay(int slaveId, const SettingsValues &changes) const
{
    SettingsValues file = settingsOf(slaveId);
    file.insert(changes);
    RelaySettings shown;
    shown.identity.slaveId = slaveId;
    shown.identity.serialNumber = serialOf(slaveId);
    shown.values = settingsOf(slaveId);
    return { slaveId, serialOf(slaveId), file, shown };
}

bool LineSendTest::sent(LineSend &send, const QVector<LineSend::Relay> &relays)
{
    bool finished = false;
    connect(&send, &LineSend::finished, this, [&finished] { finished = true; });
    send.send(relays);
    return QTest::qWaitFor([&finished] { return finished; }, 4 * PassWaitMs);
}

// Relay 5's file differs in one value, relay 2's in none, and the file given for 17 is for
// another serial number: 5 alone is written and journalled, 17 is refused naming both serials,
// and the window's current relay stays what it was throughout.
void LineSendTest::eachRelayGetsItsFileWithoutBecomingCurrent()
{
    QList<int> currentMeanwhile;
    connect(m_monitor.data(), &DeviceMonitor::currentDeviceIdChanged, this,
        [&currentMeanwhile](int id) { currentMeanwhile.append(id); });
    LineSend::Relay other = relay(17, { { MtzReactionDelay, 40 } });
    other.serialNumber = 1234567;
    LineSend send(m_monitor.data());
    QVERIFY(sent(send, { relay(2), relay(5, { { MtzReactionDelay, 40 } }), other }));

    QVERIFY(currentMeanwhile.isEmpty());
    QCOMPARE(m_monitor->currentDeviceId(), 2);
    const std::vector<LineSend::Outcome> &outcomes = send.outcomes();
    QCOMPARE(outcomes.size(), 3);
    QVERIFY(outcomes.at(0).isComplete());
    QVERIFY(outcomes.at(0).result->send.sent.isEmpty());
    QVERIFY(outcomes.at(1).isComplete());
    QCOMPARE(outcomes.at(1).result->send.verdictOf(MtzReactionDelay), SendVerdict::Verified);
    QCOMPARE(m_bus->holdingRegister(5, MtzReactionDelay), quint16(40));
    QCOMPARE(int(outcomes.at(2).result->refusal), int(WriteResult::AnotherRelay));
    QVERIFY2(outcomes.at(2).text().contains(QStringLiteral("1234567")),
        qPrintable(outcomes.at(2).text()));
    QCOMPARE(m_bus->holdingRegister(17, MtzReactionDelay), m_pristine[17].value(MtzReactionDelay));

    const QVector<JournalEntry> entries = m_journal->store()->entries(-1, QDate());
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().slaveId, 5);
    QCOMPARE(entries.first().serialNumber, serialOf(5));
    QCOMPARE(entries.first().outcome(), JournalOutcome::Verified);
}

// A refusal on one relay and a relay changed since it was shown each end that relay's send; the
// next relay is sent all the same.
void LineSendTest::failedRelayDoesNotStopTheOthers()
{
    m_bus->setRegisterRule(
        2, MtzReactionDelay, *RegisterRule::parse(QStringLiteral("refuse"), QStringLiteral("4")));
    const LineSend::Relay changed = relay(5, { { MtzReactionDelay, 40 } });
    QVERIFY(m_bus->setHoldingRegister(5, ZnzReactionDelay, m_pristine[5][ZnzReactionDelay] + 1));
    LineSend send(m_monitor.data());
    QVERIFY(sent(send,
        { relay(2, { { MtzReactionDelay, 40 } }), changed,
            relay(17, { { MtzReactionDelay, 40 } }) }));

    const std::vector<LineSend::Outcome> &outcomes = send.outcomes();
    QVERIFY(!outcomes.at(0).isComplete());
    QCOMPARE(outcomes.at(0).result->send.verdictOf(MtzReactionDelay), SendVerdict::Refused);
    QCOMPARE(int(outcomes.at(1).result->refusal), int(WriteResult::ChangedSinceShown));
    QCOMPARE(m_bus->holdingRegister(5, MtzReactionDelay), m_pristine[5].value(MtzReactionDelay));
    QVERIFY(outcomes.at(2).isComplete());
    QCOMPARE(m_bus->holdingRegister(17, MtzReactionDelay), quint16(40));
}

// Stopped while the first relay is written: that relay's send ends as it would, the others are
// not sent and say so.
void LineSendTest::stopSendsNoMoreRelays()
{
    LineSend send(m_monitor.data());
    connect(&send, &LineSend::relayStarted, &send, &LineSend::stop);
    QVERIFY(sent(
        send, { relay(2, { { MtzReactionDelay, 40 } }), relay(5, { { MtzReactionDelay, 40 } }) }));
    QVERIFY(send.outcomes().at(0).isComplete());
    QVERIFY(!send.outcomes().at(1).result);
    QCOMPARE(send.outcomes().at(1).text(), QStringLiteral("Device 5: not sent"));
    QCOMPARE(m_bus->holdingRegister(5, MtzReactionDelay), m_pristine[5].value(MtzReactionDelay));
}

QTEST_GUILESS_MAIN(LineSendTest)
#include "tst_linesend.moc"
