// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PREPAREDSETTINGSDIALOG_H
#define PREPAREDSETTINGSDIALOG_H

#include "devicedata/settingsfile.h"

#include <QDialog>

class QLabel;
class QTableView;
class SettingsComparisonModel;

// Settings prepared without a relay, new or opened from a file, in the
// comparison's field table with the file side editable. Save checks every
// field as opening a file does and writes nothing that would not open.
class PreparedSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    // `fileName` is empty for settings not saved yet.
    PreparedSettingsDialog(
        const SettingsFile &file, const QString &fileName, QWidget *parent = nullptr);

    SettingsComparisonModel *comparisonModel() const { return m_model; }
    // The settings as edited so far.
    SettingsFile editedFile() const;
    // Writes the edited settings, stamped, to `path` if they pass the checks
    // of opening a file; otherwise, or if the write fails, says why and
    // writes nothing.
    bool save(const QString &path);

signals:
    void statusMessage(const QString &text);

protected:
    // Edits not saved are given up only when the user says so.
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    bool mayDiscardEdits();
    void askAndSave();
    void showFingerprint();
    void showFileName(const QString &fileName);

    SettingsFile m_file;
    SettingsComparisonModel *m_model;
    QTableView *m_table;
    QLabel *m_fileLabel;
    QLabel *m_fingerprintLabel;
    QLabel *m_warningLabel;
    QString m_fileName;
    bool m_edited = false;
};

#endif // PREPAREDSETTINGSDIALOG_H
