// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FINDRELAYSDIALOG_H
#define FINDRELAYSDIALOG_H

#include "modbus/serialportsettings.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QVBoxLayout;
class RelayFinder;

// Finds relays at unknown line settings on the configured port and lets the
// user take the settings one of them answered at, with one click. The record
// is written only then; the connection must be closed meanwhile.
class FindRelaysDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FindRelaysDialog(ConnectionSettings &settings, QWidget *parent = nullptr);

    // A found relay's button text: the ID and the line settings it answered at.
    static QString resultText(int slaveId, int baudRate, int parity);

public slots:
    // Cancel stops a search first; only a second one closes the dialog.
    void reject() override;

private slots:
    void onFindClicked();
    void onRelayFound(int slaveId, int baudRate, int parity);
    void onProgress(int done, int total);
    void onFinished(bool completed);

private:
    void take(int baudRate, int parity);

    ConnectionSettings &settings;
    RelayFinder *finder;
    QSpinBox *firstIdSpinBox;
    QSpinBox *lastIdSpinBox;
    QPushButton *findButton;
    QProgressBar *progressBar;
    QLabel *statusLabel;
    QVBoxLayout *resultsLayout;
};

#endif // FINDRELAYSDIALOG_H
