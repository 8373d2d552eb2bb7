// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/trafficmodel.h"

#include <QCoreApplication>
#include <QDateTime>

#include <modbus.h>

#include <algorithm>

namespace {

const char *const ExceptionMeanings[] = {
    nullptr,
    QT_TRANSLATE_NOOP("TrafficModel", "illegal function"),
    QT_TRANSLATE_NOOP("TrafficModel", "illegal data address"),
    QT_TRANSLATE_NOOP("TrafficModel", "illegal data value"),
    QT_TRANSLATE_NOOP("TrafficModel", "slave device failure"),
    QT_TRANSLATE_NOOP("TrafficModel", "acknowledge"),
    QT_TRANSLATE_NOOP("TrafficModel", "slave device busy"),
    QT_TRANSLATE_NOOP("TrafficModel", "negative acknowledge"),
    QT_TRANSLATE_NOOP("TrafficModel", "memory parity error"),
    nullptr,
    QT_TRANSLATE_NOOP("TrafficModel", "gateway path unavailable"),
    QT_TRANSLATE_NOOP("TrafficModel", "gateway target device failed to respond"),
};

QString durationText(qint64 microseconds)
{
    return QString::number(microseconds / 1000.0, 'f', 1);
}

} // namespace

TrafficModel::TrafficModel(QObject *parent, int capacity)
    : QAbstractTableModel(parent), m_capacity(qMax(1, capacity))
{
    m_batchTimer.setSingleShot(true);
    m_batchTimer.setInterval(BatchIntervalMs);
    connect(&m_batchTimer, &QTimer::timeout, this, &TrafficModel::flush);
}

int TrafficModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_size;
}

int TrafficModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const ModbusTransaction &TrafficModel::transactionAt(int row) const
{
    return m_ring.at(ringIndex(row));
}

QVariant TrafficModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_size)
        return QVariant();
    const ModbusTransaction &transaction = transactionAt(index.row());
    if (role == SlaveIdRole)
        return transaction.slaveId;
    if (role == Qt::TextAlignmentRole) {
        if (index.column() == FunctionColumn || index.column() == ResultColumn)
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole && index.column() == ResultColumn && !transaction.detail.isEmpty())
        return transaction.detail;
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case TimeColumn:
        return QDateTime::fromMSecsSinceEpoch(transaction.startedAt)
            .toString(QStringLiteral("hh:mm:ss.zzz"));
    case SlaveColumn:
        return transaction.slaveId;
    case FunctionColumn:
        return functionText(transaction.function);
    case AddressColumn:
        return transaction.startAddress;
    case CountColumn:
        return transaction.count;
    case ResultColumn:
        return resultText(transaction);
    case DurationColumn:
        return durationText(transaction.durationUs);
    default:
        return QVariant();
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        return tr("Time");
    case SlaveColumn:
        return tr("Slave ID");
    case FunctionColumn:
        return tr("Function");
    case AddressColumn:
        return tr("Address");
    case CountColumn:
        return tr("Count");
    case ResultColumn:
        return tr("Result");
    case DurationColumn:
        return tr("Duration, ms");
    default:
        return QVariant();
    }
}

