// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALSOURCE_H
#define JOURNALSOURCE_H

#include "devicemonitor/journalentry.h"

#include <QDate>
#include <QString>
#include <QVector>

// Where the report's journal section finds a relay's writes: the local journal, or the local
// and the team journal together. Asked on the GUI thread: it answers from what it holds.
class JournalSource
{
public:
    virtual ~JournalSource() = default;

    // The relay's entries made since the day given, newest first, with their registers.
    virtual QVector<JournalEntry> entries(qint64 serialNumber, const QDate &since) const = 0;
    // Whether the entries come from more than this computer, so that the report names who
    // made each and where.
    virtual bool isTeamWide() const { return false; }
    // A sentence on how complete the entries are; empty when nothing needs saying.
    virtual QString note(qint64 serialNumber) const
    {
        Q_UNUSED(serialNumber)
        return QString();
    }
};

#endif // JOURNALSOURCE_H
