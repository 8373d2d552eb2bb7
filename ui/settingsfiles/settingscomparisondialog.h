// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSCOMPARISONDIALOG_H
#define SETTINGSCOMPARISONDIALOG_H

#include "devicedata/settingsfile.h"
#include "devicemonitor/settingstransfer.h"

#include <QDialog>

namespace Ui {
class SettingsComparisonDialog;
}

class DeviceMonitor;
class SendPlan;
class SettingsComparisonModel;

// A settings file beside the current relay, read afresh. Opened for sending
// it offers to write the differences or everything, asks first, and marks
// each written row verified or different once the relay has been read back.
class SettingsComparisonDialog : public QDialog
{
    Q_OBJECT

public:
    enum Mode { CompareAndSend, CompareOnly };

    SettingsComparisonDialog(DeviceMonitor *monitor, const SettingsFile &file,
        const QString &fileName, Mode mode, QWidget *parent = nullptr);
    ~SettingsComparisonDialog() override;

    SettingsComparisonModel *comparisonModel() const { return m_model; }
    // Whether the relay has been read and the comparison stands.
    bool isReady() const { return m_relayKnown && !m_relayLost; }

protected:
    // The blocks being written belong to the dialog: it stays until the
    // send has ended.
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

signals:
    // A result the main window's status bar should keep in view.
    void statusMessage(const QString &text);
    // A send ended after writing to the relay, whatever came of it: what the panels show or
    // are editing may no longer be what the relay holds.
    void relaySettingsWritten();

private slots:
    void on_sendDifferencesButton_clicked();
    void on_sendAllButton_clicked();
    void on_closeButton_clicked();

private:
    void onRelayRead(const RelaySettings &relay);
    void showComparison(const RelaySettings &relay);
    // The relay read again just before a send: the send goes ahead only if it still holds what
    // the comparison showed.
    void sendIfUnchanged(const RelaySettings &relay);
    void onSendFinished(const SettingsSendResult &result);
    void onFailed(const SettingsTransferError &error);
    // Sending is over for good: the comparison belongs to a relay no longer at hand.
    void onRelayLost(SettingsTransferError::Code code);
    void send(const SettingsValues &values);
    // Every way the relay the file was saved from differs from this one.
    QStringList identityDifferences(const RelayIdentity &relay) const;
    // The file's own warnings above `warnings`.
    void showWarnings(QStringList warnings);
    // The file's fingerprint beside the relay's, once the relay was read.
    void showFingerprints(const RelaySettings *relay);
    void updateButtons();
    void showState(const QString &text, bool problem);

    Ui::SettingsComparisonDialog *ui;
    DeviceMonitor *m_monitor;
    SettingsTransfer *m_transfer;
    SettingsComparisonModel *m_model;
    SettingsFile m_file;
    Mode m_mode;
    bool m_relayKnown = false;
    // The account of the last send, in words.
    QString m_sendText;
    bool m_relayLost = false;
    // A file of another device type is never sent.
    bool m_otherType = false;
    // Asked for and waiting for the relay to be read again.
    SettingsValues m_valuesToSend;
};

#endif // SETTINGSCOMPARISONDIALOG_H
