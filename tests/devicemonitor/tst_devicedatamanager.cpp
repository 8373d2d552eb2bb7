// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulatedline.h"
#include "testtimeouts.h"

#include <QElapsedTimer>
#include <QtTest>

#include <mutex>

namespace {

const int AbsentSlave = 9;

// Records when each of its replies came, on whatever thread that was, and the
// last register values it was given.
class ProbeData : public DeviceData
{
public:
    explicit ProbeData(const QString &name, QList<quint16> addresses = { 0 }) : DeviceData(nullptr)
    {
        setObjectName(name);
        clock.start();
        for (quint16 address : addresses) {
            readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, address, 1,
                [this, address](ModbusRequest::Result result, const ModbusRegisters &registers) {
                    std::lock_guard<std::mutex> locker(mutex);
                    replies.append({ address, clock.elapsed() });
                    Q_UNUSED(result)
                    updateRecord(
                        value, result, [&] { return validValue(registers.value(address)); });
                }));
            writeRequests().append(ModbusRequest(ModbusRequest::WriteSingleRegister, address, 1,
                [this, address](
                    ModbusRegisters &registers) { registers.setValue(address, pending); }));
        }
    }

    QList<quint16> replyAddresses() const
    {
        std::lock_guard<std::mutex> locker(mutex);
        QList<quint16> addresses;
        for (const auto &reply : replies)
            addresses.append(reply.first);
        return addresses;
    }

    QList<qint64> replyTimes() const
    {
        std::lock_guard<std::mutex> locker(mutex);
        QList<qint64> times;
        for (const auto &reply : replies)
            times.append(reply.second);
        return times;
    }

    DataValue value;
    quint16 pending = 0;

protected:
    void resetData() override { value = DataValue(); }

private:
    // A standard mutex rather than QMutex: ThreadSanitizer builds see through it.
    mutable std::mutex mutex;
    QElapsedTimer clock;
    QList<QPair<quint16, qint64>> replies;
};

// One line per signal, in the order they came.
class EventLog : public QObject
{
public:
    explicit EventLog(DeviceDataManager &manager)
    {
        connect(&manager, &DeviceDataManager::deviceDataProcessed, this,
            [this](DeviceData *data) { lines.append("processed " + data->objectName()); });
        connect(&manager, &DeviceDataManager::allDeviceDataProcessed, this,
            [this] { lines.append(QStringLiteral("all")); });
    }

    void watch(DeviceData &data)
    {
        connect(&data, &DeviceData::stateChanged, this, [this, &data](DeviceData::State state) {
            const char *name = state == DeviceData::Reading ? "reading"
                : state == DeviceData::Writing              ? "writing"
                                                            : "inactive";
            lines.append(QString::fromLatin1(name) + ' ' + data.objectName());
        });
    }

    bool waitFor(const QString &line, int timeoutMs = PassWaitMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (!lines.contains(line) && timer.elapsed() < timeoutMs)
            QTest::qWait(5);
        return lines.contains(line);
    }

    QStringList lines;
};

} // namespace

class DeviceDataManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void blocksFollowEachOtherWithTheReadinessDelay();
    void queuedWritesGoBeforeQueuedReads();
    void disabledRequestsAreSkipped_data();
    void disabledRequestsAreSkipped();
    void blockWithNothingToReadIsPassedOver();
    void timedOutReadStillFinishes();
    void cancelReadsDuringTransactionAndPause_data();
    void cancelReadsDuringTransactionAndPause();
    void readQueuedFromProcessedHandler();
    void broadcastWriteReachesEveryRelay();
    void closingThePortEndsARead_data();
    void closingThePortEndsARead();
    void closingThePortEndsAWrite();
    void writeStopsAtTheFirstRefusal();
    void queuedWriteThatCannotStartIsReported();
    void negativeTimingsCountAsZero();
    void canceledWriteDoesNotLookWritten();

private:
    QScopedPointer<SimulatedLine> m_line;
};

