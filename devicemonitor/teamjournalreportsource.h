// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TEAMJOURNALREPORTSOURCE_H
#define TEAMJOURNALREPORTSOURCE_H

#include "devicemonitor/journalsource.h"

#include <QDateTime>
#include <QHash>
#include <QObject>

class JournalStore;
class TeamJournalSync;

// A relay's writes from this computer's journal and the team journal together: every write to
// it, whoever made it. The report is made on the GUI thread, which does not wait on the
// network, so the team's entries of a relay are fetched beforehand (fetch(), when the relay
// is chosen, and again after each copy) and the report takes what was fetched last. An
// entry of this computer comes from its own journal, which knows at least as much of it.
class TeamJournalReportSource : public QObject, public JournalSource
{
    Q_OBJECT

public:
    TeamJournalReportSource(
        const JournalStore *local, TeamJournalSync *sync, QObject *parent = nullptr);

    // Fetches the team's entries of this relay, on the sync's thread.
    void fetch(qint64 serialNumber);

    QVector<JournalEntry> entries(qint64 serialNumber, const QDate &since) const override;
    bool isTeamWide() const override;
    QString note(qint64 serialNumber) const override;

private:
    struct Fetched
    {
        QVector<JournalEntry> entries;
        QDateTime at; // invalid: asked for, not come yet
    };

    void onRead(int request, const QVector<JournalEntry> &entries, const QString &error);

    const JournalStore *m_local;
    TeamJournalSync *m_sync;
    QHash<qint64, Fetched> m_fetched; // by serial number
    QHash<int, qint64> m_requests; // the serial number each read under way is for
    qint64 m_lastAsked = -1;
};

#endif // TEAMJOURNALREPORTSOURCE_H
