// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/scanretries.h"

#include <algorithm>

namespace {

// libmodbus waits its byte timeout (500 ms) for the rest of an answer that has begun; a timeout
// this much longer than the wait means bytes came, not enough for a frame.
constexpr qint64 CutShortMarginMs = 100;

qint64 endOf(const ModbusTransaction &transaction)
{
    return transaction.startedAt + transaction.durationUs / 1000;
}

} // namespace

ScanRetries::ScanRetries(int firstId, int lastId, int responseTimeoutMs)
    : m_firstId(firstId), m_lastId(lastId), m_responseTimeoutMs(responseTimeoutMs)
{
}

bool ScanRetries::hasForeignBytes(const ModbusTransaction &transaction)
{
    switch (transaction.outcome) {
    case ModbusTransaction::InvalidCrc:
    case ModbusTransaction::ForeignAnswer:
    case ModbusTransaction::MalformedAnswer:
        return true;
    case ModbusTransaction::Timeout:
        return transaction.durationUs / 1000 > transaction.responseTimeoutMs + CutShortMarginMs;
    default:
        return false;
    }
}

void ScanRetries::probed(const ModbusTransaction &transaction, bool found)
{
    const int id = int(transaction.slaveId);
    // Bytes waiting before this request came after the previous one's had ended: in its window.
    foundWaiting(transaction);
    if (found) {
        m_found.insert(id);
        m_marked.remove(id);
    } else {
        if (transaction.responseTimeoutMs < m_responseTimeoutMs) {
            m_shortMisses.append({ id, transaction.startedAt });
            m_quietAt = qMax(m_quietAt, transaction.startedAt + m_responseTimeoutMs);
        }
        if (hasForeignBytes(transaction))
            mark(id, -1, transaction.startedAt);
    }
    m_previousId = id;
    m_previousEnd = endOf(transaction);
}

void ScanRetries::foundWaiting(const ModbusTransaction &transaction)
{
    if (transaction.strayBytes > 0 && m_previousId > 0)
        mark(m_previousId, transaction.strayFirstByte, m_previousEnd);
}

void ScanRetries::endPass()
{
    if (m_previousId > 0)
        markStillDue(m_previousEnd);
}

void ScanRetries::mark(int id, int firstByte, qint64 since)
{
    add(id);
    add(id - 1);
    add(firstByte);
    markStillDue(since);
}

void ScanRetries::markStillDue(qint64 since)
{
    for (const auto &miss : qAsConst(m_shortMisses)) {
        if (miss.second + m_responseTimeoutMs > since)
            add(miss.first);
    }
}

void ScanRetries::add(int id)
{
    if (id >= m_firstId && id <= m_lastId && !m_found.contains(id)
        && m_retries.value(id) < MaxRetries)
        m_marked.insert(id);
}

int ScanRetries::takeNext()
{
    const QList<int> ids = pending();
    if (ids.isEmpty())
        return -1;
    m_marked.remove(ids.first());
    ++m_retries[ids.first()];
    return ids.first();
}

QList<int> ScanRetries::pending() const
{
    QList<int> ids = m_marked.values();
    std::sort(ids.begin(), ids.end());
    return ids;
}
