// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSFILEACTIONS_H
#define SETTINGSFILEACTIONS_H

#include "ui/settingsfiles/settingscomparisondialog.h"

#include <QObject>
#include <QPointer>

class DeviceMonitor;
class SettingsTransfer;
struct RelaySettings;

// The File menu's settings actions: saving the current relay's settings,
// read afresh, and opening a file to compare it with the relay or send it.
class SettingsFileActions : public QObject
{
    Q_OBJECT

public:
    SettingsFileActions(DeviceMonitor *monitor, QWidget *window);

    // Whether a save is reading the relay.
    bool isBusy() const;
    // In the last folder used: the serial number and today's date.
    QString defaultFileName() const;

    // Asks for a file name, then save().
    void askAndSave();
    // Reads the current relay afresh and writes the file only if every
    // block could be read.
    void save(const QString &path);
    // Asks for a file, then open().
    void askAndOpen(SettingsComparisonDialog::Mode mode);
    // Shows the comparison of a valid file with the current relay; a file
    // that is not valid is refused with every problem named.
    SettingsComparisonDialog *open(const QString &path, SettingsComparisonDialog::Mode mode);

signals:
    void statusMessage(const QString &text);
    void busyChanged(bool busy);
    void relaySettingsWritten();

private:
    void onRelayRead(const RelaySettings &relay);
    void onReadFailed(const QString &message);
    void refuse(const QString &path, const QStringList &problems);

    DeviceMonitor *m_monitor;
    QWidget *m_window;
    SettingsTransfer *m_transfer;
    QString m_savePath;
    QPointer<SettingsComparisonDialog> m_dialog;
};

#endif // SETTINGSFILEACTIONS_H
