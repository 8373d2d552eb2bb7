// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALDIALOG_H
#define JOURNALDIALOG_H

#include <QDialog>

class JournalModel;
class JournalStore;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;
class TeamJournalSync;

// View → Journal: every write to a relay, newest first, filtered by relay and
// by date, the registers of the entry picked, and the filtered entries as CSV.
class JournalDialog : public QDialog
{
    Q_OBJECT

public:
    explicit JournalDialog(const JournalStore *store, QWidget *parent = nullptr);

    JournalModel *model() const { return m_model; }
    // The journal took an entry or an outcome: the view reads it again shortly, keeping the
    // filter, the entry picked and the rows in sight.
    void journalChanged();
    // Shows the team's entries among this computer's, says whether each of this computer's
    // is in the team journal, and when that was last reached.
    void followTeamJournal(TeamJournalSync *sync);
    // The entries shown, every one the filter lets through, one line per register.
    bool exportTo(const QString &path, QString *error) const;

private:
    // Where the user is among the rows: kept across a new read of them.
    struct Place
    {
        QString current; // the UUID of the entry picked
        int currentColumn = 0;
        QString top; // of the entry at the top, when scrolled down
        int horizontal = 0;
    };

    Place place() const;
    void restore(const Place &place);
    void showTeamJournalState(const TeamJournalSync *sync);
    void applyFilter();
    void reload();
    void showRegisters();
    void askAndExport();
    qint64 serialFilter() const;

    JournalModel *m_model;
    QLineEdit *m_serialEdit;
    QCheckBox *m_fromCheck;
    QDateEdit *m_fromEdit;
    QCheckBox *m_toCheck;
    QDateEdit *m_toEdit;
    QTableView *m_entriesView;
    QTableWidget *m_registersTable;
    QPushButton *m_exportButton;
    QLabel *m_teamJournalLabel;
    Place m_place; // as it was before the model's rows were last replaced
    // Gathers the entry and the outcome of a write, or a burst of writes, into one read.
    QTimer *m_reloadTimer;
};

#endif // JOURNALDIALOG_H
