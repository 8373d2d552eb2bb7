// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef NEWSETTINGSDIALOG_H
#define NEWSETTINGSDIALOG_H

#include <QDialog>

class QCheckBox;
class QComboBox;

// What settings prepared without a relay are for: the relay's modules, which
// decide the fields there are, and its current range, which the pick-up
// currents are set at.
class NewSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NewSettingsDialog(QWidget *parent = nullptr);

    qint64 modules() const; // ModuleFlags
    qint64 currentRange() const;

private:
    QVector<QCheckBox *> m_moduleBoxes;
    QComboBox *m_currentRangeBox;
};

#endif // NEWSETTINGSDIALOG_H
