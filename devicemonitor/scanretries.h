// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SCANRETRIES_H
#define SCANRETRIES_H

#include "modbus/modbustransaction.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>

// Which slave IDs a quick scan asks again, with the full response timeout, once it has been
// through its range.
//
// A quick scan asks most IDs with a short wait, a few times what the line's relays have taken to
// answer. A relay slower than that still answers, only late: after the master has given up on it,
// in the pause before the next request or while the next ID is asked. On the half-duplex line
// that late answer can then
// - arrive whole in the next ID's window, where it is another slave's answer, not that ID's;
// - overlap the next request on the wire: both are garbled, the next relay hears no request it
//   can take and the master receives a damaged frame, or bytes after a damaged one;
// - arrive in the pause between two requests, where the master finds it waiting on the line and
//   throws it away before the next request goes out;
// - overlap the answer of the relay asked next, which answers on time: the master receives a
//   garbled frame and that relay's own answer is lost.
// In every case bytes arrive that are not the asked ID's own valid answer, in the window of the
// ID asked then (from its request to the next one). Those bytes mark for a retry: that ID, whose
// own answer may have been spoiled by them; the ID before it, whose late answer they may be; the
// ID their first byte names, when it is known (bytes found waiting on the line; a damaged frame's
// first byte stays inside libmodbus); and, since that first byte may be the damaged one, every ID
// asked with a short wait whose answer could still be on its way. A relay answers only when
// asked, so whoever sent the bytes is among them. At the end of the range the IDs whose late
// answers could still come are marked too, for no later request would see them.
//
// Why the retries recover: they start only once no answer to a short wait can still come, and
// each waits the full response timeout, within which every relay the scan must find answers. So
// a retry's answer is its own, on a line nobody else talks on, and the transport makes a retried
// relay's own late answer wait out before asking it again. Only a relay slower than the response
// timeout can still spoil a retry; the IDs that brings back are asked once more, MaxRetries times
// at most, so that such a relay cannot keep the scan going.
class ScanRetries
{
public:
    // The range scanned and the configured response timeout, the longest a relay may take.
    ScanRetries(int firstId, int lastId, int responseTimeoutMs);

    // The transaction of each probe, in the order they went out (retries too), and whether the
    // probe found its relay (its own valid answer).
    void probed(const ModbusTransaction &transaction, bool found);
    // Another transaction on the line between two probes (a write to every relay, say): bytes it
    // found waiting came in the last probe's window all the same.
    void foundWaiting(const ModbusTransaction &transaction);
    // The range has been asked once: what is still marked, and what could still answer late.
    void endPass();

    // A retry's window can be spoiled as well, by a relay slower than the response timeout:
    // an ID is asked again this many times at most.
    static constexpr int MaxRetries = 2;

    // The next ID to ask again, ascending; -1 when none is left.
    int takeNext();
    // The IDs marked and not asked again yet, ascending.
    QList<int> pending() const;
    // When no answer to a short wait can still come (milliseconds since the epoch); 0 if none
    // was short.
    qint64 quietAt() const { return m_quietAt; }

    // Whether bytes came in the transaction's window that were not its own valid answer.
    static bool hasForeignBytes(const ModbusTransaction &transaction);

private:
    void mark(int id, int firstByte, qint64 since);
    void markStillDue(qint64 since);
    void add(int id);

    const int m_firstId;
    const int m_lastId;
    const int m_responseTimeoutMs;
    // IDs asked with a short wait and not found, and when their request went out.
    QList<QPair<int, qint64>> m_shortMisses;
    QSet<int> m_found;
    QSet<int> m_marked;
    QHash<int, int> m_retries;
    int m_previousId = -1;
    qint64 m_previousEnd = 0;
    qint64 m_quietAt = 0;
};

#endif // SCANRETRIES_H
