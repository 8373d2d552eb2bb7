// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/teamjournalconnection.h"

#include "devicemonitor/journalstore.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString Driver = QStringLiteral("QPSQL");

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("korvel-team-journal-%1").arg(counter.fetchAndAddRelaxed(1));
}

// libpq's key=value syntax: a value with a space, a quote or a backslash is quoted.
QString connectValue(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QStringLiteral("'%1'").arg(escaped);
}

} // namespace

TeamJournalConnection::TeamJournalConnection(
    const TeamJournalSettings &settings, const QString &password)
    : m_settings(settings), m_name(uniqueConnectionName())
{
    QSqlDatabase db = QSqlDatabase::addDatabase(Driver, m_name);
    db.setHostName(settings.host);
    db.setPort(settings.port);
    db.setDatabaseName(settings.database);
    db.setUserName(settings.user);
    db.setPassword(password);
    // Qt passes these on to libpq, semicolons turned into spaces.
    db.setConnectOptions(
        QStringLiteral("connect_timeout=%1;sslmode=%2;application_name=%3")
            .arg(ConnectTimeoutSeconds)
            .arg(connectValue(settings.sslMode), connectValue(QStringLiteral("korvel-client"))));
}

TeamJournalConnection::~TeamJournalConnection()
{
    database().close();
    QSqlDatabase::removeDatabase(m_name);
}

bool TeamJournalConnection::isDriverAvailable()
{
    return QSqlDatabase::isDriverAvailable(Driver);
}

bool TeamJournalConnection::open(QString *error)
{
    QSqlDatabase db = database();
    if (db.isOpen())
        return true;
    if (!db.isValid()) {
        *error = tr("Qt's PostgreSQL driver (QPSQL) is not installed.");
        return false;
    }
    if (!db.open()) {
        *error = db.lastError().text().trimmed();
        return false;
    }
    if (checkSchema(error))
        return true;
    db.close();
    return false;
}

void TeamJournalConnection::close()
{
    database().close();
}

bool TeamJournalConnection::checkSchema(QString *error)
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT max(version) FROM journal_schema")) || !query.next()) {
        *error = tr("The database %1 holds no journal: %2")
                     .arg(m_settings.database, query.lastError().text().trimmed());
        return false;
    }
    const int version = query.value(0).toInt();
    if (version != JournalStore::SchemaVersion) {
        *error = tr("The team journal is of version %1; this program writes version %2.")
                     .arg(version)
                     .arg(JournalStore::SchemaVersion);
        return false;
    }
    return true;
}
