// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashcountdata.h"
#include "devicedata/crashlogdata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
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

QTEST_GUILESS_MAIN(ReportContentTest)
#include "tst_reportcontent.moc"
