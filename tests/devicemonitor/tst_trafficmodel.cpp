// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/trafficmodel.h"
#include "testtimeouts.h"

#include <QSignalSpy>
#include <QtTest>

// The traffic view's rows: a bounded ring, fed in batches, held still while
// paused.
class TrafficModelTest : public QObject
{
    Q_OBJECT

private slots:
    void rowsComeInBatches();
    void fullRingDropsTheOldest();
    void moreThanARingAtOnceKeepsTheNewest();
    void pauseHoldsTheRowsAndLosesNothingItCanKeep();
    void clearForgetsRowsAndSlaves();
    void csvFieldsAreTheTableTexts();
    void malformedAnswerTellsWhyInItsTooltip();
};

namespace {

ModbusTransaction record(int n, uint slaveId = 1)
{
    ModbusTransaction transaction;
    transaction.startedAt = 1700000000000 + n;
    transaction.slaveId = slaveId;
    transaction.function = 3;
    transaction.startAddress = quint16(n);
    transaction.count = 1;
    return transaction;
}

QList<int> addresses(const TrafficModel &model)
{
    QList<int> result;
    for (int row = 0; row < model.rowCount(); ++row)
        result << model.transactionAt(row).startAddress;
    return result;
}

} // namespace

void TrafficModelTest::rowsComeInBatches()
{
    TrafficModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < 50; ++n)
        model.addTransaction(record(n));
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.pendingCount(), 50);

    QVERIFY(QTest::qWaitFor([&] { return model.rowCount() == 50; }, StepWaitMs));
    // A coarse timer may fire up to 5 % early, and each clock rounds to its millisecond.
    QVERIFY2(clock.elapsed() >= TrafficModel::BatchIntervalMs * 95 / 100 - 2,
        qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(addresses(model).first(), 0);
    QCOMPARE(addresses(model).last(), 49);
}

void TrafficModelTest::fullRingDropsTheOldest()
{
    TrafficModel model(nullptr, 5);
    for (int n = 0; n < 12; ++n) {
        model.addTransaction(record(n));
        if (n % 3 == 2)
            model.flush();
    }
    QCOMPARE(addresses(model), QList<int>({ 7, 8, 9, 10, 11 }));
    QCOMPARE(model.data(model.index(0, TrafficModel::AddressColumn)).toInt(), 7);
    QCOMPARE(model.data(model.index(4, TrafficModel::TimeColumn)).toString(),
        QDateTime::fromMSecsSinceEpoch(1700000000011).toString("hh:mm:ss.zzz"));
}

void TrafficModelTest::moreThanARingAtOnceKeepsTheNewest()
{
    TrafficModel model(nullptr, 4);
    model.addTransaction(record(100));
    model.flush();
    for (int n = 0; n < 9; ++n)
        model.addTransaction(record(n));
    model.flush();
    QCOMPARE(addresses(model), QList<int>({ 5, 6, 7, 8 }));
}

void TrafficModelTest::pauseHoldsTheRowsAndLosesNothingItCanKeep()
{
    TrafficModel model(nullptr, 10);
    model.addTransaction(record(0));
    model.flush();
    model.setPaused(true);
    QSignalSpy pending(&model, &TrafficModel::pendingCountChanged);
    for (int n = 1; n <= 25; ++n)
        model.addTransaction(record(n));
    model.flush();
    QTest::qWait(TrafficModel::BatchIntervalMs + 50);
    QCOMPARE(addresses(model), QList<int>({ 0 }));
    QCOMPARE(pending.last().at(0).toInt(), 10);
    // However long the pause, what waits stays within twice the ring.
    for (int n = 26; n <= 100; ++n)
        model.addTransaction(record(n));
    QVERIFY(model.pendingCount() <= 2 * model.capacity());

    model.setPaused(false);
    QCOMPARE(addresses(model), QList<int>({ 91, 92, 93, 94, 95, 96, 97, 98, 99, 100 }));
    QCOMPARE(model.pendingCount(), 0);
}

void TrafficModelTest::clearForgetsRowsAndSlaves()
{
    TrafficModel model;
    QSignalSpy seen(&model, &TrafficModel::slaveIdSeen);
    model.addTransaction(record(0, 5));
    model.addTransaction(record(1, 2));
    model.addTransaction(record(2, 5));
    model.flush();
    QCOMPARE(seen.count(), 2);
    QCOMPARE(model.slaveIds(), QList<uint>({ 2, 5 }));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(model.slaveIds().isEmpty());
    model.addTransaction(record(3, 5));
    QCOMPARE(seen.count(), 3);
}

void TrafficModelTest::csvFieldsAreTheTableTexts()
{
    TrafficModel model;
    ModbusTransaction exception = record(0);
    exception.startAddress = 16400;
    exception.count = 8;
    exception.outcome = ModbusTransaction::Exception;
    exception.exceptionCode = 2;
    exception.durationUs = 12345;
    model.addTransaction(exception);
    model.flush();
    QCOMPARE(model.csvHeader().join(QLatin1Char('|')),
        QStringLiteral("Time|Slave ID|Function|Address|Count|Result|Duration, ms"));
    const QString date
        = QDateTime::fromMSecsSinceEpoch(exception.startedAt).toString("yyyy-MM-dd hh:mm:ss.zzz");
    QCOMPARE(model.csvRow(0).join(QLatin1Char('|')),
        date + "|1|3 Read holding registers|16400|8|Exception 2: illegal data address|12.3");
}

void TrafficModelTest::malformedAnswerTellsWhyInItsTooltip()
{
    TrafficModel model;
    ModbusTransaction malformed = record(0);
    malformed.outcome = ModbusTransaction::MalformedAnswer;
    malformed.detail = QStringLiteral("byte count 255 does not fit a read of 10 registers");
    model.addTransaction(malformed);
    model.addTransaction(record(1));
    model.flush();
    QCOMPARE(model.index(0, TrafficModel::ResultColumn).data(Qt::ToolTipRole).toString(),
        malformed.detail);
    QVERIFY(model.index(0, TrafficModel::TimeColumn).data(Qt::ToolTipRole).isNull());
    QVERIFY(model.index(1, TrafficModel::ResultColumn).data(Qt::ToolTipRole).isNull());
}

QTEST_GUILESS_MAIN(TrafficModelTest)
#include "tst_trafficmodel.moc"
