// SPDX-License-Identifier: GPL-3.0-or-later
#include "blockchecks.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/crashdata.h"
#include "devicedata/crashlogdata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/discreteinputsdata.h"
#include "devicedata/ledsdata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/meteragedata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "simulatedline.h"

#include <QtTest>

#include <cstdio>
#include <memory>
#include <random>
#include <vector>

// A relay that answers with exceptions, frames cut short or trailing junk, byte counts that do
// not fit the request, another slave's ID, or too late: whatever it sends, no block may show a
// value as valid that the relay does not hold, a failed read leaves nothing valid, and a write
// reported as done is in the relay. Every block is read through the real transport, one kind of
// fault at a time and then all of them together.

namespace {

constexpr int SlaveId = 4;
constexpr int ResponseTimeoutMs = 30;
// Whether the line recovered is no matter of speed: a loaded machine may miss the short timeout.
constexpr int RecoveryTimeoutMs = 1000;

struct Outcome
{
    int failed = 0;
    int succeeded = 0;
    int writesLanded = 0;
    int writesFailed = 0;
};

} // namespace

Q_DECLARE_METATYPE(FaultSettings)

class HostileAnswersTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void valuesStayTrue_data();
    void valuesStayTrue();

private:
    std::unique_ptr<SimulatedLine> m_line;
};

void HostileAnswersTest::initTestCase()
{
    m_line = std::make_unique<SimulatedLine>(QList<int> { SlaveId, SlaveId + 1 });
    QVERIFY(m_line->start());
    m_line->bus().setCrashCount(SlaveId, 33);
}

void HostileAnswersTest::cleanupTestCase()
{
    m_line.reset();
}

void HostileAnswersTest::valuesStayTrue_data()
{
    QTest::addColumn<FaultSettings>("faults");
    // Each cut frame costs libmodbus's byte timeout, half a second.
    QTest::addColumn<int>("rounds");
    // Trailing bytes spoil nothing: the answer is whole and the rest is flushed. Hardly any read
    // fails then (a slow machine may still miss a timeout now and then).
    QTest::addColumn<bool>("readsFail");

    FaultSettings faults;
    faults.exceptionProbability = 0.3;
    QTest::newRow("exceptions") << faults << 8 << true;
    faults = FaultSettings();
    faults.shortFrameProbability = 0.15;
    QTest::newRow("frames cut short") << faults << 3 << true;
    faults = FaultSettings();
    faults.longFrameProbability = 0.3;
    QTest::newRow("bytes after the frame") << faults << 8 << false;
    faults = FaultSettings();
    faults.wrongByteCountProbability = 0.3;
    QTest::newRow("wrong byte counts") << faults << 8 << true;
    faults = FaultSettings();
    faults.foreignSlaveProbability = 0.3;
    QTest::newRow("another slave's ID") << faults << 8 << true;
    // Some answers come after the master gave up waiting, by up to a quarter of the response
    // timeout: none may pass for the answer to the next request, which often has the same shape.
    faults = FaultSettings();
    faults.maxDelayMs = ResponseTimeoutMs + ResponseTimeoutMs / 4;
    QTest::newRow("late answers") << faults << 8 << true;
    faults.exceptionProbability = 0.05;
    faults.shortFrameProbability = 0.01;
    faults.longFrameProbability = 0.05;
    faults.wrongByteCountProbability = 0.05;
    faults.foreignSlaveProbability = 0.05;
    faults.dropProbability = 0.05;
    faults.badCrcProbability = 0.05;
    QTest::newRow("everything at once") << faults << 8 << true;
}

void HostileAnswersTest::valuesStayTrue()
{
    QFETCH(FaultSettings, faults);
    QFETCH(int, rounds);
    QFETCH(bool, readsFail);

    // Fresh blocks for every row, so that each starts without values.
    QObject owner;
    auto *crashLog = new CrashLogData(&owner);
    auto *configuration = new MeterageConfigurationData(&owner);
    const QList<DeviceData *> blocks = { new ModulesData(&owner), new DeviceTimeData(&owner),
        configuration, new MeterageData(&owner), new DiscreteInputsData(&owner),
        new LedsData(&owner), new CrashCountData(&owner), new CrashData(&owner),
        new ProtectionConfigurationData(&owner), new SetpointsData(&owner), crashLog };
    crashLog->setCrashCount(33);

    std::mt19937 random(7);
    m_line->manager().setResponseTimeout(ResponseTimeoutMs);
    RelayBus &bus = m_line->bus();
    bus.setFaults(faults);
    Outcome outcome;
    for (int round = 0; round < rounds; ++round) {
        for (DeviceData *block : blocks) {
            const BlockValues before = blockValues(block);
            QVERIFY(m_line->read(SlaveId, block));
            ++(lastReadSucceeded(block) ? outcome.succeeded : outcome.failed);
            const QString mismatch = validValueMismatch(block, bus, SlaveId);
            QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
            const QString status = statusMismatch(before, block);
            QVERIFY2(status.isEmpty(), qPrintable(status));
        }

        // A write reported as done is in the relay; one reported as failed may or may not be.
        MeterageConfiguration pending;
        pending.currentRange = validValue(std::uniform_int_distribution<int>(1, 4)(random));
        pending.currentTransFactor
            = validValue(std::uniform_int_distribution<int>(1, 5000)(random));
        pending.zeroCurrentTransFactor
            = validValue(std::uniform_int_distribution<int>(1, 5000)(random));
        configuration->setNewConfiguration(pending);
        QVERIFY(m_line->write(SlaveId, configuration));
        if (configuration->isWriteSuccessful()) {
            ++outcome.writesLanded;
            QCOMPARE(bus.holdingRegister(SlaveId, 25), quint16(pending.currentRange.value));
            QCOMPARE(bus.holdingRegister(SlaveId, 26), quint16(pending.currentTransFactor.value));
            QCOMPARE(
                bus.holdingRegister(SlaveId, 27), quint16(pending.zeroCurrentTransFactor.value));
        } else {
            ++outcome.writesFailed;
        }
    }
    bus.setFaults(FaultSettings());
    // Past QtTest's message limit, which the program's debug lines use up.
    std::fprintf(stderr, "%s: %d reads failed, %d succeeded; %d writes landed, %d failed\n",
        QTest::currentDataTag(), outcome.failed, outcome.succeeded, outcome.writesLanded,
        outcome.writesFailed);
    if (readsFail)
        QVERIFY(outcome.failed > 0);
    else
        QVERIFY2(
            outcome.failed * 10 <= outcome.succeeded, qPrintable(QString::number(outcome.failed)));
    QVERIFY(outcome.succeeded > 0);

    // The line recovers at once: the next read of every block is clean.
    m_line->manager().setResponseTimeout(RecoveryTimeoutMs);
    for (DeviceData *block : blocks) {
        QVERIFY(m_line->read(SlaveId, block));
        QVERIFY2(lastReadSucceeded(block), block->metaObject()->className());
        const QString mismatch = validValueMismatch(block, bus, SlaveId);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }
}

QTEST_MAIN(HostileAnswersTest)
#include "tst_hostileanswers.moc"
