// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WRITEREADBACK_H
#define WRITEREADBACK_H

#include "devicedata/relaysettings.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>

class DeviceData;
class DeviceMonitor;
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

    void watch(DeviceData *block, const ValuesOf &valuesOf);
    void onWritten(DeviceData *block, int slaveId);
    void onReadBack(DeviceData *block);
    void resumeLater();
    void resume();
    void clear();

    DeviceMonitor *m_monitor;
    MeterageConfigurationData *m_meterageConfiguration;
    QHash<DeviceData *, ValuesOf> m_valuesOf;
    // Blocks written and not yet read back, with what was sent.
    QHash<DeviceData *, SettingsValues> m_awaiting;
    int m_slaveId = 0;
    QStringList m_notTaken;
    bool m_unread = false;
};

#endif // WRITEREADBACK_H
