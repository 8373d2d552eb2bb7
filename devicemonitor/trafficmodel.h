// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TRAFFICMODEL_H
#define TRAFFICMODEL_H

#include "modbus/modbustransaction.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QTimer>
#include <QVector>

// The latest transactions on the line, oldest first, for the traffic view.
//
// Records come in one by one (addTransaction, connected queued to the
// endpoint's transactionFinished) but reach the view in batches: they wait
// until the batch interval has passed, so a busy line costs the view one
// insertion a few times a second, not one per transaction. The rows are a
// ring of fixed capacity; the oldest rows go when it is full. While paused,
// the rows stand still and new records wait (no more than a ring's worth).
class TrafficModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        TimeColumn,
        SlaveColumn,
        FunctionColumn,
        AddressColumn,
        CountColumn,
        ResultColumn,
        DurationColumn,
        ColumnCount
    };
    // The slave ID of a row as a number, for filtering.
    static constexpr int SlaveIdRole = Qt::UserRole + 1;
    static constexpr int DefaultCapacity = 10000;
    static constexpr int BatchIntervalMs = 500;

    explicit TrafficModel(QObject *parent = nullptr, int capacity = DefaultCapacity);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const ModbusTransaction &transactionAt(int row) const;
    int capacity() const { return m_capacity; }
    // Records not shown yet: the current batch, or all that came while paused.
    int pendingCount() const { return m_pending.size(); }
    bool isPaused() const { return m_paused; }
    // Every slave ID seen since the last clear(), ascending.
    QList<uint> slaveIds() const;

    static QString resultText(const ModbusTransaction &transaction);
    static QString functionText(int function);
    // The fields of a CSV file (ui/csvfile quotes them): times to the
    // millisecond, durations in ms.
    QStringList csvHeader() const;
    QStringList csvRow(int row) const;

public slots:
    void addTransaction(const ModbusTransaction &transaction);
    // Shows the records waiting, at once (unless paused).
    void flush();
    void setPaused(bool paused);
    void clear();

signals:
    void slaveIdSeen(uint slaveId);
    void pendingCountChanged(int count);

private:
    int ringIndex(int row) const { return (m_first + row) % m_capacity; }

    int m_capacity;
    QVector<ModbusTransaction> m_ring;
    int m_first = 0;
    int m_size = 0;
    QVector<ModbusTransaction> m_pending;
    QSet<uint> m_slaveIds;
    bool m_paused = false;
    QTimer m_batchTimer;
};

#endif // TRAFFICMODEL_H
