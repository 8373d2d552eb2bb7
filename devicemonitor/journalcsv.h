// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALCSV_H
#define JOURNALCSV_H

#include "common/csvfile.h"
#include "devicemonitor/journalentry.h"

#include <QCoreApplication>
#include <QVector>

// The journal's entries as a table for a spreadsheet: one line per register, each with its
// entry's time, user, port and relay. Made alike by the journal's view and by the command line.
class JournalCsv
{
    Q_DECLARE_TR_FUNCTIONS(JournalCsv)

public:
    // A header line, then the entries' registers in the order given.
    static QVector<CsvRow> table(const QVector<JournalEntry> &entries);
    // Writes the table whole or not at all; `error` says why not.
    static bool save(const QString &path, const QVector<JournalEntry> &entries, QString *error);
};

#endif // JOURNALCSV_H
