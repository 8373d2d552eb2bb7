// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitorscanimpl.h"
#include "devicemonitor/scanretries.h"
#include "devicemonitor/timingadvice.h"
#include "devicemonitor/turnaroundstats.h"

#include <QtTest>

namespace {

constexpr int TimeoutMs = 150;
constexpr int ShortMs = 10;

// A probe's record: the identity read of slave `id`, sent at `sentAt` ms, waiting `waitMs`.
ModbusTransaction probe(int id, qint64 sentAt, ModbusTransaction::Outcome outcome,
    int waitMs = ShortMs, qint64 durationMs = ShortMs)
{
    ModbusTransaction transaction;
    transaction.slaveId = uint(id);
    transaction.function = 3;
    transaction.count = 10;
    transaction.startedAt = sentAt;
    transaction.durationUs = durationMs * 1000;
    transaction.outcome = outcome;
    transaction.responseTimeoutMs = waitMs;
    return transaction;
}

ModbusTransaction answered(
    int id, double durationMs, ModbusTransaction::Outcome outcome = ModbusTransaction::Success)
{
    ModbusTransaction transaction = probe(id, 0, outcome, TimeoutMs);
    transaction.durationUs = qint64(durationMs * 1000);
    return transaction;
}

ConnectionSettings serialLine(int baudRate, int parity = SerialPortSettings::NoParity)
{
    ConnectionSettings settings;
    settings.portName = QStringLiteral("ttyUSB0");
    settings.serialPortSettings.setBaudRate(baudRate);
    settings.serialPortSettings.setParity(parity);
    return settings;
}

} // namespace

// What a quick scan decides from the records of its probes: which IDs it asks again, and how
// long it waits; and the turnarounds it takes its waits from.
class ScanTimingTest : public QObject
{
    Q_OBJECT

private slots:
    void bytesInAWindowMarkIdsForRetry_data();
    void bytesInAWindowMarkIdsForRetry();
    void endOfRangeMarksWhatCouldStillAnswer();
    void retriesGoAscendingAndEnd();
    void bytesFoundByAWriteCountToo();
    void turnaroundLeavesOutTheWire_data();
    void turnaroundLeavesOutTheWire();
    void percentilesPerRelayAndLine();
    void onlyAnswersCountAndANewLineStartsAfresh();
    void onlyTheNewestAnswersAreKept();
    void shortWaitFollowsTheSlowestRelay();
    void adviceNeedsAnswersAndCoversThreeTurnarounds();
};

// Slaves 4 and 5 were asked with a short wait and did not answer (at 0 and 100 ms); then slave 6
// was asked at 200 ms, and what it brought decides.
void ScanTimingTest::bytesInAWindowMarkIdsForRetry_data()
{
    QTest::addColumn<ModbusTransaction>("sixth");
    QTest::addColumn<bool>("sixthFound");
    QTest::addColumn<QList<int>>("marked");

    ModbusTransaction waiting = probe(6, 200, ModbusTransaction::Timeout);
    waiting.strayBytes = 25;
    waiting.strayFirstByte = 12;
    // Found waiting before 6 went out: they came in 5's window, so 5, 4 before it and 12,
    // whose frame it was; 4's answer too could still have been on its way then.
    QTest::newRow("bytes waiting before the next request")
        << waiting << false << QList<int>({ 4, 5, 12 });
    ModbusTransaction outside = waiting;
    outside.strayFirstByte = 40;
    QTest::newRow("first byte outside the range") << outside << false << QList<int>({ 4, 5 });
    ModbusTransaction noise = waiting;
    noise.strayFirstByte = -1;
    QTest::newRow("first byte not known") << noise << false << QList<int>({ 4, 5 });
    // Bytes that came before a request which then found its relay mark the window before it
    // all the same.
    ModbusTransaction foundAfter = waiting;
    foundAfter.outcome = ModbusTransaction::Success;
    QTest::newRow("bytes waiting, the next one answering")
        << foundAfter << true << QList<int>({ 4, 5, 12 });
    // In 6's own window: 6, 5 before it; 4's answer was no longer due at 200 ms.
    QTest::newRow("answer from another slave")
        << probe(6, 200, ModbusTransaction::ForeignAnswer) << false << QList<int>({ 5, 6 });
    QTest::newRow("damaged answer")
        << probe(6, 200, ModbusTransaction::InvalidCrc) << false << QList<int>({ 5, 6 });
    QTest::newRow("answer cut short (libmodbus waited its byte timeout)") << probe(6, 200,
        ModbusTransaction::Timeout, ShortMs, ShortMs + 500) << false << QList<int>({ 5, 6 });
    QTest::newRow("nothing came") << probe(6, 200, ModbusTransaction::Timeout) << false
                                  << QList<int>();
    QTest::newRow("the relay's own exception")
        << probe(6, 200, ModbusTransaction::Exception) << false << QList<int>();
}

