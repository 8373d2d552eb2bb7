// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPORTACTIONS_H
#define REPORTACTIONS_H

#include "devicemonitor/settingsreport.h"

#include <QObject>
#include <QScopedPointer>

class DeviceData;
class DeviceMonitor;
class QPrinter;
class SettingsTransfer;
struct SettingsTransferError;

// The File menu's report actions. The identity, the modules and the settings
// are read afresh, so that the report vouches for what the relay holds now
// and not for what a tab showed when it was last open; the clock and the
// crash log are taken from the window, marked as they stand there and with
// the time the window last read them.
class ReportActions : public QObject
{
    Q_OBJECT

public:
    // `windowSources` gives the clock, the crash count and the crash log.
    ReportActions(DeviceMonitor *monitor, const ReportSources &windowSources, QWidget *window);
    ~ReportActions() override;

    // Whether a report is waiting for its read.
    bool isBusy() const;
    // Asks for a printer, reads the relay, then prints.
    void askAndPrint();
    // Asks for a file name, reads the relay, then writes the PDF.
    void askAndExport();
    // Asks from which day on the report lists the relay's journal (today unless chosen).
    void askJournalSince();

signals:
    void statusMessage(const QString &text);
    void busyChanged(bool busy);

private:
    // Keeps in `readAt` when `block` was last read in full.
    void watchReads(const DeviceData *block, QDateTime ReportActions::*readAt);
    void readRelay();
    void onRelayRead();
    void onReadFailed(const SettingsTransferError &error);
    ReportSources currentSources() const;
    // The title of the action the report is being made for.
    QString actionTitle() const;
    static QString unwritableFileText(const QString &path);

    DeviceMonitor *m_monitor;
    QWidget *m_window;
    SettingsTransfer *m_transfer;
    ReportSources m_windowSources;
    QDateTime m_deviceTimeReadAt;
    QDateTime m_crashLogReadAt;
    // One of the two is set while a report is being made.
    QScopedPointer<QPrinter> m_printer;
    QString m_pdfPath;
};

#endif // REPORTACTIONS_H