QList<uint> TrafficModel::slaveIds() const
{
    QList<uint> ids = m_slaveIds.values();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString TrafficModel::resultText(const ModbusTransaction &transaction)
{
    switch (transaction.outcome) {
    case ModbusTransaction::Success:
        return tr("Success");
    case ModbusTransaction::Timeout:
        return tr("Timeout");
    case ModbusTransaction::InvalidCrc:
        return tr("Invalid CRC");
    case ModbusTransaction::Exception: {
        const int code = transaction.exceptionCode;
        const int known = int(sizeof ExceptionMeanings / sizeof *ExceptionMeanings);
        if (code > 0 && code < known && ExceptionMeanings[code])
            return tr("Exception %1: %2").arg(code).arg(tr(ExceptionMeanings[code]));
        return tr("Exception %1").arg(code);
    }
    case ModbusTransaction::ForeignAnswer:
        return tr("Answer from another slave");
    case ModbusTransaction::MalformedAnswer:
        return tr("Malformed answer");
    case ModbusTransaction::OtherError:
        return tr("Error: %1").arg(QString::fromLocal8Bit(modbus_strerror(transaction.error)));
    case ModbusTransaction::Canceled:
        return tr("Canceled");
    }
    return QString();
}

QString TrafficModel::functionText(int function)
{
    switch (function) {
    case 1:
        return tr("1 Read coils");
    case 2:
        return tr("2 Read discrete inputs");
    case 3:
        return tr("3 Read holding registers");
    case 4:
        return tr("4 Read input registers");
    case 5:
        return tr("5 Write single coil");
    case 6:
        return tr("6 Write single register");
    case 15:
        return tr("15 Write multiple coils");
    case 16:
        return tr("16 Write multiple registers");
    default:
        return QString::number(function);
    }
}

QStringList TrafficModel::csvHeader() const
{
    QStringList fields;
    for (int column = 0; column < ColumnCount; ++column)
        fields << headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    return fields;
}

QStringList TrafficModel::csvRow(int row) const
{
    const ModbusTransaction &transaction = transactionAt(row);
    return {
        QDateTime::fromMSecsSinceEpoch(transaction.startedAt)
            .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")),
        QString::number(transaction.slaveId),
        functionText(transaction.function),
        QString::number(transaction.startAddress),
        QString::number(transaction.count),
        resultText(transaction),
        durationText(transaction.durationUs),
    };
}

void TrafficModel::addTransaction(const ModbusTransaction &transaction)
{
    m_pending.append(transaction);
    // While paused the oldest waiting records would be pushed out on resume
    // anyway; trimming now and then keeps the wait list bounded.
    if (m_pending.size() > 2 * m_capacity)
        m_pending.remove(0, m_pending.size() - m_capacity);
    if (!m_slaveIds.contains(transaction.slaveId)) {
        m_slaveIds.insert(transaction.slaveId);
        emit slaveIdSeen(transaction.slaveId);
    }
    if (!m_paused && !m_batchTimer.isActive())
        m_batchTimer.start();
    if (m_paused)
        emit pendingCountChanged(qMin(m_pending.size(), m_capacity));
}

void TrafficModel::flush()
{
    m_batchTimer.stop();
    if (m_paused || m_pending.isEmpty())
        return;
    QVector<ModbusTransaction> batch;
    batch.swap(m_pending);
    if (batch.size() >= m_capacity) {
        beginResetModel();
        m_ring = batch.mid(batch.size() - m_capacity);
        m_first = 0;
        m_size = m_capacity;
        endResetModel();
        return;
    }
    const int overflow = m_size + batch.size() - m_capacity;
    if (overflow > 0) {
        // From the first drop on, the ring is whole and rows wrap around.
        if (m_ring.size() < m_capacity)
            m_ring.resize(m_capacity);
        beginRemoveRows(QModelIndex(), 0, overflow - 1);
        m_first = (m_first + overflow) % m_capacity;
        m_size -= overflow;
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), m_size, m_size + batch.size() - 1);
    for (const ModbusTransaction &transaction : qAsConst(batch)) {
        // The ring grows with its first rows; until it is full nothing has
        // been dropped, so rows sit at their own index.
        if (m_ring.size() < m_capacity)
            m_ring.append(transaction);
        else
            m_ring[ringIndex(m_size)] = transaction;
        ++m_size;
    }
    endInsertRows();
}

void TrafficModel::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    if (!paused) {
        flush();
        emit pendingCountChanged(0);
    }
}

void TrafficModel::clear()
{
    beginResetModel();
    m_ring.clear();
    m_first = 0;
    m_size = 0;
    m_pending.clear();
    m_slaveIds.clear();
    endResetModel();
    emit pendingCountChanged(0);
}
