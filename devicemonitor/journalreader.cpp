// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalreader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QVariant>

#include <limits>

namespace {

constexpr qint64 NoBound = std::numeric_limits<qint64>::min();

// An entry's columns as readEntry() takes them.
const QString EntryColumns = QStringLiteral(
    "id, at_ms, user, port, slave_id, identity_known, device_type, serial_number, kind, "
    "fingerprint_before, fingerprint_after, outcome, register_count, uuid, laptop, "
    "coalesce(copied_revision >= revision, 0)");
constexpr int EntryColumnCount = 16;

// The entry in EntryColumns; its outcome and number of registers as the entry row has them.
JournalSummary readEntry(const QSqlQuery &query)
{
    JournalSummary summary;
    JournalEntry &entry = summary.entry;
    entry.id = query.value(0).toLongLong();
    entry.when = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC);
    entry.user = query.value(2).toString();
    entry.port = query.value(3).toString();
    entry.slaveId = query.value(4).toInt();
    entry.identityKnown = query.value(5).toBool();
    entry.deviceType = query.value(6).toLongLong();
    entry.serialNumber = query.value(7).toLongLong();
    entry.kind = JournalEntry::kindFromCode(query.value(8).toInt());
    entry.fingerprintBefore = query.value(9).toString();
    entry.fingerprintAfter = query.value(10).toString();
    summary.outcome = journalOutcomeFromCode(query.value(11).toInt());
    summary.registerCount = query.value(12).toInt();
    entry.uuid = query.value(13).toString();
    entry.laptop = query.value(14).toString();
    entry.copied = query.value(15).toBool();
    return summary;
}

} // namespace

JournalReader::JournalReader(const QString &path)
{
    QSqlDatabase db = m_connection.database();
    db.setDatabaseName(path);
    // It neither creates a journal where there is none nor ever takes the write lock.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    db.open();
}

JournalRegister journalRegisterAt(const QSqlQuery &query, int first)
{
    JournalRegister r;
    r.address = quint16(query.value(first).toUInt());
    r.field = query.value(first + 1).toString();
    r.hasOld = query.value(first + 2).toBool();
    r.oldRaw = query.value(first + 3).toLongLong();
    r.oldShown = query.value(first + 4).toString();
    r.newRaw = query.value(first + 5).toLongLong();
    r.newShown = query.value(first + 6).toString();
    r.outcome = journalOutcomeFromCode(query.value(first + 7).toInt());
    r.detail = query.value(first + 8).toString();
    return r;
}

QVector<JournalEntry> JournalReader::entries(const JournalFilter &filter) const
{
    const QVector<JournalSummary> found = summaries(filter, nullptr, -1);
    QVector<JournalEntry> entries;
    entries.reserve(found.size());
    for (const JournalSummary &summary : found) {
        entries.append(summary.entry);
        entries.last().registers = registers(summary.entry.id);
    }
    return entries;
}

QVector<JournalSummary> JournalReader::summaries(
    const JournalFilter &filter, const JournalSummary *after, int limit) const
{
    QVector<JournalSummary> summaries;
    QSqlQuery query(m_connection.database());
    query.setForwardOnly(true);
    // Ordered as the indexes are, which end in the id: no sort of the whole journal, and a page
    // starts where the last one ended without counting the rows before it.
    query.prepare(
        QStringLiteral("SELECT %1 FROM entries WHERE at_ms >= ? AND (at_ms, id) < (?, ?) %2 "
                       "ORDER BY at_ms DESC, id DESC LIMIT ?")
            .arg(EntryColumns,
                filter.serialNumber < 0 ? QString() : QStringLiteral("AND serial_number = ?")));
    query.addBindValue(
        filter.from.isValid() ? filter.from.startOfDay().toMSecsSinceEpoch() : NoBound);
    if (after) {
        query.addBindValue(after->entry.when.toMSecsSinceEpoch());
        query.addBindValue(after->entry.id);
    } else {
        query.addBindValue(filter.to.isValid()
                ? filter.to.addDays(1).startOfDay().toMSecsSinceEpoch()
                : std::numeric_limits<qint64>::max());
        query.addBindValue(NoBound);
    }
    if (filter.serialNumber >= 0)
        query.addBindValue(filter.serialNumber);
    query.addBindValue(limit);
    if (!query.exec())
        return summaries;
    while (query.next())
        summaries.append(readEntry(query));
    return summaries;
}

QSet<QString> JournalReader::knownUuids(const QStringList &uuids) const
{
    QSet<QString> known;
    if (uuids.isEmpty())
        return known;
    QSqlQuery query(m_connection.database());
    query.setForwardOnly(true);
    // One parameter for the lot: SQLite limits the number of them. Looked up by entries_by_uuid.
    query.prepare(QStringLiteral("SELECT uuid FROM entries WHERE uuid IN "
                                 "(SELECT value FROM json_each(?))"));
    query.addBindValue(QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(uuids)).toJson(QJsonDocument::Compact)));
    if (!query.exec())
        return known;
    while (query.next())
        known.insert(query.value(0).toString());
    return known;
}

QVector<JournalRegister> JournalReader::registers(qint64 id) const
{
    QVector<JournalRegister> registers;
    QSqlQuery query(m_connection.database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT address, field, has_old, old_raw, old_shown, new_raw, new_shown, outcome, detail "
        "FROM registers WHERE entry_id = ? ORDER BY position"));
    query.addBindValue(id);
    if (!query.exec())
        return registers;
    while (query.next())
        registers.append(journalRegisterAt(query, 0));
    return registers;
}

QVector<JournalCopy> JournalReader::toCopy(int limit) const
{
    QVector<JournalCopy> copies;
    QSqlQuery query(m_connection.database());
    query.setForwardOnly(true);
    // The condition of the index entries_to_copy, which holds just these.
    query.prepare(QStringLiteral("SELECT %1, revision, outcome_at_ms FROM entries WHERE "
                                 "copied_revision IS NULL OR copied_revision < revision "
                                 "ORDER BY id LIMIT ?")
                      .arg(EntryColumns));
    query.addBindValue(limit);
    if (!query.exec())
        return copies;
    while (query.next()) {
        JournalCopy copy;
        copy.entry = readEntry(query).entry;
        copy.revision = query.value(EntryColumnCount).toInt();
        if (!query.value(EntryColumnCount + 1).isNull())
            copy.outcomeAt = QDateTime::fromMSecsSinceEpoch(
                query.value(EntryColumnCount + 1).toLongLong(), Qt::UTC);
        copies.append(copy);
    }
    query.finish();
    for (JournalCopy &copy : copies)
        copy.entry.registers = registers(copy.entry.id);
    return copies;
}
