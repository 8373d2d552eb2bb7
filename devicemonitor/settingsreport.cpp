// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/settingsreport.h"

#include "devicedata/codeconversions.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/crashlogdata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/identitytext.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "devicedata/settingsfingerprint.h"
#include "devicemonitor/journalsource.h"
#include "devicemonitor/reporthtml.h"

#include <QHash>
#include <QLocale>
#include <QStringList>

namespace {

// The panels' own words, so that the report names things as they do.
QString panelText(const char *context, const char *source)
{
    return QCoreApplication::translate(context, source);
}

// A panel label without the colon it ends with beside its field.
QString rowLabel(const QString &label)
{
    QString text = label.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

// `html` as far as its status vouches for it.
QString trustedHtml(DataStatus status, const QString &html)
{
    switch (status) {
    case Valid:
        return html;
    case Outdated:
        return html + QLatin1Char(' ') + SettingsReport::tr("(outdated)");
    case NoData:
        break;
    }
    return QStringLiteral("-");
}

QString trustedText(DataStatus status, const QString &text)
{
    return trustedHtml(status, text.toHtmlEscaped());
}

// The computer's time of a read; "-" for none.
QString readAtText(const QDateTime &readAt)
{
    return readAt.isValid() ? QLocale::system().toString(readAt, QLocale::ShortFormat)
                            : QStringLiteral("-");
}

QString modulesHtml(const DataValue &modules)
{
    QStringList names;
    const qint64 flags = modules.value;
    if (flags & ModuleApv)
        names.append(panelText("ModulesWidget", "APV"));
    // Both earth-fault bits stand for the plain module, as on the panel.
    switch (flags & (ModuleZnz3I0 | ModuleZnz3U0)) {
    case ModuleZnz3I0 | ModuleZnz3U0:
        names.append(panelText("ModulesWidget", "ZNZ"));
        break;
    case ModuleZnz3I0:
        names.append(panelText("ModulesWidget", "ZNZ(3I<sub>0</sub>)"));
        break;
    case ModuleZnz3U0:
        names.append(panelText("ModulesWidget", "ZNZ(3I<sub>0</sub>,3U<sub>0</sub>)"));
        break;
    default:
        break;
    }
    if (flags & ModuleInd)
        names.append(panelText("ModulesWidget", "IND"));
    return trustedHtml(modules.status,
        names.isEmpty() ? SettingsReport::tr("none") : names.join(QStringLiteral(", ")));
}

// The settable fields' tables, a heading and a table for each of the
// panels' groups in the order the field tables give them.
class FieldTables
{
public:
    FieldTables(const FieldContext &context, const DataValue &rangeMultiplier)
        : m_context(context), m_rangeMultiplier(rangeMultiplier)
    {
    }

    template<typename Record>
    void add(FieldList<Record> fields, const Record &values)
    {
        for (const Field<Record> &field : fields)
            addRow(field.description, values.*field.member);
    }

    QString html()
    {
        closeTable();
        return m_html;
    }

private:
    void addRow(const FieldDescription &field, const DataValue &raw)
    {
        const QString group = field.group.translated();
        if (group != m_group) {
            closeTable();
            m_group = group;
            m_html += QStringLiteral("<h2>%1</h2>").arg(group) + tableStart()
                + tableHeaderHtml({ SettingsReport::tr("Setting"), SettingsReport::tr("Value"),
                                      SettingsReport::tr("Unit"), SettingsReport::tr("Note") },
                    { 40, 25, 12, 23 });
        }
        const bool number = field.kind == FieldDescription::Number;
        m_html += rowHtml({ rowLabel(field.label.translated()), valueHtml(field, raw),
            number ? field.unitText().toHtmlEscaped() : QString(),
            field.isInUse(m_context) ? QString() : SettingsReport::tr("not used") });
    }

    QString valueHtml(const FieldDescription &field, const DataValue &raw) const
    {
        // A pick-up current is only known with the range it is counted in.
        const DataValue multiplier
            = field.scaledByCurrentRange ? m_rangeMultiplier : validValue(qint64(1));
        const DataStatus status = combinedStatus({ raw.status, multiplier.status });
        if (status == NoData)
            return trustedHtml(NoData, QString());
        const QLocale locale;
        const QString text = field.kind == FieldDescription::Code
            ? field.shownText(raw.value, 1, locale)
            : locale.toString(
                field.shownNumber(raw.value, multiplier.value), 'f', field.range.decimals);
        return trustedText(status, text);
    }

    void closeTable()
    {
        if (!m_group.isNull())
            m_html += QStringLiteral("</table>");
        m_group.clear();
    }

    FieldContext m_context;
    DataValue m_rangeMultiplier;
    QString m_group;
    QString m_html;
};

template<typename Record>
void collectValues(
    QHash<quint16, DataValue> &values, FieldList<Record> fields, const Record &record)
{
    for (const Field<Record> &field : fields)
        values.insert(field.description.address, record.*field.member);
}

} // namespace

QString SettingsReport::modulesText(const DataValue &modules)
{
    return modulesHtml(modules);
}

SettingsReport::SettingsReport(const ReportSources &sources, const QDateTime &madeAt)
    : m_sources(sources), m_madeAt(madeAt)
{
}

QString SettingsReport::title() const
{
    const DataValue &serialNumber = m_sources.deviceInfo.serialNumber;
    if (serialNumber.status == NoData)
        return tr("Commissioning report");
    return tr("Commissioning report, serial number %1").arg(serialNumberText(serialNumber));
}

QString SettingsReport::defaultFileName() const
{
    const QString date = m_madeAt.date().toString(Qt::ISODate);
    const DataValue &serialNumber = m_sources.deviceInfo.serialNumber;
    if (serialNumber.status == NoData)
        return QStringLiteral("korvel-report-%1.pdf").arg(date);
    return QStringLiteral("korvel-report-%1-%2.pdf").arg(serialNumberText(serialNumber), date);
}

QString SettingsReport::html() const
{
    return QStringLiteral("<html><body>") + bodyHtml() + QStringLiteral("</body></html>");
}

QString SettingsReport::bodyHtml() const
{
    return headerHtml() + deviceHtml() + fieldsHtml() + crashLogHtml() + journalHtml();
}

QString SettingsReport::headerHtml() const
{
    return QStringLiteral("<h1>%1</h1><p>%2<br>%3</p><p><small>%4</small></p>")
        .arg(tr("Commissioning report").toHtmlEscaped(),
            tr("Program: Korvel-client %1")
                .arg(QCoreApplication::applicationVersion())
                .toHtmlEscaped(),
            tr("Made: %1").arg(QLocale().toString(m_madeAt, QLocale::ShortFormat)).toHtmlEscaped(),
            tr("\"-\": never read. \"(outdated)\": the last value read; a later read of it "
               "failed. \"not used\": the relay's modules or modes leave the setting unused.")
                .toHtmlEscaped());
}

QString SettingsReport::deviceHtml() const
{
    const DeviceInfo &info = m_sources.deviceInfo;
    const DeviceTime &deviceTime = m_sources.deviceTime->deviceTime();
    // Only 1 switches the adjustment on, as the clock panel reads it.
    const char *dst = deviceTime.autoDst.value == 1 ? "Auto adjust for DST enabled"
                                                    : "Auto adjust for DST disabled";

    QString html = QStringLiteral("<h2>%1</h2>").arg(tr("Device")) + tableStart()
        + rowHtml({ tr("Device ID"), QString::number(m_sources.deviceId) }, { 40, 60 });
    html += rowHtml({ rowLabel(panelText("DeviceInfoWidget", "Serial number:")),
        trustedText(info.serialNumber.status, serialNumberText(info.serialNumber)) });
    html += rowHtml({ rowLabel(panelText("DeviceInfoWidget", "Software version:")),
        trustedText(info.softwareVersion.status, softwareVersionText(info.softwareVersion)) });
    html += rowHtml(
        { panelText("ModulesWidget", "Modules"), modulesHtml(m_sources.modules->modules()) });
    const DataValue fingerprint
        = heldSettingsFingerprint(m_sources.meterageConfiguration->configuration(),
            m_sources.protectionConfiguration->configuration(), m_sources.setpoints->setpoints());
    html += rowHtml({ rowLabel(panelText("SettingsFingerprintView", "Settings fingerprint:")),
        trustedText(fingerprint.status, fingerprintText(quint32(fingerprint.value))) });
    html += rowHtml({ panelText("DeviceTimeWidget", "Device time"),
        trustedText(deviceTime.dateTime.status,
            QLocale().toString(deviceTime.dateTime.value, QLocale::ShortFormat)) });
    html += rowHtml({ tr("Daylight saving time"),
        trustedText(deviceTime.autoDst.status, panelText("DeviceTimeWidget", dst)) });
    // The relay's clock runs on: its value stands for the moment it was read.
    html
        += rowHtml({ tr("Clock read at"), readAtText(m_sources.deviceTimeReadAt).toHtmlEscaped() });
    return html + QStringLiteral("</table>");
}

QString SettingsReport::fieldsHtml() const
{
    const MeterageConfigurationData &meterage = *m_sources.meterageConfiguration;
    const ProtectionConfigurationData &protection = *m_sources.protectionConfiguration;
    const SetpointsData &setpoints = *m_sources.setpoints;

    QHash<quint16, DataValue> values;
    collectValues(values, meterage.fields(), meterage.configuration());
    collectValues(values, protection.fields(), protection.configuration());
    collectValues(values, setpoints.fields(), setpoints.setpoints());
    const FieldContext context { m_sources.modules->modules(),
        [&values](quint16 address) { return values.value(address); } };

    FieldTables tables(context, rangeMultiplier(meterage.configuration().currentRange));
    tables.add(meterage.fields(), meterage.configuration());
    tables.add(protection.fields(), protection.configuration());
    tables.add(setpoints.fields(), setpoints.setpoints());
    return tables.html();
}

QString SettingsReport::crashLogHtml() const
{
    const DataValue &count = m_sources.crashCount->crashCount();
    QString html = QStringLiteral("<h2>%1</h2><p>%2 %3</p>")
                       .arg(panelText("MainWindow", "Crash log"),
                           rowLabel(panelText("CrashLogWidget", "Total crash count:")),
                           trustedText(count.status, QString::number(count.value)));

    if (m_sources.crashLogReadAt.isValid())
        html += QStringLiteral("<p>%1</p>")
                    .arg(tr("Crash records read at %1.")
                             .arg(readAtText(m_sources.crashLogReadAt))
                             .toHtmlEscaped());

    const CrashListModel *model = m_sources.crashLog->crashListModel();
    if (model->rowCount() == 0) {
        // An empty list stands for no records only when the relay said it has none.
        if (count.status == NoData || count.value > 0)
            html += QStringLiteral("<p>%1</p>").arg(tr("The crash records were not read."));
        return html;
    }

    QStringList header;
    for (int column = 0; column < CrashListModel::ColumnCount; ++column)
        header.append(model->headerData(column, Qt::Horizontal).toString().toHtmlEscaped());
    html += tableStart() + tableHeaderHtml(header, { 10, 40, 25, 25 });
    for (int row = 0; row < model->rowCount(); ++row) {
        // A page of records is read, or marked outdated, as a whole.
        const DataStatus status = model->record(row).crashNumber.status;
        QStringList cells;
        for (int column = 0; column < CrashListModel::ColumnCount; ++column) {
            const QString text = model->index(row, column).data().toString();
            cells.append(column == CrashListModel::NumberColumn
                    ? trustedText(status, text)
                    : trustedText(status == NoData ? NoData : Valid, text));
        }
        html += rowHtml(cells);
    }
    return html + QStringLiteral("</table>");
}

QString SettingsReport::journalHtml() const
{
    if (!m_sources.journal)
        return QString();
    const QDate since = m_sources.journalSince.isValid() ? m_sources.journalSince : m_madeAt.date();
    QString html = QStringLiteral("<h2>%1</h2>")
                       .arg(tr("Journal of writes since %1")
                                .arg(QLocale().toString(since, QLocale::ShortFormat))
                                .toHtmlEscaped());
    const DataValue &serial = m_sources.deviceInfo.serialNumber;
    if (serial.status == NoData)
        return html
            + QStringLiteral("<p>%1</p>")
                  .arg(tr("The relay's serial number is not known: its journal entries cannot "
                          "be told apart.")
                           .toHtmlEscaped());
    const QString note = m_sources.journal->note(serial.value);
    if (!note.isEmpty())
        html += QStringLiteral("<p>%1</p>").arg(note.toHtmlEscaped());
    const QVector<JournalEntry> entries = m_sources.journal->entries(serial.value, since);
    if (entries.isEmpty())
        return html
            + QStringLiteral("<p>%1</p>").arg(tr("No writes were recorded.").toHtmlEscaped());
    const bool teamWide = m_sources.journal->isTeamWide();
    html += tableStart()
        + tableHeaderHtml({ tr("When").toHtmlEscaped(), tr("Write").toHtmlEscaped(),
                              tr("Setting").toHtmlEscaped(), tr("Old value").toHtmlEscaped(),
                              tr("New value").toHtmlEscaped(), tr("Outcome").toHtmlEscaped() },
            { 17, 17, 22, 13, 13, 18 });
    for (const JournalEntry &entry : entries) {
        const QString when
            = QLocale().toString(entry.when.toLocalTime(), QLocale::ShortFormat).toHtmlEscaped();
        const QString kind
            = (teamWide ? tr("%1 (%2 on %3)")
                              .arg(JournalEntry::kindText(entry.kind), entry.user, entry.laptop)
                        : JournalEntry::kindText(entry.kind))
                  .toHtmlEscaped();
        for (const JournalRegister &reg : entry.registers) {
            const QString outcome = reg.detail.isEmpty()
                ? journalOutcomeText(reg.outcome)
                : tr("%1: %2").arg(journalOutcomeText(reg.outcome), reg.detail);
            html += rowHtml({ when, kind, reg.field.toHtmlEscaped(),
                reg.hasOld ? reg.oldShown.toHtmlEscaped() : QStringLiteral("-"),
                reg.newShown.toHtmlEscaped(), outcome.toHtmlEscaped() });
        }
    }
    return html + QStringLiteral("</table>");
}
