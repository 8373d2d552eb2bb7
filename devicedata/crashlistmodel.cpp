// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashlistmodel.h"

#include "devicedata/codeconversions.h"

#include <QLocale>

CrashListModel::CrashListModel(QObject *parent) : QAbstractItemModel(parent)
{
}

void CrashListModel::clear()
{
    beginResetModel();
    m_records.clear();
    endResetModel();
}

void CrashListModel::appendRecord(const CrashRecord &record)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_records.push_back(record);
    endInsertRows();
}

void CrashListModel::setRecord(int row, const CrashRecord &record)
{
    if (row < 0 || row >= rowCount())
        return;
    m_records[size_t(row)] = record;
    emit dataChanged(index(row, NumberColumn), index(row, CurrentColumn));
}

QVector<QStringList> CrashListModel::exportTable() const
{
    QVector<QStringList> table;
    QStringList header;
    for (int column = 0; column < ColumnCount; ++column)
        header.append(headerData(column, Qt::Horizontal).toString());
    table.append(header);
    for (const CrashRecord &record : m_records) {
        QStringList row;
        for (int column = 0; column < ColumnCount; ++column) {
            row.append(column == TimeColumn ? record.crashTime.value.toString(Qt::ISODate)
                                            : displayText(record, column).toString());
        }
        table.append(row);
    }
    return table;
}

QModelIndex CrashListModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex CrashListModel::parent(const QModelIndex &) const
{
    return QModelIndex();
}

int CrashListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

int CrashListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CrashListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();

    switch (role) {
    case Qt::DisplayRole:
        return displayText(m_records[size_t(index.row())], index.column());
    case Qt::TextAlignmentRole:
        return int(index.column() == TypeColumn ? Qt::AlignHCenter : Qt::AlignRight);
    default:
        return QVariant();
    }
}

QVariant CrashListModel::headerData(int section, Qt::Orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case NumberColumn:
        return tr("#");
    case TimeColumn:
        return tr("Time");
    case TypeColumn:
        return tr("Type", "crash type");
    case CurrentColumn:
        return tr("Current", "electric current");
    default:
        return QVariant();
    }
}

QVariant CrashListModel::displayText(const CrashRecord &record, int column) const
{
    switch (column) {
    case NumberColumn:
        return record.crashNumber.value;
    case TimeColumn:
        return QLocale::system().toString(record.crashTime.value, QLocale::ShortFormat);
    case TypeColumn:
        return crashTypeText(record.crashType);
    case CurrentColumn:
        return currentText(record);
    default:
        return QVariant();
    }
}

QString CrashListModel::currentText(const CrashRecord &record) const
{
    const CrashCurrent current = crashCurrent(record);
    if (!current.recorded)
        return QStringLiteral("-");
    // A row is either fully read or empty, so the number alone is shown:
    // a range code the relay should not have stored gives 0.
    const bool kiloamperes = current.isInKiloamperes();
    const double amperes = current.amperes.value;
    const double amount = kiloamperes ? amperes / 1000 : amperes;
    const QString unit = kiloamperes ? tr(" kA", "kiloampere suffix") : tr(" A", "ampere suffix");
    return QStringLiteral("%L1%2").arg(amount, 0, 'f', current.decimals).arg(unit);
}
