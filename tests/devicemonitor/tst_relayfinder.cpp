// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/relayfinder.h"
#include "relaybus.h"
#include "testtimeouts.h"

#include <QtTest>

// The search over a real line: the simulator's relays answer only requests
// sent at the baud rate and parity they are set to.
class RelayFinderTest : public QObject
{
    Q_OBJECT

private slots:
    void tryTimeoutFollowsTheLineSpeed_data();
    void tryTimeoutFollowsTheLineSpeed();
    void findsRelaysAtTheirLineSettings_data();
    void findsRelaysAtTheirLineSettings();
    void waitCoversASlowAnswer();
    void relayAnsweringAtSeveralSettingsIsOneResult();
    void cancelEndsTheSearch();
    void missingPortIsRefused();
};

void RelayFinderTest::tryTimeoutFollowsTheLineSpeed_data()
{
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("timeoutMs");

    // 18.5 characters on the wire: request, inter-frame gap, answer; 10 or 11 bits each. Then a
    // USB adapter's latency timer, 16 ms unless set otherwise, and a relay's turnaround, 20 ms.
    QTest::newRow("9600 8N1") << 9600 << 0 << 19 + 16 + 20;
    QTest::newRow("9600 8E1") << 9600 << 2 << 21 + 16 + 20;
    QTest::newRow("57600 8O1") << 57600 << 1 << 4 + 16 + 20;
    QTest::newRow("115200 8N1") << 115200 << 0 << 2 + 16 + 20;
}

void RelayFinderTest::tryTimeoutFollowsTheLineSpeed()
{
    QFETCH(int, baudRate);
    QFETCH(int, parity);
    QFETCH(int, timeoutMs);
    SerialPortSettings settings;
    settings.setBaudRate(baudRate);
    settings.setParity(parity);
    QCOMPARE(RelayFinder::tryTimeoutMs(settings, DefaultFinderWaitMs), timeoutMs);
}

void RelayFinderTest::findsRelaysAtTheirLineSettings_data()
{
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<char>("parity");
    QTest::addColumn<int>("parityCode");

    QTest::newRow("57600 even") << 57600 << 'E' << 2;
    QTest::newRow("9600 none") << 9600 << 'N' << 0;
    QTest::newRow("115200 odd") << 115200 << 'O' << 1;
}

void RelayFinderTest::findsRelaysAtTheirLineSettings()
{
    QFETCH(int, baudRate);
    QFETCH(char, parity);
    QFETCH(int, parityCode);

    RelayBus bus({ 2, 5 });
    bus.setRelayLineSettings(baudRate, parity);
    QVERIFY(bus.start());
    RelayFinder finder;
    finder.setWait(10);
    QSignalSpy progress(&finder, &RelayFinder::progress);
    QSignalSpy found(&finder, &RelayFinder::relayFound);
    QSignalSpy finished(&finder, &RelayFinder::finished);
    QVERIFY(finder.start(bus.portPath(), 1, 6));
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).toBool(), true);

    // Each try is one frame: fifteen settings, six IDs.
    QCOMPARE(progress.last(), (QList<QVariant> { 90, 90 }));
    QCOMPARE(bus.framesReceived(), quint64(6));
    QCOMPARE(found.count(), 2);
    const QList<RelayFinder::Result> results = finder.results();
    QCOMPARE(results.size(), 2);
    QCOMPARE(results.at(0).slaveId, 2);
    QCOMPARE(results.at(1).slaveId, 5);
    for (const RelayFinder::Result &result : results) {
        QCOMPARE(result.settings.size(), 1);
        QCOMPARE(result.settings.first().baudRate(), baudRate);
        QCOMPARE(result.settings.first().parity(), parityCode);
    }
    QVERIFY(!finder.isRunning());
}

// A relay whose answer comes later than the default wait allows, as behind an adapter with a
// long latency timer, is found once the wait is raised.
void RelayFinderTest::waitCoversASlowAnswer()
{
    RelayBus bus({ 3 });
    bus.setRelayLineSettings(9600, 'N');
    FaultSettings slow;
    slow.minDelayMs = slow.maxDelayMs = 80;
    bus.setFaults(slow);
    QVERIFY(bus.start());
    RelayFinder finder;
    finder.setWait(200);
    QSignalSpy finished(&finder, &RelayFinder::finished);
    QVERIFY(finder.start(bus.portPath(), 3, 3));
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finder.results().size(), 1);
    QCOMPARE(finder.results().first().slaveId, 3);
}

// A relay that hears every request (line settings of 0) answers at each of the fifteen.
void RelayFinderTest::relayAnsweringAtSeveralSettingsIsOneResult()
{
    RelayBus bus({ 4 });
    QVERIFY(bus.start());
    RelayFinder finder;
    finder.setWait(10);
    QSignalSpy found(&finder, &RelayFinder::relayFound);
    QSignalSpy finished(&finder, &RelayFinder::finished);
    QVERIFY(finder.start(bus.portPath(), 3, 4));
    QVERIFY(finished.wait(PassWaitMs));

    const QList<SerialPortSettings> candidates = RelayFinder::candidateSettings();
    QCOMPARE(found.count(), candidates.size());
    const QList<RelayFinder::Result> results = finder.results();
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first().slaveId, 4);
    QCOMPARE(results.first().settings.size(), candidates.size());
    for (int i = 0; i < candidates.size(); ++i) {
        QCOMPARE(results.first().settings.at(i).baudRate(), candidates.at(i).baudRate());
        QCOMPARE(results.first().settings.at(i).parity(), candidates.at(i).parity());
    }
}

void RelayFinderTest::cancelEndsTheSearch()
{
    RelayBus bus({ 1 });
    bus.setRelayLineSettings(115200, 'O');
    QVERIFY(bus.start());
    RelayFinder finder;
    QSignalSpy progress(&finder, &RelayFinder::progress);
    QSignalSpy finished(&finder, &RelayFinder::finished);
    QVERIFY(finder.start(bus.portPath(), 1, 10));
    QTRY_VERIFY_WITH_TIMEOUT(progress.count() > 3, PassWaitMs);
    finder.cancel();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).toBool(), false);
    const int tries = progress.count();
    QTest::qWait(200);
    QCOMPARE(progress.count(), tries);
    QVERIFY(finder.results().isEmpty());

    // The port was given back: another search can start.
    QVERIFY(finder.start(bus.portPath(), 1, 1));
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finder.results().size(), 1);
}

void RelayFinderTest::missingPortIsRefused()
{
    RelayFinder finder;
    QSignalSpy finished(&finder, &RelayFinder::finished);
    QVERIFY(!finder.start(QStringLiteral("/dev/no-such-adapter"), 1, 10));
    QVERIFY(!finder.error().isEmpty());
    QVERIFY(!finder.isRunning());
    QCOMPARE(finished.count(), 0);
    QVERIFY(!finder.start(QStringLiteral("/dev/null"), 5, 4));
}

QTEST_GUILESS_MAIN(RelayFinderTest)
#include "tst_relayfinder.moc"
