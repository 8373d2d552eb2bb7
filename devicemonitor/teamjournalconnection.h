// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TEAMJOURNALCONNECTION_H
#define TEAMJOURNALCONNECTION_H

#include "common/teamjournalsettings.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QString>

// A connection to the team journal's PostgreSQL database through Qt's QPSQL driver, of its
// own name, closed and removed with this object. It belongs to the thread that made it, and
// is made on a worker thread: connecting may take up to ConnectTimeoutSeconds (libpq's
// connect_timeout), and a query on a dead network as long as TCP takes to give up.
//
// TLS follows libpq's sslmode; the root certificate for verify-ca and verify-full is where
// libpq looks for it (~/.postgresql/root.crt, or the file PGSSLROOTCERT names).
class TeamJournalConnection
{
    Q_DECLARE_TR_FUNCTIONS(TeamJournalConnection)

public:
    static constexpr int ConnectTimeoutSeconds = 5;

    // `password` empty: libpq's own conventions find it (~/.pgpass, PGPASSFILE).
    TeamJournalConnection(const TeamJournalSettings &settings, const QString &password);
    ~TeamJournalConnection();
    TeamJournalConnection(const TeamJournalConnection &) = delete;
    TeamJournalConnection &operator=(const TeamJournalConnection &) = delete;

    // Whether Qt has the driver at all (Debian: libqt5sql5-psql).
    static bool isDriverAvailable();

    // Connects, unless connected, and checks that the database holds the journal's schema
    // of this version; false and why in `error` when not.
    bool open(QString *error);
    void close();
    bool isOpen() const { return database().isOpen(); }
    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }
    const TeamJournalSettings &settings() const { return m_settings; }

private:
    bool checkSchema(QString *error);

    TeamJournalSettings m_settings;
    QString m_name;
};

#endif // TEAMJOURNALCONNECTION_H
