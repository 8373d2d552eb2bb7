// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TEAMJOURNALSERVER_H
#define TEAMJOURNALSERVER_H

#include "common/teamjournalsettings.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// The PostgreSQL server scripts/test starts for the team journal's tests, as the libpq
// connection string it exports in KORVEL_TEST_TEAM_JOURNAL ("host=… port=… dbname=… user=…
// passfile=… sslrootcert=…"). Taking it points libpq at the password file and the server's
// certificate (PGPASSFILE, PGSSLROOTCERT), as a user would set them up; none outside
// scripts/test.
inline std::optional<TeamJournalSettings> testTeamJournal()
{
    const QString info = qEnvironmentVariable("KORVEL_TEST_TEAM_JOURNAL");
    if (info.isEmpty())
        return std::nullopt;
    QHash<QString, QString> values;
    for (const QString &pair : info.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int equals = pair.indexOf(QLatin1Char('='));
        values.insert(pair.left(equals), pair.mid(equals + 1));
    }
    qputenv("PGPASSFILE", values.value(QStringLiteral("passfile")).toLocal8Bit());
    qputenv("PGSSLROOTCERT", values.value(QStringLiteral("sslrootcert")).toLocal8Bit());
    TeamJournalSettings settings;
    settings.host = values.value(QStringLiteral("host"));
    settings.port = values.value(QStringLiteral("port")).toInt();
    settings.database = values.value(QStringLiteral("dbname"));
    settings.user = values.value(QStringLiteral("user"));
    return settings;
}

#define TEAM_JOURNAL_OR_SKIP(settings)                                                             \
    const std::optional<TeamJournalSettings> settings = testTeamJournal();                         \
    if (!settings)                                                                                 \
        QSKIP("No PostgreSQL server: scripts/test starts one and names it in "                     \
              "KORVEL_TEST_TEAM_JOURNAL");

#endif // TEAMJOURNALSERVER_H
