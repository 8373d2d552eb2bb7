// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TEAMJOURNALSETTINGS_H
#define TEAMJOURNALSETTINGS_H

#include <QString>
#include <QStringList>

// Where the team journal is: a PostgreSQL database the laptops copy their journals to. The
// password is not part of it: libpq finds it in ~/.pgpass (or the file PGPASSFILE names), or
// the user types it for the session.
struct TeamJournalSettings
{
    QString host; // empty: no team journal
    int port = 5432;
    QString database;
    QString user;
    // libpq's sslmode: disable, allow, prefer, require, verify-ca or verify-full.
    QString sslMode = QStringLiteral("prefer");

    bool isConfigured() const { return !host.isEmpty() && !database.isEmpty(); }
    bool operator==(const TeamJournalSettings &other) const
    {
        return host == other.host && port == other.port && database == other.database
            && user == other.user && sslMode == other.sslMode;
    }
    bool operator!=(const TeamJournalSettings &other) const { return !(*this == other); }
};

// libpq's sslmode values, the weakest first.
inline QStringList teamJournalSslModes()
{
    return { QStringLiteral("disable"), QStringLiteral("allow"), QStringLiteral("prefer"),
        QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full") };
}

#endif // TEAMJOURNALSETTINGS_H
