// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WRITEREADBACK_H
#define WRITEREADBACK_H

#include "devicedata/relaysettings.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <optional>

class DeviceData;
class DeviceMonitor;
class DroppedReads;
class MeterageConfigurationData;
class ProtectionConfigurationData;
class SetpointsData;

// After a panel's write of the configuration or the setpoints, reads the
// written blocks back and compares them register by register with what was
// sent: a relay may refuse or clamp a value, and the user must learn that it
// did rather than trust the panel.
class WriteReadBack : public QObject
{
    Q_OBJECT

public:
    WriteReadBack(DeviceMonitor *monitor, MeterageConfigurationData *meterageConfiguration,
        ProtectionConfigurationData *protectionConfiguration, SetpointsData *setpoints,
        QObject *parent = nullptr);

signals:
    // The relay holds other values than were written, or could not be read back.
    void mismatch(const QString &text);

private:
    using ValuesOf = std::function<bool(SettingsValues &)>;

    // A write that stopped at a refusal or a silence, by its requests' results.
    struct StoppedWrite
    {
        QSet<quint16> acknowledged;
        std::optional<quint16> failedAt;
        QList<quint16> notSent;
    };
    static StoppedWrite stoppedWrite(DeviceData &block);
    void describeStoppedWrite(
        const StoppedWrite &stopped, const SettingsValues &sent, const SettingsValues &held);

    void watch(DeviceData *block, const ValuesOf &valuesOf);
    void onWritten(DeviceData *block, int slaveId);
    void onReadBack(DeviceData *block);
    void clear();

    DeviceMonitor *m_monitor;
    MeterageConfigurationData *m_meterageConfiguration;
    DroppedReads *m_droppedReads;
    QHash<DeviceData *, ValuesOf> m_valuesOf;
    // Blocks written and not yet read back, with what was sent.
    QHash<DeviceData *, SettingsValues> m_awaiting;
    int m_slaveId = 0;
    QHash<DeviceData *, StoppedWrite> m_stopped;
    QStringList m_notTaken;
    QStringList m_stoppedTexts;
    bool m_unread = false;
};

#endif // WRITEREADBACK_H
