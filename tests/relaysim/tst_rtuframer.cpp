// SPDX-License-Identifier: GPL-3.0-or-later
#include "rtuframer.h"

#include <QtTest>

namespace {

const QByteArray ReadRequest = RtuFramer::withCrc(QByteArray::fromHex("0103000a0004"));
const QByteArray WriteRequest = RtuFramer::withCrc(QByteArray::fromHex("0110002000020400010002"));

} // namespace

class TestRtuFramer : public QObject
{
    Q_OBJECT

private slots:
    void crcMatchesTheModbusCheck();
    void cutsRequests_data();
    void cutsRequests();
    void badCrcMakesItDeafUntilSilence();
    void silenceDropsAPartialFrame();
    void unknownFunctionEndsAtSilence();
};

void TestRtuFramer::crcMatchesTheModbusCheck()
{
    // 01 03 00 00 00 0A is sent as ... C5 CD on every Modbus line.
    QCOMPARE(RtuFramer::withCrc(QByteArray::fromHex("01030000000a")),
        QByteArray::fromHex("01030000000ac5cd"));
    QVERIFY(RtuFramer::hasValidCrc(ReadRequest));
    QByteArray corrupted = ReadRequest;
    corrupted[3] = char(corrupted.at(3) ^ 1);
    QVERIFY(!RtuFramer::hasValidCrc(corrupted));
}

void TestRtuFramer::cutsRequests_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("frames");

    QTest::newRow("read in one piece")
        << QList<QByteArray> { ReadRequest } << QList<QByteArray> { ReadRequest };
    QList<QByteArray> bytes;
    for (char byte : ReadRequest)
        bytes.append(QByteArray(1, byte));
    QTest::newRow("read byte by byte") << bytes << QList<QByteArray> { ReadRequest };
    QTest::newRow("write multiple, length from byte count")
        << QList<QByteArray> { WriteRequest.left(6), WriteRequest.mid(6) }
        << QList<QByteArray> { WriteRequest };
    QTest::newRow("back to back") << QList<QByteArray> { ReadRequest + WriteRequest + ReadRequest }
                                  << QList<QByteArray> { ReadRequest, WriteRequest, ReadRequest };
    QTest::newRow("incomplete") << QList<QByteArray> { WriteRequest.left(12) }
                                << QList<QByteArray>();
}

void TestRtuFramer::cutsRequests()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, frames);

    RtuFramer framer;
    QList<QByteArray> received;
    for (const QByteArray &chunk : chunks)
        received += framer.feed(chunk);
    QCOMPARE(received, frames);
}

void TestRtuFramer::badCrcMakesItDeafUntilSilence()
{
    RtuFramer framer;
    QByteArray corrupted = ReadRequest;
    corrupted[7] = char(corrupted.at(7) ^ 0x40);

    QVERIFY(framer.feed(corrupted + ReadRequest).isEmpty());
    // Without a silence the framer cannot know where the next frame starts.
    QVERIFY(framer.feed(ReadRequest).isEmpty());
    QVERIFY(framer.hasPending());
    QVERIFY(framer.silence().isEmpty());
    QVERIFY(!framer.hasPending());
    QCOMPARE(framer.feed(ReadRequest), QList<QByteArray> { ReadRequest });
}

void TestRtuFramer::silenceDropsAPartialFrame()
{
    RtuFramer framer;
    QVERIFY(framer.feed(ReadRequest.left(5)).isEmpty());
    QVERIFY(framer.hasPending());
    QVERIFY(framer.silence().isEmpty());
    QCOMPARE(framer.feed(ReadRequest), QList<QByteArray> { ReadRequest });
    QVERIFY(!framer.hasPending());
}

void TestRtuFramer::unknownFunctionEndsAtSilence()
{
    RtuFramer framer;
    const QByteArray reportSlaveId = RtuFramer::withCrc(QByteArray::fromHex("0111"));
    QVERIFY(framer.feed(reportSlaveId).isEmpty());
    QCOMPARE(framer.silence(), reportSlaveId);

    QVERIFY(framer.feed(reportSlaveId.left(3) + "x").isEmpty());
    QVERIFY(framer.silence().isEmpty());
    QVERIFY(framer.feed(QByteArray::fromHex("01")).isEmpty());
    QVERIFY(framer.silence().isEmpty());
}

QTEST_APPLESS_MAIN(TestRtuFramer)
#include "tst_rtuframer.moc"
