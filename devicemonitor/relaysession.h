// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RELAYSESSION_H
#define RELAYSESSION_H

#include "devicedata/relaysettings.h"
#include "devicemonitor/settingsreport.h"

#include <QDateTime>
#include <QList>
#include <QObject>

#include <optional>

class CrashCountData;
class CrashLogData;
class DeviceData;
class DeviceInfoData;
class DeviceMonitor;
class DeviceTimeData;
class MeterageConfigurationData;
class ModulesData;
class ProtectionConfigurationData;
class SetpointsData;

// One relay read afresh, without widgets, in blocks of its own: its identity first, then, for a
// relay of our type, its modules, clock, crash count and the three settings blocks (and on
// request its crash log). What the line view and korvel-line hold for each relay of a line.
//
// The monitor reads only its current device: read() makes this relay current. It reports its end
// once, by finished(); outcome() then says what came of it.
class RelaySession : public QObject
{
    Q_OBJECT

public:
    enum Outcome {
        NotRead, // not read yet, or still reading
        Complete, // every block read whole
        AnotherType, // answered with another device type: nothing more was asked
        Incomplete, // answered its identity, but not every block could be read whole
        NotAnswering, // its identity did not come back
        Stopped, // canceled, or the line dropped the reads
    };
    Q_ENUM(Outcome)

    RelaySession(DeviceMonitor *monitor, int slaveId, QObject *parent = nullptr);
    ~RelaySession() override;

    int slaveId() const { return m_slaveId; }
    // Also reads the crash records, for a report.
    void setReadsCrashLog(bool reads) { m_readsCrashLog = reads; }

    void read();
    void cancel();
    bool isReading() const { return !m_pending.isEmpty(); }
    Outcome outcome() const { return m_outcome; }

    const DeviceInfo &deviceInfo() const;
    bool isOfOwnType() const;
    const DataValue &modules() const;
    const DataValue &crashCount() const;
    // The relay's clock less the computer's when it was read, in seconds; none unless read.
    std::optional<qint64> clockOffsetSeconds() const;
    // The identity and the settings, when every one of them was read whole.
    std::optional<RelaySettings> settings() const;
    // What a report of this relay is made of.
    ReportSources reportSources() const;

signals:
    void finished();

private:
    QList<DeviceData *> ownTypeBlocks() const;
    void queue(const QList<DeviceData *> &blocks);
    void onBlockRead(DeviceData *block);
    void finish(Outcome outcome);

    DeviceMonitor *m_monitor;
    int m_slaveId;
    bool m_readsCrashLog = false;
    DeviceInfoData *m_deviceInfo;
    ModulesData *m_modules;
    DeviceTimeData *m_deviceTime;
    CrashCountData *m_crashCount;
    CrashLogData *m_crashLog;
    MeterageConfigurationData *m_meterageConfiguration;
    ProtectionConfigurationData *m_protectionConfiguration;
    SetpointsData *m_setpoints;
    QList<DeviceData *> m_pending;
    Outcome m_outcome = NotRead;
    QDateTime m_deviceTimeReadAt;
    QDateTime m_crashLogReadAt;
    std::optional<qint64> m_clockOffset;
};

#endif // RELAYSESSION_H
