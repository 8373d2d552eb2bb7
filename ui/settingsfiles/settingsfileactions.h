// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSFILEACTIONS_H
#define SETTINGSFILEACTIONS_H

#include "ui/settingsfiles/settingscomparisondialog.h"

#include <QObject>
#include <QPointer>

#include <optional>

class DeviceMonitor;
class PreparedSettingsDialog;
class SettingsTransfer;
struct SettingsTransferError;
struct RelaySettings;

// The File menu's settings actions: saving the current relay's settings,
// read afresh, opening a file to compare it with the relay or send it, and
// preparing settings without a relay.
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

    // Asks for the relay's modules and current range, then shows settings for it to edit.
    void askAndPrepareNew();
    PreparedSettingsDialog *prepareNew(qint64 modules, qint64 currentRange);
    // Asks for a file, then openWithoutRelay().
    void askAndOpenWithoutRelay();
    // Shows a valid file to edit without a relay; a file that is not valid is refused as by
    // open().
    PreparedSettingsDialog *openWithoutRelay(const QString &path);

signals:
    void statusMessage(const QString &text);
    void busyChanged(bool busy);
    void relaySettingsWritten();
    // The current relay's settings were read, all at once (to be saved, say).
    void relayRead(const RelaySettings &relay);

private:
    void onRelayRead(const RelaySettings &relay);
    void onReadFailed(const SettingsTransferError &error);
    // The file at `path` if it is valid; one that is not is refused with every problem named.
    std::optional<SettingsFile> readOrRefuse(const QString &path);
    void refuse(const QString &path, const QStringList &problems);
    QString askForFile(const QString &title);
    PreparedSettingsDialog *showPrepared(const SettingsFile &file, const QString &path);

    DeviceMonitor *m_monitor;
    QWidget *m_window;
    SettingsTransfer *m_transfer;
    QString m_savePath;
    QPointer<SettingsComparisonDialog> m_dialog;
    QPointer<PreparedSettingsDialog> m_preparedDialog;
};

#endif // SETTINGSFILEACTIONS_H
