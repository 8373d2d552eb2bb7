// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALMODEL_H
#define JOURNALMODEL_H

#include "devicemonitor/journalreader.h"

#include <QAbstractTableModel>
#include <QDate>

class JournalStore;

// The journal's entries, newest first, for a table: rows are fetched from
// the file a page at a time as the view scrolls to them, so a journal of any
// length opens at once. Filtered by relay (serial number) and by the day an
// entry was made. It reads through a connection of its own and holds nothing
// open between pages, so that the writes of this program and of another one
// go on while it is shown.
class JournalModel : public QAbstractTableModel
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
        CopiedColumn, // whether the team journal has the entry as it is here
        ColumnCount
    };

    static constexpr int PageSize = 256;

    explicit JournalModel(const JournalStore *store, QObject *parent = nullptr);

    // serialNumber < 0: every relay; an invalid date: no bound on that side.
    void setFilter(qint64 serialNumber, const QDate &from, const QDate &to);
    const JournalFilter &filter() const { return m_filter; }
    // Reads the journal again, keeping the filter.
    void reload();
    qint64 entryId(int row) const;
    // The row of an entry among the rows fetched so far; -1 when it is not one of them.
    int rowOfEntry(qint64 id) const;
    // The journal as this model reads it, for an entry's registers and an export.
    const JournalReader &reader() const { return m_reader; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex &parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex &parent = QModelIndex()) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // The rows after those fetched; marks the model complete when they are the last.
    QVector<JournalSummary> nextPage();

    const JournalStore *m_store;
    JournalReader m_reader;
    JournalFilter m_filter;
    QVector<JournalSummary> m_rows;
    bool m_complete = true; // every row the filter lets through is fetched
};

#endif // JOURNALMODEL_H
