// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/turnaroundstats.h"

#include <algorithm>
#include <cmath>

namespace {

// Slave ID, function, CRC; the address and count, or a byte count, follow.
constexpr int FrameOverheadBytes = 4;
constexpr int ExceptionAnswerBytes = 5;

int bytesForBits(int count)
{
    return (count + 7) / 8;
}

} // namespace

void TurnaroundStats::setLine(const ConnectionSettings &settings)
{
    const QString name = settings.isNetwork()
        ? QStringLiteral("%1 %2").arg(settings.endpointName()).arg(int(settings.protocol))
        : QStringLiteral("%1 %2 %3%4%5")
              .arg(settings.portName)
              .arg(settings.serialPortSettings.baudRate())
              .arg(settings.serialPortSettings.dataBits())
              .arg(settings.serialPortSettings.parity())
              .arg(settings.serialPortSettings.stopBits());
    if (name == m_lineName)
        return;
    m_lineName = name;
    m_serial = settings.serialPortSettings;
    m_network = settings.isNetwork();
    m_relays.clear();
    m_line = Samples();
    m_longestRequestBytes = 0;
}

void TurnaroundStats::count(const ModbusTransaction &transaction)
{
    if (!transaction.isAnswered() || transaction.slaveId == 0)
        return;
    const int request = requestBytes(transaction.function, transaction.count);
    m_longestRequestBytes = qMax(m_longestRequestBytes, request);
    const double wire = wireMs(request + answerBytes(transaction));
    const double ms = qMax(0.0, transaction.durationUs / 1000.0 - wire);
    insert(m_relays[int(transaction.slaveId)], ms);
    insert(m_line, ms);
}

TurnaroundStats::Summary TurnaroundStats::relay(int slaveId) const
{
    const auto found = m_relays.constFind(slaveId);
    return found == m_relays.cend() ? Summary() : summary(*found);
}

TurnaroundStats::Summary TurnaroundStats::line() const
{
    return summary(m_line);
}

double TurnaroundStats::slowestP99Ms() const
{
    double slowest = 0;
    for (const Samples &samples : m_relays)
        slowest = qMax(slowest, percentile(samples, 99));
    return slowest;
}

double TurnaroundStats::wireMs(int bytes) const
{
    if (m_network)
        return 0;
    // Any parity code but odd and even means none.
    const int parity = m_serial.parity();
    const int parityBits
        = parity == SerialPortSettings::OddParity || parity == SerialPortSettings::EvenParity;
    const int bitsPerCharacter = 1 + m_serial.dataBits() + parityBits + m_serial.stopBits();
    return bytes * bitsPerCharacter * 1000.0 / qMax(1, m_serial.baudRate());
}

int TurnaroundStats::requestBytes(int function, int count)
{
    switch (function) {
    case 15: // the values follow a byte count
        return FrameOverheadBytes + 5 + bytesForBits(count);
    case 16:
        return FrameOverheadBytes + 5 + 2 * count;
    default: // address and count, or address and value
        return FrameOverheadBytes + 4;
    }
}

int TurnaroundStats::answerBytes(const ModbusTransaction &transaction)
{
    if (transaction.outcome == ModbusTransaction::Exception)
        return ExceptionAnswerBytes;
    switch (transaction.function) {
    case 1:
    case 2:
        return FrameOverheadBytes + 1 + bytesForBits(transaction.count);
    case 3:
    case 4:
        return FrameOverheadBytes + 1 + 2 * transaction.count;
    default: // a write's answer echoes its address and count, or address and value
        return FrameOverheadBytes + 4;
    }
}

void TurnaroundStats::insert(Samples &samples, double ms)
{
    samples.arrived.push_back(ms);
    samples.sorted.insert(std::upper_bound(samples.sorted.begin(), samples.sorted.end(), ms), ms);
    if (samples.arrived.size() <= MaximumSamples)
        return;
    const double oldest = samples.arrived.front();
    samples.arrived.pop_front();
    samples.sorted.erase(std::lower_bound(samples.sorted.begin(), samples.sorted.end(), oldest));
}

// The nearest-rank percentile: the smallest sample with at least percent of them at or below it.
double TurnaroundStats::percentile(const Samples &samples, int percent)
{
    if (samples.sorted.empty())
        return 0;
    const auto rank = size_t(std::ceil(percent / 100.0 * double(samples.sorted.size())));
    return samples.sorted[qMax<size_t>(rank, 1) - 1];
}

TurnaroundStats::Summary TurnaroundStats::summary(const Samples &samples)
{
    return { int(samples.sorted.size()), percentile(samples, 50), percentile(samples, 99) };
}