void DeviceDataManagerTest::init()
{
    m_line.reset(new SimulatedLine({ 1, 2, 3 }));
    QVERIFY(m_line->start());
}

void DeviceDataManagerTest::cleanup()
{
    m_line.reset();
}

void DeviceDataManagerTest::blocksFollowEachOtherWithTheReadinessDelay()
{
    DeviceDataManager &manager = m_line->manager();
    manager.setReadinessDelay(40);
    ProbeData a(QStringLiteral("A"), { 0, 8 });
    ProbeData b(QStringLiteral("B"), { 25 });
    EventLog log(manager);
    log.watch(a);
    log.watch(b);

    QElapsedTimer sinceStart;
    sinceStart.start();
    manager.read(1, &a);
    manager.read(1, &b);
    QVERIFY(log.waitFor(QStringLiteral("all")));

    QCOMPARE(log.lines,
        QStringList({ "reading A", "inactive A", "processed A", "reading B", "inactive B",
            "processed B", "all" }));
    QCOMPARE(a.replyAddresses(), QList<quint16>({ 0, 8 }));
    QCOMPARE(a.value, validValue(1)); // register 8 holds the relay's own ID
    QVERIFY(a.isReadSuccessful());

    // No request goes out before the readiness delay after the previous one,
    // and the end of all work comes one more delay after the last block.
    const qint64 gapInA = a.replyTimes().at(1) - a.replyTimes().at(0);
    QVERIFY2(gapInA >= 40, qPrintable(QString::number(gapInA)));
    QVERIFY(b.replyTimes().at(0) >= a.replyTimes().at(1));
    QVERIFY(sinceStart.elapsed() >= 3 * 40);

    // With no delay the next request still follows through the event loop.
    manager.setReadinessDelay(0);
    log.lines.clear();
    manager.read(2, &a);
    manager.read(2, &b);
    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(log.lines.size(), 7);
}

void DeviceDataManagerTest::queuedWritesGoBeforeQueuedReads()
{
    DeviceDataManager &manager = m_line->manager();
    ProbeData a(QStringLiteral("A"), { 0 }), b(QStringLiteral("B"), { 0 }),
        c(QStringLiteral("C"), { 0 });
    ProbeData w(QStringLiteral("W"), { 26, 27 });
    w.pending = 321;
    EventLog log(manager);
    for (ProbeData *data : { &a, &b, &c, &w })
        log.watch(*data);

    manager.read(1, &a);
    manager.read(1, &b);
    manager.read(1, &c);
    manager.write(2, &w);
    QVERIFY(log.waitFor(QStringLiteral("all")));

    QStringList processed = log.lines.filter(QStringLiteral("processed"));
    QCOMPARE(
        processed, QStringList({ "processed A", "processed W", "processed B", "processed C" }));
    QVERIFY(log.lines.contains(QStringLiteral("writing W")));
    QVERIFY(w.isWriteSuccessful());
    QCOMPARE(m_line->bus().holdingRegister(2, 26), quint16(321));
    QCOMPARE(m_line->bus().holdingRegister(2, 27), quint16(321));
    const QList<ReceivedWrite> writes = m_line->bus().receivedWrites();
    QCOMPARE(writes.size(), 2);
    QCOMPARE(writes.at(0).address, 26);
    QCOMPARE(writes.at(1).address, 27);
}

void DeviceDataManagerTest::disabledRequestsAreSkipped_data()
{
    QTest::addColumn<QList<int>>("disabled");
    QTest::addColumn<QList<quint16>>("read");

    QTest::newRow("last two") << QList<int> { 2, 3 } << QList<quint16> { 0, 8 };
    QTest::newRow("a middle one") << QList<int> { 1 } << QList<quint16> { 0, 9, 25 };
    QTest::newRow("the first") << QList<int> { 0 } << QList<quint16> { 8, 9, 25 };
}

