// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalcsv.h"

#include "devicedata/identitytext.h"

#include <QDateTime>

namespace {

// The local time with its offset from UTC, so that the hour the clocks go back is told apart.
QString isoTimeWithOffset(const QDateTime &when)
{
    const QDateTime local = when.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

QVector<CsvRow> JournalCsv::table(const QVector<JournalEntry> &entries)
{
    QVector<CsvRow> rows;
    rows.append({ tr("When"), tr("User"), tr("Port"), tr("ID"), tr("Device type"),
        tr("Serial number"), tr("Write"), tr("Fingerprint before"), tr("Fingerprint after"),
        tr("Field"), tr("Register"), tr("Old value"), tr("Old raw"), tr("New value"), tr("New raw"),
        tr("Outcome"), tr("Details"), tr("Laptop") });
    for (const JournalEntry &entry : entries) {
        const CsvRow head = { isoTimeWithOffset(entry.when), CsvField::foreign(entry.user),
            CsvField::foreign(entry.port), QString::number(entry.slaveId),
            CsvField::code(
                entry.identityKnown ? QString::number(entry.deviceType, 16).toUpper() : QString()),
            CsvField::code(entry.identityKnown ? serialNumberText(entry.serialNumber) : QString()),
            JournalEntry::kindText(entry.kind), CsvField::code(entry.fingerprintBefore),
            CsvField::code(entry.fingerprintAfter) };
        for (const JournalRegister &reg : entry.registers) {
            rows.append(head
                + CsvRow { CsvField::foreign(reg.field), QString::number(reg.address), reg.oldShown,
                    reg.hasOld ? QString::number(reg.oldRaw) : QString(), reg.newShown,
                    QString::number(reg.newRaw), journalOutcomeText(reg.outcome),
                    CsvField::foreign(reg.detail), CsvField::foreign(entry.laptop) });
        }
    }
    return rows;
}

bool JournalCsv::save(const QString &path, const QVector<JournalEntry> &entries, QString *error)
{
    return saveCsv(path, table(entries), error);
}
