// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TEAMJOURNALDIALOG_H
#define TEAMJOURNALDIALOG_H

#include "devicemonitor/journalentry.h"
#include "devicemonitor/teamjournalreader.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TeamJournalSync;

// View → Team journal: where the team journal is (saved in settings.ini, the password for the
// session only), whether it was reached, and the team's entries, filtered by relay, user,
// laptop, dates and outcome and exported as the local journal's are. The server is asked on
// the sync's thread: the dialog shows what comes back when it comes.
class TeamJournalDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TeamJournalDialog(TeamJournalSync *sync, QWidget *parent = nullptr);

    // The entries shown, as the server gave them.
    const QVector<JournalEntry> &entries() const { return m_entries; }
    bool exportTo(const QString &path, QString *error) const;
    // Asks the server for the entries the filter lets through.
    void search();

private:
    void useServer();
    void showStatus();
    void showEntries(int request, const QVector<JournalEntry> &entries, const QString &error);
    void showRegisters();
    void askAndExport();
    TeamJournalFilter filter() const;

    TeamJournalSync *m_sync;
    QLineEdit *m_hostEdit;
    QSpinBox *m_portSpin;
    QLineEdit *m_databaseEdit;
    QLineEdit *m_userEdit;
    QLineEdit *m_passwordEdit;
    QComboBox *m_sslModeCombo;
    QLabel *m_statusLabel;
    QLineEdit *m_serialEdit;
    QLineEdit *m_userFilterEdit;
    QLineEdit *m_laptopFilterEdit;
    QCheckBox *m_fromCheck;
    QDateEdit *m_fromEdit;
    QCheckBox *m_toCheck;
    QDateEdit *m_toEdit;
    QComboBox *m_outcomeCombo;
    QTableWidget *m_entriesTable;
    QTableWidget *m_registersTable;
    QPushButton *m_exportButton;
    QVector<JournalEntry> m_entries;
    int m_request = 0; // the search whose answer is awaited
};

#endif // TEAMJOURNALDIALOG_H
