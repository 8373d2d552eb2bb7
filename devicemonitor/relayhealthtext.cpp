// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/relayhealthtext.h"

#include <QDateTime>

QString RelayHealthText::text(int deviceId, const RelayHealth &health, Layout layout)
{
    const bool answered = health.lastAnswerAt != 0;
    QString text;
    if (layout == Lines) {
        text = answered
            ? tr("Requests: %1\nAnswers: %2\nTimeouts: %3\nErrors: %4\nLast answer: %5")
            : tr("Requests: %1\nAnswers: %2\nTimeouts: %3\nErrors: %4\nLast answer: none");
    } else {
        text = health.hasStoppedAnswering()
            ? tr("Device %1, not answering: requests %2, answers %3, timeouts %4, errors %5, "
                 "last answer %6")
            : tr("Device %1: requests %2, answers %3, timeouts %4, errors %5, last answer %6");
        text = text.arg(deviceId);
    }
    // Each arg() fills the lowest marker left: both layouts take the counts,
    // then the time of the last answer, in the same order.
    text = text.arg(health.requests).arg(health.answers).arg(health.timeouts).arg(health.errors);
    if (answered) {
        text = text.arg(QDateTime::fromMSecsSinceEpoch(health.lastAnswerAt)
                            .toString(QStringLiteral("hh:mm:ss.zzz")));
    } else if (layout == OneLine) {
        text = text.arg(tr("none"));
    }
    if (layout == Lines && health.hasStoppedAnswering())
        return tr("The relay has stopped answering.") + QLatin1Char('\n') + text;
    return text;
}
