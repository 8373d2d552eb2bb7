// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALMODEL_H
#define JOURNALMODEL_H

#include <QDate>
#include <QSqlQueryModel>

class JournalStore;

// The journal's entries, newest first, for a table: rows are fetched from
// the file as the view scrolls to them, so a journal of any length opens at
// once. Filtered by relay (serial number) and by the day an entry was made.
class JournalModel : public QSqlQueryModel
{
    Q_OBJECT

public:
    enum Column {
        WhenColumn,
        UserColumn,
        PortColumn,
        SlaveIdColumn,
        SerialNumberColumn,
        KindColumn,
        RegistersColumn,
        OutcomeColumn,
        FingerprintBeforeColumn,
        FingerprintAfterColumn,
        ColumnCount
    };

    explicit JournalModel(const JournalStore *store, QObject *parent = nullptr);

    // serialNumber < 0: every relay; an invalid date: no bound on that side.
    void setFilter(qint64 serialNumber, const QDate &from, const QDate &to);
    // Reads the journal again, keeping the filter.
    void reload();
    qint64 entryId(int row) const;
    // The row of an entry among the rows fetched so far; -1 when it is not one of them.
    int rowOfEntry(qint64 id) const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const JournalStore *m_store;
    qint64 m_serialNumber = -1;
    QDate m_from;
    QDate m_to;
};

#endif // JOURNALMODEL_H