void DeviceDataManagerTest::disabledRequestsAreSkipped()
{
    QFETCH(QList<int>, disabled);
    QFETCH(QList<quint16>, read);

    ProbeData data(QStringLiteral("D"), { 0, 8, 9, 25 });
    for (int index : disabled)
        data.readRequests()[index].setEnabled(false);
    EventLog log(m_line->manager());
    const quint64 framesBefore = m_line->bus().framesReceived();

    m_line->manager().read(1, &data);
    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(data.replyAddresses(), read);
    QCOMPARE(m_line->bus().framesReceived() - framesBefore, quint64(read.size()));
    QCOMPARE(log.lines, QStringList({ "processed D", "all" }));
}

void DeviceDataManagerTest::blockWithNothingToReadIsPassedOver()
{
    DeviceDataManager &manager = m_line->manager();
    ProbeData a(QStringLiteral("A")), off(QStringLiteral("Off"), { 0, 8 }), b(QStringLiteral("B"));
    for (ModbusRequest &request : off.readRequests())
        request.setEnabled(false);
    EventLog log(manager);
    log.watch(off);

    // Idle: nothing can start, nothing is signalled.
    manager.read(1, &off);
    QTest::qWait(50);
    QVERIFY(log.lines.isEmpty());

    // Queued: it is dropped and the next block is served.
    manager.read(1, &a);
    manager.read(1, &off);
    manager.read(1, &b);
    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(log.lines, QStringList({ "processed A", "processed B", "all" }));
    QCOMPARE(off.state(), DeviceData::Inactive);
}

void DeviceDataManagerTest::timedOutReadStillFinishes()
{
    ProbeData data(QStringLiteral("T"));
    EventLog log(m_line->manager());
    log.watch(data);
    m_line->manager().read(AbsentSlave, &data);
    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(log.lines, QStringList({ "reading T", "inactive T", "processed T", "all" }));
    QVERIFY(!data.isReadSuccessful());
    QCOMPARE(data.readRequests().at(0).result(), ModbusRequest::Timeout);
}

void DeviceDataManagerTest::cancelReadsDuringTransactionAndPause_data()
{
    QTest::addColumn<bool>("inPause");
    QTest::newRow("during a transaction") << false;
    QTest::newRow("during the pause") << true;
}

void DeviceDataManagerTest::cancelReadsDuringTransactionAndPause()
{
    QFETCH(bool, inPause);

    DeviceDataManager &manager = m_line->manager();
    manager.setReadinessDelay(inPause ? 300 : 0);
    manager.setResponseTimeout(inPause ? 100 : 2000);
    ProbeData data(QStringLiteral("X"), { 0, 8, 9 }), queued(QStringLiteral("Q"));
    // Read once in full first: the canceled read must not pass off the
    // results of this one as its own.
    QVERIFY(m_line->read(1, &data));
    QVERIFY(data.isReadSuccessful());
    const int repliesBefore = data.replyAddresses().size();
    EventLog log(manager);
    log.watch(data);

    manager.read(inPause ? 1 : AbsentSlave, &data);
    manager.read(1, &queued);
    if (inPause)
        QTRY_COMPARE(data.replyAddresses().size(), repliesBefore + 1);
    else
        QTest::qWait(50);
    manager.cancelReads();

    QCOMPARE(data.state(), DeviceData::Inactive);
    QVERIFY(!data.isReadSuccessful());
    QTest::qWait(inPause ? 500 : 150);
    QCOMPARE(log.lines, QStringList({ "reading X", "inactive X" }));
    QCOMPARE(queued.replyAddresses().size(), 0);
    QVERIFY(data.replyAddresses().size() <= repliesBefore + 1);

    // The manager is free again and serves the next read normally.
    manager.setReadinessDelay(0);
    manager.setResponseTimeout(100);
    log.lines.clear();
    manager.read(2, &queued);
    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(log.lines, QStringList({ "processed Q", "all" }));
    QVERIFY(queued.isReadSuccessful());
}

