// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settingsfiles/reportactions.h"

#include "devicedata/crashlogdata.h"
#include "devicedata/deviceinfodata.h"
#include "devicedata/devicetimedata.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/reportpages.h"
#include "devicemonitor/settingstransfer.h"
#include "ui/lastfolder.h"

#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

#include <utility>

ReportActions::ReportActions(
    DeviceMonitor *monitor, const ReportSources &windowSources, QWidget *window)
    : QObject(window),
      m_monitor(monitor),
      m_window(window),
      m_transfer(new SettingsTransfer(monitor, this)),
      m_windowSources(windowSources)
{
    setObjectName(QStringLiteral("reportActions"));
    connect(m_transfer, &SettingsTransfer::relayRead, this, &ReportActions::onRelayRead);
    connect(m_transfer, &SettingsTransfer::failed, this, &ReportActions::onReadFailed);
    watchReads(windowSources.deviceTime, &ReportActions::m_deviceTimeReadAt);
    watchReads(windowSources.crashLog, &ReportActions::m_crashLogReadAt);
}

void ReportActions::watchReads(const DeviceData *block, QDateTime ReportActions::*readAt)
{
    if (!block)
        return;
    connect(block, &DeviceData::stateChanged, this,
        [this, block, readAt](DeviceData::State current, DeviceData::State previous) {
            // A reset means another relay, or none: nothing of it was read.
            if (current == DeviceData::Resetting)
                this->*readAt = QDateTime();
            else if (current == DeviceData::Inactive && previous == DeviceData::Reading
                && block->isReadSuccessful())
                this->*readAt = QDateTime::currentDateTime();
        });
}

ReportActions::~ReportActions() = default;

bool ReportActions::isBusy() const
{
    return m_transfer->isBusy();
}

// The relay as the device list knows it, until the fresh read comes in.
ReportSources ReportActions::currentSources() const
{
    ReportSources sources = m_windowSources;
    sources.deviceId = m_monitor->currentDeviceId();
    sources.deviceTimeReadAt = m_deviceTimeReadAt;
    sources.crashLogReadAt = m_crashLogReadAt;
    const DeviceListModel *model = m_monitor->deviceListModel();
    // A relay set without a scan, or after the list was cleared, is not in the list.
    if (const DeviceInfo *info = model->deviceInfoAt(model->rowOfDevice(sources.deviceId)))
        sources.deviceInfo = *info;
    return sources;
}

void ReportActions::askAndPrint()
{
    if (isBusy())
        return;
    m_printer.reset(new QPrinter(QPrinter::HighResolution));
    QPrintDialog dialog(m_printer.data(), m_window);
    if (dialog.exec() != QDialog::Accepted) {
        m_printer.reset();
        return;
    }
    readRelay();
}

void ReportActions::askAndExport()
{
    if (isBusy())
        return;
    const SettingsReport named(currentSources());
    const QString path = LastFolder::askSaveFileName(
        m_window, tr("Export report as PDF"), named.defaultFileName(), tr("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    LastFolder::keepFolderOf(path);
    m_pdfPath = path;
    readRelay();
}

void ReportActions::askJournalSince()
{
    QDialog dialog(m_window);
    dialog.setWindowTitle(tr("Journal in the report"));
    auto *date = new QDateEdit(m_windowSources.journalSince.isValid() ? m_windowSources.journalSince
                                                                      : QDate::currentDate(),
        &dialog);
    date->setCalendarPopup(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(tr("List the relay's journal entries since:"), &dialog));
    layout->addWidget(date);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() == QDialog::Accepted)
        m_windowSources.journalSince = date->date();
}

QString ReportActions::actionTitle() const
{
    return m_printer ? tr("Print report") : tr("Export report as PDF");
}

void ReportActions::readRelay()
{
    emit statusMessage(tr("Reading the settings of Device %1…").arg(m_monitor->currentDeviceId()));
    m_transfer->readCurrentDevice();
    emit busyChanged(isBusy());
}

void ReportActions::onRelayRead()
{
    emit busyChanged(false);
    emit statusMessage(QString());
    ReportSources sources = currentSources();
    sources.deviceInfo = m_transfer->deviceInfoData()->deviceInfo();
    sources.modules = m_transfer->modulesData();
    sources.meterageConfiguration = m_transfer->meterageConfigurationData();
    sources.protectionConfiguration = m_transfer->protectionConfigurationData();
    sources.setpoints = m_transfer->setpointsData();
    const SettingsReport report(sources);

    const QString title = actionTitle();
    const QScopedPointer<QPrinter> printer(m_printer.take());
    // Printing to a file names the file rather than a printer.
    const QString path = printer ? printer->outputFileName() : std::exchange(m_pdfPath, QString());
    if (printer)
        printer->setDocName(report.title());
    const bool made = printer ? ReportPages::paint(report.html(), printer.data())
                              : ReportPages::writePdf(report.html(), report.title(), path);
    if (!made) {
        QMessageBox::critical(m_window, title,
            path.isEmpty()
                ? tr("The report could not be printed on \"%1\".").arg(printer->printerName())
                : unwritableFileText(path));
        return;
    }
    if (!path.isEmpty()) {
        emit statusMessage(tr("Report of Device %1 written to \"%2\"")
                               .arg(sources.deviceId)
                               .arg(QDir::toNativeSeparators(path)));
    }
}

QString ReportActions::unwritableFileText(const QString &path)
{
    return tr("The report could not be written to \"%1\". Check that the folder exists and "
              "that you may write to it.")
        .arg(QDir::toNativeSeparators(path));
}

void ReportActions::onReadFailed(const SettingsTransferError &error)
{
    emit busyChanged(false);
    emit statusMessage(QString());
    const QString title = actionTitle();
    m_printer.reset();
    m_pdfPath.clear();
    QMessageBox::warning(
        m_window, title, error.text + QLatin1Char('\n') + tr("No report was made."));
}
