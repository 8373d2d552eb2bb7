// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalmodel.h"

#include "devicedata/identitytext.h"
#include "devicemonitor/journalentry.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/teamjournalmerge.h"
#include "devicemonitor/teamjournalsync.h"

#include <QColor>
#include <QDateTime>
#include <QLocale>

namespace {

// The backgrounds of the settings comparison's verdicts.
const QColor VerifiedBackground(200, 230, 201);
const QColor DoubtBackground(255, 236, 179);
const QColor NotTakenBackground(255, 205, 210);

QVariant outcomeBackground(JournalOutcome outcome)
{
    switch (outcome) {
    case JournalOutcome::Verified:
    case JournalOutcome::Acknowledged:
        return VerifiedBackground;
    case JournalOutcome::Refused:
    case JournalOutcome::Changed:
        return NotTakenBackground;
    case JournalOutcome::Unknown:
    case JournalOutcome::Unconfirmed:
        return DoubtBackground;
    case JournalOutcome::NotSent:
        break;
    }
    return {};
}

JournalSummary summaryOf(const JournalEntry &entry)
{
    JournalSummary summary;
    summary.entry = entry;
    summary.registerCount = entry.registers.size();
    summary.outcome = entry.outcome();
    return summary;
}

} // namespace

JournalModel::JournalModel(const JournalStore *store, QObject *parent)
    : QAbstractTableModel(parent), m_store(store), m_reader(store->path())
{
    reload();
}

void JournalModel::setFilter(qint64 serialNumber, const QDate &from, const QDate &to)
{
    m_filter = { serialNumber, from, to };
    // The team's rows of the filter before do not belong among these.
    m_team.clear();
    reload();
    readTeamRows(false);
}

void JournalModel::reload()
{
    beginResetModel();
    m_local.clear();
    m_complete = !m_store->isOpen();
    if (!m_complete)
        m_local = nextPage();
    m_rows = mergedRows();
    endResetModel();
}

QVector<JournalSummary> JournalModel::nextPage()
{
    QVector<JournalSummary> page
        = m_reader.summaries(m_filter, m_local.isEmpty() ? nullptr : &m_local.last(), PageSize);
    m_complete = page.size() < PageSize;
    return page;
}

QVector<JournalSummary> JournalModel::mergedRows() const
{
    if (m_complete || m_team.isEmpty())
        return mergeWithTeam(m_local, m_team);
    // Strictly newer: the local rows of the last one's moment not fetched yet come before a
    // team entry of that moment.
    const QDateTime oldestFetched = m_local.last().entry.when;
    QVector<JournalSummary> newer;
    for (const JournalSummary &row : m_team) {
        if (row.entry.when > oldestFetched)
            newer.append(row);
    }
    return mergeWithTeam(m_local, newer);
}

void JournalModel::followTeamJournal(TeamJournalSync *sync)
{
    m_sync = sync;
    connect(sync, &TeamJournalSync::entriesRead, this, &JournalModel::takeTeamRows);
    connect(sync, &TeamJournalSync::settingsChanged, this, [this] {
        // Reads asked of the server before get no answer.
        m_teamRequest = 0;
        readTeamRows(false);
    });
    // A copy brings this computer's entries to the server; other laptops' may have come too.
    // A read ends with this signal as well, before its entries: it is under way then.
    connect(sync, &TeamJournalSync::statusChanged, this, [this] {
        if (m_teamRequest == 0)
            readTeamRows(true);
    });
    readTeamRows(false);
}

void JournalModel::readTeamRows(bool keep)
{
    if (!m_sync)
        return;
    if (!m_sync->isConfigured()) {
        m_teamRequest = 0;
        setTeamRows(TeamRows::NotFollowed, {});
        return;
    }
    TeamJournalFilter filter;
    filter.serialNumber = m_filter.serialNumber;
    filter.from = m_filter.from;
    filter.to = m_filter.to;
    m_teamRequest = m_sync->readEntries(filter);
    m_teamLimit = filter.limit;
    if (!keep || m_teamRows != TeamRows::Shown)
        setTeamRows(TeamRows::Reading, {});
}

void JournalModel::takeTeamRows(
    int request, const QVector<JournalEntry> &entries, const QString &error)
{
    if (request != m_teamRequest)
        return;
    m_teamRequest = 0;
    m_teamError = error;
    if (!error.isEmpty()) {
        setTeamRows(TeamRows::Unreadable, {});
        return;
    }
    m_teamReadAt = QDateTime::currentDateTime();
    m_teamCut = entries.size() >= m_teamLimit;
    QStringList uuids;
    for (const JournalEntry &entry : entries)
        uuids.append(entry.uuid);
    const QSet<QString> here = m_reader.knownUuids(uuids);
    QVector<JournalSummary> rows;
    for (const JournalEntry &entry : entries) {
        if (!here.contains(entry.uuid))
            rows.append(summaryOf(entry));
    }
    setTeamRows(TeamRows::Shown, rows);
}

