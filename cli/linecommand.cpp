// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/linecommand.h"

#include "app/settings.h"
#include "cli/linejson.h"
#include "devicedata/sendplan.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalcsv.h"
#include "devicemonitor/journalreader.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/linebackup.h"
#include "devicemonitor/linereader.h"
#include "devicemonitor/linereport.h"
#include "devicemonitor/linesend.h"
#include "devicemonitor/reportpages.h"
#include "devicemonitor/teamjournalsync.h"
#include "devicemonitor/writejournal.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>
#include <QTimer>

#include <memory>

namespace {

// The summary's first columns, up to the answers: what a scan tells.
constexpr int ScanColumns = 8;
// How long the program waits at its end for the team journal to take the send's entries.
constexpr int TeamJournalWaitMs = 10000;

QJsonArray stringArray(const QStringList &strings)
{
    return QJsonArray::fromStringList(strings);
}

} // namespace

LineCommand::LineCommand(const LineOptions &options, const DeviceSettings &timing, QTextStream *out,
    QTextStream *err, QObject *parent)
    : QObject(parent),
      m_options(options),
      m_out(out),
      m_err(err),
      m_monitor(new DeviceMonitor(this)),
      m_reader(new LineReader(m_monitor, this))
{
    m_monitor->setDeviceSettings(timing);
    m_json.insert(QStringLiteral("command"), options.commandName());
    connect(m_reader, &LineReader::finished, this, &LineCommand::onLineRead);
    // Queued: a serial port says connected(true) from within connectToPort().
    connect(
        m_monitor, &DeviceMonitor::connected, this,
        [this](bool connected) {
            if (connected)
                readLine();
        },
        Qt::QueuedConnection);
    connect(m_monitor, &DeviceMonitor::connectFailed, this,
        [this] { fail(m_monitor->connectionError()); });
}

LineCommand::~LineCommand() = default;

void LineCommand::start()
{
    if (m_options.command == LineOptions::JournalExport)
        return exportJournal();
    if (!m_options.folder.isEmpty() && !openFolder())
        return;
    if (m_options.command == LineOptions::Send && m_options.yes && !openJournal())
        return;
    if (!m_monitor->connectToPort(m_options.connection))
        fail(tr("Could not open %1: %2")
                 .arg(m_options.connection.endpointName(), m_monitor->connectionError()));
}

bool LineCommand::openFolder()
{
    m_json.insert(QStringLiteral("folder"), QDir::toNativeSeparators(m_options.folder));
    QString error;
    // A backup into a folder that is no line folder yet makes it one.
    if (m_options.command == LineOptions::Backup
        && !QFile::exists(LineFolder(m_options.folder).manifestPath()))
        m_folder = LineFolder::create(m_options.folder, &error);
    else
        m_folder = LineFolder::open(m_options.folder, &error);
    if (!m_folder) {
        fail(error);
        return false;
    }
    m_reader->setFolder(m_folder);
    return true;
}

void LineCommand::readLine()
{
    if (m_reader->isReading() || m_ended)
        return;
    m_reader->setReadsCrashLogs(m_options.command == LineOptions::Report);
    m_reader->read(m_options.firstId, m_options.lastId);
}

void LineCommand::onLineRead()
{
    QJsonArray relays;
    for (const LineRow &row : m_reader->rows())
        relays.append(lineRowJson(row));
    m_json.insert(QStringLiteral("relays"), relays);
    switch (m_options.command) {
    case LineOptions::Scan:
        printTable(false);
        return end(Success);
    case LineOptions::Backup:
        return end(backUp());
    case LineOptions::Compare:
        return end(compare());
    case LineOptions::Send:
        return send();
    case LineOptions::Report:
        return end(writeReport());
    case LineOptions::JournalExport:
        break;
    }
}

int LineCommand::backUp()
{
    const LineBackupResult result
        = LineBackup::write(*m_folder, m_reader->rows(), m_options.overwrite);
    m_json.insert(QStringLiteral("written"), stringArray(result.written));
    m_json.insert(QStringLiteral("existing"), stringArray(result.existing));
    QJsonArray notSaved;
    for (int id : result.notSaved)
        notSaved.append(id);
    m_json.insert(QStringLiteral("notSaved"), notSaved);
    printTable(true);
    if (!result.existing.isEmpty()) {
        fail(tr("Nothing was written: these files are there already (give --overwrite to replace "
                "them): %1")
                 .arg(result.existing.join(QStringLiteral(", "))));
        return Failure;
    }
    if (!m_options.json) {
        for (const QString &file : result.written)
            *m_out << tr("Written: %1").arg(file) << '\n';
    }
    if (!result.error.isEmpty()) {
        fail(result.error);
        return Failure;
    }
    if (!result.notSaved.isEmpty()) {
        QStringList ids;
        for (int id : result.notSaved)
            ids.append(QString::number(id));
        fail(tr("Not saved, for they could not be read: Device %1")
                 .arg(ids.join(QStringLiteral(", "))));
        return Failure;
    }
    return Success;
}

