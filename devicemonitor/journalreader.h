// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALREADER_H
#define JOURNALREADER_H

#include "devicemonitor/journalconnection.h"
#include "devicemonitor/journalentry.h"

#include <QDate>
#include <QSet>
#include <QStringList>
#include <QVector>

class QSqlQuery;

// Which entries to read: one relay's or every relay's, made on the days between two dates.
struct JournalFilter
{
    qint64 serialNumber = -1; // < 0: every relay
    QDate from; // the first day; invalid: no bound
    QDate to; // the last day, whole; invalid: no bound
};

// An entry as a list of entries shows it: without its registers, with their number and
// the outcome they come to.
struct JournalSummary
{
    JournalEntry entry;
    int registerCount = 0;
    JournalOutcome outcome = JournalOutcome::Unknown;
};

// An entry still to copy to the team journal: not there yet, or without its latest outcomes.
struct JournalCopy
{
    JournalEntry entry; // with its registers
    int revision = 0; // the number of times its outcomes were recorded
    QDateTime outcomeAt; // when they last were; invalid before the first time
};

// Reads a journal file through a read-only connection of its own. Every call reads its rows
// to the end, so that no read snapshot outlives it: in write-ahead-log mode a snapshot held
// on would keep the file's checkpoint waiting and, on the writer's connection, make its next
// write fail once another program has written.
// A register's row as both journals' queries select it, from `first` on: address, field, has_old,
// old_raw, old_shown, new_raw, new_shown, outcome, detail.
JournalRegister journalRegisterAt(const QSqlQuery &query, int first);

class JournalReader
{
public:
    explicit JournalReader(const QString &path);

    // Entries newest first, with their registers.
    QVector<JournalEntry> entries(const JournalFilter &filter) const;
    // Entries newest first, up to `limit` of them (-1: every one), from the one listed after
    // `after` on (nullptr: from the newest). Read in pages this way, entries written in
    // between come before the first page and never shift the pages that follow.
    QVector<JournalSummary> summaries(
        const JournalFilter &filter, const JournalSummary *after, int limit) const;
    // Those of `uuids` this journal holds.
    QSet<QString> knownUuids(const QStringList &uuids) const;
    // One entry's registers, in the order they were written.
    QVector<JournalRegister> registers(qint64 id) const;
    // Up to `limit` entries still to copy to the team journal, oldest first, with registers.
    QVector<JournalCopy> toCopy(int limit) const;

private:
    JournalConnection m_connection;
};

#endif // JOURNALREADER_H
