// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/line/linedockwidget.h"

#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/linebackup.h"
#include "devicemonitor/linereader.h"
#include "devicemonitor/linereport.h"
#include "devicemonitor/linetablemodel.h"
#include "devicemonitor/relaysession.h"
#include "devicemonitor/reportpages.h"
#include "ui/lastfolder.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

LineDockWidget::LineDockWidget(
    DeviceMonitor *monitor, const JournalStore *journal, ScanRange scanRange, QWidget *parent)
    : QDockWidget(tr("Line"), parent),
      m_monitor(monitor),
      m_journal(journal),
      m_scanRange(std::move(scanRange)),
      m_reader(new LineReader(monitor, this)),
      m_model(new LineTableModel(m_reader, this)),
      m_newFolderAction(new QAction(tr("New line folder…"), this)),
      m_openFolderAction(new QAction(tr("Open line folder…"), this)),
      m_folderLabel(new QLabel(tr("No line folder open"), this)),
      m_readButton(new QPushButton(tr("Read the line"), this)),
      m_cancelButton(new QPushButton(tr("Stop"), this)),
      m_backupButton(new QPushButton(tr("Back up the line"), this)),
      m_reportButton(new QPushButton(tr("Line report…"), this)),
      m_progress(new QProgressBar(this)),
      m_table(new QTableView(this))
{
    setObjectName(QStringLiteral("lineDockWidget"));
    m_newFolderAction->setObjectName(QStringLiteral("actionNewLineFolder"));
    m_openFolderAction->setObjectName(QStringLiteral("actionOpenLineFolder"));
    m_readButton->setObjectName(QStringLiteral("readLineButton"));
    m_cancelButton->setObjectName(QStringLiteral("stopLineButton"));
    m_backupButton->setObjectName(QStringLiteral("backupLineButton"));
    m_reportButton->setObjectName(QStringLiteral("lineReportButton"));
    m_table->setObjectName(QStringLiteral("lineTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_progress->setTextVisible(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_readButton);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_backupButton);
    buttons->addWidget(m_reportButton);
    auto *content = new QWidget(this);
    auto *layout = new QVBoxLayout(content);
    layout->addWidget(m_folderLabel);
    layout->addLayout(buttons);
    layout->addWidget(m_table);
    setWidget(content);

    connect(m_newFolderAction, &QAction::triggered, this, [this] { askForFolder(true); });
    connect(m_openFolderAction, &QAction::triggered, this, [this] { askForFolder(false); });
    connect(m_readButton, &QPushButton::clicked, this, &LineDockWidget::readLine);
    connect(m_cancelButton, &QPushButton::clicked, this, &LineDockWidget::cancel);
    connect(m_backupButton, &QPushButton::clicked, this, &LineDockWidget::backUp);
    connect(m_reportButton, &QPushButton::clicked, this, &LineDockWidget::askAndWriteReport);
    connect(m_table, &QTableView::clicked, this, &LineDockWidget::onRowActivated);
    connect(m_reader, &LineReader::progress, this, [this](int done, int total) {
        m_progress->setMaximum(total);
        m_progress->setValue(done);
    });
    connect(m_reader, &LineReader::finished, this, &LineDockWidget::onLineRead);
    connect(monitor, &DeviceMonitor::connected, this, &LineDockWidget::updateActions);
    connect(monitor, &DeviceMonitor::stateChanged, this, &LineDockWidget::updateActions);
    updateActions();
}

LineDockWidget::~LineDockWidget() = default;

void LineDockWidget::askForFolder(bool create)
{
    const QString path = QFileDialog::getExistingDirectory(this,
        create ? tr("New line folder") : tr("Open line folder"),
        QFileInfo(LastFolder::filePath(QStringLiteral("."))).absolutePath());
    if (path.isEmpty())
        return;
    LastFolder::keepFolderOf(QDir(path).filePath(QStringLiteral(".")));
    openFolder(path, create);
}

bool LineDockWidget::openFolder(const QString &path, bool create)
{
    QString error;
    std::optional<LineFolder> folder
        = create ? LineFolder::create(path, &error) : LineFolder::open(path, &error);
    if (!folder) {
        QMessageBox::warning(this, tr("Line folder"), error);
        return false;
    }
    m_folder = folder;
    m_reader->setFolder(m_folder);
    m_folderLabel->setText(tr("Line folder: %1 (%2 relays expected)")
                               .arg(QDir::toNativeSeparators(path))
                               .arg(m_folder->relays().size()));
    show();
    raise();
    updateActions();
    return true;
}

void LineDockWidget::readLine()
{
    const std::optional<std::pair<int, int>> range = m_scanRange();
    if (!range) {
        emit statusMessage(tr("Enter the range of IDs to read, such as 1-10."));
        return;
    }
    m_shownBefore = m_monitor->currentDeviceId();
    // The report may be asked for: its sections hold each relay's crash records.
    m_reader->setReadsCrashLogs(true);
    m_reader->read(range->first, range->second);
    updateActions();
}

void LineDockWidget::cancel()
{
    m_reader->cancel();
}

void LineDockWidget::onLineRead()
{
    int off = 0;
    for (const LineRow &row : m_reader->rows())
        off += row.isOff() ? 1 : 0;
    emit statusMessage(m_reader->wasCanceled() ? tr("The line's read was stopped.")
            : off == 0                         ? tr("Every relay of ours is at its file.")
                                               : tr("Relays not at their file: %1.").arg(off));
    if (m_shownBefore > 0 && m_monitor->deviceListModel()->rowOfDevice(m_shownBefore) >= 0)
        m_monitor->setCurrentDeviceId(m_shownBefore);
    updateActions();
}

void LineDockWidget::backUp()
{
    if (!m_folder || m_reader->isReading())
        return;
    LineBackupResult result = LineBackup::write(*m_folder, m_reader->rows(), false);
    if (!result.existing.isEmpty()) {
        const auto answer = QMessageBox::question(this, tr("Back up the line"),
            tr("These files are in the folder already:\n%1\n\nOverwrite them?")
                .arg(result.existing.join(QLatin1Char('\n'))),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
        result = LineBackup::write(*m_folder, m_reader->rows(), true);
    }
    if (!result.error.isEmpty())
        QMessageBox::warning(this, tr("Back up the line"), result.error);
    QStringList notSaved;
    for (int id : qAsConst(result.notSaved))
        notSaved.append(QString::number(id));
    emit statusMessage(notSaved.isEmpty() ? tr("Files written: %1.").arg(result.written.size())
                                          : tr("Files written: %1. Not read, not saved: Device %2.")
                                                .arg(result.written.size())
                                                .arg(notSaved.join(QStringLiteral(", "))));
    m_reader->setFolder(m_folder);
}

void LineDockWidget::askAndWriteReport()
{
    const QString path = LastFolder::askSaveFileName(this, tr("Line report"),
        QStringLiteral("korvel-line-%1.pdf").arg(QDate::currentDate().toString(Qt::ISODate)),
        tr("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    LastFolder::keepFolderOf(path);
    writeReport(path);
}

bool LineDockWidget::writeReport(const QString &path)
{
    const LineReport report(
        *m_reader, m_folder ? QDir(m_folder->path()).dirName() : QString(), m_journal);
    if (!ReportPages::writePdf(report.html(), report.title(), path)) {
        QMessageBox::critical(this, tr("Line report"),
            tr("The report could not be written to \"%1\".").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    emit statusMessage(tr("Line report written to \"%1\"").arg(QDir::toNativeSeparators(path)));
    return true;
}

void LineDockWidget::onRowActivated(const QModelIndex &index)
{
    if (!index.isValid() || !m_folder || m_reader->isReading())
        return;
    const LineRow &row = m_reader->rows().at(index.row());
    const LineRelay *relay = m_folder->relay(row.slaveId);
    if (!relay || !row.settings)
        return;
    emit comparisonRequested(row.slaveId, m_folder->filePath(*relay));
}

void LineDockWidget::updateActions()
{
    const bool reading = m_reader->isReading();
    const bool read = !reading && !m_reader->rows().isEmpty();
    m_readButton->setEnabled(m_folder && m_monitor->isConnected() && !reading
        && m_monitor->state() != DeviceMonitor::Scanning);
    m_cancelButton->setEnabled(reading);
    m_backupButton->setEnabled(m_folder && read);
    m_reportButton->setEnabled(read);
}
