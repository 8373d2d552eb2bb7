// SPDX-License-Identifier: GPL-3.0-or-later
// Copying a long offline spell's journal to the team journal: the entries of a local journal
// that never reached the server, copied in one go to the PostgreSQL server scripts/bench
// starts (KORVEL_TEST_TEAM_JOURNAL, as for the tests).

#include "benchsupport.h"
#include "teamjournalserver.h"

#include "devicemonitor/journalreader.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/teamjournalconnection.h"
#include "devicemonitor/teamjournalcopier.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

using namespace bench;

namespace {

constexpr int RegistersPerEntry = 3;

// Entries as a settings send leaves them, intent and outcome, in one transaction for speed.
bool fill(const JournalStore &store, int entries, const QString &laptop)
{
    QSqlDatabase db = QSqlDatabase::database(store.connectionName(), false);
    if (!db.transaction())
        return false;
    QSqlQuery entry(db);
    entry.prepare(QStringLiteral(
        "INSERT INTO entries (uuid, laptop, at_ms, user, port, slave_id, identity_known, "
        "device_type, serial_number, kind, fingerprint_before, fingerprint_after, outcome, "
        "register_count, revision, outcome_at_ms) VALUES (?, ?, ?, 'engineer', '/dev/ttyUSB0', "
        "?, 1, 36240, ?, 3, '0A1B2C3D', '4E5F6A7B', 1, ?, 1, ?)"));
    QSqlQuery reg(db);
    reg.prepare(QStringLiteral(
        "INSERT INTO registers (entry_id, position, address, field, has_old, old_raw, old_shown, "
        "new_raw, new_shown, outcome, detail) VALUES (?, ?, ?, 'Pick-up current', 1, 100, "
        "'1.00 A', 450, '4.50 A', 1, '')"));
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - qint64(entries) * 60000;
    for (int i = 1; i <= entries; ++i) {
        entry.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
        entry.addBindValue(laptop);
        entry.addBindValue(start + qint64(i) * 60000);
        entry.addBindValue(i % 8 + 1);
        entry.addBindValue(1000000 + i % 8);
        entry.addBindValue(RegistersPerEntry);
        entry.addBindValue(start + qint64(i) * 60000 + 5000);
        if (!entry.exec())
            return false;
        const qint64 id = entry.lastInsertId().toLongLong();
        for (int position = 0; position < RegistersPerEntry; ++position) {
            reg.addBindValue(id);
            reg.addBindValue(position);
            reg.addBindValue(34 + position);
            if (!reg.exec())
                return false;
        }
    }
    return db.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption entriesOption(QStringLiteral("entries"),
        QStringLiteral("Entries still to copy."), QStringLiteral("n"), QStringLiteral("10000"));
    const QCommandLineOption outOption(QStringLiteral("out"),
        QStringLiteral("Report file to append rows to."), QStringLiteral("file"));
    parser.addOptions({ entriesOption, outOption });
    parser.process(application);
    Report report(parser.value(outOption));
    const int entries = qMax(1, parser.value(entriesOption).toInt());
    const std::optional<TeamJournalSettings> server = testTeamJournal();
    if (!server) {
        report.note(QStringLiteral("team journal: no server (KORVEL_TEST_TEAM_JOURNAL)"));
        return 1;
    }

    QTemporaryDir folder;
    JournalStore store(folder.filePath(QStringLiteral("journal.sqlite")));
    const QString laptop = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!store.open() || !fill(store, entries, laptop)) {
        report.note(QStringLiteral("team journal: the journal could not be filled"));
        return 1;
    }
    TeamJournalConnection connection(*server, QString());
    QString error;
    const qint64 start = nowNs();
    const int copied = TeamJournalCopier(store.path()).copyPending(connection, &error);
    const double seconds = (nowNs() - start) / 1e9;
    if (!error.isEmpty())
        report.note(QStringLiteral("team journal: %1").arg(error));
    report.row(QStringLiteral("T2 copy %1 local entries to the team journal").arg(entries),
        QStringLiteral("%1 s").arg(number(seconds, 2)),
        QStringLiteral("%1 copied, %2 registers each, loopback with TLS")
            .arg(copied)
            .arg(RegistersPerEntry),
        QStringLiteral("< 10 s"), seconds < 10 && copied == entries);
    return copied == entries ? 0 : 1;
}
