// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalmodel.h"

#include "devicedata/identitytext.h"
#include "devicemonitor/journalentry.h"
#include "devicemonitor/journalstore.h"

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

} // namespace

JournalModel::JournalModel(const JournalStore *store, QObject *parent)
    : QAbstractTableModel(parent), m_store(store), m_reader(store->path())
{
    reload();
}

void JournalModel::setFilter(qint64 serialNumber, const QDate &from, const QDate &to)
{
    m_filter = { serialNumber, from, to };
    reload();
}

void JournalModel::reload()
{
    beginResetModel();
    m_rows.clear();
    m_complete = !m_store->isOpen();
    if (!m_complete)
        m_rows = nextPage();
    endResetModel();
}

QVector<JournalSummary> JournalModel::nextPage()
{
    QVector<JournalSummary> page
        = m_reader.summaries(m_filter, m_rows.isEmpty() ? nullptr : &m_rows.last(), PageSize);
    m_complete = page.size() < PageSize;
    return page;
}

bool JournalModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_complete;
}

void JournalModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const QVector<JournalSummary> page = nextPage();
    if (page.isEmpty())
        return;
    beginInsertRows(QModelIndex(), m_rows.size(), m_rows.size() + page.size() - 1);
    m_rows += page;
    endInsertRows();
}

qint64 JournalModel::entryId(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).entry.id : -1;
}

int JournalModel::rowOfEntry(qint64 id) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row).entry.id == id)
            return row;
    }
    return -1;
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