void DeviceDataManagerTest::readQueuedFromProcessedHandler()
{
    DeviceDataManager &manager = m_line->manager();
    manager.setReadinessDelay(30);
    ProbeData first(QStringLiteral("1")), second(QStringLiteral("2"));
    EventLog log(manager);
    connect(&manager, &DeviceDataManager::deviceDataProcessed, this, [&](DeviceData *data) {
        if (data == &first)
            manager.read(2, &second);
    });
    manager.read(1, &first);
    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(log.lines, QStringList({ "processed 1", "processed 2", "all" }));
    QVERIFY(second.isReadSuccessful());
    QVERIFY(second.replyTimes().at(0) - first.replyTimes().at(0) >= 30);
}

void DeviceDataManagerTest::broadcastWriteReachesEveryRelay()
{
    ProbeData data(QStringLiteral("B"), { 27 });
    data.pending = 17;
    QSignalSpy written(&m_line->manager(), &DeviceDataManager::deviceDataWritten);
    QVERIFY(m_line->write(0, &data));
    QCOMPARE(written.count(), 1);
    QCOMPARE(written.at(0).at(1).toInt(), 0);
    QVERIFY2(data.isWriteSuccessful(), "an unanswered broadcast is how it should end");
    for (int id : { 1, 2, 3 })
        QCOMPARE(m_line->bus().holdingRegister(id, 27), quint16(17));
    const QList<ReceivedWrite> writes = m_line->bus().receivedWrites();
    QCOMPARE(writes.size(), 1);
    QCOMPARE(writes.at(0).slaveId, 0);
}

void DeviceDataManagerTest::closingThePortEndsARead_data()
{
    QTest::addColumn<bool>("inPause");
    QTest::newRow("during a transaction") << false;
    QTest::newRow("during the pause") << true;
}

// The port can go away in the middle of a sequence (the adapter was pulled,
// the user disconnected). The block must end its read, not hang in Reading.
void DeviceDataManagerTest::closingThePortEndsARead()
{
    QFETCH(bool, inPause);

    DeviceDataManager &manager = m_line->manager();
    ProbeData data(QStringLiteral("R"), { 0, 8, 9 }), next(QStringLiteral("N"));
    manager.setReadinessDelay(inPause ? 200 : 0);
    QVERIFY(m_line->read(1, &data));
    QCOMPARE(data.value.status, Valid);

    manager.setResponseTimeout(2000);
    EventLog log(manager);
    log.watch(data);
    if (inPause) {
        manager.read(1, &data);
        QTRY_VERIFY(data.replyAddresses().size() >= 4);
        QTest::qWait(50); // into the pause after that transaction
    } else {
        m_line->bus().setRelayOnline(1, false);
        manager.read(1, &data);
        QTest::qWait(50);
    }
    manager.read(1, &next);
    QVERIFY(manager.closePort());

    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(log.lines, QStringList({ "reading R", "inactive R", "processed R", "all" }));
    QVERIFY(!data.isReadSuccessful());
    QCOMPARE(data.value.status, Outdated);
    QCOMPARE(next.replyAddresses().size(), 0);

    // Open again, and everything works as before.
    m_line->bus().setRelayOnline(1, true);
    manager.setResponseTimeout(100);
    QVERIFY(openAndWait(manager, m_line->connectionSettings()));
    QVERIFY(m_line->read(1, &data));
    QVERIFY(data.isReadSuccessful());
}

void DeviceDataManagerTest::closingThePortEndsAWrite()
{
    DeviceDataManager &manager = m_line->manager();
    manager.setReadinessDelay(200);
    ProbeData data(QStringLiteral("W"), { 25, 26, 27 });
    data.pending = 3;
    EventLog log(manager);
    log.watch(data);

    manager.write(1, &data);
    QTRY_COMPARE(data.writeRequests().at(0).result(), ModbusRequest::Success);
    QTest::qWait(50); // into the pause after that transaction
    QVERIFY(manager.closePort());
    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(log.lines, QStringList({ "writing W", "inactive W", "processed W", "all" }));
    QVERIFY(!data.isWriteSuccessful());
    QCOMPARE(data.writeRequests().at(0).result(), ModbusRequest::Success);
    // The others never went out: not sent, rather than failed.
    QCOMPARE(data.writeRequests().at(1).result(), ModbusRequest::NoResult);
    QCOMPARE(data.writeRequests().at(2).result(), ModbusRequest::NoResult);
    QCOMPARE(m_line->bus().receivedWrites().size(), 1);
}