void ScanTimingTest::bytesInAWindowMarkIdsForRetry()
{
    QFETCH(ModbusTransaction, sixth);
    QFETCH(bool, sixthFound);
    QFETCH(QList<int>, marked);
    ScanRetries retries(1, 20, TimeoutMs);
    retries.probed(probe(1, -400, ModbusTransaction::Success, TimeoutMs), true);
    retries.probed(probe(4, 0, ModbusTransaction::Timeout), false);
    retries.probed(probe(5, 100, ModbusTransaction::Timeout), false);
    retries.probed(sixth, sixthFound);
    QCOMPARE(retries.pending(), marked);
}

// Nothing after the last ID would see its late answer: the IDs that could still answer are
// asked again, and not before every short wait's answer would have come.
void ScanTimingTest::endOfRangeMarksWhatCouldStillAnswer()
{
    ScanRetries retries(4, 7, TimeoutMs);
    retries.probed(probe(4, 0, ModbusTransaction::Timeout), false);
    retries.probed(probe(5, 100, ModbusTransaction::Timeout), false);
    retries.probed(probe(6, 200, ModbusTransaction::Success), true);
    retries.probed(probe(7, 300, ModbusTransaction::Timeout, TimeoutMs, TimeoutMs), false);
    QVERIFY(retries.pending().isEmpty());
    retries.endPass();
    // 7's full wait ended at 450 ms, after every short wait's answer was due (5's, until 250).
    QCOMPARE(retries.pending(), QList<int>());
    QCOMPARE(retries.quietAt(), 250);

    ScanRetries early(4, 6, TimeoutMs);
    early.probed(probe(4, 0, ModbusTransaction::Timeout), false);
    early.probed(probe(5, 100, ModbusTransaction::Timeout), false);
    early.probed(probe(6, 200, ModbusTransaction::Success, ShortMs, 2), true);
    early.endPass();
    QCOMPARE(early.pending(), QList<int>({ 5 }));
}

void ScanTimingTest::retriesGoAscendingAndEnd()
{
    ScanRetries retries(1, 20, TimeoutMs);
    retries.probed(probe(9, 0, ModbusTransaction::ForeignAnswer), false);
    QCOMPARE(retries.takeNext(), 8);
    QCOMPARE(retries.takeNext(), 9);
    QCOMPARE(retries.takeNext(), -1);
    // The retry of 9 spoiled as well (by a relay slower than the timeout, say): 8 and 9 once
    // more, and then no more.
    retries.probed(probe(9, 1000, ModbusTransaction::ForeignAnswer, TimeoutMs), false);
    QCOMPARE(retries.takeNext(), 8);
    QCOMPARE(retries.takeNext(), 9);
    retries.probed(probe(9, 2000, ModbusTransaction::ForeignAnswer, TimeoutMs), false);
    QCOMPARE(retries.takeNext(), -1);
}

// A write to every relay went out between the probes of 9 and 10.
void ScanTimingTest::bytesFoundByAWriteCountToo()
{
    ScanRetries retries(1, 20, TimeoutMs);
    retries.probed(probe(9, 0, ModbusTransaction::Timeout), false);
    ModbusTransaction write = probe(0, 80, ModbusTransaction::Success);
    write.strayBytes = 7;
    write.strayFirstByte = 3;
    retries.foundWaiting(write);
    QCOMPARE(retries.pending(), QList<int>({ 3, 8, 9 }));
}

void ScanTimingTest::turnaroundLeavesOutTheWire_data()
{
    QTest::addColumn<int>("parity");
    QTest::addColumn<ModbusTransaction>("transaction");
    QTest::addColumn<double>("expectedMs");

    // 8 + 25 bytes of 10 bits at 19200 baud: 17.1875 ms on the wire.
    QTest::newRow("read of 10 registers, 8N1")
        << int(SerialPortSettings::NoParity) << answered(3, 20) << 2.8125;
    // 11 bits a character: 18.90625 ms.
    QTest::newRow("the same, even parity")
        << int(SerialPortSettings::EvenParity) << answered(3, 20) << 1.09375;
    // An exception answer is 5 bytes: 13 bytes, 6.7708 ms.
    QTest::newRow("exception") << int(SerialPortSettings::NoParity)
                               << answered(3, 10, ModbusTransaction::Exception) << 3.2291666;
    // Never below nothing: a simulator answers faster than any wire.
    QTest::newRow("faster than the wire")
        << int(SerialPortSettings::NoParity) << answered(3, 1) << 0.0;
}

void ScanTimingTest::turnaroundLeavesOutTheWire()
{
    QFETCH(int, parity);
    QFETCH(ModbusTransaction, transaction);
    QFETCH(double, expectedMs);
    TurnaroundStats stats;
    stats.setLine(serialLine(19200, parity));
    stats.count(transaction);
    QCOMPARE(stats.relay(3).answers, 1);
    QVERIFY2(qAbs(stats.relay(3).medianMs - expectedMs) < 1e-3,
        qPrintable(QString::number(stats.relay(3).medianMs)));
}

