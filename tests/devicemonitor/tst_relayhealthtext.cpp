// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/relayhealthtext.h"

#include <QDateTime>
#include <QtTest>

Q_DECLARE_METATYPE(RelayHealth)
Q_DECLARE_METATYPE(TurnaroundStats::Summary)

// The device list's tooltip and the traffic view's line say the same counts
// in their own words.
class RelayHealthTextTest : public QObject
{
    Q_OBJECT

private slots:
    void countsInBothLayouts_data();
    void countsInBothLayouts();
    void lineTurnaround();
};

void RelayHealthTextTest::countsInBothLayouts_data()
{
    QTest::addColumn<RelayHealth>("health");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<TurnaroundStats::Summary>("turnaround");

    RelayHealth never;
    never.requests = 3;
    never.timeouts = 2;
    never.errors = 1;
    RelayHealth answering;
    answering.requests = 7;
    answering.answers = 6;
    answering.timeouts = 1;
    answering.lastAnswerAt
        = QDateTime(QDate(2026, 3, 4), QTime(10, 20, 30, 456)).toMSecsSinceEpoch();
    RelayHealth silent = answering;
    silent.requests = 11;
    silent.timeouts = 5;
    silent.unansweredInRow = RelayHealth::SilentAfter;
    RelayHealth neverSilent = never;
    neverSilent.unansweredInRow = RelayHealth::SilentAfter;

    QTest::newRow("lines, never answered")
        << never << int(RelayHealthText::Lines)
        << "Requests: 3\nAnswers: 0\nTimeouts: 2\nErrors: 1\nLast answer: none"
        << TurnaroundStats::Summary();
    QTest::newRow("lines, answering")
        << answering << int(RelayHealthText::Lines)
        << "Requests: 7\nAnswers: 6\nTimeouts: 1\nErrors: 0\nLast answer: 10:20:30.456"
        << TurnaroundStats::Summary();
    QTest::newRow("lines, stopped answering")
        << silent << int(RelayHealthText::Lines)
        << "The relay has stopped answering.\nRequests: 11\nAnswers: 6\nTimeouts: 5\nErrors: "
           "0\nLast answer: 10:20:30.456"
        << TurnaroundStats::Summary();
    QTest::newRow("lines, never answered and given up")
        << neverSilent << int(RelayHealthText::Lines)
        << "The relay has stopped answering.\nRequests: 3\nAnswers: 0\nTimeouts: 2\nErrors: "
           "1\nLast answer: none"
        << TurnaroundStats::Summary();
    QTest::newRow("one line, never answered")
        << never << int(RelayHealthText::OneLine)
        << "Device 17: requests 3, answers 0, timeouts 2, errors 1, last answer none"
        << TurnaroundStats::Summary();
    QTest::newRow("one line, answering")
        << answering << int(RelayHealthText::OneLine)
        << "Device 17: requests 7, answers 6, timeouts 1, errors 0, last answer 10:20:30.456"
        << TurnaroundStats::Summary();
    QTest::newRow("one line, stopped answering")
        << silent << int(RelayHealthText::OneLine)
        << "Device 17, not answering: requests 11, answers 6, timeouts 5, errors 0, last answer "
           "10:20:30.456"
        << TurnaroundStats::Summary();
    const TurnaroundStats::Summary timed { 57, 2.04, 9.96 };
    QTest::newRow("lines, with its turnaround")
        << answering << int(RelayHealthText::Lines)
        << "Requests: 7\nAnswers: 6\nTimeouts: 1\nErrors: 0\nLast answer: 10:20:30.456\n"
           "Turnaround: median 2.0 ms, 99th percentile 10.0 ms over 57 answers"
        << timed;
    // The turnaround is the session's: it outlives the scan that cleared the counts.
    QTest::newRow("one line, with its turnaround")
        << never << int(RelayHealthText::OneLine)
        << "Device 17: requests 3, answers 0, timeouts 2, errors 1, last answer none, "
           "turnaround median 2.0 ms, 99th percentile 10.0 ms"
        << timed;
    QTest::newRow("one line, stopped answering, with its turnaround")
        << silent << int(RelayHealthText::OneLine)
        << "Device 17, not answering: requests 11, answers 6, timeouts 5, errors 0, last answer "
           "10:20:30.456, turnaround median 2.0 ms, 99th percentile 10.0 ms"
        << timed;
}

void RelayHealthTextTest::countsInBothLayouts()
{
    QFETCH(RelayHealth, health);
    QFETCH(int, layout);
    QFETCH(QString, expected);
    QFETCH(TurnaroundStats::Summary, turnaround);
    QCOMPARE(
        RelayHealthText::text(17, health, RelayHealthText::Layout(layout), turnaround), expected);
}

void RelayHealthTextTest::lineTurnaround()
{
    QCOMPARE(RelayHealthText::lineTurnaroundText({}),
        QStringLiteral("No relay on this line has answered yet."));
    QCOMPARE(RelayHealthText::lineTurnaroundText({ 120, 3.24, 14.5 }),
        QStringLiteral("Relays on this line answer in 3.2 ms (median), 14.5 ms (99th percentile) "
                       "over 120 answers."));
}

QTEST_GUILESS_MAIN(RelayHealthTextTest)
#include "tst_relayhealthtext.moc"
