// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalmodel.h"

#include "devicedata/identitytext.h"
#include "devicedata/relaysettings.h"
#include "devicemonitor/journalentry.h"
#include "devicemonitor/journalstore.h"

#include <QColor>
#include <QDateTime>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <limits>

namespace {

// The backgrounds of the settings comparison's verdicts.
const QColor VerifiedBackground(200, 230, 201);
const QColor DoubtBackground(255, 236, 179);
const QColor NotTakenBackground(255, 205, 210);

// The columns as the query gives them, in Column order, then the entry's id and identity flag.
// Ordered as the indexes are, so that the newest rows come without sorting the whole journal.
const char Select[]
    = "SELECT at_ms, user, port, slave_id, serial_number, kind, register_count, outcome, "
      "fingerprint_before, fingerprint_after, id, identity_known FROM entries "
      "WHERE at_ms >= ? AND at_ms < ? %1 ORDER BY at_ms DESC, id DESC";
const char SerialCondition[] = "AND serial_number = ?";
constexpr int IdField = JournalModel::ColumnCount;
constexpr int IdentityKnownField = JournalModel::ColumnCount + 1;

} // namespace

JournalModel::JournalModel(const JournalStore *store, QObject *parent)
    : QSqlQueryModel(parent), m_store(store)
{
    reload();
}

void JournalModel::setFilter(qint64 serialNumber, const QDate &from, const QDate &to)
{
    m_serialNumber = serialNumber;
    m_from = from;
    m_to = to;
    reload();
}

void JournalModel::reload()
{
    if (!m_store->isOpen()) {
        clear();
        return;
    }
    QSqlQuery query(QSqlDatabase::database(m_store->connectionName(), false));
    query.prepare(QString::fromLatin1(Select).arg(
        m_serialNumber < 0 ? QString() : QString::fromLatin1(SerialCondition)));
    query.addBindValue(m_from.isValid() ? m_from.startOfDay().toMSecsSinceEpoch() : qint64(0));
    query.addBindValue(m_to.isValid() ? m_to.addDays(1).startOfDay().toMSecsSinceEpoch()
                                      : std::numeric_limits<qint64>::max());
    if (m_serialNumber >= 0)
        query.addBindValue(m_serialNumber);
    query.exec();
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    setQuery(std::move(query));
#else
    setQuery(query);
#endif
}

qint64 JournalModel::entryId(int row) const
{
    return QSqlQueryModel::data(index(row, IdField)).toLongLong();
}

int JournalModel::rowOfEntry(qint64 id) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (entryId(row) == id)
            return row;
    }
    return -1;
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= ColumnCount)
        return {};
    QVariant value = QSqlQueryModel::data(index, Qt::DisplayRole);
    const auto outcome = [this, &index] {
        return JournalOutcome(
            QSqlQueryModel::data(this->index(index.row(), OutcomeColumn)).toInt());
    };
    if (role == Qt::BackgroundRole && index.column() == OutcomeColumn) {
        switch (outcome()) {
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
    if (role != Qt::DisplayRole)
        return {};
    switch (Column(index.column())) {
    case WhenColumn:
        return QLocale().toString(
            QDateTime::fromMSecsSinceEpoch(value.toLongLong(), Qt::UTC).toLocalTime(),
            QLocale::ShortFormat);
    case SlaveIdColumn:
        return value.toInt() == 0 ? tr("all") : value.toString();
    case SerialNumberColumn:
        return QSqlQueryModel::data(this->index(index.row(), IdentityKnownField)).toBool()
            ? serialNumberText(value.toLongLong())
            : QString();
    case KindColumn:
        return JournalEntry::kindText(JournalEntry::Kind(value.toInt()));
    case OutcomeColumn:
        return journalOutcomeText(outcome());
    default:
        return value;
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QSqlQueryModel::headerData(section, orientation, role);
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
    case ColumnCount:
        break;
    }
    return {};
}