// The writes after a refused one must not land: they were meant to go together with it.
void DeviceDataManagerTest::writeStopsAtTheFirstRefusal()
{
    DeviceDataManager &manager = m_line->manager();
    m_line->bus().setRegisterRule(1, 26, *RegisterRule::parse(QStringLiteral("refuse"), "3"));
    ProbeData data(QStringLiteral("W"), { 25, 26, 27 });
    data.pending = 3;
    EventLog log(manager);
    log.watch(data);

    manager.write(1, &data);
    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(log.lines, QStringList({ "writing W", "inactive W", "processed W", "all" }));
    QVERIFY(!data.isWriteSuccessful());
    QCOMPARE(data.writeRequests().at(0).result(), ModbusRequest::Success);
    QCOMPARE(data.writeRequests().at(1).result(), ModbusRequest::Error);
    QCOMPARE(data.writeRequests().at(2).result(), ModbusRequest::NoResult);
    const QList<ReceivedWrite> writes = m_line->bus().receivedWrites();
    QCOMPARE(writes.size(), 1);
    QCOMPARE(writes.first().address, 25);
    QVERIFY(m_line->bus().holdingRegister(1, 27) != 3);
    m_line->bus().clearRegisterRules();
}

void DeviceDataManagerTest::queuedWriteThatCannotStartIsReported()
{
    DeviceDataManager &manager = m_line->manager();
    manager.setReadinessDelay(100);
    ProbeData read(QStringLiteral("R")), write(QStringLiteral("W"), { 26 });
    EventLog log(manager);
    log.watch(write);

    manager.read(1, &read);
    manager.write(1, &write);
    QVERIFY(log.waitFor(QStringLiteral("processed R")));
    QVERIFY(manager.closePort());

    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(
        log.lines, QStringList({ "processed R", "writing W", "inactive W", "processed W", "all" }));
    QVERIFY(!write.isWriteSuccessful());
    QVERIFY(m_line->bus().receivedWrites().isEmpty());
}

void DeviceDataManagerTest::negativeTimingsCountAsZero()
{
    DeviceDataManager &manager = m_line->manager();
    manager.setReadinessDelay(-50);
    manager.setResponseTimeout(-1);
    QCOMPARE(manager.readinessDelay(), 0);
    QCOMPARE(manager.responseTimeout(), 0);

    ProbeData data(QStringLiteral("N"), { 0, 8 });
    EventLog log(manager);
    manager.read(AbsentSlave, &data);
    manager.read(1, &data);
    QVERIFY(log.waitFor(QStringLiteral("all")));
    QCOMPARE(log.lines.count(QStringLiteral("processed N")), 2);
}

void DeviceDataManagerTest::canceledWriteDoesNotLookWritten()
{
    DeviceDataManager &manager = m_line->manager();
    ProbeData data(QStringLiteral("W"), { 25, 26 });
    data.pending = 2;
    QVERIFY(m_line->write(1, &data));
    QVERIFY(data.isWriteSuccessful());

    manager.setReadinessDelay(200);
    manager.write(1, &data);
    QTRY_COMPARE(m_line->bus().receivedWrites().size(), 3);
    manager.cancelWrites();
    QCOMPARE(data.state(), DeviceData::Inactive);
    QVERIFY(!data.isWriteSuccessful());
}

QTEST_GUILESS_MAIN(DeviceDataManagerTest)
#include "tst_devicedatamanager.moc"
