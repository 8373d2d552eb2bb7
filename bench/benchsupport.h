// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCHSUPPORT_H
#define BENCHSUPPORT_H

// What the benchmark programs share: clocks, statistics, Modbus RTU wire times and the rows of
// the table that scripts/bench prints.
//
// Every program measures a figure and what it is compared with side by side in one run, and
// writes finished rows (figure, measured, compared with, ratio, target, result) to the report
// file named on its command line. Standard output and standard error are left to the product
// code, whose Modbus frame trace and debug lines go there.

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QTimer>
#include <QVector>

namespace bench {

qint64 nowNs(); // monotonic, shared by all processes of the machine
qint64 cpuNs(); // CPU time of this process, every thread counted, ended ones included
// Peak resident set size of this process in KiB (VmHWM).
qint64 peakRssKb();
// Resident set size of this process now, in KiB (VmRSS).
qint64 residentKb();

struct Summary
{
    double median = 0;
    double min = 0;
    double max = 0;
    int count = 0;
};

Summary summarize(QVector<double> values);
// Nearest-rank percentile, p in (0, 100].
double percentile(QVector<double> values, double p);

// "12.3 [11.9-13.0] unit": median with the range of repeats, or just the value for one.
QString describe(const Summary &summary, int decimals, const QString &unit);
QString number(double value, int decimals);

// Modbus RTU on the wire: request, the 3.5-character gap, answer.
struct Line
{
    int baudRate = 19200;
    int bitsPerCharacter = 10;

    double characterMs() const { return bitsPerCharacter * 1000.0 / baudRate; }
    double transactionMs(int requestBytes, int answerBytes) const
    {
        return (requestBytes + 3.5 + answerBytes) * characterMs();
    }
};

// The options of a program run against a paced simulator: its device, the baud rate it paces
// at and the report file.
struct PacedLineOptions
{
    QCommandLineOption port { QStringLiteral("port"),
        QStringLiteral("Device of a paced simulator."), QStringLiteral("path") };
    QCommandLineOption baud { QStringLiteral("baud"),
        QStringLiteral("Baud rate the simulator paces at."), QStringLiteral("n"),
        QStringLiteral("19200") };
    QCommandLineOption out { QStringLiteral("out"), QStringLiteral("Report file."),
        QStringLiteral("path") };

    QList<QCommandLineOption> all() const { return { port, baud, out }; }
};

// Length of the normal answer to a read request (functions 1 to 4), address and CRC included.
int readAnswerBytes(int function, int count);
constexpr int ReadRequestBytes = 8;

// How long the GUI's event loop is kept from anything else: the longest gap between two ticks
// of a timer due every `tickMs`, less one tick, the timer's own period being no stall.
class StallTicker
{
public:
    explicit StallTicker(int tickMs = 5);

    // Starts, or starts anew: the figures count from now.
    void start();
    void stop() { m_timer.stop(); }
    int tickMs() const { return m_timer.interval(); }
    qint64 ticks() const { return m_ticks; }
    double longestStallMs() const;

private:
    QTimer m_timer;
    qint64 m_lastTick = 0;
    qint64 m_longestGap = 0;
    qint64 m_ticks = 0;
};

class Report
{
public:
    // Relative paths are taken from the working directory at construction.
    explicit Report(const QString &path);

    // measured / reference, with the target as a number to compare against.
    void ratioRow(const QString &figure, const QString &measured, const QString &reference,
        double ratio, const QString &target, bool met);
    // A figure with an absolute target, no reference run.
    void row(const QString &figure, const QString &measured, const QString &reference,
        const QString &target, bool met);
    void skipped(const QString &figure, const QString &why);
    // Printed below the table.
    void note(const QString &text);

private:
    void append(const QStringList &fields);

    QString m_path;
};

} // namespace bench

#endif // BENCHSUPPORT_H