int LineCommand::compare()
{
    printTable(true);
    bool off = false;
    for (const LineRow &row : m_reader->rows()) {
        off = off || row.isOff();
        if (m_options.json)
            continue;
        for (const LineDifference &difference : row.differences)
            *m_out << tr("Device %1: %2 (%3): relay %4, file %5")
                          .arg(row.slaveId)
                          .arg(difference.label, difference.name, difference.relayText,
                              difference.fileText)
                   << '\n';
    }
    return off ? NotAtFile : Success;
}

// Writes are journalled as the window journals them, in the same journal, and copied to the
// team journal when settings.ini names one. A journal that cannot be written stops the send
// before anything goes out: there is nobody to ask whether to write without one.
bool LineCommand::openJournal()
{
    auto store = std::make_unique<JournalStore>(JournalStore::defaultPath());
    if (!store->open()) {
        fail(tr("Nothing was sent: the journal of writes cannot be written (%1).")
                 .arg(store->errorText()));
        return false;
    }
    m_journal = new WriteJournal(std::move(store), this);
    m_monitor->setWriteJournal(m_journal);
    const TeamJournalSettings team = loadTeamJournalSettings();
    if (team.isConfigured()) {
        m_teamJournal = new TeamJournalSync(m_journal->store()->path(), this);
        m_teamJournal->follow(m_journal->store());
        m_teamJournal->setSettings(team);
    }
    return true;
}

std::optional<QVector<int>> LineCommand::relaysToSend()
{
    QVector<int> ids;
    QStringList unsendable;
    for (const LineRow &row : m_reader->rows()) {
        const bool asked = m_options.only.isEmpty() ? row.state == LineRow::Differs
                                                    : m_options.only.contains(row.slaveId);
        if (!asked)
            continue;
        if (LineSend::Relay::of(row))
            ids.append(row.slaveId);
        else
            unsendable.append(tr("Device %1 (%2)").arg(row.slaveId).arg(row.stateText()));
    }
    for (int id : qAsConst(m_options.only)) {
        const bool found = std::any_of(m_reader->rows().cbegin(), m_reader->rows().cend(),
            [id](const LineRow &row) { return row.slaveId == id; });
        if (!found)
            unsendable.append(tr("Device %1 (not on the line)").arg(id));
    }
    if (!unsendable.isEmpty()) {
        fail(tr("Nothing was sent: these relays cannot be sent their file: %1")
                 .arg(unsendable.join(QStringLiteral(", "))));
        return std::nullopt;
    }
    return ids;
}

void LineCommand::send()
{
    const std::optional<QVector<int>> ids = relaysToSend();
    if (!ids)
        return;
    QVector<LineSend::Relay> relays;
    QJsonArray plans;
    int toWrite = 0;
    const DeviceSettings timing = m_monitor->deviceSettings();
    for (const LineRow &row : m_reader->rows()) {
        if (!ids->contains(row.slaveId))
            continue;
        const LineSend::Relay relay = *LineSend::Relay::of(row);
        relays.append(relay);
        const SendPlan plan = *relay.shownPlan();
        toWrite += plan.steps().size();
        const QStringList steps = plan.describe(
            m_options.connection.serialPortSettings.baudRate(), timing.readinessDelay);
        plans.append(QJsonObject { { QStringLiteral("id"), row.slaveId },
            { QStringLiteral("values"), plan.target().size() },
            { QStringLiteral("frames"), plan.steps().size() },
            { QStringLiteral("plan"), stringArray(steps) } });
        if (!m_options.json && !m_options.yes) {
            *m_out << tr("Device %1: %2 values").arg(row.slaveId).arg(plan.target().size()) << '\n';
            for (const QString &step : steps)
                *m_out << "  " << step << '\n';
        }
    }
    m_json.insert(QStringLiteral("plans"), plans);
    if (!m_options.yes) {
        if (!m_options.json && relays.isEmpty())
            *m_out << tr("Every relay is at its file; nothing would be written.") << '\n';
        return end(toWrite > 0 ? NotAtFile : Success);
    }
    m_send = new LineSend(m_monitor, this);
    connect(m_send, &LineSend::finished, this, &LineCommand::onSent);
    connect(m_send, &LineSend::relayFinished, this, [this](int index) {
        if (!m_options.json)
            *m_out << m_send->outcomes().at(size_t(index)).text() << '\n';
    });
    m_send->send(relays);
}

