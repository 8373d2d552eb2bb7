// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/timingadvice.h"
#include "devicemonitor/turnaroundstats.h"

#include <cmath>

namespace {

constexpr int ProposalStepMs = 10;

} // namespace

TimingAdvice::TimingAdvice(const TurnaroundStats &turnarounds)
    : m_answers(turnarounds.line().answers), m_slowestP99Ms(turnarounds.slowestP99Ms())
{
    const double needed = turnarounds.longestRequestWireMs() + 3 * m_slowestP99Ms;
    m_proposedMs
        = qMax(ProposalStepMs, int(std::ceil(needed / ProposalStepMs - 1e-9)) * ProposalStepMs);
}

QString TimingAdvice::text() const
{
    if (!hasProposal())
        return tr("Too few answers to propose a response timeout: %1 of the %2 needed since "
                  "the line was connected.")
            .arg(m_answers)
            .arg(MinAnswers);
    return tr("Relays on this line answered within %1 ms (99th percentile of the slowest relay, "
              "over %2 answers); a response timeout of %3 ms would do.")
        .arg(QString::number(m_slowestP99Ms, 'f', 1))
        .arg(m_answers)
        .arg(m_proposedMs);
}

QString TimingAdvice::readinessDelayText()
{
    return tr("The pause between requests gives a relay time to get ready for the next request. "
              "Its answers do not show how long it needs, so no pause is proposed: keep the one "
              "the relay's documentation asks for.");
}