void ScanTimingTest::percentilesPerRelayAndLine()
{
    TurnaroundStats stats;
    stats.setLine(serialLine(19200));
    const double wireMs = stats.wireMs(8 + 25);
    // Relay 1 takes 1 to 100 ms, relay 2 always 5 ms, in no particular order.
    for (int ms = 100; ms >= 1; --ms) {
        stats.count(answered(1, wireMs + ms));
        stats.count(answered(2, wireMs + 5));
    }
    const auto close
        = [](double actual, double expected) { return qAbs(actual - expected) < 1e-2; };
    QVERIFY(close(stats.relay(1).medianMs, 50));
    QVERIFY(close(stats.relay(1).p99Ms, 99));
    QVERIFY(close(stats.relay(2).p99Ms, 5));
    QCOMPARE(stats.line().answers, 200);
    QVERIFY(close(stats.line().medianMs, 5));
    QVERIFY(close(stats.line().p99Ms, 98));
    QVERIFY(close(stats.slowestP99Ms(), 99));
}

// A long session keeps a bounded number of answers: the figures follow the newest, so a relay that
// was slow an hour ago and is quick now reads as quick.
void ScanTimingTest::onlyTheNewestAnswersAreKept()
{
    TurnaroundStats stats;
    stats.setLine(serialLine(19200));
    const double wireMs = stats.wireMs(8 + 25);
    for (int i = 0; i < 5000; ++i)
        stats.count(answered(1, wireMs + 80));
    for (int i = 0; i < 3000; ++i)
        stats.count(answered(1, wireMs + 4));
    QVERIFY(stats.relay(1).answers < 3000);
    QVERIFY2(
        qAbs(stats.relay(1).p99Ms - 4) < 1e-2, qPrintable(QString::number(stats.relay(1).p99Ms)));
    QVERIFY2(qAbs(stats.line().p99Ms - 4) < 1e-2, qPrintable(QString::number(stats.line().p99Ms)));
}

void ScanTimingTest::onlyAnswersCountAndANewLineStartsAfresh()
{
    TurnaroundStats stats;
    stats.setLine(serialLine(19200));
    stats.count(probe(4, 0, ModbusTransaction::Timeout));
    stats.count(probe(4, 0, ModbusTransaction::ForeignAnswer));
    stats.count(probe(4, 0, ModbusTransaction::Canceled));
    ModbusTransaction broadcast = answered(0, 30);
    stats.count(broadcast);
    QVERIFY(!stats.hasAnswers());

    stats.count(answered(4, 30));
    stats.setLine(serialLine(19200)); // connected again to the same line
    QCOMPARE(stats.relay(4).answers, 1);
    stats.setLine(serialLine(9600));
    QVERIFY(!stats.hasAnswers());
    QCOMPARE(stats.relay(4).answers, 0);

    // Over a network the frames' time on a serial line is not known.
    ConnectionSettings gateway;
    gateway.link = ConnectionSettings::NetworkLink;
    gateway.host = QStringLiteral("127.0.0.1");
    stats.setLine(gateway);
    QCOMPARE(stats.wireMs(100), 0.0);
    stats.count(answered(4, 30));
    QCOMPARE(stats.relay(4).medianMs, 30.0);
}

// The request's time on the wire and three turnarounds, within 10 ms and the timeout.
void ScanTimingTest::shortWaitFollowsTheSlowestRelay()
{
    QCOMPARE(DeviceMonitorScanImpl::shortWaitMs(4.2, 2.0, TimeoutMs), 11);
    QCOMPARE(DeviceMonitorScanImpl::shortWaitMs(0.0, 0.5, TimeoutMs), 10);
    QCOMPARE(DeviceMonitorScanImpl::shortWaitMs(4.2, 60.0, TimeoutMs), TimeoutMs);
}

void ScanTimingTest::adviceNeedsAnswersAndCoversThreeTurnarounds()
{
    TurnaroundStats stats;
    stats.setLine(serialLine(19200));
    const double wireMs = stats.wireMs(8 + 25);
    for (int i = 1; i < TimingAdvice::MinAnswers; ++i)
        stats.count(answered(2, wireMs + 1));
    const TimingAdvice tooFew(stats);
    QVERIFY(!tooFew.hasProposal());
    QCOMPARE(tooFew.text(),
        QStringLiteral("Too few answers to propose a response timeout: 49 of the 50 needed since "
                       "the line was connected."));

    // One slow relay: its 99th percentile counts, not the line's. A write of 16 registers is
    // the longest request (41 bytes, 21.4 ms), and 3 x 30 ms follow it: 111.4, up to 120 ms.
    for (int i = 0; i < 10; ++i)
        stats.count(answered(7, wireMs + 30));
    // Its answer echoes address and count: 8 bytes.
    ModbusTransaction write = answered(2, stats.wireMs(41 + 8) + 1);
    write.function = 16;
    write.count = 16;
    stats.count(write);
    const TimingAdvice advice(stats);
    QVERIFY(advice.hasProposal());
    QCOMPARE(advice.proposedTimeoutMs(), 120);
    QVERIFY(advice.proposedTimeoutMs() >= 3 * stats.slowestP99Ms());
    QCOMPARE(advice.text(),
        QStringLiteral("Relays on this line answered within 30.0 ms (99th percentile of the "
                       "slowest relay, over 60 answers); a response timeout of 120 ms would do."));
}

QTEST_GUILESS_MAIN(ScanTimingTest)
#include "tst_scantiming.moc"
