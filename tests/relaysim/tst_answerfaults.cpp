// SPDX-License-Identifier: GPL-3.0-or-later
#include "answerfaults.h"
#include "relaybus.h"
#include "rtuframer.h"

#include <QtTest>

namespace {

quint8 byteAt(const QByteArray &frame, int index)
{
    return static_cast<quint8>(frame.at(index));
}

} // namespace

// The spoiled answers look as a master on a real line would see them: well-formed frames that
// answer another question, or frames that are not whole.
class AnswerFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void spoiledAnswers_data();
    void spoiledAnswers();
    void drawFollowsTheProbabilities();
};

void AnswerFaultsTest::spoiledAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("unit"); // bytes per value of a read answer, 0 for a write

    QTest::newRow("holding registers")
        << RtuFramer::withCrc(QByteArray::fromHex("0303040102abcd")) << 2;
    QTest::newRow("coils") << RtuFramer::withCrc(QByteArray::fromHex("05010113")) << 1;
    QTest::newRow("no registers") << RtuFramer::withCrc(QByteArray::fromHex("030300")) << 2;
    QTest::newRow("single register write")
        << RtuFramer::withCrc(QByteArray::fromHex("0306001a0bb8")) << 0;
}

void AnswerFaultsTest::spoiledAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, unit);
    std::mt19937 random(99);

    for (int i = 0; i < 300; ++i) {
        const QByteArray exception = spoilAnswer(answer, AnswerFault::Exception, random);
        QVERIFY(RtuFramer::hasValidCrc(exception));
        QCOMPARE(exception.size(), 5);
        QCOMPARE(exception.at(0), answer.at(0));
        QCOMPARE(byteAt(exception, 1), quint8(byteAt(answer, 1) | 0x80));
        QVERIFY(QByteArray::fromHex("0102030406").contains(exception.at(2)));

        const QByteArray cut = spoilAnswer(answer, AnswerFault::ShortFrame, random);
        QVERIFY(!cut.isEmpty() && cut.size() < answer.size());
        QVERIFY(answer.startsWith(cut));

        const QByteArray trailed = spoilAnswer(answer, AnswerFault::LongFrame, random);
        QVERIFY(trailed.size() > answer.size());
        QVERIFY(trailed.startsWith(answer));

        const QByteArray foreign = spoilAnswer(answer, AnswerFault::ForeignSlave, random);
        QVERIFY(RtuFramer::hasValidCrc(foreign));
        QVERIFY(byteAt(foreign, 0) != byteAt(answer, 0));
        QVERIFY(byteAt(foreign, 0) >= 1 && byteAt(foreign, 0) <= 247);
        QCOMPARE(foreign.mid(1, foreign.size() - 3), answer.mid(1, answer.size() - 3));

        const QByteArray recounted = spoilAnswer(answer, AnswerFault::WrongByteCount, random);
        if (unit == 0) {
            QCOMPARE(recounted, answer);
            continue;
        }
        // Self-consistent: the byte count says how many bytes follow, the CRC fits.
        QVERIFY(RtuFramer::hasValidCrc(recounted));
        const int count = byteAt(recounted, 2);
        QCOMPARE(recounted.size(), 3 + count + 2);
        const int change = qAbs(count - byteAt(answer, 2));
        QVERIFY2(change == unit || change == 2 * unit, qPrintable(QString::number(change)));
        const int kept = 3 + qMin(count, int(byteAt(answer, 2)));
        QCOMPARE(recounted.left(2), answer.left(2));
        QCOMPARE(recounted.mid(3, kept - 3), answer.mid(3, kept - 3));
    }
}

void AnswerFaultsTest::drawFollowsTheProbabilities()
{
    std::mt19937 random(5);
    FaultSettings faults;
    for (int i = 0; i < 1000; ++i)
        QVERIFY(!drawAnswerFault(faults, random));

    faults.foreignSlaveProbability = 1;
    for (int i = 0; i < 100; ++i)
        QCOMPARE(drawAnswerFault(faults, random), std::optional(AnswerFault::ForeignSlave));

    faults = FaultSettings();
    faults.exceptionProbability = 0.25;
    faults.wrongByteCountProbability = 0.25;
    int exceptions = 0;
    int byteCounts = 0;
    for (int i = 0; i < 4000; ++i) {
        const auto fault = drawAnswerFault(faults, random);
        exceptions += fault == AnswerFault::Exception;
        byteCounts += fault == AnswerFault::WrongByteCount;
        QVERIFY(
            !fault || *fault == AnswerFault::Exception || *fault == AnswerFault::WrongByteCount);
    }
    // One fault per answer: the second only where the first was not drawn.
    QVERIFY2(qAbs(exceptions - 1000) < 150, qPrintable(QString::number(exceptions)));
    QVERIFY2(qAbs(byteCounts - 750) < 150, qPrintable(QString::number(byteCounts)));
}

QTEST_MAIN(AnswerFaultsTest)
#include "tst_answerfaults.moc"
