// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TEAMJOURNALSYNC_H
#define TEAMJOURNALSYNC_H

#include "common/teamjournalsettings.h"
#include "devicemonitor/journalentry.h"
#include "devicemonitor/teamjournalreader.h"

#include <QDateTime>
#include <QObject>
#include <QThread>

class JournalStore;

// The local journal's way to the team journal: it copies the entries still to copy at start,
// after every entry or outcome the store commits and on demand, and reads the team journal,
// all on a thread of its own. The write path and the GUI thread only post to it and hear back
// by signals: a server that cannot be reached holds up nothing but the next copy. Copies asked
// for while one is made become one more copy after it.
class TeamJournalSync : public QObject
{
    Q_OBJECT

public:
    explicit TeamJournalSync(const QString &journalPath, QObject *parent = nullptr);
    ~TeamJournalSync() override;
    TeamJournalSync(const TeamJournalSync &) = delete;
    TeamJournalSync &operator=(const TeamJournalSync &) = delete;

    // Where to copy to, and a password typed for the session (empty: libpq finds one). Copies
    // what is still to copy when configured.
    void setSettings(const TeamJournalSettings &settings, const QString &password = QString());
    const TeamJournalSettings &settings() const { return m_settings; }
    bool isConfigured() const { return m_settings.isConfigured(); }
    // Copies after each commit of `store`.
    void follow(const JournalStore *store);
    void copyNow();
    // Reads entries; entriesRead() brings them with the number returned here.
    int readEntries(const TeamJournalFilter &filter);

    // When the server last answered; invalid when it has not since the settings were given.
    QDateTime lastReached() const { return m_lastReached; }
    // Why the last copy or read failed; empty when it did not.
    QString lastError() const { return m_lastError; }
    // Entries copied since the settings were given.
    int copiedCount() const { return m_copied; }
    // The above in a sentence, for the views of the journal.
    QString statusText() const;

signals:
    // Other settings were given: reads asked for before get no answer.
    void settingsChanged();
    // A copy or a read ended, well or not.
    void statusChanged();
    void entriesRead(int request, const QVector<JournalEntry> &entries, const QString &error);

private:
    class Worker;

    void noteAnswer(const QDateTime &reached, const QString &error);

    QThread m_thread;
    Worker *m_worker;
    TeamJournalSettings m_settings;
    QDateTime m_lastReached;
    QString m_lastError;
    int m_copied = 0;
    int m_lastRequest = 0;
    int m_generation = 0; // counts the settings given, for the worker's answers
};

#endif // TEAMJOURNALSYNC_H
