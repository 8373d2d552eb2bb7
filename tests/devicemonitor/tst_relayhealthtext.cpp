// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/relayhealthtext.h"

#include <QDateTime>
#include <QtTest>

Q_DECLARE_METATYPE(RelayHealth)

// The device list's tooltip and the traffic view's line say the same counts
// in their own words.
class RelayHealthTextTest : public QObject
{
    Q_OBJECT

private slots:
    void countsInBothLayouts_data();
    void countsInBothLayouts();
};

void RelayHealthTextTest::countsInBothLayouts_data()
{
    QTest::addColumn<RelayHealth>("health");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("expected");

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
        << "Requests: 3\nAnswers: 0\nTimeouts: 2\nErrors: 1\nLast answer: none";
    QTest::newRow("lines, answering")
        << answering << int(RelayHealthText::Lines)
        << "Requests: 7\nAnswers: 6\nTimeouts: 1\nErrors: 0\nLast answer: 10:20:30.456";
    QTest::newRow("lines, stopped answering")
        << silent << int(RelayHealthText::Lines)
        << "The relay has stopped answering.\nRequests: 11\nAnswers: 6\nTimeouts: 5\nErrors: "
           "0\nLast answer: 10:20:30.456";
    QTest::newRow("lines, never answered and given up")
        << neverSilent << int(RelayHealthText::Lines)
        << "The relay has stopped answering.\nRequests: 3\nAnswers: 0\nTimeouts: 2\nErrors: "
           "1\nLast answer: none";
    QTest::newRow("one line, never answered")
        << never << int(RelayHealthText::OneLine)
        << "Device 17: requests 3, answers 0, timeouts 2, errors 1, last answer none";
    QTest::newRow("one line, answering")
        << answering << int(RelayHealthText::OneLine)
        << "Device 17: requests 7, answers 6, timeouts 1, errors 0, last answer 10:20:30.456";
    QTest::newRow("one line, stopped answering")
        << silent << int(RelayHealthText::OneLine)
        << "Device 17, not answering: requests 11, answers 6, timeouts 5, errors 0, last answer "
           "10:20:30.456";
}

void RelayHealthTextTest::countsInBothLayouts()
{
    QFETCH(RelayHealth, health);
    QFETCH(int, layout);
    QFETCH(QString, expected);
    QCOMPARE(RelayHealthText::text(17, health, RelayHealthText::Layout(layout)), expected);
}

QTEST_GUILESS_MAIN(RelayHealthTextTest)
#include "tst_relayhealthtext.moc"
