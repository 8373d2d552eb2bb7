// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TEAMJOURNALCOPIER_H
#define TEAMJOURNALCOPIER_H

#include "devicemonitor/journalconnection.h"
#include "devicemonitor/journalreader.h"

#include <QCoreApplication>
#include <QString>

class TeamJournalConnection;

// Copies a local journal's entries to the team journal: each entry with its registers once,
// under its UUID, and the outcomes recorded so far as rows of their own (entry, position,
// revision), the latest revision winning. The server keeps the first row of each key and
// ignores the same row sent again, so that a copy cut short is simply made again: nothing
// arrives twice, and the team's role needs to insert and select only.
//
// An entry is marked copied, with the revision copied, in the local file after the server
// committed it. It reads the local file and marks it through connections of its own, and
// holds neither a read nor the write lock while it talks to the server.
class TeamJournalCopier
{
    Q_DECLARE_TR_FUNCTIONS(TeamJournalCopier)

public:
    // Entries per transaction on the server.
    static constexpr int BatchSize = 500;

    explicit TeamJournalCopier(const QString &journalPath);

    // Connects unless connected and copies every entry still to copy; how many it copied, and
    // in `error` why it stopped short (empty when it did not).
    int copyPending(TeamJournalConnection &server, QString *error);

private:
    bool copyBatch(
        TeamJournalConnection &server, const QVector<JournalCopy> &batch, QString *error);
    bool markCopied(const QVector<JournalCopy> &batch, QString *error);

    JournalReader m_reader;
    JournalConnection m_writer;
};

#endif // TEAMJOURNALCOPIER_H
