// SPDX-License-Identifier: GPL-3.0-or-later
// Opening View → Journal on a long journal: from the dialog's construction to the first paint of
// its table, and the longest time the event loop was kept from a 5 ms timer meanwhile (and for a
// moment after, while the table settles).

#include "benchsupport.h"
#include "firstpaintprobe.h"

#include "devicemonitor/journalstore.h"
#include "ui/diagnostics/journaldialog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace bench;

namespace {

constexpr int TickMs = 5;
constexpr int SettleMs = 300;
constexpr int TimeoutMs = 30000;
constexpr int RegistersPerEntry = 3;

// Entries of a year's work on a few relays, in one transaction as no program run would write
// them, for speed.
bool fill(const JournalStore &store, int entries)
{
    QSqlDatabase db = QSqlDatabase::database(store.connectionName(), false);
    if (!db.transaction())
        return false;
    QSqlQuery entry(db);
    entry.prepare(QStringLiteral(
        "INSERT INTO entries (id, at_ms, user, port, slave_id, identity_known, device_type, "
        "serial_number, kind, fingerprint_before, fingerprint_after, outcome, register_count) "
        "VALUES (?, ?, 'engineer', '/dev/ttyUSB0', ?, 1, 36240, ?, ?, '', '', ?, ?)"));
    QSqlQuery reg(db);
    reg.prepare(QStringLiteral(
        "INSERT INTO registers (entry_id, position, address, field, has_old, old_raw, old_shown, "
        "new_raw, new_shown, outcome, detail) VALUES (?, ?, ?, 'Pick-up current', 1, 100, "
        "'1.00 A', 450, '4.50 A', ?, '')"));
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - qint64(365) * 24 * 3600 * 1000;
    for (int i = 1; i <= entries; ++i) {
        entry.addBindValue(i);
        entry.addBindValue(start + qint64(i) * 300000);
        entry.addBindValue(i % 8 + 1);
        entry.addBindValue(1000000 + i % 8);
        entry.addBindValue(i % 8);
        entry.addBindValue(i % 7);
        entry.addBindValue(RegistersPerEntry);
        if (!entry.exec())
            return false;
        for (int position = 0; position < RegistersPerEntry; ++position) {
            reg.addBindValue(i);
            reg.addBindValue(position);
            reg.addBindValue(34 + position);
            reg.addBindValue(i % 7);
            if (!reg.exec())
                return false;
        }
    }
    return db.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption entriesOption(QStringLiteral("entries"),
        QStringLiteral("Entries in the journal."), QStringLiteral("n"), QStringLiteral("100000"));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
        QStringLiteral("Openings of the view."), QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption outOption(QStringLiteral("out"),
        QStringLiteral("Report file to append rows to."), QStringLiteral("file"));
    parser.addOptions({ entriesOption, runsOption, outOption });
    parser.process(application);
    Report report(parser.value(outOption));
    const int entries = qMax(1, parser.value(entriesOption).toInt());
    const int runs = qMax(1, parser.value(runsOption).toInt());

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("journal.sqlite"));
    {
        JournalStore store(path);
        if (!store.open() || !fill(store, entries)) {
            report.note(QStringLiteral("journal: the journal could not be filled"));
            return 1;
        }
    }

    QVector<double> openMs;
    QVector<double> stallMs;
    for (int run = 0; run < runs; ++run) {
        // As the program finds it at start-up.
        JournalStore store(path);
        if (!store.open()) {
            report.note(QStringLiteral("journal: %1").arg(store.errorText()));
            return 1;
        }
        StallTicker ticker(TickMs);
        ticker.start();
        QEventLoop warmUp;
        QTimer::singleShot(50, &warmUp, &QEventLoop::quit);
        warmUp.exec();

        const qint64 start = nowNs();
        ticker.start();
        JournalDialog dialog(&store);
        FirstPaintProbe probe(&dialog, QStringLiteral("entriesView"));
        dialog.show();
        QEventLoop painted;
        QObject::connect(&probe, &FirstPaintProbe::painted, &painted, &QEventLoop::quit);
        QTimer::singleShot(TimeoutMs, &painted, &QEventLoop::quit);
        painted.exec();
        if (!probe.paintedAtNs()) {
            report.note(QStringLiteral("journal: the view was never painted"));
            return 1;
        }
        openMs.append((probe.paintedAtNs() - start) / 1e6);
        QEventLoop settle;
        QTimer::singleShot(SettleMs, &settle, &QEventLoop::quit);
        settle.exec();
        stallMs.append(ticker.longestStallMs());
        dialog.close();
    }

    const Summary open = summarize(openMs);
    const Summary stall = summarize(stallMs);
    const QString ms = QStringLiteral("ms");
    report.row(QStringLiteral("J2 open View > Journal, %1 entries").arg(entries),
        describe(open, 1, ms), QStringLiteral("construction to first paint of the table"),
        QStringLiteral("< 300 ms"), open.max < 300);
    report.row(QStringLiteral("J3 longest GUI stall opening the journal"), describe(stall, 1, ms),
        QStringLiteral("gaps of a %1 ms timer, to %2 ms after the paint").arg(TickMs).arg(SettleMs),
        QStringLiteral("<= 50 ms"), stall.max <= 50);
    return 0;
}
