// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/line/linedockwidget.h"

#include "devicedata/sendplan.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/linebackup.h"
#include "devicemonitor/linereader.h"
#include "devicemonitor/linereport.h"
#include "devicemonitor/linesend.h"
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
#include <QSet>
#include <QTableView>
#include <QVBoxLayout>

LineDockWidget::LineDockWidget(
    DeviceMonitor *monitor, const JournalStore *journal, ScanRange scanRange, QWidget *parent)
    : QDockWidget(tr("Line"), parent),
      m_monitor(monitor),
      m_journal(journal),
      m_scanRange(std::move(scanRange)),
      m_reader(new LineReader(monitor, this)),
      m_send(new LineSend(monitor, this)),
      m_model(new LineTableModel(m_reader, this)),
      m_newFolderAction(new QAction(tr("New line folder…"), this)),
      m_openFolderAction(new QAction(tr("Open line folder…"), this)),
      m_folderLabel(new QLabel(tr("No line folder open"), this)),
      m_readButton(new QPushButton(tr("Read the line"), this)),
      m_cancelButton(new QPushButton(tr("Stop"), this)),
      m_backupButton(new QPushButton(tr("Back up the line"), this)),
      m_sendButton(new QPushButton(tr("Send to the line…"), this)),
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
    m_sendButton->setObjectName(QStringLiteral("sendLineButton"));
    m_reportButton->setObjectName(QStringLiteral("lineReportButton"));
    m_table->setObjectName(QStringLiteral("lineTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_progress->setTextVisible(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_readButton);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_backupButton);
    buttons->addWidget(m_sendButton);
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
    connect(m_sendButton, &QPushButton::clicked, this, &LineDockWidget::sendToLine);
    connect(m_send, &LineSend::relayFinished, this, &LineDockWidget::onRelaySent);
    connect(m_send, &LineSend::finished, this, &LineDockWidget::onLineSent);
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
    m_send->stop();
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
    if (!m_folder || m_reader->isReading() || m_send->isRunning())
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

namespace {

// One line of the question before a send to the line: the relay, its count of values and the
// protections its plan switches off.
QString planLine(const LineSend::Relay &relay)
{
    const SendPlan plan = *relay.shownPlan();
    QString line
        = LineDockWidget::tr("Device %1: %2 values").arg(relay.slaveId).arg(plan.target().size());
    int switchOffs = 0;
    for (const SendPlan::Step &step : plan.steps()) {
        if (step.role == SendPlan::Step::SwitchOff || step.role == SendPlan::Step::InterimOff)
            ++switchOffs;
    }
    QStringList off;
    const SendPlan::InterimState offMeanwhile = plan.interimState(switchOffs);
    for (const SendPlan::InterimState::SwitchedOff &protection : offMeanwhile.switchedOff)
        off.append(SendPlan::protectionName(protection.protection));
    if (!off.isEmpty())
        line += LineDockWidget::tr("; switches off %1").arg(off.join(QStringLiteral(", ")));
    return line;
}

} // namespace

void LineDockWidget::sendToLine()
{
    if (m_reader->isReading() || m_send->isRunning())
        return;
    QSet<int> chosen;
    const QModelIndexList selected = m_table->selectionModel()->selectedRows();
    for (const QModelIndex &index : selected)
        chosen.insert(index.row());
    QVector<LineSend::Relay> relays;
    QStringList lines;
    QStringList skipped;
    for (int index = 0; index < m_reader->rows().size(); ++index) {
        const LineRow &row = m_reader->rows().at(index);
        if (chosen.isEmpty() ? row.state != LineRow::Differs : !chosen.contains(index))
            continue;
        if (const std::optional<LineSend::Relay> relay = LineSend::Relay::of(row)) {
            relays.append(*relay);
            lines.append(planLine(*relay));
        } else {
            skipped.append(tr("Device %1 (%2)").arg(row.slaveId).arg(row.stateText()));
        }
    }
    if (relays.isEmpty()) {
        emit statusMessage(skipped.isEmpty()
                ? tr("Every relay is at its file; there is nothing to send.")
                : tr("Nothing to send: %1.").arg(skipped.join(QStringLiteral(", "))));
        return;
    }
    QString question = tr("Send each relay below its file? Each is read afresh first, written "
                          "in a safe order and read back.\n\n%1")
                           .arg(lines.join(QLatin1Char('\n')));
    if (!skipped.isEmpty())
        question += tr("\n\nNot sent, for they cannot be sent their file: %1")
                        .arg(skipped.join(QStringLiteral(", ")));
    const auto answer = QMessageBox::question(this, tr("Send to the line"), question,
        QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer != QMessageBox::Yes)
        return;
    m_model->clearSendOutcomes();
    m_progress->setMaximum(relays.size());
    m_progress->setValue(0);
    m_send->send(relays);
    updateActions();
}

void LineDockWidget::onRelaySent(int index)
{
    const LineSend::Outcome &outcome = m_send->outcomes().at(size_t(index));
    m_model->setSendOutcome(outcome.slaveId, outcome.text(), outcome.isComplete());
    m_progress->setValue(index + 1);
    emit statusMessage(outcome.text());
}

// What the relays hold now is read again, so that each row says how it stands.
void LineDockWidget::onLineSent()
{
    int complete = 0;
    for (const LineSend::Outcome &outcome : m_send->outcomes()) {
        if (!outcome.result)
            m_model->setSendOutcome(outcome.slaveId, outcome.text(), false);
        complete += outcome.isComplete() ? 1 : 0;
    }
    emit statusMessage(tr("Sent to the line: %1 of %2 relays verified.")
                           .arg(complete)
                           .arg(m_send->outcomes().size()));
    updateActions();
    readLine();
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
    const bool sending = m_send->isRunning();
    m_readButton->setEnabled(m_folder && m_monitor->isConnected() && !reading && !sending
        && m_monitor->state() != DeviceMonitor::Scanning);
    m_cancelButton->setEnabled(reading || sending);
    m_backupButton->setEnabled(m_folder && read && !sending);
    m_sendButton->setEnabled(m_folder && read && !sending && m_monitor->isConnected());
    m_reportButton->setEnabled(read);
}
