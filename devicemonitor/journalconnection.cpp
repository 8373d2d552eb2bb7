// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalconnection.h"

#include <QAtomicInt>

namespace {

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("korvel-journal-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

JournalConnection::JournalConnection() : m_name(uniqueConnectionName())
{
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
}

JournalConnection::~JournalConnection()
{
    database().close();
    QSqlDatabase::removeDatabase(m_name);
}
