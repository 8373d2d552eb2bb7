// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINETABLEMODEL_H
#define LINETABLEMODEL_H

#include <QAbstractTableModel>
#include <QHash>

class LineReader;
struct LineRow;

// The line view's table: one row per relay the reader found or its folder expects, with the
// columns of the line report's summary, coloured as the comparison colours its rows: identical
// green, differing amber, not comparable (no file, another relay's file, not read, not
// answering) red; a relay of another type stays plain.
class LineTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role { SlaveIdRole = Qt::UserRole + 1, StateRole };

    explicit LineTableModel(const LineReader *reader, QObject *parent = nullptr);

    // The last column tells what the last send to the line did to each relay; until then and
    // for a relay not sent to, it is empty.
    void setSendOutcome(int slaveId, const QString &text, bool complete);
    void clearSendOutcomes();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct SendOutcome
    {
        QString text;
        bool complete = false;
    };

    void onRowChanged(int row);
    bool isSendColumn(int column) const { return column == m_columnCount - 1; }

    const LineReader *m_reader;
    int m_columnCount;
    QHash<int, SendOutcome> m_sendOutcomes; // by slave ID
};

#endif // LINETABLEMODEL_H
