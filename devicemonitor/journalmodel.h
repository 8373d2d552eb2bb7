// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALMODEL_H
#define JOURNALMODEL_H

#include "devicemonitor/journalreader.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QDateTime>

class JournalStore;
class TeamJournalSync;

// The journal's entries, newest first, for a table: rows are fetched from
// the file a page at a time as the view scrolls to them, so a journal of any
// length opens at once. Filtered by relay (serial number) and by the day an
// entry was made. It reads through a connection of its own and holds nothing
// open between pages, so that the writes of this program and of another one
// go on while it is shown.
//
// Following a team journal, it shows the team's entries among this computer's,
// each entry once: the team's are read on the sync's thread and come in when
// they come, this computer's rows shown meanwhile. A team entry older than the
// last local row fetched waits for the local page it falls in, so that rows
// fetched later are always added below those shown.
class JournalModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        WhenColumn,
        LaptopColumn,
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

    // Where the team's entries stand.
    enum class TeamRows {
        NotFollowed, // no team journal is set up
        Reading, // asked for, not come yet
        Shown,
        Unreadable, // the server could not be reached or read: this computer's rows only
    };

    static constexpr int PageSize = 256;

    explicit JournalModel(const JournalStore *store, QObject *parent = nullptr);

    // serialNumber < 0: every relay; an invalid date: no bound on that side.
    void setFilter(qint64 serialNumber, const QDate &from, const QDate &to);
    const JournalFilter &filter() const { return m_filter; }
    // Reads this computer's journal again, keeping the filter and the team's rows.
    void reload();
    // Shows the team's entries too while `sync` has a team journal set up, read again after
    // each copy and each change of the filter.
    void followTeamJournal(TeamJournalSync *sync);
    TeamRows teamRows() const { return m_teamRows; }
    // Where the team's entries stand, in a sentence; empty when no team journal is followed.
    QString teamRowsText() const;

    // The local journal's id of a row's entry; -1 for an entry read from the team journal.
    qint64 entryId(int row) const;
    QString entryUuid(int row) const;
    // The row of an entry among the rows fetched so far; -1 when it is not one of them.
    int rowOfEntry(const QString &uuid) const;
    // A row's registers, from whichever journal it comes.
    QVector<JournalRegister> registers(int row) const;
    // Every entry the filter lets through, as the rows show them, with their registers.
    QVector<JournalEntry> entries() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex &parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex &parent = QModelIndex()) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // The team's rows came, could not be read, or are asked for again.
    void teamRowsChanged();

private:
    // The local rows after those fetched; marks the model complete when they are the last.
    QVector<JournalSummary> nextPage();
    // The local rows fetched and the team's that fall among them, newest first.
    QVector<JournalSummary> mergedRows() const;
    // Asks for the team's rows of the filter; those shown stay until the answer when `keep`.
    void readTeamRows(bool keep);
    void takeTeamRows(int request, const QVector<JournalEntry> &entries, const QString &error);
    void setTeamRows(TeamRows state, const QVector<JournalSummary> &rows);

    const JournalStore *m_store;
    JournalReader m_reader;
    JournalFilter m_filter;
    QVector<JournalSummary> m_local; // the local pages fetched
    QVector<JournalSummary> m_rows; // as shown
    bool m_complete = true; // every local row the filter lets through is fetched

    TeamJournalSync *m_sync = nullptr;
    TeamRows m_teamRows = TeamRows::NotFollowed;
    QVector<JournalSummary> m_team; // with their registers, none of this computer's journal
    int m_teamRequest = 0; // the read under way; 0: none
    int m_teamLimit = 0; // the newest entries the server is asked for
    bool m_teamCut = false; // the server gave as many entries as asked for: it has older ones
    QDateTime m_teamReadAt;
    QString m_teamError;
};

#endif // JOURNALMODEL_H
