// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/linetablemodel.h"

#include "devicemonitor/comparisoncolours.h"
#include "devicemonitor/linereader.h"
#include "devicemonitor/linereport.h"

#include <QBrush>

LineTableModel::LineTableModel(const LineReader *reader, QObject *parent)
    : QAbstractTableModel(parent),
      m_reader(reader),
      m_columnCount(int(LineReport::summaryHeader().size()) + 1)
{
    connect(reader, &LineReader::rowsReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(reader, &LineReader::rowChanged, this, &LineTableModel::onRowChanged);
}

int LineTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_reader->rows().size());
}

int LineTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columnCount;
}

void LineTableModel::setSendOutcome(int slaveId, const QString &text, bool complete)
{
    m_sendOutcomes.insert(slaveId, { text, complete });
    for (int row = 0; row < rowCount(); ++row) {
        if (m_reader->rows().at(row).slaveId == slaveId)
            emit dataChanged(index(row, m_columnCount - 1), index(row, m_columnCount - 1));
    }
}

void LineTableModel::clearSendOutcomes()
{
    m_sendOutcomes.clear();
    if (rowCount() > 0)
        emit dataChanged(index(0, m_columnCount - 1), index(rowCount() - 1, m_columnCount - 1));
}

void LineTableModel::onRowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, m_columnCount - 1));
}

QVariant LineTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const LineRow &row = m_reader->rows().at(index.row());
    if (isSendColumn(index.column())) {
        const auto sent = m_sendOutcomes.constFind(row.slaveId);
        if (sent == m_sendOutcomes.cend())
            return role == SlaveIdRole ? QVariant(row.slaveId) : QVariant();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return sent->text;
        case Qt::BackgroundRole:
            return QBrush(
                sent->complete ? ComparisonColours::verified() : ComparisonColours::notTaken());
        case SlaveIdRole:
            return row.slaveId;
        default:
            return {};
        }
    }
    switch (role) {
    case Qt::DisplayRole:
        return LineReport::summaryCells(row).value(index.column());
    case Qt::ToolTipRole:
        return row.stateText();
    case Qt::BackgroundRole:
        switch (row.state) {
        case LineRow::Identical:
            return QBrush(ComparisonColours::verified());
        case LineRow::Differs:
            return QBrush(ComparisonColours::difference());
        case LineRow::AnotherType:
            return {};
        default:
            return QBrush(ComparisonColours::notTaken());
        }
    case SlaveIdRole:
        return row.slaveId;
    case StateRole:
        return int(row.state);
    default:
        return {};
    }
}

QVariant LineTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (isSendColumn(section))
        return tr("Last send");
    return LineReport::summaryHeader().value(section);
}
