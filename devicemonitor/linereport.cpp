// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/linereport.h"

#include "devicedata/identitytext.h"
#include "devicedata/settingsfingerprint.h"
#include "devicemonitor/linereader.h"
#include "devicemonitor/relaysession.h"
#include "devicemonitor/reporthtml.h"
#include "devicemonitor/settingsreport.h"

#include <QLocale>
#include <QTextDocumentFragment>

namespace {

QString valueText(const DataValue &value, const QString &text)
{
    return value.status == NoData ? QStringLiteral("-") : text;
}

QString fingerprintCell(const std::optional<quint32> &fingerprint)
{
    return fingerprint ? fingerprintText(*fingerprint) : QStringLiteral("-");
}

// Twelve columns fit across a portrait page in a small type.
QStringList smallCells(const QStringList &texts)
{
    QStringList cells;
    for (const QString &text : texts)
        cells.append(
            QStringLiteral("<span style=\"font-size: 7pt\">%1</span>").arg(text.toHtmlEscaped()));
    return cells;
}

// Every section after the summary starts a page.
const QString PageBreak = QStringLiteral("<p style=\"page-break-before: always\"></p>");

} // namespace

LineReport::LineReport(const LineReader &reader, const QString &folderName,
    const JournalSource *journal, const QDateTime &madeAt)
    : m_reader(reader), m_folderName(folderName), m_journal(journal), m_madeAt(madeAt)
{
}

QString LineReport::title() const
{
    return tr("Line commissioning report, %1").arg(m_folderName);
}

QStringList LineReport::summaryHeader()
{
    return { tr("ID"), tr("Type"), tr("Serial number"), tr("Version"), tr("Modules"),
        tr("Clock offset, s"), tr("Crashes"), tr("Answered"), tr("File"), tr("Relay fingerprint"),
        tr("File fingerprint"), tr("State") };
}

QStringList LineReport::summaryCells(const LineRow &row)
{
    const DeviceInfo &info = row.identity;
    const QString type = info.deviceTypeCode.status == NoData ? QStringLiteral("-")
        : row.isOfOwnType()
        ? tr("ours")
        : tr("another (%1)").arg(QString::number(info.deviceTypeCode.value, 16).toUpper());
    const QString modules = row.modules.status == NoData
        ? QStringLiteral("-")
        : QTextDocumentFragment::fromHtml(SettingsReport::modulesText(row.modules)).toPlainText();
    return { QString::number(row.slaveId), type,
        valueText(info.serialNumber, serialNumberText(info.serialNumber)),
        valueText(info.softwareVersion, softwareVersionText(info.softwareVersion)), modules,
        row.clockOffsetSeconds ? QString::number(*row.clockOffsetSeconds) : QStringLiteral("-"),
        valueText(row.crashCount, QString::number(row.crashCount.value)),
        row.health.requests > 0 ? tr("%1 of %2").arg(row.health.answers).arg(row.health.requests)
                                : QStringLiteral("-"),
        row.file.isEmpty() ? QStringLiteral("-") : row.file, fingerprintCell(row.relayFingerprint),
        fingerprintCell(row.fileFingerprint), row.stateText() };
}

QString LineReport::html() const
{
    QString html = QStringLiteral("<html><body>") + summaryHtml();
    for (const LineRow &row : m_reader.rows())
        html += PageBreak + sectionHtml(row);
    return html + QStringLiteral("</body></html>");
}

QString LineReport::summaryHtml() const
{
    int off = 0;
    for (const LineRow &row : m_reader.rows())
        off += row.isOff() ? 1 : 0;
    QString html = QStringLiteral("<h1>%1</h1><p>%2<br>%3<br>%4</p>")
                       .arg(title().toHtmlEscaped(),
                           tr("Program: Korvel-client %1")
                               .arg(QCoreApplication::applicationVersion())
                               .toHtmlEscaped(),
                           tr("Made: %1")
                               .arg(QLocale().toString(m_madeAt, QLocale::ShortFormat))
                               .toHtmlEscaped(),
                           (off == 0 ? tr("Every relay of ours is at its file.")
                                     : tr("Relays not at their file: %1.").arg(off))
                               .toHtmlEscaped());
    html += tableStart()
        + tableHeaderHtml(smallCells(summaryHeader()), { 4, 7, 9, 6, 9, 7, 6, 7, 12, 9, 9, 15 });
    for (const LineRow &row : m_reader.rows())
        html += rowHtml(smallCells(summaryCells(row)));
    return html + QStringLiteral("</table>");
}

QString LineReport::sectionHtml(const LineRow &row) const
{
    const RelaySession *session = m_reader.session(row.slaveId);
    if (session && session->outcome() == RelaySession::Complete) {
        ReportSources sources = session->reportSources();
        sources.journal = m_journal;
        QString html = SettingsReport(sources, m_madeAt).bodyHtml();
        if (!row.differences.isEmpty()) {
            html += QStringLiteral("<h2>%1</h2>")
                        .arg(tr("Differences from the file").toHtmlEscaped())
                + tableStart()
                + tableHeaderHtml({ tr("Setting"), tr("Relay"), tr("File") }, { 50, 25, 25 });
            for (const LineDifference &difference : row.differences)
                html += rowHtml({ difference.label.toHtmlEscaped(),
                    difference.relayText.toHtmlEscaped(), difference.fileText.toHtmlEscaped() });
            html += QStringLiteral("</table>");
        }
        return html;
    }
    return QStringLiteral("<h1>%1</h1><p>%2</p>")
        .arg(tr("Device %1").arg(row.slaveId).toHtmlEscaped(), row.stateText().toHtmlEscaped());
}
