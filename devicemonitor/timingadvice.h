// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TIMINGADVICE_H
#define TIMINGADVICE_H

#include <QCoreApplication>
#include <QString>

class TurnaroundStats;

// A response timeout to propose from what the line's relays have shown. The timeout starts when
// the request is handed to the port, so it covers the longest request's time on the wire and
// then three times the 99th-percentile turnaround of the slowest relay, rounded up to 10 ms.
// The pause between requests is a need of the relays that their answers do not show: it is
// never proposed.
class TimingAdvice
{
    Q_DECLARE_TR_FUNCTIONS(TimingAdvice)

public:
    // Fewer answers than this tell too little of the slowest ones.
    static constexpr int MinAnswers = 50;

    explicit TimingAdvice(const TurnaroundStats &turnarounds);

    bool hasProposal() const { return m_answers >= MinAnswers; }
    int proposedTimeoutMs() const { return m_proposedMs; }
    // What was measured and what is proposed, or why nothing is.
    QString text() const;
    // What the pause between requests is for, and why it is not proposed.
    static QString readinessDelayText();

private:
    int m_answers = 0;
    double m_slowestP99Ms = 0;
    int m_proposedMs = 0;
};

#endif // TIMINGADVICE_H
