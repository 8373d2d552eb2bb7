// SPDX-License-Identifier: GPL-3.0-or-later
#include "benchsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace bench {

namespace {

qint64 clockNs(clockid_t clock)
{
    timespec now;
    clock_gettime(clock, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

qint64 nowNs()
{
    return clockNs(CLOCK_MONOTONIC);
}

qint64 cpuNs()
{
    return clockNs(CLOCK_PROCESS_CPUTIME_ID);
}

namespace {

qint64 statusKb(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

qint64 peakRssKb()
{
    return statusKb("VmHWM:");
}

qint64 residentKb()
{
    return statusKb("VmRSS:");
}

Summary summarize(QVector<double> values)
{
    Summary summary;
    summary.count = values.size();
    if (values.isEmpty())
        return summary;
    std::sort(values.begin(), values.end());
    const int middle = values.size() / 2;
    summary.median
        = values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
    summary.min = values.first();
    summary.max = values.last();
    return summary;
}

double percentile(QVector<double> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const int rank = int(std::ceil(p / 100 * values.size()));
    return values.at(qBound(1, rank, values.size()) - 1);
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

StallTicker::StallTicker(int tickMs)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(tickMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        const qint64 now = nowNs();
        m_longestGap = qMax(m_longestGap, now - m_lastTick);
        m_lastTick = now;
        ++m_ticks;
    });
}

void StallTicker::start()
{
    m_longestGap = 0;
    m_ticks = 0;
    m_lastTick = nowNs();
    m_timer.start();
}

double StallTicker::longestStallMs() const
{
    return qMax(qint64(0), m_longestGap - qint64(tickMs()) * 1000000) / 1e6;
}

QString describe(const Summary &summary, int decimals, const QString &unit)
{
    const QString suffix = unit.isEmpty() ? QString() : QLatin1Char(' ') + unit;
    if (summary.count <= 1)
        return number(summary.median, decimals) + suffix;
    return QStringLiteral("%1 [%2-%3]%4")
        .arg(number(summary.median, decimals), number(summary.min, decimals),
            number(summary.max, decimals), suffix);
}

int readAnswerBytes(int function, int count)
{
    // Address, function, byte count, data, CRC.
    const int dataBytes = function <= 2 ? (count + 7) / 8 : 2 * count;
    return 3 + dataBytes + 2;
}

Report::Report(const QString &path) : m_path(QFileInfo(path).absoluteFilePath())
{
}

void Report::ratioRow(const QString &figure, const QString &measured, const QString &reference,
    double ratio, const QString &target, bool met)
{
    append({ figure, measured, reference, number(ratio, 2) + QLatin1Char('x'), target,
        met ? QStringLiteral("PASS") : QStringLiteral("MISS") });
}

void Report::row(const QString &figure, const QString &measured, const QString &reference,
    const QString &target, bool met)
{
    append({ figure, measured, reference, QStringLiteral("-"), target,
        met ? QStringLiteral("PASS") : QStringLiteral("MISS") });
}

void Report::skipped(const QString &figure, const QString &why)
{
    append({ figure, QStringLiteral("-"), why, QStringLiteral("-"), QStringLiteral("-"),
        QStringLiteral("SKIP") });
}

void Report::note(const QString &text)
{
    append({ QStringLiteral("note"), text });
}

// One tab-separated line per row; the script lines the columns up.
void Report::append(const QStringList &fields)
{
    QFile file(m_path);
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    QTextStream(&file) << fields.join(QLatin1Char('\t')) << '\n';
}

} // namespace bench
