// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CRASHLISTMODEL_H
#define CRASHLISTMODEL_H

#include "devicedata/crashrecord.h"

#include <QAbstractItemModel>
#include <QVector>

#include <vector>

// The stored crash records as a flat table: number, time, type and current.
// Lives on the GUI thread; only CrashLogData changes it.
class CrashListModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column { NumberColumn, TimeColumn, TypeColumn, CurrentColumn, ColumnCount };

    explicit CrashListModel(QObject *parent = nullptr);

    const CrashRecord &record(int row) const { return m_records[size_t(row)]; }

    void clear();
    void appendRecord(const CrashRecord &record);
    void setRecord(int row, const CrashRecord &record);

    // The table as text for a file: the header, then a row per record with
    // the texts shown, but times in ISO 8601 rather than the system's format.
    QVector<QStringList> exportTable() const;

    QModelIndex index(
        int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVariant displayText(const CrashRecord &record, int column) const;
    QString currentText(const CrashRecord &record) const;

    // Not a QVector: after its copy-on-write detach GCC cannot tell the rows from the shared empty
    // header and, optimising, warns of writes past it (-Wstringop-overflow) in setRecord().
    std::vector<CrashRecord> m_records;
};

#endif // CRASHLISTMODEL_H
