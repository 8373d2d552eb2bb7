// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSREPORT_H
#define SETTINGSREPORT_H

#include "devicedata/deviceinfodata.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QString>

class CrashCountData;
class CrashLogData;
class DeviceTimeData;
class JournalSource;
class MeterageConfigurationData;
class ModulesData;
class ProtectionConfigurationData;
class SetpointsData;

// What a report is made of: one relay's identity from the device list and
// the blocks the window holds for it, every one of them given.
struct ReportSources
{
    int deviceId = 0;
    DeviceInfo deviceInfo;
    const ModulesData *modules = nullptr;
    const DeviceTimeData *deviceTime = nullptr;
    const MeterageConfigurationData *meterageConfiguration = nullptr;
    const ProtectionConfigurationData *protectionConfiguration = nullptr;
    const SetpointsData *setpoints = nullptr;
    const CrashCountData *crashCount = nullptr;
    const CrashLogData *crashLog = nullptr;
    // When the window last read the clock and the crash records in full;
    // invalid if it has not since the relay was chosen.
    QDateTime deviceTimeReadAt;
    QDateTime crashLogReadAt;
    // The journal's entries for this relay since the day given; no section without a journal.
    const JournalSource *journal = nullptr;
    QDate journalSince;
};

// The commissioning report of one relay as rich text: the program and the
// time it was made, the relay's identity, modules and clock, its
// configuration and setpoints grouped as the panels group them, and its
// crash log.
//
// Nothing is vouched for beyond what was read: a value never read prints as
// "-", a value a later read could not confirm carries "(outdated)", and a
// setting the relay's modules or modes disable is printed with "not used".
class SettingsReport
{
    Q_DECLARE_TR_FUNCTIONS(SettingsReport)

public:
    explicit SettingsReport(
        const ReportSources &sources, const QDateTime &madeAt = QDateTime::currentDateTime());

    QString html() const;
    // The report without its document around it, for a document of several relays.
    QString bodyHtml() const;
    // The modules' names as rich text, as the report lists them.
    static QString modulesText(const DataValue &modules);
    // The document's name, with the serial number once it is known.
    QString title() const;
    // "korvel-report-0001234-2026-12-08.pdf"; without the serial number
    // while it is unknown.
    QString defaultFileName() const;

private:
    QString headerHtml() const;
    QString deviceHtml() const;
    QString fieldsHtml() const;
    QString crashLogHtml() const;
    QString journalHtml() const;

    ReportSources m_sources;
    QDateTime m_madeAt;
};

#endif // SETTINGSREPORT_H
