// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/relayhealthtext.h"

#include <QDateTime>

namespace {

QString milliseconds(double ms)
{
    return QString::number(ms, 'f', 1);
}

} // namespace

QString RelayHealthText::text(int deviceId, const RelayHealth &health, Layout layout,
    const TurnaroundStats::Summary &turnaround)
{
    const bool answered = health.lastAnswerAt != 0;
    const bool timed = turnaround.answers > 0;
    QString text;
    if (layout == Lines) {
        text = answered
            ? tr("Requests: %1\nAnswers: %2\nTimeouts: %3\nErrors: %4\nLast answer: %5")
            : tr("Requests: %1\nAnswers: %2\nTimeouts: %3\nErrors: %4\nLast answer: none");
    } else if (timed) {
        text = health.hasStoppedAnswering()
            ? tr("Device %1, not answering: requests %2, answers %3, timeouts %4, errors %5, "
                 "last answer %6, turnaround median %7 ms, 99th percentile %8 ms")
            : tr("Device %1: requests %2, answers %3, timeouts %4, errors %5, last answer %6, "
                 "turnaround median %7 ms, 99th percentile %8 ms");
        text = text.arg(deviceId);
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
    if (layout == OneLine && timed)
        text = text.arg(milliseconds(turnaround.medianMs), milliseconds(turnaround.p99Ms));
    if (layout == Lines && timed)
        text += QLatin1Char('\n')
            + tr("Turnaround: median %1 ms, 99th percentile %2 ms over %3 answers")
                  .arg(milliseconds(turnaround.medianMs), milliseconds(turnaround.p99Ms))
                  .arg(turnaround.answers);
    if (layout == Lines && health.hasStoppedAnswering())
        return tr("The relay has stopped answering.") + QLatin1Char('\n') + text;
    return text;
}

QString RelayHealthText::lineTurnaroundText(const TurnaroundStats::Summary &turnaround)
{
    if (turnaround.answers == 0)
        return tr("No relay on this line has answered yet.");
    return tr("Relays on this line answer in %1 ms (median), %2 ms (99th percentile) over %3 "
              "answers.")
        .arg(milliseconds(turnaround.medianMs), milliseconds(turnaround.p99Ms))
        .arg(turnaround.answers);
}
