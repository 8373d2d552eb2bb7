// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/teamjournalreader.h"

#include "devicemonitor/journalreader.h"
#include "devicemonitor/teamjournalconnection.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <limits>

namespace {

bool readEntries(QSqlDatabase &db, const TeamJournalFilter &filter, QVector<JournalEntry> *entries,
    QString *error)
{
    QString where = QStringLiteral("at_ms >= ? AND at_ms < ?");
    QVariantList values = { filter.from.isValid() ? filter.from.startOfDay().toMSecsSinceEpoch()
                                                  : std::numeric_limits<qint64>::min(),
        filter.to.isValid() ? filter.to.addDays(1).startOfDay().toMSecsSinceEpoch()
                            : std::numeric_limits<qint64>::max() };
    if (filter.serialNumber >= 0) {
        where += QStringLiteral(" AND serial_number = ?");
        values.append(filter.serialNumber);
    }
    // strpos, not LIKE: a % or _ in what was typed is looked for as it is.
    if (!filter.user.isEmpty()) {
        where += QStringLiteral(" AND strpos(lower(\"user\"), lower(?)) > 0");
        values.append(filter.user);
    }
    if (!filter.laptop.isEmpty()) {
        where += QStringLiteral(" AND strpos(lower(laptop), lower(?)) > 0");
        values.append(filter.laptop);
    }
    values.append(filter.limit);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT uuid::text, laptop, at_ms, \"user\", port, slave_id, identity_known, "
        "device_type, serial_number, kind, fingerprint_before, coalesce((SELECT "
        "o.fingerprint_after FROM outcomes o WHERE o.entry_uuid = e.uuid ORDER BY o.revision "
        "DESC LIMIT 1), fingerprint_after) FROM entries e WHERE %1 "
        "ORDER BY at_ms DESC, uuid LIMIT ?")
                      .arg(where));
    for (const QVariant &value : qAsConst(values))
        query.addBindValue(value);
    if (!query.exec()) {
        *error = query.lastError().text().trimmed();
        return false;
    }
    while (query.next()) {
        JournalEntry entry;
        entry.uuid = query.value(0).toString();
        entry.laptop = query.value(1).toString();
        entry.when = QDateTime::fromMSecsSinceEpoch(query.value(2).toLongLong(), Qt::UTC);
        entry.user = query.value(3).toString();
        entry.port = query.value(4).toString();
        entry.slaveId = query.value(5).toInt();
        entry.identityKnown = query.value(6).toBool();
        entry.deviceType = query.value(7).toLongLong();
        entry.serialNumber = query.value(8).toLongLong();
        entry.kind = JournalEntry::kindFromCode(query.value(9).toInt());
        entry.fingerprintBefore = query.value(10).toString();
        entry.fingerprintAfter = query.value(11).toString();
        entry.copied = true;
        entries->append(entry);
    }
    return true;
}

bool readRegisters(QSqlDatabase &db, QVector<JournalEntry> *entries, QString *error)
{
    QHash<QString, int> byUuid;
    QStringList uuids;
    for (int i = 0; i < entries->size(); ++i) {
        byUuid.insert(entries->at(i).uuid, i);
        uuids.append(entries->at(i).uuid);
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT r.entry_uuid::text, r.address, r.field, r.has_old, r.old_raw, r.old_shown, "
        "r.new_raw, r.new_shown, coalesce(o.outcome, r.outcome), CASE WHEN o.outcome IS NULL "
        "THEN r.detail ELSE o.detail END FROM registers r LEFT JOIN LATERAL (SELECT outcome, "
        "detail FROM outcomes WHERE entry_uuid = r.entry_uuid AND position = r.position ORDER BY "
        "revision DESC LIMIT 1) o ON true WHERE r.entry_uuid = ANY (?::uuid[]) "
        "ORDER BY r.entry_uuid, r.position"));
    query.addBindValue(QStringLiteral("{%1}").arg(uuids.join(QLatin1Char(','))));
    if (!query.exec()) {
        *error = query.lastError().text().trimmed();
        return false;
    }
    while (query.next()) {
        const int index = byUuid.value(query.value(0).toString(), -1);
        if (index < 0)
            continue;
        (*entries)[index].registers.append(journalRegisterAt(query, 1));
    }
    return true;
}

} // namespace

bool readTeamJournal(TeamJournalConnection &server, const TeamJournalFilter &filter,
    QVector<JournalEntry> *entries, QString *error)
{
    entries->clear();
    if (!server.open(error))
        return false;
    QSqlDatabase db = server.database();
    if (!readEntries(db, filter, entries, error)
        || (!entries->isEmpty() && !readRegisters(db, entries, error))) {
        entries->clear();
        return false;
    }
    if (filter.outcome) {
        entries->erase(std::remove_if(entries->begin(), entries->end(),
                           [&filter](const JournalEntry &entry) {
                               return entry.outcome() != *filter.outcome;
                           }),
            entries->end());
    }
    return true;
}
