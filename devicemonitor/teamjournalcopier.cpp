// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/teamjournalcopier.h"

#include "devicemonitor/teamjournalconnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Rows per INSERT: a round trip to the server per row would make a long offline spell's
// backlog crawl over a slow link.
constexpr int RowsPerStatement = 200;

// `text` `count` times, with commas between.
QString repeated(const QString &text, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(text);
    return list.join(QLatin1Char(','));
}

// Inserts `rows` into `table`, each a value per column; a row whose key is there already is
// left as the server has it.
bool insertRows(QSqlDatabase &db, const QString &table, const QStringList &columns,
    const QVector<QVariantList> &rows, QString *error)
{
    const QString row = QStringLiteral("(%1)").arg(repeated(QStringLiteral("?"), columns.size()));
    for (int first = 0; first < rows.size(); first += RowsPerStatement) {
        const int count = qMin(RowsPerStatement, int(rows.size()) - first);
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES %3 ON CONFLICT DO NOTHING")
                           .arg(table, columns.join(QLatin1Char(',')), repeated(row, count)));
        for (int i = first; i < first + count; ++i) {
            for (const QVariant &value : rows.at(i))
                insert.addBindValue(value);
        }
        if (!insert.exec()) {
            *error = insert.lastError().text().trimmed();
            return false;
        }
    }
    return true;
}

} // namespace

TeamJournalCopier::TeamJournalCopier(const QString &journalPath) : m_reader(journalPath)
{
    QSqlDatabase db = m_writer.database();
    db.setDatabaseName(journalPath);
    db.open();
}

int TeamJournalCopier::copyPending(TeamJournalConnection &server, QString *error)
{
    error->clear();
    int copied = 0;
    if (!server.open(error))
        return copied;
    for (;;) {
        const QVector<JournalCopy> batch = m_reader.toCopy(BatchSize);
        if (batch.isEmpty() || !copyBatch(server, batch, error) || !markCopied(batch, error))
            return copied;
        copied += batch.size();
    }
}

bool TeamJournalCopier::copyBatch(
    TeamJournalConnection &server, const QVector<JournalCopy> &batch, QString *error)
{
    QVector<QVariantList> entries;
    QVector<QVariantList> registers;
    QVector<QVariantList> outcomes;
    for (const JournalCopy &copy : batch) {
        const JournalEntry &e = copy.entry;
        entries.append({ e.uuid, e.laptop, e.when.toMSecsSinceEpoch(), e.user, e.port, e.slaveId,
            int(e.identityKnown), e.deviceType, e.serialNumber, int(e.kind), e.fingerprintBefore,
            e.fingerprintAfter, int(e.outcome()), e.registers.size() });
        for (int position = 0; position < e.registers.size(); ++position) {
            const JournalRegister &r = e.registers.at(position);
            registers.append({ e.uuid, position, r.address, r.field, int(r.hasOld), r.oldRaw,
                r.oldShown, r.newRaw, r.newShown, int(r.outcome), r.detail });
            // Also with the entry's first copy: had its mark been lost, the server would keep
            // the registers' outcomes of that first copy.
            if (copy.revision > 0)
                outcomes.append({ e.uuid, position, copy.revision, int(r.outcome), r.detail,
                    e.fingerprintAfter, copy.outcomeAt.toMSecsSinceEpoch() });
        }
    }
    QSqlDatabase db = server.database();
    const bool done = db.transaction()
        && insertRows(db, QStringLiteral("entries"),
            { QStringLiteral("uuid"), QStringLiteral("laptop"), QStringLiteral("at_ms"),
                QStringLiteral("\"user\""), QStringLiteral("port"), QStringLiteral("slave_id"),
                QStringLiteral("identity_known"), QStringLiteral("device_type"),
                QStringLiteral("serial_number"), QStringLiteral("kind"),
                QStringLiteral("fingerprint_before"), QStringLiteral("fingerprint_after"),
                QStringLiteral("outcome"), QStringLiteral("register_count") },
            entries, error)
        && insertRows(db, QStringLiteral("registers"),
            { QStringLiteral("entry_uuid"), QStringLiteral("position"), QStringLiteral("address"),
                QStringLiteral("field"), QStringLiteral("has_old"), QStringLiteral("old_raw"),
                QStringLiteral("old_shown"), QStringLiteral("new_raw"), QStringLiteral("new_shown"),
                QStringLiteral("outcome"), QStringLiteral("detail") },
            registers, error)
        && insertRows(db, QStringLiteral("outcomes"),
            { QStringLiteral("entry_uuid"), QStringLiteral("position"), QStringLiteral("revision"),
                QStringLiteral("outcome"), QStringLiteral("detail"),
                QStringLiteral("fingerprint_after"), QStringLiteral("at_ms") },
            outcomes, error)
        && db.commit();
    if (done)
        return true;
    if (error->isEmpty())
        *error = db.lastError().text().trimmed();
    db.rollback();
    return false;
}

bool TeamJournalCopier::markCopied(const QVector<JournalCopy> &batch, QString *error)
{
    QSqlDatabase db = m_writer.database();
    if (!db.transaction()) {
        *error = tr("The journal cannot be marked: %1").arg(db.lastError().text());
        return false;
    }
    QSqlQuery mark(db);
    // An outcome recorded meanwhile raised the revision past the one copied: it stays to copy.
    mark.prepare(QStringLiteral("UPDATE entries SET copied_revision = ? WHERE id = ? AND "
                                "coalesce(copied_revision, -1) < ?"));
    for (const JournalCopy &copy : batch) {
        mark.addBindValue(copy.revision);
        mark.addBindValue(copy.entry.id);
        mark.addBindValue(copy.revision);
        if (!mark.exec()) {
            *error = tr("The journal cannot be marked: %1").arg(mark.lastError().text());
            db.rollback();
            return false;
        }
    }
    if (db.commit())
        return true;
    *error = tr("The journal cannot be marked: %1").arg(db.lastError().text());
    db.rollback();
    return false;
}
