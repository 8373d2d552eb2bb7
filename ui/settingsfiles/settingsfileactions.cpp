// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settingsfiles/settingsfileactions.h"

#include "devicedata/identitytext.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/settingstransfer.h"
#include "ui/lastfolder.h"
#include "ui/settingsfiles/newsettingsdialog.h"
#include "ui/settingsfiles/preparedsettingsdialog.h"

#include <QDate>
#include <QDir>
#include <QMessageBox>

namespace {

constexpr int ProblemsInView = 20;

QString fileFilter()
{
    return SettingsFileActions::tr("Relay settings (*.json);;All files (*)");
}

} // namespace

SettingsFileActions::SettingsFileActions(DeviceMonitor *monitor, QWidget *window)
    : QObject(window),
      m_monitor(monitor),
      m_window(window),
      m_transfer(new SettingsTransfer(monitor, this))
{
    setObjectName(QStringLiteral("settingsFileActions"));
    connect(m_transfer, &SettingsTransfer::relayRead, this, &SettingsFileActions::onRelayRead);
    connect(m_transfer, &SettingsTransfer::relayRead, this, &SettingsFileActions::relayRead);
    connect(m_transfer, &SettingsTransfer::failed, this, &SettingsFileActions::onReadFailed);
}

bool SettingsFileActions::isBusy() const
{
    return m_transfer->isBusy();
}

QString SettingsFileActions::defaultFileName() const
{
    const DeviceListModel *devices = m_monitor->deviceListModel();
    // A relay set without a scan, or after the list was cleared, is not in the list.
    const DeviceInfo *info
        = devices->deviceInfoAt(devices->rowOfDevice(m_monitor->currentDeviceId()));
    const QString serial = info && info->serialNumber.status != NoData
        ? serialNumberText(info->serialNumber.value)
        : QStringLiteral("%1").arg(m_monitor->currentDeviceId());
    const QString name = QStringLiteral("settings-%1-%2.json")
                             .arg(serial, QDate::currentDate().toString(Qt::ISODate));
    return LastFolder::filePath(name);
}

void SettingsFileActions::askAndSave()
{
    const QString path = LastFolder::askSaveFileName(
        m_window, tr("Save settings"), defaultFileName(), fileFilter());
    if (!path.isEmpty())
        save(path);
}

void SettingsFileActions::save(const QString &path)
{
    if (isBusy())
        return;
    LastFolder::keepFolderOf(path);
    m_savePath = path;
    emit statusMessage(tr("Reading the settings of Device %1…").arg(m_monitor->currentDeviceId()));
    m_transfer->readCurrentDevice();
    emit busyChanged(isBusy());
}

void SettingsFileActions::onRelayRead(const RelaySettings &relay)
{
    emit busyChanged(false);
    SettingsFile file;
    file.relay = relay;
    file.stamp();
    QString error;
    if (!file.write(m_savePath, &error)) {
        emit statusMessage(QString());
        QMessageBox::warning(m_window, tr("Settings not saved"),
            tr("Could not write \"%1\": %2").arg(QDir::toNativeSeparators(m_savePath), error));
        return;
    }
    emit statusMessage(tr("Settings of Device %1 saved to \"%2\"")
                           .arg(relay.identity.slaveId)
                           .arg(QDir::toNativeSeparators(m_savePath)));
}

void SettingsFileActions::onReadFailed(const SettingsTransferError &error)
{
    emit busyChanged(false);
    emit statusMessage(QString());
    QMessageBox::warning(m_window, tr("Settings not saved"),
        error.text + QLatin1Char('\n')
            + tr("Nothing was written to \"%1\".").arg(QDir::toNativeSeparators(m_savePath)));
}

// A box of a screen's height at most; a file with many problems has the
// whole list under "Show Details".
void SettingsFileActions::refuse(const QString &path, const QStringList &problems)
{
    QMessageBox box(QMessageBox::Warning, tr("Settings file refused"),
        tr("\"%1\" cannot be used; nothing is sent from it.").arg(QDir::toNativeSeparators(path))
            + QStringLiteral("\n\n") + problems.mid(0, ProblemsInView).join(QLatin1Char('\n')),
        QMessageBox::Ok, m_window);
    if (problems.size() > ProblemsInView)
        box.setDetailedText(problems.join(QLatin1Char('\n')));
    box.exec();
}

std::optional<SettingsFile> SettingsFileActions::readOrRefuse(const QString &path)
{
    LastFolder::keepFolderOf(path);
    QStringList problems;
    SettingsFile file = SettingsFile::read(path, &problems);
    if (!problems.isEmpty()) {
        refuse(path, problems);
        return std::nullopt;
    }
    return file;
}

QString SettingsFileActions::askForFile(const QString &title)
{
    return LastFolder::askOpenFileName(m_window, title, fileFilter());
}

void SettingsFileActions::askAndOpen(SettingsComparisonDialog::Mode mode)
{
    const QString path
        = askForFile(mode == SettingsComparisonDialog::CompareAndSend ? tr("Open settings")
                                                                      : tr("Compare with file"));
    if (!path.isEmpty())
        open(path, mode);
}

void SettingsFileActions::askAndOpenWithoutRelay()
{
    const QString path = askForFile(tr("Open settings"));
    if (!path.isEmpty())
        openWithoutRelay(path);
}

PreparedSettingsDialog *SettingsFileActions::openWithoutRelay(const QString &path)
{
    const std::optional<SettingsFile> file = readOrRefuse(path);
    return file ? showPrepared(*file, path) : nullptr;
}

void SettingsFileActions::askAndPrepareNew()
{
    NewSettingsDialog dialog(m_window);
    if (dialog.exec() == QDialog::Accepted)
        prepareNew(dialog.modules(), dialog.currentRange());
}

PreparedSettingsDialog *SettingsFileActions::prepareNew(qint64 modules, qint64 currentRange)
{
    return showPrepared(SettingsFile::prepared(modules, currentRange), QString());
}

PreparedSettingsDialog *SettingsFileActions::showPrepared(
    const SettingsFile &file, const QString &path)
{
    if (m_preparedDialog)
        m_preparedDialog->close();
    m_preparedDialog = new PreparedSettingsDialog(file, path, m_window);
    m_preparedDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_preparedDialog, &PreparedSettingsDialog::statusMessage, this,
        &SettingsFileActions::statusMessage);
    m_preparedDialog->show();
    return m_preparedDialog;
}

SettingsComparisonDialog *SettingsFileActions::open(
    const QString &path, SettingsComparisonDialog::Mode mode)
{
    const std::optional<SettingsFile> file = readOrRefuse(path);
    if (!file)
        return nullptr;
    if (m_dialog)
        m_dialog->close();
    m_dialog = new SettingsComparisonDialog(m_monitor, *file, path, mode, m_window);
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setWindowModality(Qt::WindowModal);
    connect(m_dialog, &SettingsComparisonDialog::statusMessage, this,
        &SettingsFileActions::statusMessage);
    connect(m_dialog, &SettingsComparisonDialog::relaySettingsWritten, this,
        &SettingsFileActions::relaySettingsWritten);
    m_dialog->show();
    return m_dialog;
}
