// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TURNAROUNDSTATS_H
#define TURNAROUNDSTATS_H

#include "modbus/modbustransaction.h"
#include "modbus/serialportsettings.h"

#include <QHash>
#include <QString>

#include <deque>
#include <vector>

// How quickly the relays answer. A transaction's turnaround is its duration less the time its
// request and its answer take on the wire: what is left is the relay's own time to answer, with
// the silence that ends the request and the adapter's latency in it. Kept per relay and for the
// whole line, for as long as the program talks to the same line; only answered transactions
// count (data or an exception), never broadcasts.
class TurnaroundStats
{
public:
    struct Summary
    {
        int answers = 0;
        double medianMs = 0;
        double p99Ms = 0;
    };

    // The line the transactions come from; another line than before starts afresh. Over a network
    // the frames' time on a serial line is not known: there the turnaround holds it, and the
    // network's.
    void setLine(const ConnectionSettings &settings);
    void count(const ModbusTransaction &transaction);

    Summary relay(int slaveId) const;
    Summary line() const;
    bool hasAnswers() const { return !m_line.sorted.empty(); }
    // The 99th percentile of the relay that answers slowest; 0 before any answer.
    double slowestP99Ms() const;

    // The longest request that was answered, on the wire; 0 before any answer.
    double longestRequestWireMs() const { return wireMs(m_longestRequestBytes); }

    // The time this many bytes take on the line's wire; 0 over a network.
    double wireMs(int bytes) const;
    // An RTU frame's length in bytes, CRC included: the request of the transaction, and the answer
    // it got (an exception answer when it was one).
    static int requestBytes(int function, int count);
    static int answerBytes(const ModbusTransaction &transaction);

private:
    // The newest answers, at most MaximumSamples of them, so that a day of auto-refresh does not
    // grow without end: in the order they came, and sorted, so that a percentile is one look-up.
    struct Samples
    {
        std::deque<double> arrived;
        std::vector<double> sorted;
    };
    static constexpr size_t MaximumSamples = 2048;
    static void insert(Samples &samples, double ms);
    static double percentile(const Samples &samples, int percent);
    static Summary summary(const Samples &samples);

    QString m_lineName;
    SerialPortSettings m_serial;
    bool m_network = true;
    QHash<int, Samples> m_relays;
    Samples m_line;
    int m_longestRequestBytes = 0;
};

#endif // TURNAROUNDSTATS_H