void LineCommand::onSent()
{
    QJsonArray sent;
    bool complete = true;
    for (const LineSend::Outcome &outcome : m_send->outcomes()) {
        complete = complete && outcome.isComplete();
        QJsonObject relay { { QStringLiteral("id"), outcome.slaveId },
            { QStringLiteral("verified"), outcome.isComplete() },
            { QStringLiteral("text"), outcome.text() } };
        if (outcome.result) {
            const SendSummary summary = outcome.result->send.summary();
            relay.insert(QStringLiteral("counts"),
                QJsonObject { { QStringLiteral("planned"), summary.planned },
                    { QStringLiteral("verified"), summary.verified },
                    { QStringLiteral("changed"), summary.changed },
                    { QStringLiteral("refused"), summary.refused },
                    { QStringLiteral("notSent"), summary.notSent },
                    { QStringLiteral("unknown"), summary.unknown },
                    { QStringLiteral("switchedOff"), summary.switchedOff } });
        }
        sent.append(relay);
    }
    m_json.insert(QStringLiteral("sent"), sent);
    // The entries reach the team journal before the program ends, if it can be reached.
    if (m_teamJournal && !copiedToTeamJournal())
        *m_err << tr("The team journal was not reached (%1); the entries stay in this "
                     "computer's journal and are copied later.")
                      .arg(m_teamJournal->lastError())
               << '\n';
    end(complete ? Success : NotAtFile);
}

bool LineCommand::copiedToTeamJournal()
{
    const JournalReader journal(m_journal->store()->path());
    const auto allCopied = [&journal] { return journal.toCopy(1).isEmpty(); };
    QEventLoop waiting;
    QTimer::singleShot(TeamJournalWaitMs, &waiting, &QEventLoop::quit);
    connect(m_teamJournal, &TeamJournalSync::statusChanged, &waiting, [this, &waiting, allCopied] {
        if (allCopied() || !m_teamJournal->lastError().isEmpty())
            waiting.quit();
    });
    m_teamJournal->copyNow();
    if (!allCopied())
        waiting.exec();
    return allCopied();
}

int LineCommand::writeReport()
{
    const QString journalPath = JournalStore::defaultPath();
    std::unique_ptr<JournalStore> journal;
    // The report lists the journal where there is one; it never starts one.
    if (QFileInfo::exists(journalPath)) {
        journal = std::make_unique<JournalStore>(journalPath);
        if (!journal->open())
            journal.reset();
    }
    const LineReport report(*m_reader, QDir(m_options.folder).dirName(), journal.get());
    m_json.insert(QStringLiteral("report"), QDir::toNativeSeparators(m_options.output));
    if (!ReportPages::writePdf(report.html(), report.title(), m_options.output)) {
        fail(tr("The report could not be written to \"%1\".")
                 .arg(QDir::toNativeSeparators(m_options.output)));
        return Failure;
    }
    if (!m_options.json)
        *m_out << tr("Report written to \"%1\"").arg(QDir::toNativeSeparators(m_options.output))
               << '\n';
    return Success;
}

void LineCommand::exportJournal()
{
    const QString path = JournalStore::defaultPath();
    m_json.insert(QStringLiteral("file"), QDir::toNativeSeparators(m_options.output));
    if (!QFileInfo::exists(path))
        return fail(tr("There is no journal of writes in this folder (%1).")
                        .arg(QDir::toNativeSeparators(path)));
    const QVector<JournalEntry> entries = JournalReader(path).entries(JournalFilter());
    QString error;
    if (!JournalCsv::save(m_options.output, entries, &error))
        return fail(tr("The journal could not be exported to \"%1\": %2")
                        .arg(QDir::toNativeSeparators(m_options.output), error));
    m_json.insert(QStringLiteral("entries"), entries.size());
    if (!m_options.json)
        *m_out << tr("%1 journal entries exported to \"%2\"")
                      .arg(entries.size())
                      .arg(QDir::toNativeSeparators(m_options.output))
               << '\n';
    end(Success);
}

void LineCommand::printTable(bool withFiles)
{
    if (m_options.json)
        return;
    QVector<QStringList> table { LineReport::summaryHeader() };
    for (const LineRow &row : m_reader->rows())
        table.append(LineReport::summaryCells(row));
    if (!withFiles) {
        for (QStringList &cells : table)
            cells = cells.mid(0, ScanColumns);
    }
    QVector<int> widths(table.constFirst().size(), 0);
    for (const QStringList &cells : qAsConst(table)) {
        for (int column = 0; column < cells.size(); ++column)
            widths[column] = qMax(widths.at(column), int(cells.at(column).size()));
    }
    for (const QStringList &cells : qAsConst(table)) {
        QStringList padded;
        for (int column = 0; column < cells.size(); ++column)
            padded.append(column + 1 < cells.size()
                    ? cells.at(column).leftJustified(widths.at(column))
                    : cells.at(column));
        *m_out << padded.join(QStringLiteral("  ")) << '\n';
    }
}

void LineCommand::fail(const QString &error)
{
    m_json.insert(QStringLiteral("error"), error);
    *m_err << error << '\n';
    m_err->flush();
    end(Failure);
}

void LineCommand::end(int status)
{
    if (m_ended)
        return;
    m_ended = true;
    m_monitor->disconnectFromPort();
    if (m_options.json) {
        m_json.insert(QStringLiteral("exitStatus"), status);
        *m_out << QJsonDocument(m_json).toJson(QJsonDocument::Indented);
    }
    m_out->flush();
    emit finished(status);
}
