// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashcountdata.h"
#include "devicedata/crashlogdata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "devicemonitor/journalsource.h"
#include "devicemonitor/settingsreport.h"

#include <QtTest>

// What the report says from blocks that were never read, without a line or a
// window: its name, its file name and how far it vouches for the identity.
class ReportContentTest : public QObject
{
    Q_OBJECT

private slots:
    void nameCarriesTheSerialNumberOnceKnown_data();
    void nameCarriesTheSerialNumberOnceKnown();
    void identityIsVouchedForAsFarAsRead();
    void teamWideJournalNamesWhoWroteAndWhere_data();
    void teamWideJournalNamesWhoWroteAndWhere();

private:
    ReportSources sources(const DeviceInfo &info);

    ModulesData m_modules;
    DeviceTimeData m_deviceTime;
    MeterageConfigurationData m_meterageConfiguration;
    ProtectionConfigurationData m_protectionConfiguration;
    SetpointsData m_setpoints;
    CrashCountData m_crashCount;
    CrashLogData m_crashLog;
};

ReportSources ReportContentTest::sources(const DeviceInfo &info)
{
    ReportSources sources;
    sources.deviceId = 7;
    sources.deviceInfo = info;
    sources.modules = &m_modules;
    sources.deviceTime = &m_deviceTime;
    sources.meterageConfiguration = &m_meterageConfiguration;
    sources.protectionConfiguration = &m_protectionConfiguration;
    sources.setpoints = &m_setpoints;
    sources.crashCount = &m_crashCount;
    sources.crashLog = &m_crashLog;
    return sources;
}

void ReportContentTest::nameCarriesTheSerialNumberOnceKnown_data()
{
    QTest::addColumn<DataValue>("serialNumber");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("never read") << DataValue() << "Commissioning report"
                                << "korvel-report-2026-12-08.pdf";
    QTest::newRow("read") << validValue(4217) << "Commissioning report, serial number 0004217"
                          << "korvel-report-0004217-2026-12-08.pdf";
    QTest::newRow("outdated") << DataValue { 4217, Outdated }
                              << "Commissioning report, serial number 0004217"
                              << "korvel-report-0004217-2026-12-08.pdf";
}

void ReportContentTest::nameCarriesTheSerialNumberOnceKnown()
{
    QFETCH(DataValue, serialNumber);
    QFETCH(QString, title);
    QFETCH(QString, fileName);

    DeviceInfo info;
    info.serialNumber = serialNumber;
    const SettingsReport report(sources(info), QDateTime(QDate(2026, 12, 8), QTime(23, 59)));
    QCOMPARE(report.title(), title);
    QCOMPARE(report.defaultFileName(), fileName);
}

void ReportContentTest::identityIsVouchedForAsFarAsRead()
{
    DeviceInfo info;
    info.serialNumber = { 4217, Outdated };
    info.softwareVersion = DataValue { 105, NoData };
    const QString html = SettingsReport(sources(info)).html();

    QVERIFY2(html.contains(QStringLiteral(">0004217 (outdated)</td>")), qPrintable(html));
    QVERIFY2(html.contains(QStringLiteral(">Software version</td><td align=\"left\">-</td>")),
        qPrintable(html));
    QVERIFY2(!html.contains(QStringLiteral("1.05")), qPrintable(html));
}

namespace {

// One write to relay 1234567 by petrov from the laptop "field-7".
class OneWriteSource : public JournalSource
{
public:
    OneWriteSource(bool teamWide, const QString &note) : m_teamWide(teamWide), m_note(note) { }

    QVector<JournalEntry> entries(qint64 serialNumber, const QDate &) const override
    {
        if (serialNumber != 1234567)
            return {};
        JournalEntry entry;
        entry.when = QDateTime::currentDateTimeUtc();
        entry.user = QStringLiteral("petrov");
        entry.laptop = QStringLiteral("field-7");
        entry.kind = JournalEntry::ClockSet;
        entry.registers.resize(1);
        entry.registers[0].field = QStringLiteral("Hour");
        return { entry };
    }
    bool isTeamWide() const override { return m_teamWide; }
    QString note(qint64) const override { return m_note; }

private:
    bool m_teamWide;
    QString m_note;
};

} // namespace

void ReportContentTest::teamWideJournalNamesWhoWroteAndWhere_data()
{
    QTest::addColumn<bool>("teamWide");
    QTest::addColumn<QString>("note");
    QTest::newRow("this computer's journal") << false << QString();
    QTest::newRow("with the team journal") << true << QStringLiteral("As read at noon & later.");
}

void ReportContentTest::teamWideJournalNamesWhoWroteAndWhere()
{
    QFETCH(bool, teamWide);
    QFETCH(QString, note);
    DeviceInfo info;
    info.serialNumber = validValue(1234567);
    ReportSources withJournal = sources(info);
    const OneWriteSource journal(teamWide, note);
    withJournal.journal = &journal;
    const QString html = SettingsReport(withJournal).html();
    QVERIFY2(html.contains(QStringLiteral("Clock Set")), qPrintable(html));
    QCOMPARE(html.contains(QStringLiteral("Clock Set (petrov on field-7)")), teamWide);
    QCOMPARE(html.contains(QStringLiteral("As read at noon &amp; later.")), !note.isEmpty());
}

QTEST_GUILESS_MAIN(ReportContentTest)
#include "tst_reportcontent.moc"
