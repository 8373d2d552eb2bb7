// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TEAMJOURNALREADER_H
#define TEAMJOURNALREADER_H

#include "devicemonitor/journalentry.h"

#include <QDate>
#include <QVector>

#include <optional>

class TeamJournalConnection;

// Which of the team journal's entries to read.
struct TeamJournalFilter
{
    qint64 serialNumber = -1; // < 0: every relay
    QString user; // a part of the user's name, in any case; empty: every user
    QString laptop; // likewise of the laptop's
    QDate from; // the first day; invalid: no bound
    QDate to; // the last day, whole; invalid: no bound
    std::optional<JournalOutcome> outcome; // what the entry as a whole came to
    int limit = 2000; // the newest entries the server is asked for
};

// The team journal's entries, newest first, each with its registers and every register with
// the latest outcome the server has of it. Of the newest `limit` entries the dates, the relay,
// the user and the laptop let through, those of the outcome asked for; false, and why in
// `error`, when the server could not be read.
bool readTeamJournal(TeamJournalConnection &server, const TeamJournalFilter &filter,
    QVector<JournalEntry> *entries, QString *error);

#endif // TEAMJOURNALREADER_H
