// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TEAMJOURNALMERGE_H
#define TEAMJOURNALMERGE_H

#include "devicemonitor/journalentry.h"
#include "devicemonitor/journalreader.h"

#include <QSet>
#include <QString>
#include <QVector>

#include <algorithm>

inline const JournalEntry &journalEntryOf(const JournalEntry &entry)
{
    return entry;
}

inline const JournalEntry &journalEntryOf(const JournalSummary &summary)
{
    return summary.entry;
}

// This computer's entries and the team journal's in one list, newest first, each entry once.
// A team entry whose UUID is among `local` or in `alsoLocal` (entries of this computer's
// journal not in `local`) is left out: this computer's journal knows at least as much of it,
// an outcome not copied yet perhaps. `local` comes newest first; of entries made at the same
// moment, this computer's come first.
template<typename Row>
QVector<Row> mergeWithTeam(
    QVector<Row> local, const QVector<Row> &team, const QSet<QString> &alsoLocal = {})
{
    QSet<QString> known = alsoLocal;
    for (const Row &row : qAsConst(local))
        known.insert(journalEntryOf(row).uuid);
    const int localCount = local.size();
    for (const Row &row : team) {
        if (!known.contains(journalEntryOf(row).uuid))
            local.append(row);
    }
    if (local.size() > localCount) {
        std::stable_sort(local.begin(), local.end(), [](const Row &a, const Row &b) {
            return journalEntryOf(a).when > journalEntryOf(b).when;
        });
    }
    return local;
}

#endif // TEAMJOURNALMERGE_H
