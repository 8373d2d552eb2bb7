// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALCONNECTION_H
#define JOURNALCONNECTION_H

#include <QSqlDatabase>
#include <QString>

// A Qt SQL connection to a journal file, of its own name, closed and removed with this
// object. The writer and every reader each have one, so that no reader's statement shares a
// transaction with a write.
class JournalConnection
{
public:
    JournalConnection();
    ~JournalConnection();
    JournalConnection(const JournalConnection &) = delete;
    JournalConnection &operator=(const JournalConnection &) = delete;

    QString name() const { return m_name; }
    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

#endif // JOURNALCONNECTION_H
