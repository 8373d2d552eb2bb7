// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CONNECTIONSETTINGSDIALOG_H
#define CONNECTIONSETTINGSDIALOG_H

#include "common/settingsrecords.h"
#include "modbus/serialportsettings.h"

#include <QDialog>
#include <QScopedPointer>
#include <QStringList>

class QTimer;
class TurnaroundStats;

namespace Ui {
class ConnectionSettingsDialog;
}

// Lets the user choose how the next connect reaches the relays: a serial port
// with its line parameters, or a network address (host, TCP port, protocol)
// of a gateway or device server. The record is written only when the dialog
// is accepted; the choice not taken keeps its values. Given the device timing
// as well, it edits that too, and proposes a response timeout from how quickly
// the relays of the line have answered.
class ConnectionSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ConnectionSettingsDialog(ConnectionSettings &settings, QWidget *parent = nullptr);
    ~ConnectionSettingsDialog() override;

    // Shows the timing and the advice; the record is written when the dialog is accepted.
    void setTiming(DeviceSettings &timing, const TurnaroundStats &turnarounds);

    // The port list's item text; a long description is cut so that the
    // dialog keeps its width. The serial number, when the adapter has one,
    // follows whole: it tells the same adapter under a new name.
    static QString portItemText(const QString &portName, const QString &description,
        const QString &serialNumber = QString());
    // The port list's order: COM ports by number; a name without one counts
    // as port 0, and equal numbers go by name.
    static bool portNameLessThan(const QString &first, const QString &second);

private slots:
    void on_portNameComboBox_activated(int index);
    void on_portNameComboBox_currentIndexChanged(int index);
    void on_refreshPortNameListButton_clicked();
    void on_linkComboBox_currentIndexChanged(int index);
    void on_hostLineEdit_textChanged(const QString &text);
    void on_takeProposalButton_clicked();
    void onDialogAccepted();
    void onPortWatchTimeout();

private:
    void fillPortNames();
    void refreshPortNames();
    // What the port list shows, to notice adapters that come and go.
    QStringList portListSignature() const;
    void fillBaudRates();
    void fillDataBits();
    void fillParity();
    void fillStopBits();
    void fillNetworkChoices();
    void showLink();

    int findPortName(const QString &portName) const;
    void selectPortName(const QString &portName);
    void selectBaudRate(int baudRate);
    void selectParity(int parity);
    void selectDataBits(int dataBits);
    void selectStopBits(int stopBits);

    QScopedPointer<Ui::ConnectionSettingsDialog> ui;
    ConnectionSettings &settings;
    QString selectedPortName;
    // The chosen adapter's, to find it again under another name.
    QString selectedSerialNumber;
    QTimer *portWatch;
    QStringList shownPorts;
    DeviceSettings *timing = nullptr;
    int proposedTimeoutMs = 0;
};

#endif // CONNECTIONSETTINGSDIALOG_H
