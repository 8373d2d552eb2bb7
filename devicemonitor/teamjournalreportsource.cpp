// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/teamjournalreportsource.h"

#include "devicemonitor/journalstore.h"
#include "devicemonitor/teamjournalmerge.h"
#include "devicemonitor/teamjournalsync.h"

#include <QLocale>

TeamJournalReportSource::TeamJournalReportSource(
    const JournalStore *local, TeamJournalSync *sync, QObject *parent)
    : QObject(parent), m_local(local), m_sync(sync)
{
    connect(sync, &TeamJournalSync::entriesRead, this, &TeamJournalReportSource::onRead);
    // What another server holds is not this one's, and the reads under way will not answer.
    connect(sync, &TeamJournalSync::settingsChanged, this, [this] {
        m_requests.clear();
        m_fetched.clear();
        fetch(m_lastAsked);
    });
    // A copy brings this computer's entries; other laptops' may have come meanwhile too.
    connect(sync, &TeamJournalSync::statusChanged, this, [this] {
        // A read ends with this signal too, before its entries: none is asked for then.
        if (m_lastAsked >= 0 && m_requests.isEmpty())
            fetch(m_lastAsked);
    });
}

void TeamJournalReportSource::fetch(qint64 serialNumber)
{
    m_lastAsked = serialNumber;
    if (serialNumber < 0 || !m_sync->isConfigured())
        return;
    TeamJournalFilter filter;
    filter.serialNumber = serialNumber;
    m_requests.insert(m_sync->readEntries(filter), serialNumber);
}

void TeamJournalReportSource::onRead(
    int request, const QVector<JournalEntry> &entries, const QString &error)
{
    const auto asked = m_requests.constFind(request);
    if (asked == m_requests.cend())
        return;
    const qint64 serial = asked.value();
    m_requests.erase(asked);
    if (error.isEmpty())
        m_fetched.insert(serial, { entries, QDateTime::currentDateTime() });
}

QVector<JournalEntry> TeamJournalReportSource::entries(
    qint64 serialNumber, const QDate &since) const
{
    const QDateTime from = since.isValid() ? since.startOfDay() : QDateTime();
    QVector<JournalEntry> team;
    for (const JournalEntry &entry : m_fetched.value(serialNumber).entries) {
        if (!from.isValid() || entry.when >= from)
            team.append(entry);
    }
    return mergeWithTeam(m_local->entries(serialNumber, since), team);
}

bool TeamJournalReportSource::isTeamWide() const
{
    return m_sync->isConfigured();
}

QString TeamJournalReportSource::note(qint64 serialNumber) const
{
    if (!m_sync->isConfigured())
        return QString();
    const QDateTime at = m_fetched.value(serialNumber).at;
    return at.isValid()
        ? tr("Writes from this computer's journal and from the team journal as read at %1.")
              .arg(QLocale().toString(at, QLocale::ShortFormat))
        : tr("The team journal could not be read for this relay: only the writes made from "
             "this computer are listed.");
}
