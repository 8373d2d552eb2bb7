// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FINDRELAYSDIALOG_H
#define FINDRELAYSDIALOG_H

#include "modbus/serialportsettings.h"

#include <QDialog>
#include <QHash>

class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QVBoxLayout;
class RelayFinder;

// Finds relays at unknown line settings on the configured port and lets the
// user take the settings one of them answered at, with one click. A relay is
// one row, with a button for each line setting it answered at. The record is
// written only then; the connection must be closed meanwhile.
class FindRelaysDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FindRelaysDialog(ConnectionSettings &settings, QWidget *parent = nullptr);

    // How long each try waits beyond its frames' time on the wire (settings.ini).
    void setTryWait(int milliseconds);

    // Line settings as a found relay's button shows them.
    static QString settingsText(int baudRate, int parity);
    // The first button of a found relay's row: its ID and the first line settings it answered at.
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
    QHash<int, QHBoxLayout *> resultRows; // by slave ID
};

#endif // FINDRELAYSDIALOG_H