void JournalModel::setTeamRows(TeamRows state, const QVector<JournalSummary> &rows)
{
    m_teamRows = state;
    if (!rows.isEmpty() || !m_team.isEmpty()) {
        beginResetModel();
        m_team = rows;
        m_rows = mergedRows();
        endResetModel();
    }
    emit teamRowsChanged();
}

QString JournalModel::teamRowsText() const
{
    switch (m_teamRows) {
    case TeamRows::NotFollowed:
        break;
    case TeamRows::Reading:
        return tr("The team's entries are being read; this computer's are shown meanwhile.");
    case TeamRows::Unreadable:
        return tr("The team's entries could not be read (%1): only this computer's are shown.")
            .arg(m_teamError);
    case TeamRows::Shown: {
        QString text = tr("The team's entries as read at %1 are shown among this computer's.")
                           .arg(QLocale().toString(m_teamReadAt, QLocale::ShortFormat));
        if (m_teamCut)
            text += QLatin1Char(' ')
                + tr("Of the team's entries, only the newest %1 are read: narrow the filter "
                     "for older ones.")
                      .arg(m_teamLimit);
        return text;
    }
    }
    return QString();
}

bool JournalModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_complete;
}

void JournalModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    m_local += nextPage();
    // What was shown stays at the head: the rows added are no newer than the oldest of it.
    const QVector<JournalSummary> rows = mergedRows();
    if (rows.size() == m_rows.size())
        return;
    beginInsertRows(QModelIndex(), m_rows.size(), rows.size() - 1);
    m_rows = rows;
    endInsertRows();
}

qint64 JournalModel::entryId(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return -1;
    const qint64 id = m_rows.at(row).entry.id;
    return id > 0 ? id : -1;
}

QString JournalModel::entryUuid(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).entry.uuid : QString();
}

int JournalModel::rowOfEntry(const QString &uuid) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row).entry.uuid == uuid)
            return row;
    }
    return -1;
}

QVector<JournalRegister> JournalModel::registers(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    const JournalEntry &entry = m_rows.at(row).entry;
    return entry.id > 0 ? m_reader.registers(entry.id) : entry.registers;
}

QVector<JournalEntry> JournalModel::entries() const
{
    QVector<JournalEntry> team;
    team.reserve(m_team.size());
    for (const JournalSummary &row : m_team)
        team.append(row.entry);
    return mergeWithTeam(m_reader.entries(m_filter), team);
}

int JournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int JournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const JournalSummary &summary = m_rows.at(index.row());
    const JournalEntry &entry = summary.entry;
    if (role == Qt::BackgroundRole && index.column() == OutcomeColumn)
        return outcomeBackground(summary.outcome);
    if (role != Qt::DisplayRole)
        return {};
    switch (Column(index.column())) {
    case WhenColumn:
        return QLocale().toString(entry.when.toLocalTime(), QLocale::ShortFormat);
    case LaptopColumn:
        return entry.laptop;
    case UserColumn:
        return entry.user;
    case PortColumn:
        return entry.port;
    case SlaveIdColumn:
        return entry.slaveId == 0 ? tr("all") : QString::number(entry.slaveId);
    case SerialNumberColumn:
        return entry.identityKnown ? serialNumberText(entry.serialNumber) : QString();
    case KindColumn:
        return JournalEntry::kindText(entry.kind);
    case RegistersColumn:
        return summary.registerCount;
    case OutcomeColumn:
        return journalOutcomeText(summary.outcome);
    case FingerprintBeforeColumn:
        return entry.fingerprintBefore;
    case FingerprintAfterColumn:
        return entry.fingerprintAfter;
    case CopiedColumn:
        if (entry.id <= 0)
            return tr("from the team journal");
        return entry.copied ? tr("copied") : tr("not copied yet");
    case ColumnCount:
        break;
    }
    return {};
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (Column(section)) {
    case WhenColumn:
        return tr("When");
    case LaptopColumn:
        return tr("Laptop");
    case UserColumn:
        return tr("User");
    case PortColumn:
        return tr("Port");
    case SlaveIdColumn:
        return tr("ID");
    case SerialNumberColumn:
        return tr("Serial number");
    case KindColumn:
        return tr("Write");
    case RegistersColumn:
        return tr("Registers");
    case OutcomeColumn:
        return tr("Outcome");
    case FingerprintBeforeColumn:
        return tr("Fingerprint before");
    case FingerprintAfterColumn:
        return tr("Fingerprint after");
    case CopiedColumn:
        return tr("Team journal");
    case ColumnCount:
        break;
    }
    return {};
}
